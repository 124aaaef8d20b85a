#!/usr/bin/env bash
# Starts Wordloom.exe under Wine on a private Xvfb display and checks, as a
# user would see it: the window titled "Wordloom" appears; Alt+Space opens
# the system menu and its About entry opens the About box; a generate
# command without a library shows a message box captioned with the
# executable's name; closing the window ends the program.
# With LINUX_CLI given, a whole generate command is also run through the
# dialog (a library and an output folder with Chinese names, a Chinese core
# word) and its title file compared byte for byte with the Linux CLI's.
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

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "PASS gui: $1"; passed=$((passed + 1)); }
fail() {
  echo "FAIL gui: $1"
  failed=$((failed + 1))
  # What the screen showed then, for whoever reads the failure.
  if [ -n "${DISPLAY:-}" ] && [ -n "${WORDLOOM_FAILURE_SHOTS:-}" ]; then
    mkdir -p "$WORDLOOM_FAILURE_SHOTS"
    import -silent -window root "$WORDLOOM_FAILURE_SHOTS/failure-$failed.png" 2>/dev/null
  fi
}

# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local limit=$(($1 * 4))
  shift
  for ((i = 0; i < limit; i++)); do
    "$@" > /dev/null 2>&1 && return 0
    sleep 0.25
  done
  return 1
}

windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }
has_window() { [ -n "$(windows_named "$1")" ]; }
no_window() { [ -z "$(windows_named "$1")" ]; }
count_windows() { windows_named "$1" | wc -l; }
at_least() { [ "$(count_windows "$2")" -ge "$1" ]; }
exactly() { [ "$(count_windows "$2")" -eq "$1" ]; }

# Xvfb has no window manager to activate windows: a click on the caption
# makes Wine activate it and give it the keyboard, as on Windows.
focus_window() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync "$((X + WIDTH / 2))" "$((Y + 8))" click 1
  sleep 0.5
}

# click_dlu WINDOW X Y: a click at a point of the dialog template, in dialog
# units (320 x 200 for the whole client area, below the 19-pixel caption
# and inside the 3-pixel frame Wine draws).
click_dlu() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local cw=$((WIDTH - 6)) ch=$((HEIGHT - 6 - 19))
  xdotool mousemove --sync "$((X + 3 + $2 * cw / 320))" "$((Y + 3 + 19 + $3 * ch / 200))" click 1
  sleep 0.4
}

windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# shot FILE WINDOW: the screen area of the window, plus a margin for menus.
shot() {
  local file=$1 win=$2
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  local x=$((X > 10 ? X - 10 : 0)) y=$((Y > 10 ? Y - 10 : 0))
  import -silent -window root -crop "$((WIDTH + 20))x$((HEIGHT + 20))+$x+$y" +repage "$shots/$file"
}

# A display of our own: -displayfd picks a free number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || { fail "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# Runs from a folder of its own, as a user would start it from Explorer.
mkdir -p "$work/run"
cp "$exe" "$work/run/Wordloom.exe"
(cd "$work/run" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 exec wine Wordloom.exe > "$work/app.log" 2>&1) &
app_pid=$!

if wait_for 90 has_window '^Wordloom$'; then
  pass "the window titled Wordloom appears"
else
  fail "no window titled Wordloom within 90 s"
  cat "$work/app.log"
  exit 1
fi
main=$(windows_named '^Wordloom$' | head -n1)
sleep 1  # first paint
focus_window "$main"
shot windows-dialog.png "$main"

# The system menu: Alt+Space opens it, its About entry (&A) the About box.
before=$(import -silent -window root rgb:- | md5sum)
xdotool key --clearmodifiers alt+space
sleep 1
after=$(import -silent -window root rgb:- | md5sum)
if [ "$before" != "$after" ]; then
  pass "Alt+Space opens the system menu"
else
  fail "Alt+Space changed nothing on the screen"
fi
# Up wraps to the last entry, About (its mnemonic A may be shared: Wine adds
# "About Wine" above it); the picture shows it highlighted.
xdotool key Up
sleep 0.5
if [ -n "$shots" ]; then
  mkdir -p "$shots"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  import -silent -window root -crop "$((WIDTH + 40))x$((HEIGHT + 40))+$((X > 10 ? X - 10 : 0))+$((Y > 10 ? Y - 10 : 0))" +repage "$shots/windows-system-menu.png"
fi
xdotool key Return
if wait_for 20 has_window '^关于 Wordloom$'; then
  pass "the system menu's About entry opens the About box"
  about=$(windows_named '^关于 Wordloom$' | head -n1)
  sleep 0.5
  shot windows-about.png "$about"
  xdotool key --window "$about" Escape 2>/dev/null || xdotool key Escape
  if wait_for 20 no_window '^关于 Wordloom$'; then
    pass "Esc closes the About box"
  else
    fail "the About box stayed open after Esc"
    xdotool key Return
  fi
