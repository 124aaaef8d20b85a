#!/usr/bin/env bash
# The generation benchmark: builds the Release wordloom-cli, makes the word
# libraries from a fixed seed, runs every workload several times next to its
# reference (measured in the same run, in the same folder) and prints a table
# of medians. The table, the raw timings and a plot of the scaling run go to
# bench/results/.
#
#   bench/run.sh                 all workloads, 5 runs each
#   BENCH_RUNS=9 bench/run.sh    more runs
#
# Timing is not a test: nothing here fails on a slow machine. A busy machine
# (other builds) shows in the figures; the load average is printed with them.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${BENCH_RUNS:-5}
BUILD=${BENCH_BUILD_DIR:-$ROOT/build-bench}
WORK=${BENCH_WORK_DIR:-$BUILD/bench-work}
RESULTS=${BENCH_RESULTS_DIR:-$ROOT/bench/results}
SEED=20261206
JOBS=$(( $(nproc) < 2 ? $(nproc) : 2 ))

scripts/deps.sh bench
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target wordloom-cli >/dev/null
mkdir -p "$WORK" "$RESULTS"
c++ -O2 -std=c++17 -o "$BUILD/bench-make-library" bench/make_library.cpp
c++ -O2 -std=c++17 -o "$BUILD/bench-measure" bench/measure.cpp
CLI=$BUILD/cli/wordloom-cli
MEASURE=$BUILD/bench-measure
CORE=连衣裙

DICT=$(dpkg -L python3-jieba | grep '/dict.txt$' | head -n1)

echo "Making the libraries (seed $SEED) in $WORK ..."
[ -s "$WORK/lib5k-$SEED.txt" ] || "$BUILD/bench-make-library" 5000 "$SEED" "$WORK/lib5k-$SEED.txt"
[ -s "$WORK/lib5k-real-$SEED.txt" ] || "$BUILD/bench-make-library" 5000 "$SEED" "$WORK/lib5k-real-$SEED.txt" jieba "$DICT"
[ -s "$WORK/lib2m-$SEED.txt" ] || "$BUILD/bench-make-library" 2000000 "$SEED" "$WORK/lib2m-$SEED.txt"
[ -s "$WORK/lib2m-utf8-$SEED.txt" ] || "$BUILD/bench-make-library" 2000000 "$SEED" "$WORK/lib2m-utf8-$SEED.txt" utf8
# W1-real's words in five groups of 1,000, for the formula run.
awk 'NR % 1000 == 1 { printf "[g%d]\n", int(NR / 1000) + 1 } { print }' "$WORK/lib5k-real-$SEED.txt" > "$WORK/lib5k-grouped-$SEED.txt"
FORMULA='g1+@+g2:2+g3:1-2+g4+g5:*'

RAW=$RESULTS/raw.txt
: > "$RAW"

# measure NAME [-o FILE] COMMAND...: one run, appended to the raw file.
measure() {
  local name=$1; shift
  local line
  line=$("$MEASURE" "$@")
  set -- $line
  # A library check that finds something exits with 1 (OK_STATUS=1).
  if [ "$3" != 0 ] && [ "$3" != "${OK_STATUS:-0}" ]; then
    echo "bench: $name exited with $3" >&2
    exit 1
  fi
  echo "$name $1 $2 $4" >> "$RAW"
}

# Dirty pages of the last run are written out first, so that no run pays
# for the one before it.
settle() { rm -f "$WORK/out.txt" "$WORK/dd.out" "$WORK/dd.tmp"; sync; }

# The middle of the numbers on standard input.
middle() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
median() { # NAME COLUMN(2 time, 3 KiB, 4 CPU time)
  awk -v n="$1" -v c="$2" '$1 == n { print $c }' "$RAW" | middle
}
maxof() { awk -v n="$1" -v c="$2" '$1 == n && $c > m { m = $c } END { print m + 0 }' "$RAW"; }
# The median of run-by-run ratios of NAME's wall time to REFERENCE's, each
# run paired with the reference measured right after it.
paired() { # NAME REFERENCE
  awk -v a="$1" -v b="$2" '$1 == a { x[++i] = $2 } $1 == b { y[++j] = $2 } END { for (k = 1; k <= i && k <= j; ++k) print x[k] / y[k] }' "$RAW" | middle
}

