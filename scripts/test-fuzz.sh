#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and UBSan in build-fuzz/,
# replays each target's seed corpus (fuzz/corpus/<target>), then fuzzes each
# target for FUZZ_SECONDS (default 60). Any crash, sanitizer report, leak or
# timeout fails the script; the input that caused it is saved as
# build-fuzz/crash-<target>-* and can be replayed with `<binary> <file>`.
#
#   FUZZ_SECONDS   time per target in seconds (default 60)
#   FUZZ_RUNS      executions per target instead of a time
#   FUZZ_FOUND     folder that keeps new inputs between runs
#                  (default: a fresh temporary folder, removed afterwards)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh fuzz

BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-60}
TARGETS=(titles encoding formula)

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$BUILD_DIR" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF -DWORDLOOM_BUILD_FUZZ=ON >/dev/null
cmake --build "$BUILD_DIR" -j2 --target "${TARGETS[@]/#/fuzz_}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for t in "${TARGETS[@]}"; do
  bin=$BUILD_DIR/fuzz/fuzz_$t
  found=${FUZZ_FOUND:+$FUZZ_FOUND/$t}
  found=${found:-$scratch/$t}
  mkdir -p "$found"
  log=$BUILD_DIR/fuzz-$t.log
  limit=(-max_total_time="$SECONDS_EACH")
  [ -z "${FUZZ_RUNS:-}" ] || limit=(-runs="$FUZZ_RUNS")
  echo "== fuzz_$t: seed corpus, then ${limit[*]}"
  if ! "$bin" -runs=0 "fuzz/corpus/$t" >"$log" 2>&1 ||
     ! "$bin" "${limit[@]}" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
         -artifact_prefix="$BUILD_DIR/crash-$t-" "$found" "fuzz/corpus/$t" >>"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$t FAILED (full log: $log)" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" | sed 's/^/   /'
  grep -E '^Done [0-9]+ runs' "$log" | tail -n 1 | sed 's/^/   /'
done
echo "fuzz: all targets passed"
