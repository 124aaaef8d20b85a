#!/usr/bin/env bash
# A long fuzzing session: every target for FUZZ_SECONDS (default 1200, one
# target after the other, at low priority), keeping new inputs in
# build-fuzz/found/<target> so that the next session starts from them.
#
#   scripts/fuzz-long.sh            # 20 minutes per target
#   FUZZ_SECONDS=3600 scripts/fuzz-long.sh
#   FUZZ_RUNS=10000000 scripts/fuzz-long.sh   # a number of executions instead
#
# An input worth keeping for everyone can be copied into fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
export FUZZ_SECONDS=${FUZZ_SECONDS:-1200}
export FUZZ_FOUND=${FUZZ_FOUND:-$PWD/build-fuzz/found}
exec nice -n 10 scripts/test-fuzz.sh
