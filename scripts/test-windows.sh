#!/usr/bin/env bash
# The Windows tests: installs the toolchain and Wine (once), builds the cached
# wxWidgets when it is missing, cross-builds Wordloom.exe and
# wordloom-cli.exe, then runs them under Wine:
#  - wordloom-cli.exe against the Linux wordloom-cli over a dozen cases, each
#    taking a path of its own through the Windows build, with code page 936
#    and with code page 1252: exit status, standard output and files byte for
#    byte, and with code page 936 the messages too;
#  - Wordloom.exe on Xvfb: its window, the system menu's About box, a whole
#    generate command by keyboard (Enter in the count field) against the Linux
#    CLI, and Alt+F4 ending it.
# Exits non-zero on any failure; the last line is "N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${WINDOWS_BUILD_DIR:-build-win}
mkdir -p "$BUILD_DIR"
export WINDOWS_BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

scripts/windows-deps.sh > /dev/null
scripts/build-windows.sh > /dev/null
dist=$WINDOWS_BUILD_DIR/dist

# The Linux command line to compare with, built in a folder of our own so it
# matches these sources whatever state build/ is in.
cmake -S . -B "$WINDOWS_BUILD_DIR/linux" -DCMAKE_BUILD_TYPE=Release \
  -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF -DWORDLOOM_BUILD_FUZZ=OFF > /dev/null
cmake --build "$WINDOWS_BUILD_DIR/linux" --target wordloom-cli -j"${WORDLOOM_JOBS:-2}" > /dev/null
linux_cli=$WINDOWS_BUILD_DIR/linux/cli/wordloom-cli

# shellcheck source=../scripts/wine-env.sh
source scripts/wine-env.sh
wine_env_init
wineserver -p  # one server for all the runs below: each start is then quick
trap 'wineserver -k 2>/dev/null || true' EXIT
# A first run brings up Wine's services before anything is measured.
env -u DISPLAY wine cmd /c exit > /dev/null 2>&1 || true

log=$WINDOWS_BUILD_DIR/test-windows.log
: > "$log"
status=0
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
echo "windows: $passed passed, $failed failed"
[ "$status" = 0 ] && [ "$failed" = 0 ] && [ "$passed" -gt 0 ]
