#!/usr/bin/env bash
# Makes what a user installs, in dist/:
#   wordloom_<version>_amd64.deb   for Debian 12: both programs, desktop entry,
#                                  icons, man pages, README, the banned-word
#                                  list (CPack; lintian must find no errors)
#   Wordloom-<version>-win32.zip   for Windows 7 and later: Wordloom.exe,
#                                  wordloom-cli.exe, an example word library
#                                  (GBK), the banned-word list and a user
#                                  guide in Chinese
# The version is the one in CMakeLists.txt's project(). Installs what it needs
# first; the Windows build reuses build-win/ (or $WINDOWS_BUILD_DIR).
# Usage: package.sh [deb|zip]   (both when not told)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-both}
pkg_dir=${PACKAGE_BUILD_DIR:-build-package}
win_dir=${WINDOWS_BUILD_DIR:-build-win}

scripts/deps.sh package
mkdir -p dist
# Debian's own compiler and linker flags (hardening included), as a package
# built by Debian's tools would have them. This build also gives the version.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$pkg_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DWORDLOOM_BUILD_GUI=ON -DWORDLOOM_BUILD_TESTS=OFF -DWORDLOOM_BUILD_FUZZ=OFF -DWORDLOOM_BUILD_PACKAGE=ON >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$pkg_dir/CMakeCache.txt")
[ -n "$version" ] || { echo "package.sh: no project version in $pkg_dir/CMakeCache.txt" >&2; exit 1; }

make_deb() {
  local deb=dist/wordloom_${version}_amd64.deb status=0
  cmake --build "$pkg_dir" -j"${WORDLOOM_JOBS:-2}"
  rm -f dist/wordloom_*_amd64.deb
  (cd "$pkg_dir" && cpack -G DEB -B "$PWD/cpack" >/dev/null)
  cp "$pkg_dir/cpack/$(basename "$deb")" "$deb"
  echo "lintian $deb:"
  lintian --display-info "$deb" > "$pkg_dir/lintian.log" 2>&1 || status=$?
  grep -v 'running with root privileges' "$pkg_dir/lintian.log" | sed 's/^/  /'
  [ "$status" = 0 ] || { echo "package.sh: lintian found errors" >&2; return 1; }
}

make_zip() {
  local zip=dist/Wordloom-${version}-win32.zip stage=$win_dir/zip/Wordloom-$version
  BUILD_DIR=$win_dir scripts/build-windows.sh >/dev/null
  rm -rf "$win_dir/zip" dist/Wordloom-*-win32.zip
  mkdir -p "$stage"
  cp "$win_dir/dist/Wordloom.exe" "$win_dir/dist/wordloom-cli.exe" "$stage/"
  # The example library in GBK with CR LF, converted should it be UTF-8.
  if iconv -f UTF-8 -t UTF-8 examples/words.txt >/dev/null 2>&1 &&
     LC_ALL=C grep -q '[^[:print:][:space:]]' examples/words.txt; then
    iconv -f UTF-8 -t GBK examples/words.txt | sed 's/\r*$/\r/' > "$stage/words.txt"
  else
    iconv -f GBK -t GBK examples/words.txt > "$stage/words.txt"
  fi
  # The grouped library, for a title formula, in GBK with CR LF as well.
  iconv -f GBK -t GBK examples/grouped-words.txt > "$stage/grouped-words.txt"
  # UTF-8 with a byte-order mark and CR LF: Notepad opens it correctly on any
  # Windows, Chinese or not. The banned-word list has its mark already.
  { printf '\xEF\xBB\xBF'; sed 's/$/\r/' packaging/guide-zh_CN.txt; } > "$stage/README.txt"
  sed 's/$/\r/' res/banned-words.txt > "$stage/banned-words.txt"
  (cd "$win_dir/zip" && zip -q -X -r - "Wordloom-$version") > "$zip"
}

case $what in
  deb) make_deb ;;
  zip) make_zip ;;
  both) make_deb && make_zip ;;
  *) echo "usage: package.sh [deb|zip]" >&2; exit 2 ;;
esac
ls -l dist/
