#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehavior-
# Sanitizer in build-asan/ and runs it through CTest. Any sanitizer report
# aborts the test that caused it, so the run fails.
#
#   ASAN_GUI=1   also build and run the dialog tests (under Xvfb); leak
#                reports from the GUI toolkit's own start-up are filtered by
#                scripts/lsan-gui.supp
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh readers

BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
GUI=OFF
[ "${ASAN_GUI:-0}" = 1 ] && GUI=ON

flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DWORDLOOM_BUILD_GUI=$GUI -DWORDLOOM_BUILD_TESTS=ON -DWORDLOOM_BUILD_FUZZ=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ "$GUI" = ON ]; then
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-gui.supp:print_suppressions=0
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
else
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
fi
