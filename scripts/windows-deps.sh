#!/usr/bin/env bash
# Installs the MinGW toolchain and Wine, and builds wxWidgets for Windows once.
# The wxWidgets install is cached under /var/cache/wordloom/, keyed by its
# version and configure options, so only the first run pays for it.
# WINDOWS_ARCH=x86_64 does this for the 64-bit build (default i686).
# With Wine, for the tests: the Wine of the build they run (see
# windows-target.sh), and when that is the 64-bit one, its toolchain and
# wxWidgets too. Prints the cached prefix as its last line.
# Usage: windows-deps.sh [--no-wine]
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
with_wine=1
[ "${1:-}" = "--no-wine" ] && with_wine=0

WX_SRC_PACKAGE=wxwidgets3.2
CACHE_ROOT=${WORDLOOM_CACHE:-/var/cache/wordloom}
ARCH=${WINDOWS_ARCH:-i686}
case $ARCH in i686 | x86_64) ;; *) echo "windows-deps: WINDOWS_ARCH is i686 or x86_64, not $ARCH" >&2; exit 2 ;; esac
HOST=$ARCH-w64-mingw32
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
# The program links only wxWidgets' core and base: its dialog uses buttons,
# text and combo boxes, static texts, boxes and bitmaps, the system menu, the
# file, message and progress dialogs. Everything else would only lengthen a
# first build (the static libraries keep only what the program calls anyway).
WX_OPTIONS+=(
  # networking, IPC and the debug report (the net and qa libraries)
  --disable-sockets --disable-ipv6 --disable-protocols --disable-ftp
  --disable-http --disable-fileproto --disable-url --disable-protocol
  --disable-protocol-http --disable-protocol-ftp --disable-protocol-file
  --disable-fs_inet --disable-ipc --disable-dialupman --disable-debugreport
  --disable-dbghelp --disable-backtrace
  # system services the program does not ask for
  --disable-fswatcher --disable-secretstore --disable-mimetype
  --disable-snglinst --disable-fsvolume --disable-tarstream --disable-arcstream
  --disable-filehistory --disable-privatefonts
  # application frameworks, help, printing, graphics contexts
  --disable-docview --disable-mdi --disable-mdidoc --disable-help
  --disable-mshtmlhelp --disable-printarch --disable-postscript
  --disable-graphics_ctx --disable-graphics-d2d --disable-constraints
  --disable-metafile --disable-dragimage --disable-dnd --disable-uiactionsim
  # controls and dialogs the program has none of
  --disable-dataviewctrl --disable-grid --disable-treelist
  --disable-listctrl --disable-dirdlg --disable-dirpicker --disable-calendar
  --disable-datepick --disable-timepick --disable-wizarddlg --disable-splash
  --disable-tipdlg --disable-tipwindow --disable-finddlg --disable-fontdlg
  --disable-coldlg --disable-numberdlg --disable-textdlg --disable-choicedlg
  --disable-aboutdlg --disable-creddlg --disable-rearrangectrl
  --disable-addremovectrl --disable-editablebox --disable-prefseditor
  --disable-bannerwindow --disable-infobar --disable-richtooltip
  --disable-notifmsg --disable-taskbaricon --disable-taskbarbutton
  --disable-collpane --disable-colourpicker --disable-filepicker
  --disable-fontpicker --disable-hyperlink --disable-animatectrl
  --disable-searchctrl --disable-splitter --disable-sash --disable-toolbar
  --disable-tbarnative --disable-toolbook --disable-treebook --disable-listbook
  --disable-choicebook --disable-notebook --disable-statusbar
  --disable-odcombobox --disable-bmpcombobox --disable-comboctrl
  --disable-commandlinkbutton --disable-headerctrl --disable-filectrl
  --disable-actindicator --disable-slider --disable-spinctrl --disable-spinbtn
  --disable-togglebtn --disable-radiobox --disable-checklst
  --disable-richmsgdlg --disable-busyinfo --disable-hotkey --disable-miniframe
  --disable-popupwin --disable-logwin --disable-logdialog --disable-markup
  # image formats (the icons come from the resources)
  --disable-gif --disable-pcx --disable-tga --disable-iff --disable-pnm
  --disable-arttango
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
  [ "$apt_updated" = 1 ] || $SUDO apt-get update -qq
  apt_updated=1
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >&2
}

apt_updated=0
apt_install "g++-mingw-w64-${ARCH/_/-}-posix" "binutils-mingw-w64-${ARCH/_/-}" build-essential cmake dpkg-dev xz-utils libcli11-dev
if [ $with_wine = 1 ]; then
  # shellcheck source=../scripts/windows-target.sh
  source scripts/windows-target.sh
  windows_test_target
  if [ "$WINDOWS_TEST_ARCH" = i686 ]; then
    # wine32 is an i386 package.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $SUDO dpkg --add-architecture i386
      $SUDO apt-get update -qq
      apt_updated=1
    fi
    wine_packages=(wine wine32:i386)
  else
    wine_packages=(wine64)
    [ "$ARCH" = x86_64 ] || WINDOWS_ARCH=x86_64 scripts/windows-deps.sh --no-wine > /dev/null
  fi
  apt_install "${wine_packages[@]}" fonts-wine locales fonts-arphic-uming xvfb xauth xdotool x11-utils imagemagick
fi

# The exact version comes from Debian's source index.
# shellcheck source=../scripts/debian-source.sh
source scripts/debian-source.sh

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
version=$(source_version "$WX_SRC_PACKAGE")
[ -n "$version" ] || { log "no source package $WX_SRC_PACKAGE"; exit 1; }
upstream=${version%%+*}
upstream=${upstream#*:}
prefix=$CACHE_ROOT/wxmsw-$upstream-$options_hash
work=$CACHE_ROOT/work-$upstream-$options_hash

log "building wxWidgets $version for $HOST into $prefix (takes a while)"
$SUDO rm -rf "$work" "$prefix"
$SUDO mkdir -p "$work"
$SUDO chown "$(id -u):$(id -g)" "$work"
# Wall and CPU (user + system) seconds: on a shared machine the CPU time is
# the steadier figure to compare option sets by. The build's own errors go
# to fd 4; a redirection on the timed command itself would take time's
# report along with them.
TIMEFORMAT='%0R %0U %0S'
exec 4>&2
set +e
{ time { (
  set -e
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
) 2>&4; }; } 2> "$work/time"
built=$?
set -e
[ $built = 0 ] || { log "the wxWidgets build failed; its files are in $work"; exit 1; }
read -r wall user sys < "$work/time"
echo "$version: $wall s wall, $((user + sys)) s CPU" > "$prefix/.complete"
log "wxWidgets built in $wall s wall, $((user + sys)) s CPU ($user user + $sys system)"
$SUDO rm -rf "$work"
echo "$prefix"