else
  fail "no About box after choosing the About entry"
  xdotool key Escape
fi
sleep 0.5

# Enter with empty fields: the generate command refuses with a message box
# captioned "Wordloom" (the executable's name), over the still-open dialog.
focus_window "$main"
xdotool key Return
if wait_for 20 at_least 2 '^Wordloom$'; then
  pass "a refused generate command shows a message box captioned Wordloom"
  sleep 0.5
  box=$(windows_named '^Wordloom$' | grep -vx "$main" | head -n1)
  shot windows-message.png "$box"
  xdotool key Return
  wait_for 20 exactly 1 '^Wordloom$' || fail "the message box did not close"
else
  fail "no message box after Enter with empty fields"
fi
sleep 0.5

if [ -n "$linux_cli" ]; then
  lib_dir="$work/run/中文 词库"
  out_dir="$work/run/输出"
  mkdir -p "$lib_dir" "$out_dir"
  cp "$examples/words.txt" "$lib_dir/女装词库.txt"
  focus_window "$main"
  # X delivers the first character of a new keyboard mapping too early; one
  # typed and erased first makes the core word arrive whole.
  click_dlu "$main" 174 47
  xdotool type --delay 100 '连'
  xdotool key End shift+Home Delete
  xdotool type --delay 100 '连衣裙'
  click_dlu "$main" 134 73
  xdotool type --delay 50 60
  click_dlu "$main" 120 91
  xdotool key Down  # the first entry of the sorted list: ","
  click_dlu "$main" 129 117
  xdotool type --delay 50 30
  click_dlu "$main" 218 115  # 打开词库
  if wait_for 30 has_window '^打开$'; then
    sleep 1
    xdotool type --delay 50 "$(windows_path "$lib_dir/女装词库.txt")"
    xdotool key Return
    wait_for 20 no_window '^打开$' || fail "the open chooser stayed open"
  else
    fail "no open chooser after 打开词库"
  fi
  click_dlu "$main" 129 175  # 开始组合
  if wait_for 30 has_window '^另存为$'; then
    sleep 1
    # The chooser proposes "test"; a name typed without extension gets .txt.
    xdotool key End shift+Home BackSpace
    xdotool type --delay 50 "$(windows_path "$out_dir/标题")"
    xdotool key Return
  else
    fail "no save chooser after 开始组合"
  fi
  if wait_for 60 test -s "$out_dir/标题.txt"; then
    (cd "$work" && "$linux_cli" -l "$lib_dir/女装词库.txt" -c 连衣裙 -n 60 -N 30 -s comma -o expected.txt)
    if cmp -s "$work/expected.txt" "$out_dir/标题.txt"; then
      pass "a generate command through the dialog writes the Linux CLI's title file, Chinese paths and all"
    else
      fail "the dialog's title file differs from the Linux CLI's"
    fi
  else
    fail "no title file from the dialog in 60 s"
  fi
  sleep 0.5
fi

# Closing the window (the close command, as the close box sends it) ends
# the program.
focus_window "$main"
xdotool key --clearmodifiers alt+F4
if wait_for 30 bash -c "! kill -0 $app_pid 2>/dev/null"; then
  pass "closing the window ends the program"
  app_pid=""
else
  fail "the program still runs 30 s after its window was closed"
fi

# A renamed copy captions its message boxes with its own name, while the
# dialog keeps its caption.
[ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
cp "$exe" "$work/run/标题工具.exe"
(cd "$work/run" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 exec wine 标题工具.exe > "$work/app2.log" 2>&1) &
app_pid=$!
if wait_for 90 has_window '^Wordloom$'; then
  main=$(windows_named '^Wordloom$' | head -n1)
  sleep 1
  focus_window "$main"
  xdotool key Return
  if wait_for 20 has_window '^标题工具$'; then
    pass "a renamed copy's message box takes the executable's name as caption"
    xdotool key Return
    wait_for 20 no_window '^标题工具$' || fail "the renamed copy's message box did not close"
  else
    fail "no message box captioned 标题工具 from the renamed copy"
  fi
  focus_window "$main"
  xdotool key --clearmodifiers alt+F4
  if wait_for 30 bash -c "! kill -0 $app_pid 2>/dev/null"; then
    app_pid=""
  else
    fail "the renamed copy still runs after its window was closed"
  fi
else
  fail "the renamed copy showed no window titled Wordloom"
fi

echo "gui-smoke: $passed passed, $failed failed"
[ "$failed" = 0 ]
