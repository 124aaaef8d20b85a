#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test. Non-zero on any
# failure. Ends with each stage's wall time, the failed one included.
set -euo pipefail
cd "$(dirname "$0")/.."

# stage NAME COMMAND...: runs one stage and notes its wall time.
stage_times=()
stage_name=""
stage() {
  stage_name=$1
  stage_start=$SECONDS
  shift
  "$@"
  stage_times+=("$(printf '%-36s %5d s' "$stage_name" $((SECONDS - stage_start)))")
  stage_name=""
}
stage_summary() {
  echo "== stage times (wall) =="
  [ ${#stage_times[@]} = 0 ] || printf '  %s\n' "${stage_times[@]}"
  [ -z "$stage_name" ] || printf '  %-36s %5d s  FAILED\n' "$stage_name" $((SECONDS - stage_start))
  printf '  %-36s %5d s\n' "total" "$SECONDS"
}
trap stage_summary EXIT

ctest_on_xvfb() {
  # The dialog tests need a display; Xvfb gives them one.
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir build --output-on-failure -j2
}

stage "dependencies" scripts/deps.sh fuzz readers
stage "build" scripts/build.sh -DWORDLOOM_BUILD_GUI=ON -DWORDLOOM_BUILD_TESTS=ON
stage "tests" ctest_on_xvfb
# The same suite under AddressSanitizer and UBSan, then the fuzz targets.
stage "sanitizers" env ASAN_GUI=1 scripts/test-sanitizers.sh
stage "fuzzing" scripts/test-fuzz.sh
# The Windows build, tested under Wine: the 32-bit one, or where this machine
# cannot run 32-bit programs (or WORDLOOM_WIN64=1), the 64-bit one, with the
# 32-bit executables checked without running them.
stage "Windows toolchain and wxWidgets" scripts/windows-deps.sh
stage "Windows tests" scripts/test-windows.sh
stage "packages" scripts/test-packages.sh  # the .deb and the Windows zip, as a user gets them