# run_w1 NAME LIBRARY COUNT RUNS [only]: the CLI writing a new file, then dd
# writing as many bytes into a new file; with "only", also the same titles
# made only (to /dev/null), then dd again.
run_w1() {
  local name=$1 lib=$2 count=$3 runs=$4 only=${5:-}
  for _ in $(seq "$runs"); do
    settle
    measure "$name" "$CLI" -l "$lib" -c "$CORE" -n 60 -N "$count" -s comma -o "$WORK/out.txt"
    local bytes
    bytes=$(stat -c %s "$WORK/out.txt")
    echo "$name.bytes $bytes 0 0" >> "$RAW"
    settle
    measure "$name.dd" dd if=/dev/zero of="$WORK/dd.out" bs=1M count="$bytes" iflag=count_bytes status=none
    [ -n "$only" ] || continue
    settle
    measure "$name.only" "$CLI" -l "$lib" -c "$CORE" -n 60 -N "$count" -s comma -o /dev/null
    settle
    measure "$name.only.dd" dd if=/dev/zero of="$WORK/dd.out" bs=1M count="$bytes" iflag=count_bytes status=none
  done
  settle
}

# Replacing an existing file: the CLI over it, against dd into a temporary
# file and mv over the target.
run_replace() { # NAME LIBRARY RUNS
  local name=$1 lib=$2 runs=$3
  for _ in $(seq "$runs"); do
    settle
    "$CLI" -l "$lib" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt" >/dev/null
    sync
    measure "$name" "$CLI" -l "$lib" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt"
    local bytes
    bytes=$(stat -c %s "$WORK/out.txt")
    echo "$name.bytes $bytes 0 0" >> "$RAW"
    sync
    measure "$name.dd" sh -c 'dd if=/dev/zero of="$1" bs=1M count="$2" iflag=count_bytes status=none && mv "$1" "$3"' \
      sh "$WORK/dd.tmp" "$bytes" "$WORK/out.txt"
  done
  settle
}

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Running W1 and W1-real ..."
run_w1 W1 "$WORK/lib5k-$SEED.txt" 1000000 "$RUNS" only
run_w1 W1r "$WORK/lib5k-real-$SEED.txt" 1000000 "$RUNS" only
echo "Running the replacement of an existing file ..."
run_replace R "$WORK/lib5k-real-$SEED.txt" "$RUNS"
echo "Running W2 ..."
for _ in $(seq "$RUNS"); do
  measure W2 "$CLI" -l "$WORK/lib2m-$SEED.txt" -c "$CORE" -n 60 -N 1 -s comma -o "$WORK/out.txt"
  measure W2.wc -o /dev/null wc -l "$WORK/lib2m-$SEED.txt"
  measure W2u "$CLI" -l "$WORK/lib2m-utf8-$SEED.txt" -c "$CORE" -n 60 -N 1 -s comma -o "$WORK/out.txt"
  measure W2u.wc -o /dev/null wc -l "$WORK/lib2m-utf8-$SEED.txt"
done
echo "Running the library check of the W2 library ..."
for _ in $(seq "$RUNS"); do
  OK_STATUS=1 measure C2 -o /dev/null "$CLI" --check -l "$WORK/lib2m-$SEED.txt" -c "$CORE" -n 60 -s comma
  measure C2.load "$CLI" -l "$WORK/lib2m-$SEED.txt" -c "$CORE" -n 60 -N 1 -s comma -o /dev/null
