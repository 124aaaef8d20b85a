#!/usr/bin/env bash
# Starts Wordloom.exe under Wine on a private Xvfb display and checks, as a
# user would see it: the window titled "Wordloom" appears; Alt+Space opens
# the system menu and its About entry opens the About box, which Esc closes;
# a generate command without a library shows a message box captioned with
# the executable's name, from the generate button and from Enter in the count
# field after the separator was chosen from its list with the keyboard;
# closing the window ends the program.
# With LINUX_CLI given, whole generate commands are also run through the
# dialog (a library and an output folder with Chinese names, a Chinese core
# word), one started with the mouse and then one with the keyboard, and their
# title files compared byte for byte with the Linux CLI's (the second one's
# titles continue the random sequence of the first).
# Keys go as a user's would: the window gets the focus first (a click on its
# caption), then plain key presses. A key sent to a given window gets its
# release there as a synthetic event; when the window goes on the press, X
# never sees the key released and repeats it into the next window.
# Usage: gui-smoke.sh WORDLOOM_EXE [SCREENSHOT_DIR] [LINUX_CLI]
# Expects the Wine environment of wine-env.sh. Prints PASS/FAIL lines.
set -uo pipefail
exe=$(realpath "$1")
shots=${2:-}
linux_cli=${3:+$(realpath "$3")}
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-gui-XXXXXX")
passed=0
failed=0
xvfb_pid=""
app_pid=""
trap '[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT

pass() { echo "PASS gui: $1" && passed=$((passed + 1)); }
fail() {
  echo "FAIL gui: $1" && failed=$((failed + 1))
  # What the screen showed then, for whoever reads the failure.
  if [ -n "${WORDLOOM_FAILURE_SHOTS:-}" ]; then
    mkdir -p "$WORDLOOM_FAILURE_SHOTS" && import -silent -window root "$WORDLOOM_FAILURE_SHOTS/failure-$failed.png" 2>/dev/null
  fi
  return 0
}

# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local limit=$(($1 * 4)) i
  shift
  for ((i = 0; i < limit; i++)); do "$@" > /dev/null 2>&1 && return 0 || sleep 0.25; done
  return 1
}

windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }
has_window() { [ -n "$(windows_named "$1")" ]; }
no_window() { [ -z "$(windows_named "$1")" ]; }
# box_shown NAME: a window titled NAME other than the dialog is on the screen.
box_shown() { windows_named "^$1\$" | grep -vqx "$main"; }
no_box() { ! box_shown "$1"; }
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Xvfb has no window manager to activate windows: a click on the caption
# makes Wine activate it and give it the keyboard, as on Windows.
focus_window() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync "$((X + WIDTH / 2))" "$((Y + 8))" click 1 sleep 0.5
}

# click_dlu WINDOW X Y: a click at a point of the dialog template, in dialog
# units (320 x 200 for the whole client area, below the 19-pixel caption
# and inside the 3-pixel frame Wine draws).
click_dlu() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync "$((X + 3 + $2 * (WIDTH - 6) / 320))" "$((Y + 22 + $3 * (HEIGHT - 25) / 200))" click 1 sleep 0.4
}

# shot FILE WINDOW [MARGIN]: the screen area of the window, with a margin for menus.
shot() {
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  eval "$(xdotool getwindowgeometry --shell "$2")"
  local m=${3:-10}
  import -silent -window root -crop "$((WIDTH + 2 * m))x$((HEIGHT + 2 * m))+$((X > 10 ? X - 10 : 0))+$((Y > 10 ? Y - 10 : 0))" +repage "$shots/$1"
}

# still_running STEP: a step that needs the dialog first checks that the
# program runs and its dialog is on the screen, so it cannot pass because
# of an earlier accident.
running() { kill -0 "$app_pid" 2>/dev/null && windows_named '^Wordloom$' | grep -qx "$main"; }
still_running() { running || { fail "the program or its dialog was gone before: $1"; return 1; }; }

