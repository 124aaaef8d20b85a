#!/usr/bin/env bash
# Two builds of wordloom-cli on the benchmark's workloads, paired: each run
# of the old one is followed by the same run of the new one, so that both
# meet the same machine. Prints, for each workload, the median of the
# run-by-run ratios new / old of the CPU time and of the wall time.
#
#   bench/compare.sh OLD/cli/wordloom-cli NEW/cli/wordloom-cli
#   BENCH_RUNS=11 bench/compare.sh ...     more runs (default 7)
#   BENCH_ONLY='^W1' bench/compare.sh ...  only the workloads whose name matches
#
# The libraries are bench/run.sh's, made the same way when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
OLD=$(realpath "$1")
NEW=$(realpath "$2")
RUNS=${BENCH_RUNS:-7}
BUILD=${BENCH_BUILD_DIR:-$PWD/build-bench}
WORK=${BENCH_WORK_DIR:-$BUILD/bench-work}
SEED=20261206
mkdir -p "$WORK"
c++ -O2 -std=c++17 -o "$BUILD/bench-make-library" bench/make_library.cpp
c++ -O2 -std=c++17 -o "$BUILD/bench-measure" bench/measure.cpp
MEASURE=$BUILD/bench-measure
DICT=$(dpkg -L python3-jieba | grep '/dict.txt$' | head -n1)
L5=$WORK/lib5k-$SEED.txt L5R=$WORK/lib5k-real-$SEED.txt L2M=$WORK/lib2m-$SEED.txt L2MU=$WORK/lib2m-utf8-$SEED.txt
[ -s "$L5" ] || "$BUILD/bench-make-library" 5000 "$SEED" "$L5"
[ -s "$L5R" ] || "$BUILD/bench-make-library" 5000 "$SEED" "$L5R" jieba "$DICT"
[ -s "$L2M" ] || "$BUILD/bench-make-library" 2000000 "$SEED" "$L2M"
[ -s "$L2MU" ] || "$BUILD/bench-make-library" 2000000 "$SEED" "$L2MU" utf8

W1=(-c 连衣裙 -n 60 -N 1000000 -s comma)
WORKLOADS=(
  "W1|-l $L5 ${W1[*]} -o $WORK/out.txt"
  "W1 titles only|-l $L5 ${W1[*]} -o /dev/null"
  "W1-real|-l $L5R ${W1[*]} -o $WORK/out.txt"
  "W1-real titles only|-l $L5R ${W1[*]} -o /dev/null"
  "W2|-l $L2M -c 连衣裙 -n 60 -N 1 -s comma -o /dev/null"
  "W2-UTF8|-l $L2MU -c 连衣裙 -n 60 -N 1 -s comma -o /dev/null"
  "W3|-l $L5 -c 连衣裙 -n 1000000000 -N 1 -s comma -o /dev/null"
  "C2 --check|--check -l $L2M -c 连衣裙 -n 60 -s comma"
  "--report|-l $L5R ${W1[*]} -o $WORK/out.txt --report"
  "--no-repeat|-l $L5R ${W1[*]} -o $WORK/out.txt --no-repeat"
  "--unique|-l $L5R ${W1[*]} -o $WORK/out.txt --unique"
  "--fill|-l $L5R ${W1[*]} -o $WORK/out.txt --fill"
  "--avoid-banned|-l $L5R ${W1[*]} -o $WORK/out.txt --avoid-banned"
  "all four rules|-l $L5R ${W1[*]} -o $WORK/out.txt --no-repeat --unique --fill --avoid-banned"
  "U7 --unique 10^7|-l $L5R -c 连衣裙 -n 60 -N 10000000 -s comma -o /dev/null --unique"
)

middle() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf '%-22s %10s %10s %10s %10s\n' workload "old CPU" "new CPU" "CPU ratio" "wall ratio"
for w in "${WORKLOADS[@]}"; do
  name=${w%%|*}
  [[ -n ${BENCH_ONLY:-} && ! $name =~ $BENCH_ONLY ]] && continue
  read -r -a args <<< "${w#*|}"
  raw=$(mktemp)
  for _ in $(seq "$RUNS"); do
    for cli in "$OLD" "$NEW"; do
      rm -f "$WORK/out.txt"
      sync
      # --check finds something in these libraries and exits with 1.
      "$MEASURE" -o /dev/null "$cli" "${args[@]}" 2>/dev/null | awk -v c="$cli" '{ print c, $1, $4, $3 }' >> "$raw"
    done
  done
  awk -v o="$OLD" '$1 == o && $4 > 1 { bad = 1 } END { exit bad }' "$raw" || { echo "$name: the old build failed" >&2; exit 1; }
  awk -v n="$NEW" '$1 == n && $4 > 1 { bad = 1 } END { exit bad }' "$raw" || { echo "$name: the new build failed" >&2; exit 1; }
  oldcpu=$(awk -v c="$OLD" '$1 == c { print $3 }' "$raw" | middle)
  newcpu=$(awk -v c="$NEW" '$1 == c { print $3 }' "$raw" | middle)
  cpuratio=$(awk -v o="$OLD" -v n="$NEW" '$1 == o { a[++i] = $3 } $1 == n { b[++j] = $3 } END { for (k = 1; k <= i; ++k) print (a[k] > 0 ? b[k] / a[k] : 1) }' "$raw" | middle)
  wallratio=$(awk -v o="$OLD" -v n="$NEW" '$1 == o { a[++i] = $2 } $1 == n { b[++j] = $2 } END { for (k = 1; k <= i; ++k) print b[k] / a[k] }' "$raw" | middle)
  printf '%-22s %10.3f %10.3f %10.3f %10.3f\n' "$name" "$oldcpu" "$newcpu" "$cpuratio" "$wallratio"
  rm -f "$raw"
done
