#!/usr/bin/env bash
# Builds the packages (scripts/package.sh) and checks what a user gets from
# them, installing nothing: the .deb is unpacked into a temporary folder
# (dpkg-deb -x) and its programs run from there, apt only simulates the
# install, the zip is unpacked and its command line run under Wine.
# Prints PASS/FAIL lines; the last line is "packages: N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/package.sh
# Wine and the Windows test prefix (installed and made once).
scripts/windows-deps.sh >/dev/null
export WINDOWS_BUILD_DIR=$(realpath "${WINDOWS_BUILD_DIR:-build-win}")

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "${PACKAGE_BUILD_DIR:-build-package}/CMakeCache.txt")
deb=$PWD/dist/wordloom_${version}_amd64.deb
zip=$PWD/dist/Wordloom-${version}-win32.zip
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$work/last.log" 2>&1; then
    echo "PASS $what"
    passed=$((passed + 1))
  else
    echo "FAIL $what"
    sed 's/^/    /' "$work/last.log" | head -40
    failed=$((failed + 1))
  fi
}
same() {  # same EXPECTED_FILE ACTUAL_FILE: shows the difference
  diff -u "$1" "$2"
}

# --- the Debian package ---------------------------------------------------
cat > "$work/deb-files.expected" <<LIST
./usr/bin/wordloom
./usr/bin/wordloom-cli
./usr/share/applications/wordloom.desktop
./usr/share/doc/wordloom/README.md
./usr/share/doc/wordloom/changelog.gz
./usr/share/doc/wordloom/copyright
./usr/share/icons/hicolor/16x16/apps/wordloom.png
./usr/share/icons/hicolor/256x256/apps/wordloom.png
./usr/share/icons/hicolor/32x32/apps/wordloom.png
./usr/share/icons/hicolor/48x48/apps/wordloom.png
./usr/share/man/man1/wordloom-cli.1.gz
./usr/share/man/man1/wordloom.1.gz
./usr/share/wordloom/banned-words.txt
LIST
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort > "$work/deb-files"
check "deb: holds exactly the programs, desktop entry, icons, man pages, documents and the banned-word list" \
  same "$work/deb-files.expected" "$work/deb-files"

deb_fields() {
  dpkg-deb -f "$deb" Package Version Depends | tee "$work/control"
  grep -qx "Package: wordloom" "$work/control" && grep -qx "Version: $version" "$work/control" &&
    grep -q '^Depends: .*wx3.2-i18n' "$work/control" && grep -q '^Depends: .*libwxgtk3.2-1 (>= ' "$work/control" &&
    grep -q '^Depends: .*libxlsxwriter4 (>= ' "$work/control"
}
check "deb: version $version; Depends from the binaries (wxWidgets), libxlsxwriter's shlibs and wxWidgets' catalogs" deb_fields

apt_simulate() {
  apt-get install --simulate -o Debug::NoLocking=1 "$deb" | tee "$work/apt"
  grep -q "^Inst wordloom ($version " "$work/apt"
}
check "deb: apt-get install --simulate resolves its Depends here" apt_simulate

root=$work/deb
dpkg-deb -x "$deb" "$root"
cli=$root/usr/bin/wordloom-cli
check "deb: wordloom-cli --version says $version" \
  bash -c '[ "$("$1" --version)" = "wordloom-cli $2" ]' _ "$cli" "$version"

cli_run() {
  "$cli" --library examples/words.txt --core 连衣裙 --length 60 --count 20 --separator comma \
    --output "$work/deb-titles.txt"
  iconv -f GBK -t UTF-8 "$work/deb-titles.txt" | tr -d '\r' > "$work/deb-titles.utf8"
  [ "$(head -n1 "$work/deb-titles.utf8")" = 商品名称 ] || return 1
  [ "$(wc -l < "$work/deb-titles.utf8")" = 21 ] || return 1
  # Every title: its number, the core word first, at most 60 GBK bytes with
  # the separator that ends it.
  local i=0 line
  while IFS= read -r line; do
    case $line in 标题$i:连衣裙,*,) ;; *) echo "bad title line: $line"; return 1 ;; esac
    [ "$(printf '%s' "${line#标题$i:}" | iconv -f UTF-8 -t GBK | wc -c)" -le 60 ] || { echo "too long: $line"; return 1; }
    i=$((i + 1))
  done < <(tail -n +2 "$work/deb-titles.utf8")
}
check "deb: its wordloom-cli writes 20 titles from the example library" cli_run

dialog_runs() {  # on a display of its own: the window comes up and Esc ends the program
  "$root/usr/bin/wordloom" & local pid=$! id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --pid "$pid" --name '^Wordloom$' 2>/dev/null | head -n1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] && xdotool windowfocus --sync "$id" key Escape
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill "$pid" 2>/dev/null && { echo "no window, or Esc did not end it"; return 1; }
  wait "$pid"
}
export root
check "deb: its dialog program opens its window and ends on Esc" \
  xvfb-run -a -s "-screen 0 800x600x24 -noreset" bash -c "$(declare -f dialog_runs); dialog_runs"

