#!/usr/bin/env bash
# Runs the Windows wordloom-cli.exe under Wine and the Linux wordloom-cli over
# the same cases, and checks that both give the same exit status, the same
# standard output and the same files byte for byte. Each case takes a path of
# its own through the Windows build.
# Usage: cli-e2e.sh LINUX_CLI WINDOWS_CLI_EXE LOCALE
# With LOCALE zh_CN.UTF-8 Wine runs with code page 936 and the messages are
# compared too; with C.UTF-8 (code page 1252) only files, output and statuses.
# Prints "PASS name" or "FAIL name" per case; exits non-zero on any failure.
set -uo pipefail
linux_cli=$(realpath "$1") win_cli=$(realpath "$2") locale=$3 failed=0 passed=0
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
read_back=$(cd "$(dirname "$0")/../cli" && pwd)/read_back.py
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-wine-XXXXXX") && cd "$work" || exit 1
trap 'rm -rf "$work"' EXIT

# run SIDE SETUP COMMAND...: the command in a fresh folder SIDE/files holding
# lib.txt, where the shell code SETUP makes the case's files; relative paths
# there make both sides' messages name the same paths. Standard output and exit
# status go next to that folder, so that one diff -r compares all three.
run() (
  rm -rf "${work:?}/$1" && mkdir -p "$work/$1/files" && cd "$work/$1/files" || exit
  printf 'core\r\naaa\r\nbbb\r\nccc\r\n' > lib.txt && eval "$2" && "${@:3}" > ../stdout 2> "$work/$1.err"; echo $? > ../status
)

# check NAME SETUP ARGS...
check() {
  run linux "$2" env LC_ALL=C.UTF-8 "$linux_cli" "${@:3}"
  # Wine itself now and then faults while its services start on a busy
  # machine, and says so; such a run goes once more. A program's fault would repeat.
  for try in 1 2; do
    run win "$2" env LANG="$locale" LC_ALL="$locale" wine "$win_cli" "${@:3}"
    grep -m1 '^wine: Unhandled' win.err | sed "s|^|note: $1 (try $try): |" || break
  done
  # Whatever differs is the case's failure. Messages are compared under zh_CN
  # only: UTF-8 on Linux, code page 936 with CR LF on Windows.
  { diff -r linux win
    [ "$locale" != zh_CN.UTF-8 ] || iconv -f GBK -t UTF-8 win.err | tr -d '\r' | diff linux.err -; } > why 2>&1
  if [ -s why ]; then echo "FAIL $1 [$locale]: $(head -c 400 why | tr '\n' ' ')"; ((++failed)); else echo "PASS $1 [$locale]"; ((++passed)); fi
}

check "writes the title file" : -l lib.txt -c core -n 10 -N 2 -s comma -o out.txt
check "dash writes to standard output" : -l lib.txt -c core -n 10 -N 2 -s comma -o -
check "empty values" : -l lib.txt -c "" -n "" -N "" -o out.txt
check "core word without a GBK form" : -l lib.txt -c "核心😀" -n 9 -N 1 -o out.txt
check "numbers read like atoi" : -l lib.txt -c core -n " 12abc" -N "+3x" -s comma -o out.txt
check "missing library" : -l none.txt -c core -n 10 -N 1 -o out.txt
check "output is a folder" "mkdir out.txt" -l lib.txt -c core -n 10 -N 1 -o out.txt
check "an existing file is replaced, no temporary file left" "printf old > out.txt" -l lib.txt -c core -n 10 -N 3 -o out.txt
check "a read-only file is refused" "printf old > out.txt && chmod a-w out.txt" -l lib.txt -c core -n 10 -N 3 -o out.txt
check "UTF-8 library and core word become GBK" "printf '连衣裙\n红色\n蓝色\n白色\n' > lib.txt" -l lib.txt -c 连衣裙 -n 12 -N 1 -s space -o -
check "UTF-16 library" "printf '连衣裙\r\n红色\r\n蓝色\r\n' | iconv -t UTF-16 > lib.txt" -l lib.txt -c 连衣裙 -n 20 -N 5 -o out.txt
# Over a megabyte: the file goes out in more than one write.
check "sample library, 20000 titles, seed 7" "cp '$examples/words.txt' ." -l words.txt -c 连衣裙 -n 60 -N 20000 -s space --seed 7 -o titles.txt
check "Chinese folder and file names" "mkdir '中文 词库' 输出 && mv lib.txt '中文 词库/女装.txt'" -l "中文 词库/女装.txt" -c core -n 10 -N 5 -o 输出/标题.txt
check "a formula over the grouped sample, with the rules and a report" "cp '$examples/grouped-words.txt' ." -l grouped-words.txt \
  -c 连衣裙 -n 60 -N 5000 -s comma --seed 3 --formula '品牌+@+款式+卖点:1-2+流量词:*' --unique --avoid-banned --report -o titles.txt
check "a formula naming a group the library lacks" "cp '$examples/grouped-words.txt' ." -l grouped-words.txt -c 连衣裙 -n 60 -N 5 \
  --formula '品牌+颜色' -o titles.txt
check "a csv in GBK, under the rules" "cp '$examples/words.txt' ." -l words.txt -c 连衣裙 -n 60 -N 3000 -s comma --unique \
  --format csv -o titles.csv
check "a csv in UTF-8 and a list" "cp '$examples/words.txt' . && '$linux_cli' -l words.txt -c 连衣裙 -n 60 -N 5 --format list -o list.txt" \
  -l words.txt -c 连衣裙 -n 60 -N 3000 -s space --format csv --csv-encoding utf-8 -o titles.csv
# A workbook holds the time it was made: what it holds is compared, as another program reads it.
run linux "cp '$examples/words.txt' ." env LC_ALL=C.UTF-8 "$linux_cli" -l words.txt -c 连衣裙 -n 60 -N 3000 -s comma --format xlsx -o t.xlsx
run win "cp '$examples/words.txt' ." env LANG="$locale" LC_ALL="$locale" wine "$win_cli" -l words.txt -c 连衣裙 -n 60 -N 3000 -s comma --format xlsx -o t.xlsx
if /usr/bin/python3 "$read_back" xlsx linux/files/t.xlsx > linux.titles && [ "$(wc -l < linux.titles)" = 3000 ] &&
   /usr/bin/python3 "$read_back" xlsx win/files/t.xlsx > win.titles && cmp -s linux.titles win.titles; then
  echo "PASS a workbook holds the Linux titles [$locale]"; ((++passed))
else echo "FAIL a workbook holds the Linux titles [$locale]"; ((++failed)); fi
echo "cli-e2e [$locale]: $passed passed, $failed failed" && [ "$failed" = 0 ]
