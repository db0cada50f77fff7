#!/usr/bin/env bash
# Draws the start-page picture (272 x 126, 24 bits, uncompressed) and the
# program icon with ImageMagick. Their output is committed under src/res/;
# run this only to change them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
res="$here/../src/res"
font=/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A night sky: a deep gradient, a fixed scatter of stars, the title.
stars=()
seed=20261208
for i in $(seq 1 90); do
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  x=$(( seed % 272 ))
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  y=$(( seed % 126 ))
  seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
  r=$(( seed % 3 == 0 ? 1 : 0 ))
  stars+=(-draw "circle $x,$y $((x + r)),$y")
done

convert -size 272x126 gradient:'#0b1030-#3a2a5e' \
  -fill '#fff8e0' "${stars[@]}" \
  -fill none -stroke '#e8d890' -strokewidth 1 \
  -draw "path 'M 240,12 L 244,22 L 255,23 L 247,30 L 249,41 L 240,35 L 231,41 L 233,30 L 225,23 L 236,22 Z'" \
  -stroke none -fill '#f4ecd0' -font "$font" -pointsize 34 -gravity center \
  -annotate +0-6 'ほしかげ' \
  -pointsize 12 -fill '#c8c0e0' -annotate +0+28 'セットアップ' \
  -type TrueColor -compress None "BMP3:$res/start.bmp"

# The icon: a star on the night colour, at the two classic sizes.
for s in 16 32; do
  convert -size ${s}x${s} xc:'#1a1a48' -fill '#f0d860' \
    -draw "scale $(echo "$s / 32" | bc -l),$(echo "$s / 32" | bc -l) path 'M 16,3 L 20,12 L 30,13 L 22,19 L 25,29 L 16,23 L 7,29 L 10,19 L 2,13 L 12,12 Z'" \
    -type TrueColor "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$res/setup.ico"
