#!/bin/sh
# Rebuilds the CMYK fixtures of the JPEG tests with ImageMagick (/usr/bin/convert): a colourful
# 48 x 32 pattern separated to CMYK and written as ImageMagick writes every CMYK JPEG (YCCK,
# Adobe transform 2), and ImageMagick's own decoding of it back to RGB as the reference.
# (The cjpeg/djpeg fixtures are described in README.md.)
set -eu
cd "$(dirname "$0")"
CONVERT=/usr/bin/convert

$CONVERT -size 48x32 xc: -sparse-color bilinear \
    '0,0 rgb(230,40,30) 47,0 rgb(250,210,20) 0,31 rgb(30,60,200) 47,31 rgb(20,160,90)' \
    -colorspace CMYK -quality 92 ycck_magick.jpg
$CONVERT ycck_magick.jpg -colorspace sRGB ycck_magick.ppm
