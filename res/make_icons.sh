#!/usr/bin/env bash
# Draws the Wordloom icon (IDR_MAINFRAME) with ImageMagick: three warp threads
# and three weft threads woven over a blue tile, a picture of words woven into
# titles. Every size is drawn on the same 16-unit grid, so the small sizes stay
# sharp instead of being shrunk from the large one. Writes icons/*.png and
# wordloom.ico (16 and 32 px, for the Windows resources).
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons

tile=#1F5C99; edge=#153F6B; warp=#F5F1E6; weft=#F2A922; shade=#00000055

draw_icon() {
  local s=$1 u=$(( $1 / 16 )) out=$2
  local r=$(( u * 3 )) last=$(( s - 1 ))
  local cmds=()
  cmds+=(-fill "$tile" -stroke "$edge" -strokewidth "$(( u > 1 ? u / 2 : 1 ))"
         -draw "roundrectangle 0,0 $last,$last $r,$r" -stroke none)
  # Warp threads (vertical) under the weft, then weft over, then the warp
  # pieces that lie on top at alternate crossings.
  local xs=(3 7 11) ys=(3 7 11)
  for x in "${xs[@]}"; do
    cmds+=(-fill "$warp" -draw "rectangle $(( x * u )),$(( 2 * u )) $(( (x + 2) * u - 1 )),$(( 14 * u - 1 ))")
  done
  for y in "${ys[@]}"; do
    cmds+=(-fill "$weft" -draw "rectangle $(( 2 * u )),$(( y * u )) $(( 14 * u - 1 )),$(( (y + 2) * u - 1 ))")
  done
  local i j
  for i in 0 1 2; do
    for j in 0 1 2; do
      if (( (i + j) % 2 == 1 )); then
        local x=${xs[$i]} y=${ys[$j]}
        if (( u >= 3 )); then
          # A thin shadow under the crossing thread shows which one is on top.
          cmds+=(-fill "$shade" -draw "rectangle $(( x * u - u / 3 )),$(( y * u )) $(( (x + 2) * u - 1 + u / 3 )),$(( (y + 2) * u - 1 ))")
        fi
        cmds+=(-fill "$warp" -draw "rectangle $(( x * u )),$(( y * u )) $(( (x + 2) * u - 1 )),$(( (y + 2) * u - 1 ))")
      fi
    done
  done
  convert -size "${s}x${s}" xc:none "${cmds[@]}" -define png:exclude-chunks=date,time -strip "PNG32:$out"
}

for s in 16 32 48 256; do
  draw_icon "$s" "icons/wordloom-$s.png"
done
convert icons/wordloom-16.png icons/wordloom-32.png wordloom.ico
echo "wrote res/icons/wordloom-{16,32,48,256}.png and res/wordloom.ico"