done
# The rules and the report on W1-real, each run paired with the default run
# measured right before it.
RULES=(report:--report no-repeat:--no-repeat unique:--unique fill:--fill avoid-banned:--avoid-banned
       all:"--no-repeat --unique --fill --avoid-banned")
# The formula run reads the grouped library instead: the same words.
rule_library() { if [ "$1" = formula ]; then echo "$WORK/lib5k-grouped-$SEED.txt"; else echo "$WORK/lib5k-real-$SEED.txt"; fi; }
rule_args() { if [ "$1" = formula ]; then echo "--formula $FORMULA"; else echo "${1#*:}"; fi; }
echo "Running W1-real with the rules ..."
for _ in $(seq "$RUNS"); do
  for rule in "${RULES[@]}" formula; do
    settle
    measure "L.${rule%%:*}.plain" "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt"
    settle
    # shellcheck disable=SC2046  # the rule's options are separate words
    measure "L.${rule%%:*}" "$CLI" -l "$(rule_library "$rule")" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt" $(rule_args "$rule")
  done
done
settle
echo "Running the other formats ..."
for _ in $(seq "$RUNS"); do
  for format in list csv; do
    settle
    measure "F.$format.txt" "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt"
    settle
    measure "F.$format" "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.txt" --format "$format"
  done
  settle
  measure F.xlsx "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 1000000 -s comma -o "$WORK/out.xlsx" --format xlsx
  rm -f "$WORK/out.xlsx"
done
echo "Running --unique at 10,000,000 titles ..."
for _ in $(seq "$RUNS"); do
  measure U7.plain "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 10000000 -s comma -o /dev/null
  measure U7 "$CLI" -l "$WORK/lib5k-real-$SEED.txt" -c "$CORE" -n 60 -N 10000000 -s comma -o /dev/null --unique
done
echo "Running W3 ..."
for _ in $(seq "$RUNS"); do
  measure W3 "$CLI" -l "$WORK/lib5k-$SEED.txt" -c "$CORE" -n 1000000000 -N 1 -s comma -o /dev/null
done
echo "Running the scaling series ..."
for n in 1 10000 100000 1000000 10000000; do
  run_w1 "S$n" "$WORK/lib5k-$SEED.txt" "$n" "$RUNS"
