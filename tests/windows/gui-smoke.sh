#!/usr/bin/env bash
# Starts Wordloom.exe under Wine on a private Xvfb display and checks what a
# user sees: the window titled "Wordloom"; the system menu's About box, which
# Esc closes; a message box for Enter on empty fields; a whole generate command
# driven by the keyboard alone, its title file byte for byte the Linux CLI's;
# Alt+F4 ends the program; a renamed copy captions its message box with its name.
# Usage: gui-smoke.sh WORDLOOM_EXE LINUX_CLI
# Expects the Wine environment of wine-env.sh. Prints PASS/FAIL lines.
set -uo pipefail
exe=$(realpath "$1")
linux_cli=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-gui-XXXXXX")
passed=0 failed=0 xvfb_pid="" app_pid="" main=""
trap '[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT

pass() { echo "PASS gui: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL gui: $1"; failed=$((failed + 1)); }
# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() { local i; for ((i = 0; i < $1 * 4; i++)); do "${@:2}" > /dev/null 2>&1 && return 0; sleep 0.25; done; return 1; }
# other NAME: the windows titled NAME but the dialog (its message boxes share its caption).
other() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$main"; }
gone() { ! other "$1" > /dev/null; }
# Xvfb has no window manager: a click on the caption makes Wine give the window the keyboard.
focus() { eval "$(xdotool getwindowgeometry --shell "$1")" && xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 8)) click 1 sleep 0.5; }
# step WHAT: a step needing the dialog cannot pass because of an earlier accident.
step() {
  kill -0 "$app_pid" 2>/dev/null && xdotool search --onlyvisible --name '^Wordloom$' | grep -qx "$main" && return
  fail "the program or its dialog was gone at: $1" && return 1
}

# start NAME: a copy of the program under that name, started from a folder of
# its own; its dialog becomes $main. Wine's own start-up now and then stalls on
# a busy machine: such a start goes once more; a fault of the program would repeat.
start() {
  mkdir -p "$work/run" && cp "$exe" "$work/run/$1" && main=""
  for try in 1 2; do
    (cd "$work/run" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 exec wine "$1" > "$work/$1.log" 2>&1) &
    app_pid=$!
    wait_for 90 other Wordloom && break
    echo "note: no window from $1 within 90 s (start $try); Wine said:" && cat "$work/$1.log"
    kill "$app_pid" 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    [ "$try" = 2 ] && fail "$1 showed no window titled Wordloom within 90 s, twice" && return 1
  done
  main=$(other Wordloom | head -n1)
  sleep 1 && focus "$main"  # after the first paint
}

# refusal WHAT [NAME]: a message box captioned NAME that stays (one that took
# the opening key press as its own would be gone at once) until Return closes it.
refusal() {
  local name=${2:-Wordloom}
  if wait_for 20 other "$name" && sleep 1 && other "$name" > /dev/null; then
    pass "$1 shows a message box captioned $name that stays"
    focus "$(other "$name" | head -n1)" && xdotool key Return
    wait_for 20 gone "$name" || fail "the message box after $1 did not close"
  else
    fail "no message box captioned $name that stays after $1"
  fi
  sleep 0.5
}

# chooser TITLE PATH: in the file chooser titled TITLE, the Windows form of
# PATH replaces the proposed name (a save chooser adds .txt itself).
chooser() {
  wait_for 30 other "$1" || { fail "no $1 chooser"; return 1; }
  sleep 1 && xdotool key End shift+Home BackSpace type --delay 50 "Z:${2//\//\\}"
  xdotool key Return
  wait_for 20 gone "$1" || fail "the $1 chooser stayed open"
}

# close WHAT: Alt+F4 on the dialog ends the program.
close() {
  step "closing $1" || return 0
  focus "$main" && xdotool key --clearmodifiers alt+F4
  if wait_for 30 bash -c "! kill -0 $app_pid"; then pass "closing $1's window ends it" && app_pid=""
  else fail "$1 still runs 30 s after its window was closed"; fi
}

# A display of our own: -displayfd picks a free number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" & xvfb_pid=$!
wait_for 20 test -s "$work/display" || { fail "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

start Wordloom.exe || exit 1
pass "the window titled Wordloom appears"

# Up from the system menu's top wraps to its last entry, About.
xdotool key --clearmodifiers alt+space sleep 1 key Up sleep 0.5 key Return
if wait_for 20 other '关于 Wordloom'; then
  pass "Alt+Space, Up, Return opens the About box"
  focus "$(other '关于 Wordloom' | head -n1)" && xdotool key Escape
  # Past X's auto-repeat delay: a held Esc would reach the dialog.
  if ! wait_for 20 gone '关于 Wordloom'; then fail "the About box stayed open after Esc"
  elif sleep 1.5 && step "Esc on the About box"; then pass "Esc closes the About box and only it"; fi
else
  fail "no About box from the system menu's last entry" && xdotool key Escape
fi

focus "$main" && xdotool key Return  # the focus starts on 开始组合
refusal "Enter on 开始组合 with empty fields"

# The tab order (the template's): 开始组合, 退出, count, 打开词库, core word,
# length, separator list.
lib="$work/run/中文 词库/女装词库.txt" out="$work/run/输出/标题"
mkdir -p "$(dirname "$lib")" "$(dirname "$out")" && cp "$(dirname "$0")/../../examples/words.txt" "$lib"
if step "the keyboard's generate command"; then
  focus "$main" && xdotool key Tab Tab Tab sleep 0.3 key Return
  chooser 打开 "$lib"
  # X delivers the first character of a new keyboard mapping too early; one
  # typed and erased first makes the core word arrive whole.
  xdotool key Tab sleep 0.3 type --delay 100 连
  xdotool key End shift+Home Delete type --delay 100 连衣裙
  xdotool key Tab type --delay 50 60
  # F4, Down, Return on the list with nothing chosen picks its first entry, ",".
  xdotool key Tab sleep 0.3 key F4 sleep 0.5 key Down sleep 0.3 key Return sleep 0.5
  # Past the buttons to the count field; Enter there right after the list once went astray.
  xdotool key Tab Tab Tab sleep 0.3 type --delay 50 30
  xdotool key Return
  if chooser 另存为 "$out"; then
    "$linux_cli" -l "$lib" -c 连衣裙 -n 60 -N 30 -s comma -o "$work/expected.txt"
    if wait_for 60 test -s "$out.txt" && cmp -s "$work/expected.txt" "$out.txt"; then
      pass "the keyboard's generate command writes the Linux CLI's titles at the Chinese path"
    else
      fail "the keyboard's generate command wrote no title file like the Linux CLI's at $out.txt"
    fi
  fi
fi
close "the program"

[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
if start 标题工具.exe; then
  xdotool key Return
  refusal "Enter in the renamed copy" 标题工具
  close "the renamed copy"
fi

echo "gui-smoke: $passed passed, $failed failed"
[ "$failed" = 0 ]