# start_program NAME: a copy of the program under that name, started from a
# folder of its own as a user would from Explorer; its dialog becomes $main.
# Wine's own start-up now and then stalls on a busy machine and prints why;
# such a start goes once more. A fault of the program would repeat.
start_program() {
  local try
  mkdir -p "$work/run" && cp "$exe" "$work/run/$1"
  for try in 1 2; do
    (cd "$work/run" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 exec wine "$1" > "$work/$1.log" 2>&1) &
    app_pid=$!
    wait_for 90 has_window '^Wordloom$' && break
    echo "note: no window from $1 within 90 s (start $try); Wine said:" && cat "$work/$1.log"
    kill "$app_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    [ "$try" = 2 ] && { fail "$1 showed no window titled Wordloom within 90 s, twice"; return 1; }
  done
  main=$(windows_named '^Wordloom$' | head -n1)
  sleep 1  # first paint
  focus_window "$main"
}

# expect_refusal WHAT [NAME]: the generate command refused with a message box
# captioned NAME (default Wordloom) over the still-open dialog, which stays
# until Return closes it (a box that took the key press that opened it as
# its own would be gone at once).
expect_refusal() {
  local what=$1 name=${2:-Wordloom}
  if ! wait_for 20 box_shown "$name"; then
    fail "no message box after $what"
  elif ! sleep 1 || ! box_shown "$name"; then
    fail "the message box after $what closed by itself"
  else
    pass "$what shows a message box captioned $name"
    focus_window "$(windows_named "^$name\$" | grep -vx "$main" | head -n1)"
    xdotool key Return
    wait_for 20 no_box "$name" || fail "the message box after $what did not close"
  fi
  sleep 0.5
}

# As a keyboard user does: from the length field Tab to the separator list,
# F4 opens it, Down and Return choose an entry; then Tab on to the count
# field (past the two buttons) and Enter.
separator_by_keys_then_enter() {
  click_dlu "$main" 134 73
  xdotool key Tab sleep 0.3 key F4 sleep 0.5 key Down sleep 0.3 key Return sleep 0.5 key Tab Tab Tab sleep 0.3 key Return
}

# save_as PATH: in the save chooser's name field, which proposes "test", the
# whole proposal goes and the path (without .txt, which the chooser adds) is typed.
save_as() {
  if wait_for 30 has_window '^另存为$'; then
    sleep 1
    xdotool key End shift+Home BackSpace type --delay 50 "$(windows_path "$1")"
    xdotool key Return
  else
    fail "no save chooser for $1"
  fi
}

# expect_titles FILE SEPARATOR WHAT [BEFORE]: the title file arrived whole at
# the typed path and equals the Linux CLI's for the same inputs. BEFORE
# titles were drawn by earlier generate commands of the same program: the
# random sequence runs on, so the CLI writes those first and its titles from
# there on, numbered from 0 again, are the expected ones (comma and space
# are one byte each, so they draw alike).
expect_titles() {
  local file=$1 sep=$2 what=$3 before=${4:-0}
  if ! wait_for 60 test -s "$file"; then
    fail "no title file at the typed path from $what in 60 s"
    return
  fi
  (cd "$work" && "$linux_cli" -l "$lib_dir/女装词库.txt" -c 连衣裙 -n 60 -N $((before + 30)) -s "$sep" -o "cli-$sep.txt")
  LC_ALL=C awk -v skip="$before" 'NR == 1 { print; next }
    NR > skip + 1 && match($0, /[0-9]+:/) { print substr($0, 1, RSTART - 1) (NR - skip - 2) substr($0, RSTART + RLENGTH - 1) }' \
    "$work/cli-$sep.txt" > "$work/expected-$sep.txt"
  if cmp -s "$work/expected-$sep.txt" "$file"; then
    pass "$what writes the Linux CLI's title file at the typed path, Chinese paths and all"
  else
    fail "$what wrote a title file that differs from the Linux CLI's"
  fi
  sleep 0.5
}

# close_program WHAT: Alt+F4 on the dialog (the close command, as the close
# box sends it) ends the program; only a program still running is asked.
close_program() {
  still_running "closing $1" || return 0
  focus_window "$main"
  xdotool key --clearmodifiers alt+F4
  if wait_for 30 bash -c "! kill -0 $app_pid 2>/dev/null"; then
    pass "closing $1's window ends it" && app_pid=""
  else
    fail "$1 still runs 30 s after its window was closed"
  fi
}

