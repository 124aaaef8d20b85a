#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test. Non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DWORDLOOM_BUILD_GUI=ON -DWORDLOOM_BUILD_TESTS=ON
# The dialog tests need a display; Xvfb gives them one.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j2
# The same suite under AddressSanitizer and UBSan, then the fuzz targets.
ASAN_GUI=1 scripts/test-sanitizers.sh
scripts/test-fuzz.sh
# The 32-bit Windows build, tested under Wine.
scripts/test-windows.sh
scripts/test-packages.sh  # the .deb and the Windows zip, built and checked as a user gets them
