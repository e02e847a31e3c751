#!/usr/bin/env bash
# Draws the window's banner and the program icon with ImageMagick.
# The PNGs are committed; run this again only to change them. They are written with
# 8 bits per channel: the window decodes the banner at every start, and a 16-bit PNG
# costs several times as much to read. For the same reason the banner is drawn at
# 759 x 187 and stored reduced to the size the window shows it, 302 x 74 (80 mm).
# -scale averages pixels as Qt's smooth scaling does: the committed banner, reduced by
# Qt, differs from its output by one level on a few pixels.
set -euo pipefail
cd "$(dirname "$0")/images"
gras=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
normal=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf

# A stretch of CAN frame: the bits, their levels on CAN_H (red) and CAN_L (blue).
bits=0100110101100010110
x0=20; pas=38; hr=126; hd=108; lr=154; ld=172
# Each wire is drawn as separate segments (a polyline would be closed by ImageMagick).
canh="" ; canl="" ; prec=1 ; x=$x0
for ((i = 0; i < ${#bits}; i++)); do
  b=${bits:i:1}
  yh=$(( b == 1 ? hr : hd )); yl=$(( b == 1 ? lr : ld ))
  [ "$b" != "$prec" ] && canh+="line $x,$(( prec == 1 ? hr : hd )) $x,$yh " &&
    canl+="line $x,$(( prec == 1 ? lr : ld )) $x,$yl "
  canh+="line $x,$yh $((x + pas)),$yh "; canl+="line $x,$yl $((x + pas)),$yl "
  prec=$b; x=$((x + pas))
done
grille=""
for ((x = x0; x <= x0 + pas * ${#bits}; x += pas)); do grille+="line $x,100 $x,180 "; done

convert -size 759x187 gradient:'#eaf1fb-#c9d9ef' \
  -fill none -stroke '#b3c4dc' -strokewidth 1 -draw "$grille" \
  -stroke '#d01010' -strokewidth 5 -draw "$canh" \
  -stroke '#1030d0' -strokewidth 5 -draw "$canl" \
  -stroke none -fill '#1b2f5a' -font "$gras" -pointsize 84 -annotate +18+86 'Varnel' \
  -fill '#2c4a80' -font "$gras" -pointsize 30 \
  -annotate +340+44 'Simulation du bus CAN' \
  -font "$normal" -annotate +340+82 'trames 2.0A / 2.0B, arbitrage' \
  -fill none -stroke '#7d93b8' -strokewidth 3 -draw 'rectangle 1,1 757,185' \
  -depth 8 PNG24:- | convert - -scale 302x74! -depth 8 PNG24:bandeau.png

# The icon: a dominant pulse on the two bus wires, on a blue tile. Drawn once at
# 256 x 256 (installed as is for large views) and scaled down for the window.
convert -size 256x256 xc:none \
  -fill '#1b3f7a' -stroke none -draw 'roundrectangle 4,4 251,251 48,48' \
  -fill none -strokewidth 20 \
  -stroke '#ff5a4a' -draw 'stroke-linejoin round stroke-linecap round polyline 24,120 80,120 80,64 176,64 176,120 232,120' \
  -stroke '#7fb0ff' -draw 'stroke-linejoin round stroke-linecap round polyline 24,144 80,144 80,200 176,200 176,144 232,144' \
  -depth 8 PNG32:../icons/varnel.png
convert ../icons/varnel.png -resize 64x64 -depth 8 PNG32:varnel.png