done
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- the table ----
lib2m=$(stat -c %s "$WORK/lib2m-$SEED.txt")
lib2mu=$(stat -c %s "$WORK/lib2m-utf8-$SEED.txt")
entries=2000000
w2budget=$(( (lib2m + 12 * entries) / 1024 + 8192 ))
w2ubudget=$(( (lib2mu + 12 * entries) / 1024 + 8192 ))
TABLE=$RESULTS/results.md
TARGETS=$RESULTS/targets.txt
: > "$TARGETS"
# target TEXT VALUE LIMIT: one line of the targets list, met when VALUE <= LIMIT.
target() {
  awk -v t="$1" -v v="$2" -v l="$3" 'BEGIN { printf "- %s: %s (%s)\n", t, (v + 0 <= l + 0) ? "met" : "not met", (v ~ /^[0-9.]+$/) ? sprintf("%.2f", v) : v }' >> "$TARGETS"
}
# w1row NAME TEXT REFERENCE-TEXT: a W1-type row; the ratio is the median of the paired runs' ratios.
w1row() {
  awk -v text="$2" -v ref="$3" -v t="$(median "$1" 2)" -v r="$(median "$1.dd" 2)" -v q="$(paired "$1" "$1.dd")" -v m="$(maxof "$1" 3)" \
    -v b="$(median "${1%.only}.bytes" 2)" -v c="$(median "$1" 4)" -v rc="$(median "$1.dd" 4)" 'BEGIN {
    printf "| %s (%.1f MB) | %.3f | %.1f MB | %.0f MB/s | %s | %.3f | %.2f | %.3f, %.3f |\n", text, b / 1e6, t, m / 1024, b / 1e6 / t, ref, r, q, c, rc }'
}
{
  echo "Wordloom generation benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load average $LOAD_BEFORE before, $LOAD_AFTER after; $RUNS runs each, medians."
  echo "CPU is user plus system time: on a machine busy with other work the wall times wander, the CPU times much less."
  echo "W1 ratios are medians of run-by-run ratios, each run paired with its reference measured right after it."
  echo
  echo "| workload | wall (s) | peak memory | throughput | reference | reference wall (s) | ratio | CPU (s), reference CPU (s) |"
  echo "|---|---|---|---|---|---|---|---|"
  w1row W1 "W1: 5,000 entries, length 60, 1,000,000 titles into a new file" "dd, same bytes, new file"
  w1row W1.only "W1, titles only (-o /dev/null)" "dd, same bytes, new file"
  w1row W1r "W1-real: 5,000 jieba words, the same run into a new file" "dd, same bytes, new file"
  w1row W1r.only "W1-real, titles only (-o /dev/null)" "dd, same bytes, new file"
  w1row R "W1-real replacing an existing file" "dd to a temporary file, mv over it"
  awk -v t="$(median W2 2)" -v r="$(median W2.wc 2)" -v m="$(maxof W2 3)" -v s="$lib2m" -v budget="$w2budget" -v c="$(median W2 4)" -v rc="$(median W2.wc 4)" 'BEGIN {
    printf "| W2: 2,000,000 entries (%.1f MB GBK), 1 title | %.3f | %.1f MB (budget %.1f MB: %s) | %.0f MB/s | wc -l, same file | %.3f | %.2f | %.3f, %.3f |\n",
      s / 1e6, t, m / 1024, budget / 1024, (m <= budget) ? "met" : "not met", s / 1e6 / t, r, t / r, c, rc }'
  awk -v t="$(median W2u 2)" -v r="$(median W2u.wc 2)" -v m="$(maxof W2u 3)" -v s="$lib2mu" -v budget="$w2ubudget" -v c="$(median W2u 4)" -v rc="$(median W2u.wc 4)" 'BEGIN {
    printf "| W2-UTF8: the same library as UTF-8 (%.1f MB), 1 title | %.3f | %.1f MB (budget %.1f MB: %s) | %.0f MB/s | wc -l, same file | %.3f | %.2f | %.3f, %.3f |\n",
      s / 1e6, t, m / 1024, budget / 1024, (m <= budget) ? "met" : "not met", s / 1e6 / t, r, t / r, c, rc }'
  awk -v t="$(median W3 2)" -v m="$(maxof W3 3)" -v c="$(median W3 4)" 'BEGIN {
    printf "| W3: W1 library, length 1,000,000,000, 1 title to /dev/null | %.3f | %.1f MB | %.0f MB/s | none | | | %.3f |\n",
      t, m / 1024, 1000 / t, c }'
  awk -v t="$(median C2 2)" -v r="$(median C2.load 2)" -v m="$(maxof C2 3)" -v c="$(median C2 4)" -v rc="$(median C2.load 4)" -v s="$lib2m" 'BEGIN {
    printf "| C2: --check of the W2 library (%.1f MB GBK) | %.3f | %.1f MB | %.0f MB/s | W2: the same library loaded, 1 title | %.3f | %.2f | %.3f, %.3f |\n",
      s / 1e6, t, m / 1024, s / 1e6 / t, r, t / r, c, rc }'
  for rule in "${RULES[@]}" "formula:--formula $FORMULA (five groups of its words)"; do
    name=${rule%%:*}
    awk -v text="W1-real with ${rule#*:}" -v t="$(median "L.$name" 2)" -v r="$(median "L.$name.plain" 2)" -v q="$(paired "L.$name" "L.$name.plain")" \
      -v m="$(maxof "L.$name" 3)" -v c="$(median "L.$name" 4)" -v rc="$(median "L.$name.plain" 4)" 'BEGIN {
      printf "| %s, 1,000,000 titles into a new file | %.3f | %.1f MB | | W1-real without it | %.3f | %.2f | %.3f, %.3f |\n", text, t, m / 1024, r, q, c, rc }'
  done
  for format in list csv; do
    awk -v f="$format" -v t="$(median "F.$format" 2)" -v r="$(median "F.$format.txt" 2)" -v q="$(paired "F.$format" "F.$format.txt")" \
      -v m="$(maxof "F.$format" 3)" -v c="$(median "F.$format" 4)" -v rc="$(median "F.$format.txt" 4)" 'BEGIN {
      printf "| W1-real as --format %s, 1,000,000 titles into a new file | %.3f | %.1f MB | | W1-real as the title file | %.3f | %.2f | %.3f, %.3f |\n", f, t, m / 1024, r, q, c, rc }'
  done
  awk -v t="$(median F.xlsx 2)" -v m="$(maxof F.xlsx 3)" -v c="$(median F.xlsx 4)" 'BEGIN {
    printf "| W1-real as --format xlsx, 1,000,000 titles into a new file | %.3f | %.1f MB | | none | | | %.3f |\n", t, m / 1024, c }'
  awk -v t="$(median U7 2)" -v r="$(median U7.plain 2)" -v m="$(maxof U7 3)" -v p="$(maxof U7.plain 3)" -v c="$(median U7 4)" -v rc="$(median U7.plain 4)" 'BEGIN {
    printf "| U7: W1-real with --unique, 10,000,000 titles to /dev/null | %.3f | %.1f MB (%.1f bytes a title over the run without it) | | the same without --unique | %.3f | %.2f | %.3f, %.3f |\n",
      t, m / 1024, (m - p) * 1024 / 1e7, r, t / r, c, rc }'
  echo
  echo "Scaling (W1 at growing counts):"
  echo
  echo "Per title: the whole run's wall time over the titles; net: after taking off a 1-title run's"
  echo "wall time (process start, library, file creation), the part that grows with the count."
  echo
  echo "| titles | wall (s) | per title (ns) | per title, net (ns) | peak memory | dd, same bytes (s) | ratio |"
  echo "|---|---|---|---|---|---|---|"
} > "$TABLE"
base=$(median S1 2)
: > "$RESULTS/scaling.dat"
for n in 10000 100000 1000000 10000000; do
  t=$(median "S$n" 2); r=$(median "S$n.dd" 2); m=$(maxof "S$n" 3)
  awk -v n="$n" -v t="$t" -v r="$r" -v m="$m" -v b="$base" 'BEGIN {
    printf "| %d | %.3f | %.1f | %.1f | %.1f MB | %.3f | %.2f |\n", n, t, t / n * 1e9, (t - b) / (n - 1) * 1e9, m / 1024, r, t / r }' >> "$TABLE"
  awk -v n="$n" -v t="$t" -v m="$m" -v b="$base" -v r="$r" 'BEGIN { printf "%d %.3f %.3f %.2f %.3f\n", n, t / n * 1e9, (t - b) / (n - 1) * 1e9, m / 1024, r / n * 1e9 }' >> "$RESULTS/scaling.dat"
