#!/usr/bin/env bash
# Remakes docs/screenshots/*.png: builds the dialog program (into build-gui/,
# or the folder given as the first argument), runs it under Xvfb on a Chinese
# desktop (zh_CN.UTF-8) and takes pictures with ImageMagick's import: the main
# dialog, the About box, the context menu, the save chooser, the progress
# window of a long run (cancelled; it leaves no file), the title formula
# window with a formula built from the example's grouped library, and the
# preview.
# Needs xvfb, xdotool, imagemagick and the zh_CN.UTF-8 locale (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-gui}
out_dir=docs/screenshots

if [ -z "${WORDLOOM_SCREENSHOT_INNER:-}" ]; then
  cmake -S . -B "$build_dir" >/dev/null
  cmake --build "$build_dir" -j2 --target wordloom
  locale -a | grep -ix 'zh_CN.utf8' >/dev/null || { echo "screenshot.sh: no zh_CN.UTF-8 locale (scripts/deps.sh)" >&2; exit 1; }
  # Run the rest again inside a virtual display of its own.
  export WORDLOOM_SCREENSHOT_INNER=1 LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 LANGUAGE=
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$build_dir"
fi

mkdir -p "$out_dir"
"$build_dir/app/wordloom" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

find_window() {  # $1: exact title; prints the window id
  local id=""
  for _ in $(seq 1 100); do
    id=$(xwininfo -root -tree | awk -v t="\"$1\":" '$2 == t || ($2 " " $3) == t { print $1; exit }')
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "screenshot.sh: no window titled $1" >&2; exit 1; }
  echo "$id"
}

# Crops the root window to one window; Xvfb has no window manager, so no frame.
shoot() {  # $1: window id, $2: output file
  eval "$(xdotool getwindowgeometry --shell "$1")"
  sleep 0.5
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "wrote $2"
}

main=$(find_window Wordloom)
xdotool windowfocus --sync "$main" 2>/dev/null || true
shoot "$main" "$out_dir/main-dialog.png"

xdotool key F1
about=$(find_window "关于 Wordloom")
shoot "$about" "$out_dir/about-box.png"
xdotool key Escape
sleep 0.3

# The context menu standing in for the system menu.
xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key shift+F10
sleep 0.8
import -window root "$out_dir/context-menu-full.png"
eval "$(xdotool getwindowgeometry --shell "$main")"
# The menu opens near the dialog's foot and reaches below it: room for all its entries.
convert "$out_dir/context-menu-full.png" -crop "$((WIDTH + 40))x$((HEIGHT + 120))+${X}+${Y}" +repage "$out_dir/context-menu.png"
rm -f "$out_dir/context-menu-full.png"
echo "wrote $out_dir/context-menu.png"
xdotool key Escape
sleep 0.3

# A long run: choose the example library, fill the fields, save.
eval "$(xdotool getwindowgeometry --shell "$main")"
MX=$X MY=$Y MW=$WIDTH MH=$HEIGHT
click_dlu() {  # a click at a point of the dialog template, in dialog units
  xdotool mousemove --sync "$((MX + $1 * MW / 320))" "$((MY + $2 * MH / 200))" click 1
  sleep 0.5
}
open_library() {  # 打开词库, the chooser given the path of $1
  click_dlu 218 115
  find_window 打开 >/dev/null
  xdotool key ctrl+l
  xdotool type --delay 20 "$1"
  xdotool key Return
  sleep 1
}
context_menu() {  # the window's own menu, beside 关于
  xdotool mousemove --sync "$((MX + 20))" "$((MY + 20))" click 3
  sleep 0.8
}
runs=$(mktemp -d "$PWD/$build_dir/screenshot-run-XXXXXX")
trap 'kill -CONT "$pid" 2>/dev/null; kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null; rm -rf "$runs"' EXIT
open_library "$PWD/examples/words.txt"
click_dlu 174 47 && xdotool type --delay 50 连衣裙
click_dlu 134 73 && xdotool type 60
click_dlu 160 92 && xdotool key Down Return
click_dlu 129 117 && xdotool type 50000000
click_dlu 129 175  # 开始组合
save=$(find_window 另存为)
# Without a window manager the chooser takes whatever size GTK likes.
xdotool windowmove --sync "$save" 100 100 windowsize --sync "$save" 760 520
sleep 1
shoot "$save" "$out_dir/save-chooser.png"
xdotool key ctrl+a
xdotool type --delay 10 "$runs/titles.txt"
xdotool key Return
# The progress window shows after half a second; its time rows fill in after
# another second. The program is held still while its picture is taken.
sleep 2.5
kill -STOP "$pid"
sleep 0.3
import -window root -crop "${MW}x${MH}+${MX}+${MY}" +repage "$out_dir/progress-window.png"
echo "wrote $out_dir/progress-window.png"
kill -CONT "$pid"
# xwininfo gives window ids in hex, xdotool in decimal.
progress=$(xdotool search --onlyvisible --name '^Wordloom$' | grep -vx "$((main))" | head -n1)
xdotool windowfocus --sync "$progress" key Escape
sleep 1
[ -z "$(ls -A "$runs")" ] || { echo "screenshot.sh: the cancelled run left files: $(ls -A "$runs")" >&2; exit 1; }

# The formula window, from the grouped example: a formula built with clicks.
open_library "$PWD/examples/grouped-words.txt"
context_menu
xdotool key f  # 标题公式(&F)
formula=$(find_window 标题公式)
eval "$(xdotool getwindowgeometry --shell "$formula")"
FX=$X FY=$Y FW=$WIDTH FH=$HEIGHT
at() { xdotool mousemove --sync "$((FX + $1))" "$((FY + $2))" click 1; sleep 0.3; }
row() { at 60 $((40 + 19 * $1)); }  # a row of the group list, from 0
add() { at 70 330; }                # 添加到公式
choose() { at 110 "$1"; at 110 $(($1 + 25 * $2)); }  # a count's list: from where it stands, that many items on
row 0; add; at 400 55; at 285 330   # 品牌, moved above the core word
for r in 1 2 3 4; do row "$r"; add; done  # 款式 袖长 领型 图案
row 7; choose 265 1; add; choose 265 -1  # 卖点, 1 to 2
xdotool mousemove --sync "$((FX + 60))" "$((FY + 100))" click 5 click 5 click 5
sleep 0.3
row 8; at 18 297; choose 227 -1; add  # 流量词, as many as fit
sleep 0.5
import -window root -crop "${FW}x${FH}+${FX}+${FY}" +repage "$out_dir/formula-window.png"
echo "wrote $out_dir/formula-window.png"
xdotool key Escape
sleep 0.3

# The preview of the plain library's next run, with the fields as they are.
open_library "$PWD/examples/words.txt"
context_menu
xdotool key p  # 预览(&P)
preview=$(find_window 预览)
shoot "$preview" "$out_dir/preview-window.png"
xdotool key Escape
sleep 0.3

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key Escape
wait "$pid"
trap - EXIT
rm -rf "$runs"
