#!/bin/sh
# Draws the program's artwork with ImageMagick:
#   resources/banner.jpg       the window's banner, 600x90 baseline JPEG
#   resources/syscode-icon.png the 256x256 icon source (scripts/make-icons.sh
#                              turns it into resources/syscode.ico)
# Usage: scripts/make-artwork.sh   (from anywhere; needs ImageMagick 6 and
# the DejaVu fonts)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/resources
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
regular=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# The chip: a rounded body with pins on all four sides and a lit core.
# $1 size, $2 output file (transparent background).
draw_chip() {
  s=$1
  b=$(( s * 22 / 100 ))          # body inset
  e=$(( s - b ))
  r=$(( s / 16 ))
  pin=$(( s / 11 ))
  pw=$(( s / 28 + 1 ))
  c1=$(( s * 36 / 100 )); c2=$(( s - c1 ))
  mvg=$tmp/chip.mvg
  {
    echo "fill '#d7e7f5' stroke none"
    for i in 0 1 2 3; do
      p=$(( b + (e - b) * (2 * i + 1) / 8 ))
      echo "rectangle $((p - pw)),$((b - pin)) $((p + pw)),$b"
      echo "rectangle $((p - pw)),$e $((p + pw)),$((e + pin))"
      echo "rectangle $((b - pin)),$((p - pw)) $b,$((p + pw))"
      echo "rectangle $e,$((p - pw)) $((e + pin)),$((p + pw))"
    done
    echo "fill '#1d4f86' stroke '#d7e7f5' stroke-width $(( s / 40 + 1 ))"
    echo "roundrectangle $b,$b $e,$e $r,$r"
    echo "fill '#36c3b5' stroke none"
    echo "roundrectangle $c1,$c1 $c2,$c2 $((r / 2 + 1)),$((r / 2 + 1))"
  } > "$mvg"
  convert -size "${s}x${s}" xc:none -draw "$(cat "$mvg")" "$2"
}

# Icon source: the chip on a deep blue rounded tile.
draw_chip 256 "$tmp/chip256.png"
convert -size 256x256 xc:none \
  \( -size 240x240 gradient:'#2b6cb0-#0f2a4a' \) -geometry +8+8 -compose over -composite \
  \( -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' \) \
  -compose dst-in -composite \
  \( "$tmp/chip256.png" -resize 200x200 \) -geometry +28+28 -compose over -composite \
  -depth 8 "$out/syscode-icon.png"

# Banner: night-blue gradient, faint circuit traces, the chip, the name and
# a short line of what the program does.
draw_chip 120 "$tmp/chip120.png"
{
  echo "stroke '#2f78b8' stroke-width 1 fill '#2f78b8'"
  for y in 14 30 46 62 78; do
    x0=$(( 150 + (y * 7) % 90 ))
    echo "line $x0,$y 600,$y"
    echo "circle $x0,$y $((x0 + 3)),$y"
  done
  echo "fill '#0d2238' stroke none"
  echo "rectangle 0,0 145,90"
} > "$tmp/traces.mvg"
convert -size 90x600 gradient:'#0d2238-#1f5f99' -rotate -90 -draw "$(cat "$tmp/traces.mvg")" "$tmp/base.png"
convert "$tmp/base.png" \
  \( -size 600x90 gradient:'#00000000-#0d2238ff' -rotate 180 \) -compose over -composite \
  \( "$tmp/chip120.png" -resize 78x78 \) -geometry +34+6 -compose over -composite \
  -font "$bold" -pointsize 40 -fill white -annotate +130+52 'syscode' \
  -font "$regular" -pointsize 15 -fill '#9fd8ff' -annotate +133+75 'System hardware code' \
  -fill '#36c3b5' -draw 'rectangle 130,60 300,61' \
  -alpha off -strip -interlace none -sampling-factor 2x2 -quality 92 \
  "$out/banner.jpg"
