#!/usr/bin/env bash
# Runs two builds of wordloom-cli on the same inputs and compares what each
# run leaves: the exit status, standard output, standard error and the
# title file. For a change meant to keep the program's behaviour: build the
# old tree and the new one, then
#
#   bench/same-output.sh OLD/cli/wordloom-cli NEW/cli/wordloom-cli
#
# The runs: five libraries (the example, real words from python3-jieba's
# dictionary with copies, banned words and halves of them, the same words as
# UTF-8 without a mark, 40,000 words past one generator value a draw, and a
# library of odd lines), every combination of the four rules with and
# without --report, the three separators, several seeds and lengths, the
# library check, and inputs that are refused. Prints the number of runs and
# each difference; exits 1 on any.
set -euo pipefail
HERE=$(dirname "$(realpath "$0")")
OLD=$(realpath "$1")
NEW=$(realpath "$2")
WORK=${3:-$(mktemp -d)}
mkdir -p "$WORK"
cd "$WORK"

DICT=$(dpkg -L python3-jieba | grep '/dict.txt$' | head -n1)
python3 - "$DICT" <<'EOF'
import random, sys
words = []
for line in open(sys.argv[1], encoding="utf-8"):
    w = line.split(" ")[0]
    try:
        w.encode("gbk")
    except UnicodeEncodeError:
        continue
    if 2 <= len(w) <= 8:
        words.append(w)
rng = random.Random(20261208)
real = rng.sample(words, 300)
real += real[:10] + ["最佳款式", "特价", "最", "佳", "特", "价", "", "连衣裙"]
open("real.txt", "wb").write(("\n".join(real) + "\n").encode("gbk"))
open("real-utf8.txt", "wb").write(("\n".join(rng.sample(words, 5000) + ["连衣裙"])).encode("utf-8"))
open("wide.txt", "wb").write(("\r\n".join(words[:40000] + ["连衣裙"]) + "\r\n").encode("gbk"))
odd = "连衣裙\r\na,b\r\n\r\n连衣裙\n" + "x" * 300 + "\nab\0cd\nq q\n最佳\n特\n价\n\n\n\t长袖 \n"
open("odd.txt", "wb").write(odd.encode("gbk") + b"\xaa\xa1\n\xfe\xfe")
EOF
cp "$HERE/../examples/words.txt" example.txt

runs=0
differences=0
# compare ARGS...: one run of each build; -o takes OUT, which both write.
compare() {
  runs=$((runs + 1))
  local status
  for build in old new; do
    local cli=$OLD
    [ $build = new ] && cli=$NEW
    rm -f out.txt
    [ -n "${KEEP_OLD_FILE:-}" ] && printf 'old titles\r\n' > out.txt
    status=0
    "$cli" "$@" > "$build.stdout" 2> "$build.stderr" || status=$?
    echo "$status" > "$build.status"
    if [ -e out.txt ]; then cp out.txt "$build.file"; else echo "(no file)" > "$build.file"; fi
  done
  for part in status stdout stderr file; do
    if ! cmp -s "old.$part" "new.$part"; then
      differences=$((differences + 1))
      echo "differs in $part: $*"
      break
    fi
  done
}

SEPARATORS=(comma space none)
RULES=(--no-repeat --unique --fill --avoid-banned)
for lib in example.txt real.txt real-utf8.txt wide.txt odd.txt; do
  for sep in "${SEPARATORS[@]}"; do
    for mask in $(seq 0 15); do
      flags=()
      for bit in 0 1 2 3; do
        (( mask >> bit & 1 )) && flags+=("${RULES[$bit]}")
      done
      for seed in 1 20261208; do
        compare -l "$lib" -c 连衣裙 -n 60 -N 300 -s "$sep" --seed "$seed" -o out.txt "${flags[@]}"
        compare -l "$lib" -c 连衣裙 -n 37 -N 200 -s "$sep" --seed "$seed" -o out.txt --report "${flags[@]}"
      done
    done
    # The plain rule's faster paths: many titles, long titles, a title longer than a buffer.
    compare -l "$lib" -c 连衣裙 -n 60 -N 20000 -s "$sep" -o out.txt
    compare -l "$lib" -c 连衣裙 -n 2000 -N 500 -s "$sep" --seed 9 -o out.txt
    compare -l "$lib" -c 连衣裙 -n 3000000 -N 2 -s "$sep" -o out.txt
    compare -l "$lib" -c 连衣裙 -n 3000000 -N 2 -s "$sep" -o out.txt --report
    compare -l "$lib" -c 不在词库 -n 40 -N 100 -s "$sep" -o out.txt
    compare --check -l "$lib" -c 连衣裙 -n 30 -s "$sep"
    compare --check -l "$lib" -s "$sep"
  done
  compare --check -l "$lib"
  for enc in auto gbk utf-8 utf-16; do compare -l "$lib" -c 连衣裙 -n 40 -N 10 --encoding "$enc" -o out.txt; done
done
# Refusals and failures: fields, banned core, --unique giving up, files.
printf 'core\naaa\nbbb\n' > tiny.txt
compare -l tiny.txt -c '' -n 10 -N 3 -o out.txt
compare -l tiny.txt -c core -n 0 -N 3 -o out.txt
compare -l tiny.txt -c core -n 10 -N abc -o out.txt
compare -l tiny.txt -c core -n 10 -N -5 -o out.txt
compare -l tiny.txt -c core -n 10 -N 3 -s comma --unique -o out.txt
KEEP_OLD_FILE=1 compare -l tiny.txt -c core -n 10 -N 3 -s comma --unique -o out.txt
compare -l tiny.txt -c 最佳连衣裙 -n 60 -N 3 --avoid-banned -o out.txt
compare -l missing.txt -c core -n 10 -N 3 -o out.txt
compare -l tiny.txt -c core -n 10 -N 3 -o missing-folder/out.txt
compare -l tiny.txt -c core -n 10 -N 3 -o out.txt --banned-list missing.txt --report
printf 'core\n' > only-core.txt
compare -l only-core.txt -c core -n 10 -N 3 -o out.txt
compare -l tiny.txt -c core -n 10 -N 3 --check --fill
compare -l tiny.txt --bogus

echo "$runs runs, $differences differences"
[ "$differences" = 0 ]
