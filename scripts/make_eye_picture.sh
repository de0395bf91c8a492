#!/usr/bin/env bash
# The README's picture of the two matches: one photo as the eye sees it on a C64 (the frames'
# mean light) after the classic match and after the eye match, beside the photo itself, each
# labelled with its --report figures.
#   scripts/make_eye_picture.sh PELTRIX_CONVERT PHOTO OUT.png   (needs ImageMagick and the DejaVu fonts)
# The README's: scripts/make_eye_picture.sh build/peltrix-convert ../shared/testdata/fruits.jpg
# assets/matches.png
set -euo pipefail
convert_program=${1:?usage: make_eye_picture.sh PELTRIX_CONVERT PHOTO OUT.png}
photo=${2:?photo} out=${3:?output}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
label() {  # $1: picture, $2: first line, $3: second line, $4: output
  convert "$1" -gravity south -background '#202020' -fill white -font DejaVu-Sans \
    -pointsize 12 -splice 0x34 -annotate +0+18 "$2" -annotate +0+2 "$3" "$4"
}
figures() {  # the report's figures in two short lines
  sed -E 's/^.*: error ([0-9.]+) mean, ([0-9.]+) p95 \(CIEDE2000\); flicker ([0-9.]+) mean.*$/dE2000 \1 mean, \2 p95|flicker \3/'
}
# The photo as both matches aim at it: fitted, no conversion (a fully transparent tone).
convert "$photo" -resize 320x200 -background black -gravity center -extent 320x200 \
  "$work/photo.png"
label "$work/photo.png" "the photo" "(fitted)" "$work/0.png"
for match in classic eye; do
  report=$("$convert_program" -q -f --fit --match "$match" --report --eye "$work/$match.png" \
    "$photo" "$work/$match.raw" | figures)
  label "$work/$match.png" "--match $match: ${report%%|*}" "${report##*|}" "$work/$match-l.png"
done
convert "$work/0.png" "$work/classic-l.png" "$work/eye-l.png" +append -strip "$out"
echo "wrote $out"
