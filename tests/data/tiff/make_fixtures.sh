#!/bin/sh
# Rebuilds the TIFF fixtures of the picture tests from small generated sources, with the TIFF
# library's own tools (tiffcp, tiffset) and ImageMagick (/usr/bin/convert). The sources (.ppm,
# .pgm, .pbm) are kept beside them: the tests compare what they read against those.
set -eu
cd "$(dirname "$0")"
CONVERT=/usr/bin/convert

python3 - <<'EOF'
W, H = 37, 23

def write(name, magic, maxval, pixel, channels):
    with open(name, 'wb') as out:
        out.write(b'%s\n%d %d\n' % (magic, W, H))
        if maxval:
            out.write(b'%d\n' % maxval)
        for y in range(H):
            for x in range(W):
                out.write(bytes(pixel(x, y)[:channels]))

write('rgb.ppm', b'P6', 255, lambda x, y: ((x * 7) & 255, (y * 11) & 255, (x * y) & 255), 3)
write('gray.pgm', b'P5', 255, lambda x, y: [(x * 7 + y * 3) & 255], 1)
write('gray4.pgm', b'P5', 255, lambda x, y: [((x + y) % 16) * 17], 1)
# Palette colours that the colour map keeps exactly at the file's depth (ImageMagick rounds
# colour map entries to the bits per sample it writes).
four = [(170, 0, 85), (0, 255, 85), (85, 85, 255), (255, 170, 0)]
write('palette2.ppm', b'P6', 255, lambda x, y: four[(x + 2 * y) % 4], 3)
two = [(255, 0, 0), (0, 0, 255)]
write('palette1.ppm', b'P6', 255, lambda x, y: two[(x // 3 + y) % 2], 3)
sixteen = [((i * 7) % 16 * 17, (i * 11) % 16 * 17, (i * 5 + 3) % 16 * 17) for i in range(16)]
write('palette4.ppm', b'P6', 255, lambda x, y: sixteen[(x + y) % 16], 3)
many = [((i * 37) % 256, (i * 91) % 256, (i * 53 + 20) % 256) for i in range(200)]
write('palette8.ppm', b'P6', 255, lambda x, y: many[(x * 5 + y * 3) % 200], 3)

# Bilevel: 1 is black in a PBM file.
with open('bw.pbm', 'wb') as out:
    out.write(b'P4\n%d %d\n' % (W, H))
    for y in range(H):
        row = bytearray((W + 7) // 8)
        for x in range(W):
            if (x * x + y * 3) % 7 < 3:
                row[x >> 3] |= 0x80 >> (x & 7)
        out.write(bytes(row))
EOF

# Uncompressed bases.
$CONVERT rgb.ppm -compress none rgb_none.tif
$CONVERT gray.pgm -compress none gray8_none.tif
$CONVERT gray4.pgm -depth 4 -compress none gray4_none.tif
$CONVERT gray.pgm -depth 16 -compress none gray16_none.tif
for n in 1 2 4 8; do
    $CONVERT palette$n.ppm -type Palette -depth $n -compress none palette${n}_none.tif
done
# ImageMagick writes bilevel Group 4 as WhiteIsZero; tiffcp keeps that sense for the others.
$CONVERT bw.pbm -compress group4 bw_g4.tif
tiffcp -c none bw_g4.tif bw_none_miniswhite.tif
$CONVERT bw.pbm -compress none bw_none.tif

# Every compression of the library's own writer.
for c in packbits lzw zip; do
    tiffcp -c $c rgb_none.tif rgb_$c.tif
    tiffcp -c $c gray8_none.tif gray8_$c.tif
    tiffcp -c $c palette8_none.tif palette8_$c.tif
    tiffcp -c $c palette4_none.tif palette4_$c.tif
    tiffcp -c $c gray4_none.tif gray4_$c.tif
    tiffcp -c $c bw_none.tif bw_$c.tif
done
tiffcp -c jpeg:90 -r 16 rgb_none.tif rgb_jpeg.tif
tiffcp -c jpeg:90 -r 16 gray8_none.tif gray8_jpeg.tif
# JPEG loses detail of these sources: ImageMagick's decoding is the reference.
$CONVERT rgb_jpeg.tif rgb_jpeg_reference.ppm
$CONVERT gray8_jpeg.tif gray8_jpeg_reference.pgm
tiffcp -c lzw:2 rgb_none.tif rgb_lzw_predictor.tif
tiffcp -c zip -r 5 rgb_none.tif rgb_zip_strips5.tif
tiffcp -c lzw -t -w 16 -l 16 rgb_none.tif rgb_tiled.tif
tiffcp -c lzw -p separate rgb_none.tif rgb_separate.tif
tiffcp -c lzw -B rgb_none.tif rgb_bigendian.tif
tiffcp -c g3 bw_none_miniswhite.tif bw_g3_1d.tif
tiffcp -c g3:2d bw_none_miniswhite.tif bw_g3_2d.tif
tiffcp -c g4 -f lsb2msb bw_none_miniswhite.tif bw_g4_lsb2msb.tif
tiffcp -c lzw gray16_none.tif gray16_lzw.tif
tiffcp -c none palette1_none.tif palette1.tif
tiffcp -c lzw palette2_none.tif palette2_lzw.tif

# WhiteIsZero gray: the same bytes marked the other way, so its picture is the negative.
cp gray8_none.tif gray8_miniswhite.tif
tiffset -s 262 0 gray8_miniswhite.tif
tiffcp -c jpeg:90 -r 16 gray8_miniswhite.tif gray8_miniswhite_jpeg.tif
$CONVERT gray8_miniswhite_jpeg.tif gray8_miniswhite_jpeg_reference.pgm
tiffcp -c lzw -t -w 16 -l 16 gray8_miniswhite.tif gray8_miniswhite_tiled.tif
cp bw_none.tif bw_miniswhite.tif
tiffset -s 262 0 bw_miniswhite.tif
tiffcp -c lzw -t -w 16 -l 16 bw_miniswhite.tif bw_miniswhite_tiled.tif
# A Group 4 file whose Photometric says BlackIsZero over the usual WhiteIsZero coding.
cp bw_g4.tif bw_g4_photometric1.tif
tiffset -s 262 1 bw_g4_photometric1.tif

# Orientation 3 (turned by 180 degrees), read directly and through the library's RGBA reader.
cp rgb_lzw.tif rgb_orientation3.tif
tiffset -s 274 3 rgb_orientation3.tif
cp rgb_tiled.tif rgb_orientation3_tiled.tif
tiffset -s 274 3 rgb_orientation3_tiled.tif

# A file without RowsPerStrip.
tiffcp -c none -r 1000 gray8_none.tif gray8_no_rowsperstrip.tif
tiffset -u 278 gray8_no_rowsperstrip.tif

# Pages of different kinds in one file.
tiffcp rgb_lzw.tif gray8_zip.tif bw_g4.tif palette4_packbits.tif multipage.tif

# Bad files.
cp gray8_none.tif zero_width.tif
tiffset -s 256 0 zero_width.tif
cp gray8_none.tif no_bitspersample.tif
tiffset -u 258 no_bitspersample.tif
head -c 200 rgb_lzw.tif > truncated_ifd.tif
python3 - <<'EOF'
import struct

def first_strip(name):
    data = open(name, 'rb').read()
    endian = '<' if data[:2] == b'II' else '>'
    ifd = struct.unpack(endian + 'I', data[4:8])[0]
    count = struct.unpack(endian + 'H', data[ifd:ifd + 2])[0]
    offset = size = None
    for i in range(count):
        e = data[ifd + 2 + 12 * i: ifd + 14 + 12 * i]
        tag, typ, n = struct.unpack(endian + 'HHI', e[:8])
        size = 2 if typ == 3 else 4
        at = ifd + 2 + 12 * i + 8
        if n * size > 4:  # the values lie elsewhere: take the first
            at = struct.unpack(endian + 'I', e[8:12])[0]
        value = struct.unpack(endian + ('H' if typ == 3 else 'I'), data[at:at + size])[0]
        if tag == 273:
            offset = value
        if tag == 279:
            size = value
    return bytearray(data), offset, size

# Strip data replaced by bytes that no coder accepts.
for source, target in [('rgb_lzw.tif', 'corrupt_lzw_strip.tif'), ('bw_g4.tif', 'corrupt_g4_strip.tif'),
                       ('rgb_jpeg.tif', 'corrupt_jpeg_strip.tif')]:
    data, offset, size = first_strip(source)
    for i in range(offset, offset + size):
        data[i] = 0xFF if i % 3 else 0x00
    open(target, 'wb').write(bytes(data))
# A strip cut short: its byte count promises more than the file holds.
data = bytearray(open('gray8_zip.tif', 'rb').read())
ifd = struct.unpack('<I', data[4:8])[0]
for i in range(struct.unpack('<H', data[ifd:ifd + 2])[0]):
    e = ifd + 2 + 12 * i
    if struct.unpack('<H', data[e:e + 2])[0] == 279:
        size = struct.unpack('<I', data[e + 8:e + 12])[0]
        struct.pack_into('<I', data, e + 8, size + 5000)
open('truncated_strip.tif', 'wb').write(bytes(data))
# A directory offset past the end.
data = bytearray(open('gray8_none.tif', 'rb').read())
data[4:8] = struct.pack('<I', 0x7FFFFFF0)
open('bad_ifd_offset.tif', 'wb').write(bytes(data))
# Dimensions far beyond any picture, with a tiny strip.
data = bytearray(b'II*\x00\x08\x00\x00\x00')
entries = [(256, 4, 1, 0x100000), (257, 4, 1, 0x100000), (258, 3, 1, 8), (259, 3, 1, 5), (262, 3, 1, 1),
           (273, 4, 1, 200), (277, 3, 1, 1), (278, 4, 1, 0x100000), (279, 4, 1, 16)]
data += struct.pack('<H', len(entries))
for tag, typ, n, value in entries:
    data += struct.pack('<HHI', tag, typ, n) + (struct.pack('<HH', value, 0) if typ == 3 else struct.pack('<I', value))
data += struct.pack('<I', 0)
data += b'\x00' * (200 - len(data)) + b'\x80' * 16
open('huge_dimensions.tif', 'wb').write(bytes(data))
EOF
rm -f bw_none_miniswhite.tif
