#!/usr/bin/env bash
# Installs the MinGW toolchain and Wine, and builds wxWidgets for Windows once.
# The wxWidgets install is cached under /var/cache/wordloom/, keyed by its
# version and configure options, so only the first run pays for it (~14 min).
# Prints the cached prefix as its last line.
# Usage: windows-deps.sh [--no-wine]
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
with_wine=1
[ "${1:-}" = "--no-wine" ] && with_wine=0

WX_SRC_PACKAGE=wxwidgets3.2
CACHE_ROOT=${WORDLOOM_CACHE:-/var/cache/wordloom}
HOST=i686-w64-mingw32
# Static, Unicode, release MSW build with the posix-threads compilers (the
# same ones the program is built with). Debian's source has no bundled
# zlib/libpng/expat/libjpeg/libtiff, so those formats are left out.
WX_OPTIONS=(
  --with-msw --disable-shared --enable-unicode --disable-debug
  --disable-tests --without-subdirs --disable-precomp-headers
  --without-libpng --without-libjpeg --without-libtiff --without-zlib
  --without-expat --without-liblzma --without-libcurl --without-regex
  --without-opengl --without-nanosvg --disable-svg
  --disable-xrc --disable-html --disable-htmlhelp
  --disable-aui --disable-stc --disable-mediactrl --disable-webview
  --disable-ribbon --disable-propgrid --disable-richtext
  --disable-webrequest --disable-zipstream --disable-fs_zip
  --disable-fs_archive --disable-sound --disable-joystick
)

log() { echo "windows-deps: $*" >&2; }

pkg_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

apt_install() {
  local missing
  missing=$(pkg_missing "$@")
  [ -z "$missing" ] && return 0
  log "installing $missing"
  $SUDO apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >&2
}

PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 build-essential cmake dpkg-dev xz-utils libcli11-dev)
if [ $with_wine = 1 ]; then
  # wine32 is an i386 package.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
  fi
  PACKAGES+=(wine wine32:i386 fonts-wine locales fonts-arphic-uming xvfb xauth xdotool x11-utils imagemagick)
fi
apt_install "${PACKAGES[@]}"

# The exact version comes from Debian's source index, read through a private
# apt configuration so the machine's own sources are left as they are.
APT_PRIV=$CACHE_ROOT/apt
apt_priv() {
  $SUDO mkdir -p "$APT_PRIV/parts" "$APT_PRIV/lists/partial"
  $SUDO tee "$APT_PRIV/parts/debian-src.sources" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $SUDO touch "$APT_PRIV/sources.list"
  APT_OPTS=(-o "Dir::Etc::SourceList=$APT_PRIV/sources.list"
            -o "Dir::Etc::SourceParts=$APT_PRIV/parts"
            -o "Dir::State::Lists=$APT_PRIV/lists")
}

options_hash=$(printf '%s\n' "$HOST" "${WX_OPTIONS[@]}" | sha256sum | cut -c1-12)
# Reuse any finished build with these options (the version is in the name).
for done_marker in "$CACHE_ROOT"/wxmsw-*-"$options_hash"/.complete; do
  if [ -f "$done_marker" ]; then
    dirname "$done_marker"
    exit 0
  fi
done

apt_priv
$SUDO apt-get "${APT_OPTS[@]}" update -qq >&2
version=$(apt-cache "${APT_OPTS[@]}" showsrc "$WX_SRC_PACKAGE" | awk '/^Version:/{print $2}' | sort -V | tail -1)
[ -n "$version" ] || { log "no source package $WX_SRC_PACKAGE"; exit 1; }
upstream=${version%%+*}
upstream=${upstream#*:}
prefix=$CACHE_ROOT/wxmsw-$upstream-$options_hash
work=$CACHE_ROOT/work-$upstream-$options_hash

log "building wxWidgets $version for $HOST into $prefix (takes a while)"
start=$(date +%s)
$SUDO rm -rf "$work" "$prefix"
$SUDO mkdir -p "$work"
$SUDO chown "$(id -u):$(id -g)" "$work"
(
  cd "$work"
  apt-get "${APT_OPTS[@]}" source --download-only "$WX_SRC_PACKAGE=$version" >&2
  dpkg-source -x ./*.dsc src >&2
  mkdir build && cd build
  ../src/configure --host=$HOST --build="$(../src/config.guess)" --prefix="$prefix" \
    "${WX_OPTIONS[@]}" CC=$HOST-gcc-posix CXX=$HOST-g++-posix CXXFLAGS="-O2" CFLAGS="-O2" > configure.log 2>&1 \
    || { tail -40 configure.log >&2; exit 1; }
  make -j"${WORDLOOM_JOBS:-2}" > make.log 2>&1 || { tail -60 make.log >&2; exit 1; }
  $SUDO mkdir -p "$prefix"
  $SUDO chown "$(id -u):$(id -g)" "$prefix"
  make install > install.log 2>&1 || { tail -40 install.log >&2; exit 1; }
  cp configure.log "$prefix/configure.log"
)
echo "$version $((($(date +%s) - start))) s" > "$prefix/.complete"
log "wxWidgets built in $(( $(date +%s) - start )) s"
$SUDO rm -rf "$work"
echo "$prefix"
