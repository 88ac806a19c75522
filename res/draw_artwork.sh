#!/usr/bin/env bash
# Draws the program's artwork into res/art/ (committed; run again after a change).
# Needs ImageMagick and the DejaVu fonts.
set -euo pipefail
cd "$(dirname "$0")/art"
blue='rgb(9,147,221)'
mark='rgb(14,110,184)'
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
small=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Button faces: the blue field inside a white frame, exactly the button size.
convert -size 318x46 xc:white -fill "$blue" -draw 'rectangle 3,3 314,42' -type TrueColor BMP3:button_face.bmp
convert -size 92x36 xc:white -fill "$blue" -draw 'rectangle 2,2 89,33' -type TrueColor BMP3:ok_face.bmp

# Logo: a word mark above a line of smaller letters, anti-aliased on transparent.
convert -size 210x64 xc:none -fill "$mark" -font "$font" -pointsize 34 -gravity north \
        -annotate +0+0 'TARNWELL' -font "$small" -pointsize 13 -gravity south \
        -annotate +0+3 'USB Wi-Fi + Bluetooth' -define png:color-type=6 PNG32:logo.png

# Icon: a white rounded square with the blue mark and a radio arc, 48 x 48, 32 bits.
convert -size 48x48 xc:none -fill "$blue" -draw 'roundrectangle 1,1 46,46 9,9' \
        -fill none -stroke white -strokewidth 3 -draw 'arc 10,10 38,38 200,340' \
        -draw 'arc 17,17 31,31 200,340' -stroke none -fill white -draw 'circle 24,30 24,34' \
        -define icon:auto-resize=48 PNG32:icon48.png
convert icon48.png -define icon:format=bmp installer.ico
rm icon48.png