# A display of our own: -displayfd picks a free number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || { fail "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

start_program Wordloom.exe || exit 1
pass "the window titled Wordloom appears"
shot windows-dialog.png "$main"

# The system menu: Alt+Space opens it; Up wraps to its last entry, About
# (its mnemonic may be shared: Wine adds "About Wine" above it).
before=$(import -silent -window root rgb:- | md5sum)
xdotool key --clearmodifiers alt+space sleep 1
[ "$before" != "$(import -silent -window root rgb:- | md5sum)" ] && pass "Alt+Space opens the system menu" ||
  fail "Alt+Space changed nothing on the screen"
xdotool key Up sleep 0.5
shot windows-system-menu.png "$main" 20
xdotool key Return
if wait_for 20 has_window '^关于 Wordloom$'; then
  pass "the system menu's About entry opens the About box"
  about=$(windows_named '^关于 Wordloom$' | head -n1)
  sleep 0.5
  shot windows-about.png "$about"
  focus_window "$about"
  xdotool key Escape
  # Past X's auto-repeat delay: a held Esc would reach the dialog.
  if ! wait_for 20 no_window '^关于 Wordloom$'; then
    fail "the About box stayed open after Esc" && xdotool key Return
  elif sleep 1.5 && running; then
    pass "Esc closes the About box and only it"
  else
    fail "Esc on the About box also ended the program"
  fi
else
  fail "no About box after choosing the About entry" && xdotool key Escape
fi
sleep 0.5

# Enter on 开始组合 (the focus starts there) with empty fields, then Enter
# in the count field after choosing the separator with the keyboard.
focus_window "$main"
xdotool key Return
expect_refusal "Enter on 开始组合 with empty fields"
if still_running "choosing the separator with the keyboard"; then
  separator_by_keys_then_enter
  expect_refusal "Enter in the count field after choosing the separator with the keyboard"
fi

if [ -n "$linux_cli" ] && still_running "the generate commands"; then
  lib_dir="$work/run/中文 词库"
  out_dir="$work/run/输出"
  mkdir -p "$lib_dir" "$out_dir"
  cp "$examples/words.txt" "$lib_dir/女装词库.txt"
  focus_window "$main"
  # X delivers the first character of a new keyboard mapping too early; one
  # typed and erased first makes the core word arrive whole.
  click_dlu "$main" 174 47
  xdotool type --delay 100 '连'
  xdotool key End shift+Home Delete type --delay 100 '连衣裙'
  click_dlu "$main" 134 73
  xdotool type --delay 50 60
  # Down and Up on the closed list: the first entry, ",", whether the list
  # had nothing chosen or that entry.
  click_dlu "$main" 120 91
  xdotool key Down Up
  click_dlu "$main" 129 117
  xdotool key End shift+Home BackSpace type --delay 50 30
  click_dlu "$main" 218 115  # 打开词库
  if wait_for 30 has_window '^打开$'; then
    sleep 1
    xdotool type --delay 50 "$(windows_path "$lib_dir/女装词库.txt")"
    xdotool key Return
    wait_for 20 no_window '^打开$' || fail "the open chooser stayed open"
  else
    fail "no open chooser after 打开词库"
  fi
  click_dlu "$main" 129 175  # 开始组合, with the mouse
  save_as "$out_dir/标题"
  expect_titles "$out_dir/标题.txt" comma "a click on 开始组合"
  # With the keyboard: the next separator (a space) from the list, Enter in the count field.
  if still_running "the keyboard's generate command"; then
    separator_by_keys_then_enter
    save_as "$out_dir/键盘标题"
    expect_titles "$out_dir/键盘标题.txt" space "Enter in the count field" 30
  fi
fi
close_program "the program"

# A renamed copy captions its message boxes with its own name, while the
# dialog keeps its caption.
[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
if start_program 标题工具.exe; then
  xdotool key Return
  expect_refusal "Enter in the renamed copy" 标题工具
  close_program "the renamed copy"
fi

echo "gui-smoke: $passed passed, $failed failed"
[ "$failed" = 0 ]
