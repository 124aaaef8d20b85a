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
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../examples" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-wine-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
passed=0

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# A fresh pair of identical folders, one per program, with the case's files.
prepare() {
  rm -rf "$work/linux" "$work/win"
  mkdir -p "$work/linux" "$work/win"
  printf 'core\r\naaa\r\nbbb\r\nccc\r\n' > "$work/linux/lib.txt"
  cp "$examples/words.txt" "$work/linux/words.txt"
}

finish_prepare() { cp -a "$work/linux/." "$work/win/"; }

# run NAME ARGS...: runs both programs inside their folders with relative
# paths (so messages name the same paths), then compares.
run() {
  local name=$1
  shift
  local ls ws
  (cd "$work/linux" && LC_ALL=C.UTF-8 "$linux_cli" "$@" > ../linux.out 2> ../linux.err)
  ls=$?
  cp -a "$work/win" "$work/win.before"
  (cd "$work/win" && LANG=$locale LC_ALL=$locale wine "$win_cli" "$@" > ../win.out 2> ../win.err)
  ws=$?
  # Wine itself now and then faults while its services start on a busy
  # machine; such a run says so on stderr and is run once more. A fault of
  # the program would repeat.
  if grep -q '^wine: Unhandled' "$work/win.err"; then
    echo "note: $name: Wine faulted ($(grep -m1 '^wine: Unhandled' "$work/win.err")); running it again"
    rm -rf "$work/win" && mv "$work/win.before" "$work/win"
    (cd "$work/win" && LANG=$locale LC_ALL=$locale wine "$win_cli" "$@" > ../win.out 2> ../win.err)
    ws=$?
  fi
  rm -rf "$work/win.before"
  local why=""
  [ "$ls" = "$ws" ] || why+=" status linux=$ls windows=$ws;"
  # --help names the program by the path it was started with; the rest of
  # the text is the same.
  case " $* " in
    *" --help "*|*" --version "*)
      sed -i 's/^Usage: .*wordloom-cli\(\.exe\)\? /Usage: wordloom-cli /; s/\r$//' "$work/linux.out" "$work/win.out" ;;
  esac
  cmp -s "$work/linux.out" "$work/win.out" || why+=" standard output differs;"
  if ! diff -r "$work/linux" "$work/win" > "$work/tree.diff"; then
    why+=" files differ: $(head -c 300 "$work/tree.diff" | tr '\n' ' ');"
  fi
  if [ "$locale" = zh_CN.UTF-8 ]; then
    # Messages: UTF-8 on Linux, code page 936 with CRLF on Windows.
    iconv -f GBK -t UTF-8 "$work/win.err" | tr -d '\r' | sed 's/wordloom-cli\.exe/wordloom-cli/g' > "$work/win.err.utf8"
    cmp -s "$work/linux.err" "$work/win.err.utf8" || why+=" messages differ: $(head -c 200 "$work/linux.err") | $(head -c 200 "$work/win.err.utf8");"
  fi
  if [ -z "$why" ]; then
    echo "PASS $name [$locale]"
    passed=$((passed + 1))
  else
    echo "FAIL $name [$locale]:$why"
    failed=$((failed + 1))
  fi
}

args() { echo -l lib.txt -c core -n 10 -N "$1" -s comma -o "$2"; }

prepare; finish_prepare
# shellcheck disable=SC2046
run "writes the title file" $(args 2 out.txt)
prepare; finish_prepare
# shellcheck disable=SC2046
run "dash writes to standard output" $(args 2 -)
prepare; finish_prepare
run "long options, default separator" --library lib.txt --core core --length 10 --count 1 --output -
prepare; finish_prepare
run "seed 0" -l lib.txt -c core -n 10 -N 1 -s comma --seed 0 -o -
prepare; finish_prepare
run "seed 12345, space" -l lib.txt -c core -n 30 -N 50 -s space --seed 12345 -o out.txt

