#!/usr/bin/env bash
# Starts Wordloom.exe under Wine on a private Xvfb display and checks what a
# user sees: the window titled "Wordloom", with the common controls 6 its
# manifest asks for; the system menu's About box, which Esc closes, and its
# 检查词库 entry, without a library and with one; a whole generate command
# driven by the keyboard alone (Enter in the count field included), its title
# file byte for byte the Linux CLI's; the 标题公式 entry, whose window builds
# a formula from a grouped library with the keyboard, which the next run
# follows; the save chooser's CSV entry; 预览; Alt+F4 ends the program.
# Usage: gui-smoke.sh WORDLOOM_EXE LINUX_CLI
# Expects the Wine environment of wine-env.sh. Prints PASS/FAIL lines.
set -uo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-gui-XXXXXX")
passed=0 failed=0 xvfb_pid="" app_pid="" main=""
# shellcheck disable=SC2086  # an empty pid is left out
trap 'echo "gui-smoke: $passed passed, $failed failed"; kill $app_pid $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT

pass() { echo "PASS gui: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL gui: $1"; failed=$((failed + 1)); }
# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() { local i; for ((i = 0; i < $1 * 4; i++)); do "${@:2}" > /dev/null 2>&1 && return 0; sleep 0.25; done; return 1; }
# other NAME: the windows titled NAME but the dialog (its message boxes share its caption).
other() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$main"; }
gone() { ! other "$1" > /dev/null; }
# Xvfb has no window manager: a click on the caption makes Wine give the window the keyboard.
focus() { eval "$(xdotool getwindowgeometry --shell "$1")" && xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 8)) click 1 sleep 0.5; }
alive() { kill -0 "$app_pid" 2>/dev/null && xdotool search --onlyvisible --name '^Wordloom' | grep -qx "$main"; }

# chooser TITLE PATH: in the file chooser titled TITLE, the Windows form of
# PATH replaces the proposed name (a save chooser adds .txt itself).
chooser() {
  wait_for 30 other "$1" || { fail "no $1 chooser"; return 1; }
  sleep 1 && xdotool key End shift+Home BackSpace type --delay 100 "Z:${2//\//\\}"
  xdotool key Return
  wait_for 20 gone "$1" || fail "the $1 chooser stayed open"
}

