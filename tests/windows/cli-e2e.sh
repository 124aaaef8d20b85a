#!/usr/bin/env bash
# Runs the Windows wordloom-cli.exe under Wine and the Linux wordloom-cli over
# the same cases, and checks that both give the same exit status, the same
# files byte for byte and the same standard output.
# Usage: cli-e2e.sh LINUX_CLI WINDOWS_CLI_EXE LOCALE
# With LOCALE zh_CN.UTF-8 Wine runs with code page 936 and the messages are
# compared too; with C.UTF-8 (code page 1252) only files, output and statuses.
# Prints "PASS name" or "FAIL name" per case; exits non-zero on any failure.
# shellcheck disable=SC2086  # $std holds several arguments
set -uo pipefail
linux_cli=$(realpath "$1") win_cli=$(realpath "$2") locale=$3
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0 passed=0

# run SIDE COMMAND...: the command in a fresh copy of the case folder, named
# SIDE, with relative paths, so both sides' messages name the same paths.
run() { rm -rf "${work:?}/$1" && cp -a "$work/case" "$work/$1" && (cd "$work/$1" && "${@:2}" > "../$1.out" 2> "../$1.err"); }

# check NAME SETUP ARGS...: SETUP, shell code run in a folder holding lib.txt
# and words.txt, makes the case's files; then both programs run on copies.
check() {
  local name=$1 setup=$2 why="" ls ws
  rm -rf "$work/case" && mkdir "$work/case" &&
    (cd "$work/case" && printf 'core\r\naaa\r\nbbb\r\nccc\r\n' > lib.txt && cp "$examples/words.txt" . && eval "$setup")
  run linux env LC_ALL=C.UTF-8 "$linux_cli" "${@:3}"; ls=$?
  # Wine itself now and then faults while its services start on a busy
  # machine, and says so; such a run goes once more. A program's fault would repeat.
  for try in 1 2; do
    run win env LANG="$locale" LC_ALL="$locale" wine "$win_cli" "${@:3}"; ws=$?
    grep -m1 '^wine: Unhandled' "$work/win.err" | sed "s|^|note: $name (try $try): |" || break
  done
  [ "$ls" = "$ws" ] || why+=" status linux=$ls windows=$ws;"
  # --help names the program by the path it was started with, in the console's line ends.
  [ "$3" = --help ] && sed -i 's/^Usage: .*wordloom-cli\(\.exe\)\? /Usage: wordloom-cli /; s/\r$//' "$work/linux.out" "$work/win.out"
  cmp -s "$work/linux.out" "$work/win.out" || why+=" standard output differs;"
  diff -r "$work/linux" "$work/win" > "$work/tree.diff" || why+=" files differ: $(head -c 300 "$work/tree.diff" | tr '\n' ' ');"
  # Messages, compared under zh_CN only: UTF-8 on Linux, code page 936 with CR LF on Windows.
  [ "$locale" = zh_CN.UTF-8 ] && iconv -f GBK -t UTF-8 "$work/win.err" | tr -d '\r' | sed 's/wordloom-cli\.exe/wordloom-cli/g' > "$work/win.msg"
  [ "$locale" != zh_CN.UTF-8 ] || cmp -s "$work/linux.err" "$work/win.msg" ||
    why+=" messages differ: $(head -c 200 "$work/linux.err") | $(head -c 200 "$work/win.msg");"
  if [ -z "$why" ]; then echo "PASS $name [$locale]" && passed=$((passed + 1)); else echo "FAIL $name [$locale]:$why" && failed=$((failed + 1)); fi
}

std="-l lib.txt -c core -n 10 -s comma"
check "writes the title file" : $std -N 2 -o out.txt
check "dash writes to standard output" : $std -N 2 -o -
check "empty values" : -l lib.txt -c "" -n "" -N "" -o out.txt
check "core word without a GBK form" : -l lib.txt -c "核心😀" -n 9 -N 1 -o out.txt
check "numbers read like atoi" : -l lib.txt -c core -n " 12abc" -N "+3x" -s comma -o out.txt
check "nothing to draw" "printf 'core\n' > lib.txt" $std -N 1 -o out.txt
check "missing count is a usage error" : -l lib.txt -c core -n 10 -o out.txt
check "help" : --help
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
check "sample library, 20000 titles, seed 7" : -l words.txt -c 连衣裙 -n 60 -N 20000 -s space --seed 7 -o titles.txt
check "Chinese folder and file names" "mkdir '中文 词库' 输出目录 && cp words.txt '中文 词库/女装词库.txt'" \
  -l "中文 词库/女装词库.txt" -c 连衣裙 -n 60 -N 50 -s comma -o "输出目录/标题.txt"
echo "cli-e2e [$locale]: $passed passed, $failed failed"
[ "$failed" = 0 ]
