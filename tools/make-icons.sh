#!/bin/sh
# Draws the program's icon for the desktop menu, at the hicolor theme's usual
# sizes, into packaging/icons/<size>.png. It is the window icon of
# src/resources/icon.jpg (see make-pictures.sh) drawn once large and scaled
# down, so every size is sharp. Run once; the pictures are committed, not built.
set -e
out=${1:-$(dirname "$0")/../packaging/icons}
mkdir -p "$out"
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT

# The 64-pixel design of icon.jpg, sixteen times larger.
convert -size 1024x1024 xc:'#0b3d91' -fill '#f2c12e' -draw "circle 512,512 512,48" \
  -fill '#0b3d91' -draw "circle 512,512 512,128" \
  -fill white -font Helvetica-Bold -pointsize 544 -gravity center -annotate +0+16 'K' \
  -strip "$big"

for size in 16 22 24 32 48 64 128 256; do
  convert "$big" -filter Lanczos -resize "${size}x${size}" -strip "PNG24:$out/$size.png"
done
