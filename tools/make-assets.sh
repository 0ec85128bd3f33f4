#!/usr/bin/env bash
# Draws the program's pictures into assets/: tools/make-assets.sh
#   floating_background.jpg  100 x 100, a large white cloud over a blue sky and sea
#   label_strip.jpg          100 x 24, a pale cyan strip behind the floating labels
#   zorvane.ico              the tray icon: 128, 64, 48, 32 and 16 pixels at 32 bits
#   zorvane.png              its 128-pixel picture, for the desktop entry
# Everything is drawn from the shapes below (nothing random, no dates in the
# files), so running it again gives the same bytes. Needs Debian's ImageMagick 6
# (tools/install-deps.sh); CONVERT names another convert program.
set -euo pipefail
cd "$(dirname "$0")/.."

convert=${CONVERT:-/usr/bin/convert}
if ! "$convert" -version 2>/dev/null | grep -q '^Version: ImageMagick'; then
  echo "make-assets: $convert is not ImageMagick's convert" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p assets

# Pictures are drawn four times larger and scaled down, which smooths edges.
jpeg=(-strip -sampling-factor 4:2:0 -quality 92 -define jpeg:dct-method=integer)

# The floating window: sky, sea with a few wave crests, a bright horizon and a
# cloud of overlapping ellipses with a greyish foot.
"$convert" -size 400x260 gradient:'#1e63c4-#8ccaf5' \
  \( -size 400x140 gradient:'#2f86c8-#0d3d74' \) -append \
  -fill '#d6f0ff' -draw 'rectangle 0,258 400,261' \
  -fill none -stroke '#ffffff50' -strokewidth 3 \
  -draw 'line 30,285 110,285 line 190,280 300,280 line 330,292 390,292' \
  -draw 'line 70,318 190,318 line 250,312 350,312' \
  -draw 'line 10,352 120,352 line 170,345 290,345 line 320,368 400,368' \
  -draw 'line 60,388 210,388 line 260,392 380,392' \
  "$work/sky.png"
"$convert" -size 400x400 xc:none \
  -fill '#b9cde3' -draw 'ellipse 205,222 150,38 0,360' \
  -fill white \
  -draw 'ellipse 110,190 70,52 0,360' \
  -draw 'ellipse 185,145 82,78 0,360' \
  -draw 'ellipse 270,160 72,62 0,360' \
  -draw 'ellipse 320,200 55,40 0,360' \
  -draw 'ellipse 200,205 150,36 0,360' \
  -blur 0x3 "$work/cloud.png"
"$convert" "$work/sky.png" "$work/cloud.png" -composite -resize 100x100 "${jpeg[@]}" \
  assets/floating_background.jpg

# The strip behind the floating window's labels.
"$convert" -size 400x96 gradient:'#eafcfd-#c8f1f4' -resize 100x24\! "${jpeg[@]}" assets/label_strip.jpg

# The icon: a rising price line, red where it climbs and green where it dips,
# on a dark rounded square. Shapes are given on a 100-unit square; smaller
# images get thicker strokes so that the line still reads at 16 pixels.
icon_image() { # size line_width
  local size=$1 width=$2 big=$(($1 * 8))
  local k grid=''
  k=$(awk -v b="$big" 'BEGIN { printf "%.4f", b / 100 }')
  # Below 32 pixels the grid lines only blur the line.
  if ((size >= 32)); then
    grid='line 12,34 88,34 line 12,58 88,58 line 12,82 88,82'
  fi
  "$convert" -size "${big}x${big}" gradient:'#2c4260-#0f1722' \
    \( -size "${big}x${big}" xc:none -fill white -draw "scale $k,$k roundrectangle 2,2 98,98 20,20" \) \
    -compose CopyOpacity -composite -compose Over \
    -draw "scale $k,$k fill none stroke #ffffff22 stroke-width 1.5 $grid" \
    -draw "scale $k,$k fill #e8382f40 stroke none polygon 16,76 36,54 52,66 84,24 84,86 16,86" \
    -draw "scale $k,$k fill none stroke-linecap round stroke-linejoin round stroke-width $width stroke #ff3b30 polyline 16,76 36,54 stroke #24c05a line 36,54 52,66 stroke #ff3b30 line 52,66 84,24" \
    -filter Lanczos -resize "${size}x${size}" -strip "$work/icon-$size.png"
}
icon_image 128 7
icon_image 64 8
icon_image 48 9
icon_image 32 11
icon_image 16 15
"$convert" "$work"/icon-{128,64,48,32,16}.png assets/zorvane.ico
# The same picture for the desktop entry of an installed copy.
cp "$work/icon-128.png" assets/zorvane.png

ls -l assets
