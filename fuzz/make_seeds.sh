#!/usr/bin/env bash
# Writes small seed pictures for the fuzzers into $1/{jpeg,png,bmp,picture}: one per format
# variant the decoders handle, made here with ImageMagick from a generated pattern.
set -euo pipefail
out=${1:?usage: make_seeds.sh <corpus-dir>}
convert=/usr/bin/convert
[ -x "$convert" ] || { echo "make_seeds.sh: ImageMagick's convert is needed" >&2; exit 1; }
mkdir -p "$out"/{jpeg,png,bmp,picture}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 13 x 11 (odd, so rows pad and Adam7 passes are uneven): a gradient times a checkerboard.
"$convert" -size 13x11 gradient:red-blue \( -size 13x11 pattern:checkerboard \) \
  -compose multiply -composite "$tmp/base.png"
"$convert" "$tmp/base.png" -alpha set -channel A -fx 'i/w' +channel "$tmp/alpha.png"

seed() {  # seed <dir> <format:name> <input> <convert options...>
  local dir=$1 target=$2 input=$3
  shift 3
  local name=${target#*:}
  "$convert" "$input" "$@" "${target%%:*}:$tmp/$name"
  cp "$tmp/$name" "$out/$dir/$name"
  cp "$tmp/$name" "$out/picture/$name"
}
b=$tmp/base.png
a=$tmp/alpha.png
seed jpeg JPEG:baseline.jpg "$b" -quality 80
seed jpeg JPEG:progressive.jpg "$b" -quality 80 -interlace JPEG
seed jpeg JPEG:grey.jpg "$b" -colorspace Gray
seed jpeg JPEG:cmyk.jpg "$b" -colorspace CMYK
seed jpeg JPEG:subsampled.jpg "$b" -sampling-factor 2x2 -quality 60
seed jpeg JPEG:restart.jpg "$b" -define jpeg:restart-interval=1
seed jpeg JPEG:arithmetic.jpg "$b" -define jpeg:arithmetic-coding=true
seed png PNG24:rgb.png "$b"
seed png PNG8:palette.png "$b"
seed png PNG:grey4.png "$b" -colorspace Gray -depth 4
seed png PNG48:deep.png "$b" -depth 16
seed png PNG24:interlaced.png "$b" -interlace PNG
seed png PNG32:alpha.png "$a"
seed png PNG:greyalpha.png "$a" -colorspace Gray
seed bmp BMP3:v3.bmp "$b"
seed bmp BMP2:os2.bmp "$b"
seed bmp BMP:v5.bmp "$b"
seed bmp BMP3:palette8.bmp "$b" -type palette
seed bmp BMP3:palette1.bmp "$b" -monochrome
seed bmp BMP3:rle8.bmp "$b" -type palette -compress RLE
# ImageMagick writes no RLE4: an 8 x 2 one by hand (runs, a padded absolute run, no end mark).
printf 'BM\x54\x00\x00\x00\x00\x00\x00\x00\x46\x00\x00\x00\x28\x00\x00\x00\x08\x00\x00\x00'\
'\x02\x00\x00\x00\x01\x00\x04\x00\x02\x00\x00\x00\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x33\x22\x11\x00\x66\x55\x44\x00\x99\x88\x77\x00'\
'\xcc\xbb\xaa\x00\x08\x12\x00\x00\x00\x05\x30\x12\x30\x00\x03\x21\x00\x01' >"$out/bmp/rle4.bmp"
cp "$out/bmp/rle4.bmp" "$out/picture/rle4.bmp"
seed bmp BMP:rgb565.bmp "$b" -define bmp:subtype=RGB565
seed bmp BMP:alpha.bmp "$a"
echo "seeds: $(ls "$out/picture" | wc -l) pictures in $out"
