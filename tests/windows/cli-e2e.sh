#!/usr/bin/env bash
# Runs the Windows wordloom-cli.exe under Wine and the Linux wordloom-cli over
# the same cases, and checks that both give the same exit status, the same
# title file byte for byte and the same standard output.
# Usage: cli-e2e.sh LINUX_CLI WINDOWS_CLI_EXE LOCALE
# With LOCALE zh_CN.UTF-8 Wine runs with code page 936 and the messages are
# compared too; with C.UTF-8 (code page 1252) only the files and statuses.
# Prints "PASS name" or "FAIL name" per case; exits non-zero on any failure.
set -uo pipefail
linux_cli=$(realpath "$1")
win_cli=$(realpath "$2")
locale=$3
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
passed=0

# check NAME SETUP ARGS...: SETUP, shell code run in a folder holding lib.txt
# and words.txt, makes the case's files; each program then runs in its own
# copy of that folder with relative paths, so messages name the same paths.
check() {
  local name=$1 setup=$2 why="" ls ws
  shift 2
  rm -rf "$work/case" "$work/linux" && mkdir -p "$work/case"
  (cd "$work/case" && printf 'core\r\naaa\r\nbbb\r\nccc\r\n' > lib.txt && cp "$examples/words.txt" . && eval "$setup")
  cp -a "$work/case" "$work/linux"
  (cd "$work/linux" && LC_ALL=C.UTF-8 "$linux_cli" "$@" > ../linux.out 2> ../linux.err)
  ls=$?
  # Wine itself now and then faults while its services start on a busy
  # machine, and says so; such a run goes once more. A program's fault would repeat.
  for try in 1 2; do
    rm -rf "$work/win" && cp -a "$work/case" "$work/win"
    (cd "$work/win" && LANG=$locale LC_ALL=$locale wine "$win_cli" "$@" > ../win.out 2> ../win.err)
    ws=$?
    grep -q '^wine: Unhandled' "$work/win.err" || break
    echo "note: $name: Wine faulted ($(grep -m1 '^wine: Unhandled' "$work/win.err")); running it again"
  done
  [ "$ls" = "$ws" ] || why+=" status linux=$ls windows=$ws;"
  # --help names the program by the path it was started with, in the console's line ends.
  [[ " $* " == *" --help "* || " $* " == *" --version "* ]] &&
    sed -i 's/^Usage: .*wordloom-cli\(\.exe\)\? /Usage: wordloom-cli /; s/\r$//' "$work/linux.out" "$work/win.out"
  cmp -s "$work/linux.out" "$work/win.out" || why+=" standard output differs;"
  diff -r "$work/linux" "$work/win" > "$work/tree.diff" || why+=" files differ: $(head -c 300 "$work/tree.diff" | tr '\n' ' ');"
  if [ "$locale" = zh_CN.UTF-8 ]; then  # messages: UTF-8 on Linux, code page 936 with CR LF on Windows
    iconv -f GBK -t UTF-8 "$work/win.err" | tr -d '\r' | sed 's/wordloom-cli\.exe/wordloom-cli/g' > "$work/win.err.utf8"
    cmp -s "$work/linux.err" "$work/win.err.utf8" || why+=" messages differ: $(head -c 200 "$work/linux.err") | $(head -c 200 "$work/win.err.utf8");"
  fi
  if [ -z "$why" ]; then echo "PASS $name [$locale]" && passed=$((passed + 1)); else echo "FAIL $name [$locale]:$why" && failed=$((failed + 1)); fi
}

std="-l lib.txt -c core -n 10 -s comma"
# shellcheck disable=SC2086
{
check "writes the title file" : $std -N 2 -o out.txt
check "dash writes to standard output" : $std -N 2 -o -
check "long options, default separator" : --library lib.txt --core core --length 10 --count 1 --output -
check "seed 0" : $std -N 1 --seed 0 -o -
check "seed 12345, space" : -l lib.txt -c core -n 30 -N 50 -s space --seed 12345 -o out.txt
check "empty core word" : -l lib.txt -c "" -n "" -N "" -o out.txt
check "length zero" : -l lib.txt -c core -n 0 -N "" -o out.txt
check "count zero" : -l lib.txt -c core -n 9 -N 0 -o out.txt
check "core word without a GBK form" : -l lib.txt -c "核心😀" -n 9 -N 1 -o out.txt
check "numbers read like atoi" : -l lib.txt -c core -n " 12abc" -N "+3x" -s comma -o out.txt
check "nothing to draw" "printf 'core\n' > lib.txt" $std -N 1 -o out.txt
check "missing count is a usage error" : -l lib.txt -c core -n 10 -o out.txt
check "unknown separator is a usage error" : $std -N 1 -s tab -o out.txt
check "unknown option is a usage error" : --frobnicate
check "help" : --help
check "version" : --version
check "missing library" : -l none.txt -c core -n 10 -N 1 -o out.txt
check "output is a folder" "mkdir out.txt" $std -N 1 -o out.txt
check "an existing file is replaced, no temporary file left" "printf old > out.txt" $std -N 3 -o out.txt
check "a read-only file is refused" "printf old > out.txt && chmod a-w out.txt" $std -N 3 -o out.txt
check "output into a missing folder leaves nothing" : $std -N 1 -o nowhere/out.txt
check "UTF-8 library and core word become GBK" "printf '连衣裙\n红色\n蓝色\n白色\n' > lib.txt" -l lib.txt -c 连衣裙 -n 12 -N 1 -s space -o -
check "GBK library" "printf '连衣裙\n红色\n蓝色\n白色\n' | iconv -t GBK > lib.txt" -l lib.txt -c 连衣裙 -n 12 -N 5 -s space -o out.txt
check "UTF-8 library with a byte order mark" "printf '\xef\xbb\xbf连衣裙\r\n红色\r\n蓝色\r\n' > lib.txt" -l lib.txt -c 连衣裙 -n 20 -N 5 -o out.txt
check "UTF-16 library" "{ printf '\xff\xfe'; printf '连衣裙\r\n红色\r\n蓝色\r\n' | iconv -t UTF-16LE; } > lib.txt" -l lib.txt -c 连衣裙 -n 20 -N 5 -o out.txt
check "library neither GBK nor UTF-8" "printf '连衣裙\n红色\n\xff\xfe\xfd\n' > lib.txt" -l lib.txt -c 连衣裙 -n 20 -N 5 -o out.txt
check "sample library, comma" : -l words.txt -c 连衣裙 -n 60 -N 500 -s comma -o titles.txt
check "sample library, core word not in it" : -l words.txt -c 新款女装 -n 40 -N 300 -o titles.txt
check "sample library, 20000 titles" : -l words.txt -c 连衣裙 -n 60 -N 20000 -s space --seed 7 -o titles.txt
check "Chinese folder and file names" "mkdir '中文 词库' 输出目录 && cp words.txt '中文 词库/女装词库.txt'" \
  -l "中文 词库/女装词库.txt" -c 连衣裙 -n 60 -N 50 -s comma -o "输出目录/标题.txt"
}
echo "cli-e2e [$locale]: $passed passed, $failed failed"
[ "$failed" = 0 ]
