#!/usr/bin/env bash
# Draws the program's artwork into res/art/ (committed; run again after a change),
# for 100 % (96 dpi), 150 % and 200 %: the window uses the nearest and scales it.
# Needs ImageMagick and the DejaVu fonts.
set -euo pipefail
cd "$(dirname "$0")/art"
blue='rgb(9,147,221)'
# The word mark and its subtitle in navy: 4.6:1 against the product blue.
mark='rgb(0,35,75)'
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
small=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

for percent in 100 150 200; do
    s() { echo $(( ($1 * percent + 50) / 100 )); }
    suffix=$([ $percent = 100 ] && echo "" || echo "_$percent")
    # Button faces: the blue field inside a white frame, exactly the button size.
    w=$(s 318) h=$(s 46) f=$(s 3)
    convert -size ${w}x${h} xc:white -fill "$blue" -draw "rectangle $f,$f $((w - f - 1)),$((h - f - 1))" \
            -type TrueColor BMP3:button_face$suffix.bmp
    w=$(s 92) h=$(s 36) f=$(s 2)
    convert -size ${w}x${h} xc:white -fill "$blue" -draw "rectangle $f,$f $((w - f - 1)),$((h - f - 1))" \
            -type TrueColor BMP3:ok_face$suffix.bmp
    # Logo: a word mark above a line of smaller letters, anti-aliased on transparent;
    # 32 bits with alpha, stored uncompressed so the window needs no image codec.
    convert -size $(s 210)x$(s 64) xc:none -fill "$mark" -font "$font" -pointsize $(s 34) -gravity north \
            -annotate +0+0 'TARNWELL' -font "$small" -pointsize $(s 13) -gravity south \
            -annotate +0+$(s 3) 'USB Wi-Fi + Bluetooth' -type TrueColorAlpha BMP:logo$suffix.bmp
done

# Icon: a white rounded square with the blue mark and a radio arc, 48 x 48, 32 bits.
convert -size 48x48 xc:none -fill "$blue" -draw 'roundrectangle 1,1 46,46 9,9' \
        -fill none -stroke white -strokewidth 3 -draw 'arc 10,10 38,38 200,340' \
        -draw 'arc 17,17 31,31 200,340' -stroke none -fill white -draw 'circle 24,30 24,34' \
        -define icon:auto-resize=48 PNG32:icon48.png
convert icon48.png -define icon:format=bmp installer.ico
rm icon48.png
