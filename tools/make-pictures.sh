#!/bin/sh
# Draws the program's pictures with ImageMagick into the given folder
# (src/resources). Run once; the pictures are committed, not built.
set -e
out=${1:-.}
face='#f0f0f0'
q="-quality 88 -sampling-factor 1x1 -strip"
bold=Helvetica-Bold

# Blue abstract background: soft plasma clouds, swirled, with light rings.
convert -size 800x600 -seed 11 plasma:'#1e5bd8'-'#021033' -blur 0x12 -swirl 160 \
  \( -size 800x600 radial-gradient:'#5fa8ff'-'#00081f' \) -compose softlight -composite \
  -fill none -stroke '#9fd0ff40' -strokewidth 3 \
  -draw "circle 620,140 620,320" -draw "circle 180,470 180,620" \
  -stroke '#ffffff22' -strokewidth 18 -draw "ellipse 400,330 560,150 0,360" \
  -quality 70 -strip "$out/background.jpg"

# The cooperative's emblem: a ring with the name, a star, the campus below.
convert -size 300x200 xc:white \
  -fill '#0b3d91' -draw "circle 150,100 150,8" \
  -fill '#f2c12e' -draw "circle 150,100 150,20" \
  -fill '#0b3d91' -draw "circle 150,100 150,32" \
  -fill white -draw "circle 150,100 150,38" \
  -fill '#f2c12e' -stroke '#0b3d91' -strokewidth 2 \
  -draw "polygon 150,46 157,62 174,62 160,72 165,88 150,78 135,88 140,72 126,62 143,62" \
  -stroke none -fill '#0b3d91' -font $bold -pointsize 30 -gravity center -annotate +0+16 'KOPMA' \
  -fill '#c0392b' -pointsize 12 -annotate +0+40 'UNRAWI' \
  $q "$out/logo.jpg"

# Window icon: the emblem's colours with a K.
convert -size 64x64 xc:'#0b3d91' -fill '#f2c12e' -draw "circle 32,32 32,3" \
  -fill '#0b3d91' -draw "circle 32,32 32,8" \
  -fill white -font $bold -pointsize 34 -gravity center -annotate +0+1 'K' \
  $q "$out/icon.jpg"

# Speed-button pictures, 32x32.
convert -size 32x32 xc:$face -fill '#2c6fbb' -draw "circle 16,10 16,4" \
  -draw "ellipse 16,29 12,10 180,360" -fill '#f5d0a9' -draw "circle 16,10 16,6" \
  $q "$out/anggota.jpg"
convert -size 32x32 xc:$face -fill '#d4a017' -stroke '#8a6508' -strokewidth 1 \
  -draw "ellipse 12,25 9,4 0,360" -draw "ellipse 12,21 9,4 0,360" -draw "ellipse 12,17 9,4 0,360" \
  -draw "ellipse 22,24 8,4 0,360" -draw "ellipse 22,20 8,4 0,360" \
  -draw "ellipse 20,10 8,6 0,360" -fill '#8a6508' -stroke none \
  -font $bold -pointsize 9 -annotate +17+13 'Rp' \
  $q "$out/simpanan.jpg"
convert -size 32x32 xc:$face -fill white -stroke '#555555' -draw "rectangle 8,3 26,27" \
  -stroke '#888888' -draw "line 11,8 23,8" -draw "line 11,12 23,12" -draw "line 11,16 19,16" \
  -stroke '#a0522d' -fill '#e0a060' -draw "roundrectangle 2,20 20,29 3,3" \
  -fill '#d4a017' -stroke '#8a6508' -draw "circle 24,22 24,17" \
  $q "$out/pinjaman.jpg"
convert -size 32x32 xc:$face -fill white -stroke '#555555' -draw "rectangle 5,2 27,29" \
  -stroke none -fill '#2c6fbb' -draw "rectangle 9,18 12,26" -fill '#27ae60' -draw "rectangle 15,12 18,26" \
  -fill '#c0392b' -draw "rectangle 21,15 24,26" -stroke '#888888' -draw "line 9,6 23,6" -draw "line 9,9 20,9" \
  $q "$out/laporan.jpg"
convert -size 32x32 xc:$face -fill white -stroke '#777777' \
  -draw "polygon 7,2 25,2 25,27 22,30 19,27 16,30 13,27 10,30 7,27" \
  -stroke '#999999' -draw "line 10,7 22,7" -draw "line 10,11 22,11" -draw "line 10,15 18,15" \
  -stroke '#2c6fbb' -draw "line 10,21 22,21" \
  $q "$out/slip.jpg"

# Glyphs of buttons, 24x24.
convert -size 24x24 xc:$face -fill '#1e9e3a' -stroke '#147a2a' \
  -draw "polygon 2,12 5,9 10,14 19,3 22,6 10,20" $q "$out/ok.jpg"
convert -size 24x24 xc:$face -fill none -stroke '#d42020' -strokewidth 4 \
  -draw "line 5,5 19,19" -draw "line 19,5 5,19" $q "$out/cancel.jpg"
convert -size 24x24 xc:$face -fill '#8b5a2b' -stroke '#5a3a1a' -draw "rectangle 4,2 15,22" \
  -fill '#c08040' -draw "polygon 4,2 11,5 11,22 4,22" -fill '#ffd700' -stroke none -draw "circle 9,13 9,12" \
  -fill '#1e9e3a' -draw "polygon 15,9 19,9 19,6 23,12 19,18 19,15 15,15" $q "$out/close.jpg"
convert -size 24x24 xc:$face -fill '#1f3f7f' -draw "rectangle 5,5 7,19" -draw "polygon 19,5 19,19 9,12" $q "$out/first.jpg"
convert -size 24x24 xc:$face -fill '#1f3f7f' -draw "polygon 16,5 16,19 6,12" $q "$out/prior.jpg"
convert -size 24x24 xc:$face -fill '#1f3f7f' -draw "polygon 8,5 8,19 18,12" $q "$out/next.jpg"
convert -size 24x24 xc:$face -fill '#1f3f7f' -draw "polygon 5,5 5,19 15,12" -draw "rectangle 17,5 19,19" $q "$out/last.jpg"
convert -size 24x24 xc:$face -fill '#d8ecff' -stroke '#333333' -strokewidth 2 -draw "circle 10,10 10,4" \
  -strokewidth 4 -stroke '#7a4a1a' -draw "line 15,15 21,21" $q "$out/search.jpg"
convert -size 24x24 xc:$face -fill '#2c6fbb' -font $bold -pointsize 20 -gravity center -annotate +0+1 '#' \
  $q "$out/number.jpg"
