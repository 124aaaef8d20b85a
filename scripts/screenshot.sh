#!/usr/bin/env bash
# Remakes docs/screenshots/*.png: builds the dialog program (into build-gui/,
# or the folder given as the first argument), runs it under Xvfb and takes
# pictures of the main dialog and the About box with ImageMagick's import.
# Needs xvfb, xdotool and imagemagick (scripts/deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-gui}
out_dir=docs/screenshots

if [ -z "${WORDLOOM_SCREENSHOT_INNER:-}" ]; then
  cmake -S . -B "$build_dir" >/dev/null
  cmake --build "$build_dir" -j2 --target wordloom
  # Run the rest again inside a virtual display of its own.
  export WORDLOOM_SCREENSHOT_INNER=1
  exec xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" "$0" "$build_dir"
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
convert "$out_dir/context-menu-full.png" -crop "$((WIDTH + 40))x$((HEIGHT + 40))+${X}+${Y}" +repage "$out_dir/context-menu.png"
rm -f "$out_dir/context-menu-full.png"
echo "wrote $out_dir/context-menu.png"
xdotool key Escape
sleep 0.3
xdotool key Escape
wait "$pid"
trap - EXIT
