#!/usr/bin/env bash
# Regenerates the program's own artwork with ImageMagick:
#   MarloCheckTool.ico   application icon (16..256 px), resource 166
#   checking.gif         animated "checking" picture, resource 167
# The generated files are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Icon: a blue rounded tile with a white check mark.
convert -size 256x256 xc:none \
    -fill '#1E2D46' -draw 'roundrectangle 8,8 247,247 48,48' \
    -fill '#006ED2' -draw 'roundrectangle 24,24 231,231 36,36' \
    -stroke white -strokewidth 28 -fill none -draw 'polyline 64,132 108,178 192,84' \
    "$tmp/icon256.png"
for s in 16 20 24 32 48 64 128; do
    convert "$tmp/icon256.png" -resize ${s}x${s} "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon20.png" "$tmp/icon24.png" "$tmp/icon32.png" "$tmp/icon48.png" \
    "$tmp/icon64.png" "$tmp/icon128.png" "$tmp/icon256.png" MarloCheckTool.ico

# Animation: twelve dots in a ring, one bright dot going round (12 frames, 80 ms).
frames=()
for i in $(seq 0 11); do
    draw=()
    for j in $(seq 0 11); do
        a=$(echo "($j * 30 - 90) * 3.14159265 / 180" | bc -l)
        x=$(printf '%.0f' "$(echo "72 + 44 * c($a)" | bc -l)")
        y=$(printf '%.0f' "$(echo "54 + 44 * s($a)" | bc -l)")
        d=$(( (j - i + 12) % 12 ))
        case $d in
            0) c='#006ED2'; r=9 ;;
            11) c='#3C8FDC'; r=8 ;;
            10) c='#78B0E6'; r=7 ;;
            9) c='#A8CBEF'; r=6 ;;
            *) c='#D5E3F2'; r=5 ;;
        esac
        draw+=(-fill "$c" -draw "circle $x,$y $((x + r)),$y")
    done
    convert -size 144x108 xc:'#F6F8FB' "${draw[@]}" "$tmp/f$(printf %02d "$i").gif"
    frames+=("$tmp/f$(printf %02d "$i").gif")
done
convert -delay 8 -loop 0 "${frames[@]}" -layers Optimize checking.gif