options_named() {  # options_named TEXT_FILE: every long option of --help is in it
  local option missing=0
  for option in $("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" "$1" || { echo "$1 does not name $option"; missing=1; }
  done
  return $missing
}
man_page() {
  MANWIDTH=100 man -l "$root/usr/share/man/man1/wordloom-cli.1.gz" > "$work/wordloom-cli.man" 2>/dev/null
  options_named "$work/wordloom-cli.man"
}
check "deb: the wordloom-cli man page names every option of --help" man_page

# --- the Windows zip ------------------------------------------------------
top=Wordloom-$version
printf '%s\n' "$top/" "$top/README.txt" "$top/Wordloom.exe" "$top/words.txt" "$top/grouped-words.txt" \
  "$top/wordloom-cli.exe" "$top/banned-words.txt" | sort > "$work/zip-files.expected"
unzip -Z1 "$zip" | sort > "$work/zip-files"
check "zip: holds exactly the two programs, the example libraries, the banned-word list and the guide" \
  same "$work/zip-files.expected" "$work/zip-files"

unzip -q "$zip" -d "$work/zip"
win=$work/zip/$top
library_gbk() {
  for name in words.txt grouped-words.txt; do
    iconv -f GBK -t UTF-8 "$win/$name" > "$work/$name.utf8" &&
      iconv -f GBK -t UTF-8 "examples/$name" | cmp - "$work/$name.utf8" &&
      [ "$(grep -c $'\r$' "$win/$name")" = "$(wc -l < "$win/$name")" ] || return 1
  done
}
check "zip: the example libraries are the repository's, in GBK with CR LF" library_gbk

# The list a user copies and edits is the one the programs carry, with CR LF for Notepad.
banned_list() {
  sed 's/\r$//' "$win/banned-words.txt" | cmp - res/banned-words.txt &&
    [ "$(grep -c $'\r$' "$win/banned-words.txt")" = "$(wc -l < "$win/banned-words.txt")" ] &&
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/wordloom/banned-words.txt | cmp - res/banned-words.txt
}
check "zip and deb: the banned-word list is the one the programs carry" banned_list

guide() {
  [ "$(head -c3 "$win/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || { echo "no UTF-8 byte-order mark"; return 1; }
  iconv -f UTF-8 -t UTF-8 "$win/README.txt" >/dev/null || return 1
  [ "$(grep -c $'\r$' "$win/README.txt")" = "$(wc -l < "$win/README.txt")" ] || { echo "lines without CR LF"; return 1; }
  grep -q '词库格式' "$win/README.txt" && options_named "$win/README.txt"
}
check "zip: the guide is UTF-8 with BOM and CR LF, in Chinese, naming every option" guide

# Whether a binary file holds each of the given ASCII strings in UTF-16LE,
# the form of a Windows resource's names and version strings.
holds_utf16() {
  perl -e 'open my $f, "<:raw", shift or exit 2; local $/; my $d = <$f>;
           for (@ARGV) { (my $w = $_) =~ s/(.)/$1\0/g; index($d, $w) >= 0 or exit 1 }' "$@"
}
exe_resources() {
  local record
  record=$(echo "$version.0.0.0" | cut -d. -f1-4 | sed 's/\./, /g')
  holds_utf16 "$win/Wordloom.exe" ProductVersion "$record" || { echo "no version record $record"; return 1; }
  # Resource names are stored upper case.
  holds_utf16 "$win/Wordloom.exe" WXSTD-3.2_ZH_CN || { echo "no Chinese catalog resource"; return 1; }
}
check "zip: Wordloom.exe carries version record $version and the Chinese catalog" exe_resources

# Where the Windows tests run the 64-bit build (scripts/windows-target.sh),
# the zip's 32-bit wordloom-cli.exe cannot run: the 64-bit build of it runs
# in its place, among the zip's files.
# shellcheck source=../scripts/windows-target.sh
source scripts/windows-target.sh
windows_test_target
win_cli=wordloom-cli.exe
if [ "$WINDOWS_TEST_ARCH" = x86_64 ]; then
  export WINDOWS_ARCH=x86_64 WINDOWS_BUILD_DIR=${WINDOWS_BUILD_DIR}64
  BUILD_DIR=$WINDOWS_BUILD_DIR scripts/build-windows.sh >/dev/null
  win_cli=wordloom-cli-x86_64.exe
  cp "$WINDOWS_BUILD_DIR/dist/wordloom-cli.exe" "$win/$win_cli"
fi
# shellcheck source=../scripts/wine-env.sh
source scripts/wine-env.sh
wine_env_init
wine_cli() {
  (cd "$win" && env -u DISPLAY LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wine "$win_cli" --library words.txt \
     --core 连衣裙 --length 60 --count 20 --separator comma --output titles.txt) &&
    cmp "$work/deb-titles.txt" "$win/titles.txt" &&
    [ "$(cd "$win" && env -u DISPLAY wine "$win_cli" --version | tr -d '\r')" = "wordloom-cli $version" ]
}
check "zip: its wordloom-cli.exe ($WINDOWS_TEST_ARCH build) runs under Wine, writing the Linux titles byte for byte" wine_cli
wineserver -k 2>/dev/null || true

ls -l "$deb" "$zip"
echo "packages: $passed passed, $failed failed"
[ "$failed" = 0 ]