done
awk -v b="$base" 'NR >= 2 {
    if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2
    if (nmin == "" || $3 < nmin) nmin = $3; if ($3 > nmax) nmax = $3
    if (mmin == "" || $4 < mmin) mmin = $4; if ($4 > mmax) mmax = $4 }
  END {
    printf "\nA 1-title run takes %.1f ms. From 10^5 to 10^7 titles the time per title varies by %.0f%%, net of that run by %.0f%%; peak memory %.1f to %.1f MB.\n",
      b * 1000, (max / min - 1) * 100, (nmax / nmin - 1) * 100, mmin, mmax }' "$RESULTS/scaling.dat" >> "$TABLE"

# The guards the project keeps, each with a margin over the medians it was
# set at: a change that breaks one has made the program slower for real.
target "W1 into a new file <= 3x dd" "$(paired W1 W1.dd)" 3
target "W1-real into a new file <= 3x dd" "$(paired W1r W1r.dd)" 3
target "W1 titles only <= 2x dd" "$(paired W1.only W1.only.dd)" 2
target "W1-real titles only <= 2x dd" "$(paired W1r.only W1r.only.dd)" 2
target "W2 <= 5x wc -l" "$(awk -v t="$(median W2 2)" -v r="$(median W2.wc 2)" 'BEGIN { printf "%.2f", t / r }')" 5
target "W2-UTF8 <= 20x wc -l" "$(awk -v t="$(median W2u 2)" -v r="$(median W2u.wc 2)" 'BEGIN { printf "%.2f", t / r }')" 20
target "W1-real with all four rules <= 5.5x the default run" "$(paired L.all L.all.plain)" 5.5
target "W1-real with --report <= 13x the default run" "$(paired L.report L.report.plain)" 13
target "W1-real's words under a formula <= 3x the default run" "$(paired L.formula L.formula.plain)" 3
target "W1-real as a list <= 1.5x the title file" "$(paired F.list F.list.txt)" 1.5
target "W1-real as a csv <= 1.5x the title file" "$(paired F.csv F.csv.txt)" 1.5
target "W1-real as a workbook under 10 s" "$(median F.xlsx 2)" 10
target "W1-real as a workbook under 100 MB" "$(maxof F.xlsx 3 | awk '{ printf "%.1f MB", $1 / 1024 }')" 99.999
target "C2: --check of 2,000,000 entries <= 12x their load" \
  "$(awk -v t="$(median C2 2)" -v r="$(median C2.load 2)" 'BEGIN { printf "%.2f", t / r }')" 12
