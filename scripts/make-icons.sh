#!/bin/sh
# Builds resources/syscode.ico from resources/syscode-icon.png: images of
# 16, 24, 32 and 48 pixels, each once in 256 colours (8-bit palette with a
# transparency mask) and once in 32-bit colour with alpha.
# Usage: scripts/make-icons.sh [source.png] [output.ico]
# Needs ImageMagick 6 and python3.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
src=${1:-$root/resources/syscode-icon.png}
out=${2:-$root/resources/syscode.ico}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for n in 16 24 32 48; do
  # 32-bit: the resized picture with its alpha.
  convert "$src" -resize "${n}x${n}" -background none -gravity center -extent "${n}x${n}" \
    -depth 8 "RGBA:$tmp/$n.rgba"
  # 256 colours: opaque pixels on a flat colour, reduced to at most 255
  # colours; the alpha decides the transparency mask.
  convert "$src" -resize "${n}x${n}" -background none -gravity center -extent "${n}x${n}" \
    -background '#0f2a4a' -alpha remove +dither -colors 255 -depth 8 "RGB:$tmp/$n.rgb"
done

python3 - "$tmp" "$out" <<'PY'
import struct, sys

tmp, out = sys.argv[1], sys.argv[2]
sizes = [16, 24, 32, 48]


def mask_rows(alpha, n):
    # The AND mask: 1 bit per pixel, rows padded to 32 bits, bottom-up.
    stride = ((n + 31) // 32) * 4
    rows = []
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if alpha[y * n + x] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def header(n, bits, colors):
    # BITMAPINFOHEADER; the height counts the XOR and AND bitmaps.
    return struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bits, 0, 0, 0, 0, colors, 0)


def image_32(n):
    rgba = open(f"{tmp}/{n}.rgba", "rb").read()
    alpha = rgba[3::4]
    pixels = bytearray()
    for y in reversed(range(n)):
        for x in range(n):
            r, g, b, a = rgba[(y * n + x) * 4:(y * n + x) * 4 + 4]
            pixels += bytes((b, g, r, a))
    return header(n, 32, 0) + bytes(pixels) + mask_rows(alpha, n), 0, 32


def image_8(n):
    rgb = open(f"{tmp}/{n}.rgb", "rb").read()
    alpha = open(f"{tmp}/{n}.rgba", "rb").read()[3::4]
    colors = []
    index = {}
    indexes = []
    for i in range(n * n):
        c = rgb[i * 3:i * 3 + 3]
        if c not in index:
            index[c] = len(colors)
            colors.append(c)
        indexes.append(index[c])
    assert len(colors) <= 256, len(colors)
    palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colors) + bytes(4 * (256 - len(colors)))
    stride = ((n + 3) // 4) * 4
    pixels = bytearray()
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            # Transparent pixels are black in the colour bitmap.
            row[x] = indexes[y * n + x]
        pixels += row
    return header(n, 8, 256) + palette + bytes(pixels) + mask_rows(alpha, n), 0, 8


images = [image_8(n) for n in sizes] + [image_32(n) for n in sizes]
dims = sizes + sizes
directory = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
data = b""
for (blob, color_count, bits), n in zip(images, dims):
    directory += struct.pack("<BBBBHHII", n, n, color_count, 0, 1, bits, len(blob), offset + len(data))
    data += blob
with open(out, "wb") as f:
    f.write(directory + data)
PY