prepare; finish_prepare
run "empty core word" -l lib.txt -c "" -n "" -N "" -o out.txt
run "length zero" -l lib.txt -c core -n 0 -N "" -o out.txt
run "count zero" -l lib.txt -c core -n 9 -N 0 -o out.txt
run "core word without a GBK form" -l lib.txt -c "核心😀" -n 9 -N 1 -o out.txt
run "numbers read like atoi" -l lib.txt -c core -n " 12abc" -N "+3x" -s comma -o out.txt
printf 'core\n' > "$work/linux/lib.txt"; finish_prepare
# shellcheck disable=SC2046
run "nothing to draw" $(args 1 out.txt)

prepare; finish_prepare
run "missing count is a usage error" -l lib.txt -c core -n 10 -o out.txt
run "unknown separator is a usage error" -l lib.txt -c core -n 10 -N 1 -s tab -o out.txt
run "unknown option is a usage error" --frobnicate
run "help" --help
run "version" --version

prepare; finish_prepare
run "missing library" -l none.txt -c core -n 10 -N 1 -o out.txt
prepare; mkdir "$work/linux/out.txt"; finish_prepare
# shellcheck disable=SC2046
run "output is a folder" $(args 1 out.txt)
prepare; printf "yesterday's titles" > "$work/linux/out.txt"; finish_prepare
# shellcheck disable=SC2046
run "an existing file is replaced, no temporary file left" $(args 3 out.txt)
prepare; finish_prepare
run "output into a missing folder leaves nothing" -l lib.txt -c core -n 10 -N 1 -o nowhere/out.txt

prepare; printf '连衣裙\n红色\n蓝色\n白色\n' > "$work/linux/lib.txt"; finish_prepare
run "UTF-8 library and core word become GBK" -l lib.txt -c 连衣裙 -n 12 -N 1 -s space -o -
prepare; gbk $'连衣裙\n红色\n蓝色\n白色\n' > "$work/linux/lib.txt"; finish_prepare
run "GBK library" -l lib.txt -c 连衣裙 -n 12 -N 5 -s space -o out.txt
prepare; printf '\xef\xbb\xbf连衣裙\r\n红色\r\n蓝色\r\n白色\r\n' > "$work/linux/lib.txt"; finish_prepare
run "UTF-8 library with a byte order mark" -l lib.txt -c 连衣裙 -n 20 -N 5 -s comma -o out.txt
prepare; printf '\xff\xfe' > "$work/linux/lib.txt"; printf '连衣裙\r\n红色\r\n蓝色\r\n白色\r\n' | iconv -f UTF-8 -t UTF-16LE >> "$work/linux/lib.txt"; finish_prepare
run "UTF-16 library" -l lib.txt -c 连衣裙 -n 20 -N 5 -s none -o out.txt
prepare; printf '连衣裙\n红色\n\xff\xfe\xfd\n' > "$work/linux/lib.txt"; finish_prepare
run "library neither GBK nor UTF-8" -l lib.txt -c 连衣裙 -n 20 -N 5 -o out.txt

prepare; finish_prepare
run "sample library, comma" -l words.txt -c 连衣裙 -n 60 -N 500 -s comma -o titles.txt
run "sample library, space" -l words.txt -c 连衣裙 -n 80 -N 500 -s space -o titles.txt
run "sample library, no separator" -l words.txt -c 连衣裙 -n 40 -N 500 -o titles.txt
run "sample library, core word not in it" -l words.txt -c 新款女装 -n 60 -N 300 -s comma -o titles.txt
run "sample library, 20000 titles" -l words.txt -c 连衣裙 -n 60 -N 20000 -s comma --seed 7 -o titles.txt

prepare
mkdir -p "$work/linux/中文 词库" "$work/linux/输出目录"
cp "$examples/words.txt" "$work/linux/中文 词库/女装词库.txt"
finish_prepare
run "Chinese folder and file names" -l "中文 词库/女装词库.txt" -c 连衣裙 -n 60 -N 50 -s comma -o "输出目录/标题.txt"

echo "cli-e2e [$locale]: $passed passed, $failed failed"
[ "$failed" = 0 ]
