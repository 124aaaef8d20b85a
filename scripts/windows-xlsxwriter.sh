#!/usr/bin/env bash
# Builds libxlsxwriter for Windows once, static, from Debian's source
# package, against MinGW's zlib (libz-mingw-w64-dev), with the toolchain the
# program is built with. The install is cached under /var/cache/wordloom/,
# keyed by its version and the processor (WINDOWS_ARCH, default i686).
# Prints the cached prefix as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
CACHE_ROOT=${WORDLOOM_CACHE:-/var/cache/wordloom}
ARCH=${WINDOWS_ARCH:-i686}
HOST=$ARCH-w64-mingw32
log() { echo "windows-xlsxwriter: $*" >&2; }

if ! dpkg-query -W -f='${Status}' libz-mingw-w64-dev 2>/dev/null | grep -q "install ok installed"; then
  log "installing libz-mingw-w64-dev"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends libz-mingw-w64-dev >&2
fi
for done_marker in "$CACHE_ROOT"/xlsxwriter-*-"$HOST"/.complete; do
  [ -f "$done_marker" ] && { dirname "$done_marker"; exit 0; }
done

# shellcheck source=../scripts/debian-source.sh
source scripts/debian-source.sh
apt_priv
$SUDO apt-get "${APT_OPTS[@]}" update -qq >&2
version=$(source_version libxlsxwriter)
[ -n "$version" ] || { log "no source package libxlsxwriter"; exit 1; }
upstream=${version%%-*}
prefix=$CACHE_ROOT/xlsxwriter-$upstream-$HOST
work=$CACHE_ROOT/work-xlsxwriter-$upstream-$HOST
log "building libxlsxwriter $version for $HOST into $prefix"
$SUDO rm -rf "$work" "$prefix"
$SUDO mkdir -p "$work" "$prefix"
$SUDO chown "$(id -u):$(id -g)" "$work" "$prefix"
(
  cd "$work"
  apt-get "${APT_OPTS[@]}" source --download-only "libxlsxwriter=$version" >&2
  dpkg-source -x ./*.dsc src >&2
  cmake -S src -B build -DCMAKE_TOOLCHAIN_FILE="$OLDPWD/cmake/toolchain-mingw-$ARCH.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" > configure.log 2>&1 || { tail -40 configure.log >&2; exit 1; }
  cmake --build build -j"${WORDLOOM_JOBS:-2}" > make.log 2>&1 || { tail -60 make.log >&2; exit 1; }
  cmake --install build > install.log 2>&1 || { tail -40 install.log >&2; exit 1; }
) || { log "the libxlsxwriter build failed; its files are in $work"; exit 1; }
echo "$version" > "$prefix/.complete"
$SUDO rm -rf "$work"
echo "$prefix"