# A display of our own: -displayfd picks a free number; -noreset keeps it
# when a stalled start below takes its last client away.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" & xvfb_pid=$!
wait_for 20 test -s "$work/display" || { fail "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# The program starts from a folder of its own, which holds the library to open
# and the folder to save in, Chinese names on the way.
lib="$work/run/中文 词库/女装词库.txt" out="$work/run/输出/标题"
mkdir -p "$(dirname "$lib")" "$(dirname "$out")" && cp "$(dirname "$0")/../../examples/words.txt" "$lib"
cp "$1" "$work/run/Wordloom.exe"
# Wine's own start-up now and then stalls on a busy machine: such a start goes
# once more; a fault of the program would repeat.
for try in 1 2; do
  (cd "$work/run" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all,+loaddll exec wine Wordloom.exe > "$work/wine.log" 2>&1) & app_pid=$!
  wait_for 90 other Wordloom && pass "the window titled Wordloom appears" && break
  echo "note: no window within 90 s (start $try); Wine said:" && cat "$work/wine.log"
  kill "$app_pid" 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; app_pid=""
done
[ -n "$app_pid" ] || { fail "no window titled Wordloom within 90 s, twice"; exit 1; }
main=$(other Wordloom | head -n1)
# The manifest's common controls 6 give the dialog its look. Wine's loader
# takes them from the side-by-side store (winsxs), the old ones from
# system32: a manifest Windows cannot match leaves the program with those.
grep -iq 'Loaded L"[^"]*\\winsxs\\[^"]*common-controls_[^"]*\\comctl32\.dll"' "$work/wine.log" &&
  pass "the dialog runs with common controls 6" ||
  fail "the dialog runs without common controls 6; Wine loaded: $(grep -io 'Loaded L"[^"]*comctl32[^"]*"' "$work/wine.log" | tr '\n' ' ')"

# After the first paint; up from the system menu's top wraps to its last entry, About.
sleep 1 && focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key Up sleep 0.5 key Return
if wait_for 20 other '关于 Wordloom'; then
  pass "Alt+Space, Up, Return opens the About box"
  focus "$(other '关于 Wordloom' | head -n1)" && xdotool key Escape
  # Past X's auto-repeat delay: a held Esc would reach the dialog.
  wait_for 20 gone '关于 Wordloom' && sleep 1.5 && alive && pass "Esc closes the About box and only it" ||
    fail "Esc did not close the About box, or closed the dialog too"
else fail "no About box from the system menu's last entry"; fi

# 检查词库 (K) stands above About: with no library chosen yet it says so, as 开始组合 does.
focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key k
if wait_for 20 other Wordloom; then
  focus "$(other Wordloom | head -n1)" && xdotool key Return
  wait_for 20 gone Wordloom && sleep 1.5 && alive && pass "the system menu's 检查词库 without a library asks for one" ||
    fail "the 检查词库 message did not close, or closed the dialog too"
else fail "no message from the system menu's 检查词库 without a library"; fi

# The tab order (the template's): 开始组合 (the focus starts there), 退出,
# count, 打开词库, core word, length, separator list.
focus "$main" && xdotool key Tab Tab Tab sleep 0.3 key Return
chooser 打开 "$lib"
# X delivers the first character of a new keyboard mapping too early; one
# typed and erased first makes the core word arrive whole.
xdotool key Tab sleep 0.3 type --delay 100 连
xdotool key End shift+Home Delete type --delay 100 连衣裙
xdotool key Tab type --delay 50 60
# F4, Down, Return on the list with nothing chosen picks its first entry, ",".
xdotool key Tab sleep 0.3 key F4 sleep 0.5 key Down sleep 0.3 key Return sleep 0.5
# Past the buttons to the count field. Enter there must reach the save chooser
# only once: run from the key hook, the chooser would take it as its own too.
xdotool key Tab Tab Tab sleep 0.3 type --delay 50 30
xdotool key Return
chooser 另存为 "$out"
"$2" -l "$lib" -c 连衣裙 -n 60 -N 30 -s comma -o "$work/expected.txt"
wait_for 60 cmp -s "$work/expected.txt" "$out.txt" && pass "the keyboard's generate command writes the Linux CLI's titles at the Chinese path" ||
  fail "the keyboard's generate command wrote no title file like the Linux CLI's at $out.txt"

# With the library chosen, 检查词库 shows its report in a window of its own; Esc closes it.
focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key k
if wait_for 30 other 检查词库; then
  focus "$(other 检查词库 | head -n1)" && xdotool key Escape
  wait_for 20 gone 检查词库 && sleep 1.5 && alive && pass "检查词库 shows the chosen library's report, and Esc closes it" ||
    fail "Esc did not close the 检查词库 window, or closed the dialog too"
else fail "no 检查词库 window for the chosen library"; fi

# 标题公式 (F): the plain library has no groups, which it says; with the
# grouped one its window opens on the groups, Alt+D adds the first, 品牌,
# after the core word, and Return in the formula's list is 确定.
focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key f
if wait_for 20 other Wordloom; then
  focus "$(other Wordloom | head -n1)" && xdotool key Return
  wait_for 20 gone Wordloom && sleep 1.5 && alive && pass "the system menu's 标题公式 says a library without groups has none" ||
    fail "the 标题公式 message did not close, or closed the dialog too"
else fail "no message from 标题公式 for a library without groups"; fi
grouped="$work/run/中文 词库/分组词库.txt"
cp "$(dirname "$0")/../../examples/grouped-words.txt" "$grouped"
# The focus is back in the count field; 打开词库 comes next.
focus "$main" && xdotool key Tab sleep 0.3 key Return
chooser 打开 "$grouped"
focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key f
if wait_for 30 other 标题公式; then
  focus "$(other 标题公式 | head -n1)" && xdotool key alt+d sleep 0.5 key alt+s sleep 0.5 key Return
  if wait_for 20 gone 标题公式 && wait_for 10 bash -c "xdotool getwindowname $main | grep -q '公式：中心词 + 品牌'"; then
    pass "标题公式 builds a formula with the keyboard, and the caption names it"
  else fail "the 标题公式 window did not close with its formula, or the caption does not name it"; fi
  # Back from 打开词库 past the count field and 退出 to 开始组合.
  focus "$main" && xdotool key shift+Tab shift+Tab shift+Tab sleep 0.3 key Return
  chooser 另存为 "$out-公式"
  # The sequence runs on from the run before: each title is the core word and a brand.
  formula_titles() {
    [ "$(iconv -f GBK -t UTF-8 "$out-公式.txt" | tr -d '\r' | grep -cE '^标题[0-9]+:连衣裙,(素锦阁|韵纱坊|棠梨记),$')" = 30 ]
  }
  wait_for 60 formula_titles && pass "the run after it follows the formula: the core word, then one brand" ||
    fail "the run under the formula wrote no title file of the core word and a brand at $out-公式.txt"
else fail "no 标题公式 window for the grouped library"; fi

# The save chooser's third entry, CSV: a name typed without an extension
# gets .csv, and the file is a csv of the same run's kind.
focus "$main" && xdotool key Return  # the focus is still on 开始组合
if wait_for 30 other 另存为; then
  sleep 1 && xdotool key End shift+Home BackSpace type --delay 100 "Z:${out//\//\\}-表格"
  xdotool key Tab sleep 0.5 key Down Down sleep 0.5 key Return
  wait_for 20 gone 另存为 || fail "the 另存为 chooser stayed open"
  wait_for 60 bash -c "[ \"\$(iconv -f GBK -t UTF-8 '$out-表格.csv' | head -n1)\" = \$'序号,标题,字节数\\r' ]" && pass "the save chooser's CSV entry writes a csv, adding .csv to the name" ||
    fail "no csv of 30 titles at $out-表格.csv"
else fail "no 另存为 chooser for the csv"; fi

# 预览 (P) shows the next titles in a window of its own; Esc closes it.
focus "$main" && xdotool key --clearmodifiers alt+space sleep 1 key p
if wait_for 30 other 预览; then
  focus "$(other 预览 | head -n1)" && xdotool key Escape
  wait_for 20 gone 预览 && sleep 1.5 && alive && pass "预览 shows the next run's titles, and Esc closes it" ||
    fail "Esc did not close the 预览 window, or closed the dialog too"
else fail "no 预览 window"; fi

if alive && focus "$main" && xdotool key --clearmodifiers alt+F4 && wait_for 30 bash -c "! kill -0 $app_pid"; then
  pass "Alt+F4 on the dialog ends the program" && app_pid=""
else fail "the program was gone before Alt+F4 on its dialog, or ran on 30 s after it"; fi
[ "$failed" = 0 ]