target "--unique at 10^7 titles keeps <= 16 bytes a title" \
  "$(awk -v m="$(maxof U7 3)" -v p="$(maxof U7.plain 3)" 'BEGIN { printf "%.1f", (m - p) * 1024 / 1e7 }')" 16
target "W3 (one 1 GB title) under 16 MB" "$(maxof W3 3 | awk '{ printf "%.1f MB", $1 / 1024 }')" 15.999
# The only memory that depends on the count is the 1 MiB write buffer, which
# a short run does not fill: flat means a spread within it.
target "Peak memory flat from 10^4 to 10^7 titles (spread within the 1 MiB write buffer, 1.1 MB)" \
  "$(awk '{ if (min == "" || $4 < min) min = $4; if ($4 > max) max = $4 } END { printf "%.1f MB", max - min }' "$RESULTS/scaling.dat")" 1.1
{
  echo
  echo "Targets:"
  echo
  cat "$TARGETS"
} >> "$TABLE"

gnuplot <<EOF
set terminal pngcairo size 900,540 font "Sans,11"
set output "$RESULTS/scaling.png"
set title "wordloom-cli, W1 scaling: length 60, 5,000-entry library ($(nproc) cores)"
set logscale x
set logscale y
set xlabel "titles"
set ylabel "wall time per title (ns, log scale)"
set y2label "peak memory (MB)"
set ytics nomirror
set y2tics
set y2range [0:*]
set key bottom left
set grid
plot "$RESULTS/scaling.dat" using 1:2 with linespoints lw 2 pt 7 title "time per title", \
     "$RESULTS/scaling.dat" using 1:3 with linespoints lw 2 pt 9 title "time per title, net of a 1-title run", \
     "$RESULTS/scaling.dat" using 1:5 with linespoints lw 1 dt 2 pt 6 title "dd writing the same bytes, per title", \
     "$RESULTS/scaling.dat" using 1:4 axes x1y2 with linespoints lw 2 pt 5 title "peak memory (right axis)"
EOF

cat "$TABLE"
echo
echo "Table: $TABLE; plot: $RESULTS/scaling.png; raw timings: $RAW"
