#!/usr/bin/env bash
# Checks the Windows executables without running them: the build's processor
# and PE format, Wordloom.exe a GUI program and wordloom-cli.exe a console
# one, imports from Windows' own DLLs only (nothing of MinGW or wxWidgets
# beside them), and Wordloom.exe's resources: the manifest naming this
# processor in its identity and in the common controls 6 it asks for, the
# version record, the icon and wxWidgets' Chinese catalog.
# Usage: pe-check.sh i686|x86_64 DIST_FOLDER
# Prints PASS/FAIL lines; exits non-zero on any failure.
set -uo pipefail
arch=$1 dist=$2 failed=0
case $arch in
  i686) format=pei-i386 magic=PE32 manifest_arch=x86 ;;
  x86_64) format=pei-x86-64 magic=PE32+ manifest_arch=amd64 ;;
  *) echo "usage: pe-check.sh i686|x86_64 DIST_FOLDER" >&2; exit 2 ;;
esac
objdump=$arch-w64-mingw32-objdump windres=$arch-w64-mingw32-windres
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-pe-XXXXXX")
trap 'rm -rf "$work"' EXIT
# What Windows 7 and later have in their system folder.
system_dlls='(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleacc|oleaut32|shell32|shlwapi|user32|uxtheme|version)\.dll'

check() {  # check DESCRIPTION COMMAND...
  if "${@:2}" > "$work/why" 2>&1; then
    echo "PASS pe [$arch]: $1"
  else
    echo "FAIL pe [$arch]: $1: $(head -c 400 "$work/why" | tr '\n' ' ')"
    failed=1
  fi
}

headers() {  # headers EXE SUBSYSTEM
  "$objdump" -p "$1" > "$work/headers" || return
  grep -q "file format $format\$" "$work/headers" || { grep -m1 'file format' "$work/headers"; return 1; }
  grep -q "^Magic.*($magic)" "$work/headers" || { grep -m1 '^Magic' "$work/headers"; return 1; }
  grep -q "^Subsystem.*($2)" "$work/headers" || { grep -m1 '^Subsystem' "$work/headers"; return 1; }
  local others
  others=$(sed -n 's/^\tDLL Name: //p' "$work/headers" | grep -Eivx "$system_dlls")
  [ -z "$others" ] || { echo "imports from $others"; return 1; }
  sed -n 's/^\tDLL Name: //p' "$work/headers" | grep -qix kernel32.dll || { echo "no import table read"; return 1; }
}
check "wordloom-cli.exe: $magic for $arch, a console program, importing only Windows' DLLs" \
  headers "$dist/wordloom-cli.exe" "Windows CUI"
check "Wordloom.exe: $magic for $arch, a GUI program, importing only Windows' DLLs" \
  headers "$dist/Wordloom.exe" "Windows GUI"

resources() {
  "$windres" -i "$dist/Wordloom.exe" -O rc > "$work/resources.rc" || return
  local want
  # The manifest (type 24), the version record, icon group IDR_MAINFRAME and the catalog.
  for want in '1 24 ' '1 VERSIONINFO' '128 14 ' '"WXSTD-3.2_ZH_CN" "MOFILE"'; do
    grep -q "^$want" "$work/resources.rc" || { echo "no resource $want"; return 1; }
  done
  # The manifest's text lies in the resource section as it is.
  "${objdump%objdump}objcopy" -O binary -j .rsrc "$dist/Wordloom.exe" "$work/rsrc" || return
  grep -ao 'processorArchitecture="[^"]*"' "$work/rsrc" > "$work/archs"
  grep -q 'name="Microsoft.Windows.Common-Controls" version="6\.' "$work/rsrc" || { echo "no common controls 6"; return 1; }
  [ "$(sort -u "$work/archs")" = "processorArchitecture=\"$manifest_arch\"" ] && [ "$(wc -l < "$work/archs")" = 2 ] ||
    { echo "manifest says:" $(cat "$work/archs"); return 1; }
}
check "Wordloom.exe: manifest for $manifest_arch with common controls 6, version record, icon, Chinese catalog" resources
[ "$failed" = 0 ]
