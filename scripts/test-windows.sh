#!/usr/bin/env bash
# The Windows tests: installs the toolchain and Wine (once), builds the cached
# wxWidgets when it is missing, cross-builds Wordloom.exe and
# wordloom-cli.exe, checks their headers and resources, then runs them under
# Wine. Where this machine cannot run 32-bit programs (or WORDLOOM_WIN64=1
# says so), the runs are those of the 64-bit build of the same sources, under
# 64-bit Wine:
#  - wordloom-cli.exe against the Linux wordloom-cli over a dozen cases, each
#    taking a path of its own through the Windows build, with code page 936
#    and with code page 1252: exit status, standard output and files byte for
#    byte, and with code page 936 the messages too;
#  - Wordloom.exe on Xvfb: its window, the system menu's About box, a whole
#    generate command by keyboard (Enter in the count field) against the Linux
#    CLI, a title formula built in its window and followed by the next run,
#    and Alt+F4 ending it.
# Exits non-zero on any failure; the line before the last says which build
# was run and why, the last is "N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../scripts/windows-target.sh
source scripts/windows-target.sh
windows_test_target
mkdir -p "${WINDOWS_BUILD_DIR:-build-win}"
win32_dir=$(cd "${WINDOWS_BUILD_DIR:-build-win}" && pwd)

scripts/windows-deps.sh > /dev/null
BUILD_DIR=$win32_dir WINDOWS_ARCH=i686 scripts/build-windows.sh > /dev/null
log=$win32_dir/test-windows.log
: > "$log"
status=0
tests/windows/pe-check.sh i686 "$win32_dir/dist" 2>&1 | tee -a "$log" || status=1
export WINDOWS_ARCH=$WINDOWS_TEST_ARCH WINDOWS_BUILD_DIR=$win32_dir
if [ "$WINDOWS_ARCH" = x86_64 ]; then
  WINDOWS_BUILD_DIR=${win32_dir}64
  BUILD_DIR=$WINDOWS_BUILD_DIR scripts/build-windows.sh > /dev/null
  tests/windows/pe-check.sh x86_64 "$WINDOWS_BUILD_DIR/dist" 2>&1 | tee -a "$log" || status=1
fi
dist=$WINDOWS_BUILD_DIR/dist

# The Linux command line to compare with, built in a folder of our own so it
# matches these sources whatever state build/ is in.
cmake -S . -B "$win32_dir/linux" -DCMAKE_BUILD_TYPE=Release \
  -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF -DWORDLOOM_BUILD_FUZZ=OFF > /dev/null
cmake --build "$win32_dir/linux" --target wordloom-cli -j"${WORDLOOM_JOBS:-2}" > /dev/null
linux_cli=$win32_dir/linux/cli/wordloom-cli

# shellcheck source=../scripts/wine-env.sh
source scripts/wine-env.sh
wine_env_init
wineserver -p  # one server for all the runs below: each start is then quick
trap 'wineserver -k 2>/dev/null || true' EXIT
# A first run brings up Wine's services before anything is measured.
env -u DISPLAY wine cmd /c exit > /dev/null 2>&1 || true

for locale in zh_CN.UTF-8 C.UTF-8; do
  env -u DISPLAY tests/windows/cli-e2e.sh "$linux_cli" "$dist/wordloom-cli.exe" "$locale" 2>&1 | tee -a "$log" || status=1
done
# Wine's desktop process stays with the server that started it; the dialog
# needs one started on its own X display, so the console runs' server goes.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
if [ -f "$dist/Wordloom.exe" ]; then
  tests/windows/gui-smoke.sh "$dist/Wordloom.exe" "$linux_cli" 2>&1 | tee -a "$log" || status=1
else
  echo "FAIL Wordloom.exe was not built" | tee -a "$log"
  status=1
fi

passed=$(grep -c '^PASS ' "$log" || true)
failed=$(grep -c '^FAIL ' "$log" || true)
ls -l "$dist"
if [ "$WINDOWS_ARCH" = x86_64 ]; then
  echo "windows: $WINDOWS_TEST_WHY; tested the 64-bit build under 64-bit Wine, checked the 32-bit build's headers and resources"
else
  echo "windows: $WINDOWS_TEST_WHY; tested the 32-bit build under Wine"
fi
echo "windows: $passed passed, $failed failed"
[ "$status" = 0 ] && [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
