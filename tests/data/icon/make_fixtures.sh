#!/bin/sh
# Rebuilds the icon fixtures of the picture tests: bitmap icons with masks written here byte by
# byte (their pixels follow the formulas the tests check), icons with an alpha channel and PNG
# images from ImageMagick (/usr/bin/convert), and damaged icons.
set -eu
cd "$(dirname "$0")"
CONVERT=/usr/bin/convert

python3 - <<'EOF'
import struct

def rgb(x, y, size):
    return ((x * 8) & 255, (y * 8) & 255, ((x + y) * 4) & 255)

def transparent(x, y, size):
    # The top-left quarter is transparent.
    return x < size // 2 and y < size // 2

def alpha(x, y, size):
    # 32-bit images: clear in the top-left quarter, half covered in the rows of the middle
    # eighth, opaque elsewhere.
    if transparent(x, y, size):
        return 0
    return 128 if size * 7 // 16 <= y < size * 9 // 16 else 255

def image(size, bits, under_mask='black', mask_rows=True, mask=transparent):
    # under_mask: what the colour bits hold where the mask is set, black or the pixel's own
    # colour (as many tools leave it). mask_rows False: a DIB of the plain height, no mask.
    colors = []
    if bits <= 8:
        n = 1 << bits
        # Entry 0 is black: a masked pixel of colour 0 lets the background through.
        colors = [(0, 0, 0)] + [((i * 53) & 255, (i * 97) & 255, (i * 29 + 7) & 255) for i in range(1, n)]
    def index(x, y):
        return (x + 3 * y) % (1 << bits)
    stride = ((size * bits + 31) // 32) * 4
    rows = b''
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            black = under_mask == 'black' and transparent(x, y, size)
            if bits == 32:
                r, g, b = rgb(x, y, size)
                row[4 * x:4 * x + 4] = bytes((b, g, r, alpha(x, y, size)))
            elif bits == 24:
                r, g, b = (0, 0, 0) if black else rgb(x, y, size)
                row[3 * x:3 * x + 3] = bytes((b, g, r))
            else:
                v = 0 if black else index(x, y)
                if bits == 8:
                    row[x] = v
                elif bits == 4:
                    row[x >> 1] |= v << 4 if x % 2 == 0 else v
                else:
                    row[x >> 3] |= v << (7 - (x & 7))
        rows += bytes(row)
    mask_stride = ((size + 31) // 32) * 4
    masks = b''
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if mask(x, y, size):
                row[x >> 3] |= 0x80 >> (x & 7)
        masks += bytes(row)
    if not mask_rows:
        masks = b''
    height = 2 * size if mask_rows else size
    header = struct.pack('<IiiHHIIiiII', 40, size, height, 1, bits, 0, len(rows) + len(masks), 0, 0, 0, 0)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in colors)
    return header + table + rows + masks

def icon(name, images, count_override=None, type_word=1, **options):
    count = len(images)
    out = struct.pack('<HHH', 0, type_word, count if count_override is None else count_override)
    offset = 6 + 16 * count
    body = b''
    for size, bits in images:
        data = image(size, bits, **options)
        out += struct.pack('<BBBBHHII', size % 256, size % 256, (1 << bits) % 256 if bits <= 8 else 0, 0, 1,
                           bits, len(data), offset + len(body))
        body += data
    open(name, 'wb').write(out + body)
    return out + body

icon('rgb24_32.ico', [(32, 24)])
icon('palette4_16.ico', [(16, 4)])
icon('palette8_32.ico', [(32, 8)])
icon('bw1_32.ico', [(32, 1)])
icon('sizes_16_32_64.ico', [(16, 4), (64, 24), (32, 8)])
icon('rgb24_48.ico', [(48, 24)])
icon('cursor_type2.ico', [(32, 24)], type_word=2)
icon('rgb24_32_colour_under_mask.ico', [(32, 24)], under_mask='colour')
icon('palette8_32_colour_under_mask.ico', [(32, 8)], under_mask='colour')
icon('rgb24_32_no_mask_rows.ico', [(32, 24)], under_mask='colour', mask_rows=False)
icon('alpha32_no_mask_rows.ico', [(32, 32)], mask_rows=False)
# The mask says the opposite of the alpha channel (set over the bottom half): alpha rules.
icon('alpha32_mask_disagrees.ico', [(32, 32)], mask=lambda x, y, size: y >= size // 2)

good = open('rgb24_32.ico', 'rb').read()
open('truncated_directory.ico', 'wb').write(good[:14])
open('truncated_image.ico', 'wb').write(good[:len(good) // 2])
bad = bytearray(good)
struct.pack_into('<I', bad, 6 + 12, 0x7FFFFFF0)  # image offset past the end
open('bad_offset.ico', 'wb').write(bytes(bad))
bad = bytearray(good)
struct.pack_into('<I', bad, 22 + 4, 100000)  # width far beyond any icon
open('bad_width.ico', 'wb').write(bytes(bad))
bad = bytearray(good)
struct.pack_into('<H', bad, 22 + 14, 7)  # 7 bits per pixel
open('bad_bitcount.ico', 'wb').write(bytes(bad))
bad = bytearray(good)
struct.pack_into('<H', bad, 4, 0)  # no images
open('no_images.ico', 'wb').write(bytes(bad))
EOF

# 32-bit images with an alpha channel: transparent around an opaque red square, and a half
# transparent blue square in the middle of it.
$CONVERT -size 32x32 xc:none -fill red -draw "rectangle 8,8 23,23" -fill "rgba(0,0,255,0.5)" \
    -draw "rectangle 12,12 19,19" -define icon:auto-resize=32 alpha32.ico
# The largest images are stored as PNG.
$CONVERT -size 256x256 xc:green -define icon:auto-resize=256 png256.ico
