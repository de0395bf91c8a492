#!/usr/bin/env bash
# The README's picture of palettes and tone: one picture converted four ways, side by side,
# each the blend picture (what the eye sees): the default palette, colodore,
# community-colors, and the default palette with a tone change.
#   scripts/make_palette_picture.sh PELTRIX_CONVERT PICTURE OUT.png   (needs ImageMagick and the DejaVu fonts)
# The README's is made of our own test card: scripts/make_palette_picture.sh build/peltrix-convert
# assets/sample.png assets/palettes.png
set -euo pipefail
convert_program=${1:?usage: make_palette_picture.sh PELTRIX_CONVERT PHOTO OUT.png}
photo=${2:?photo} out=${3:?output}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {  # $1: picture name, rest: options
  local name=$1
  shift
  "$convert_program" -q -f --fit "$@" "$photo" "$work/$name.png"
}
run 1-pepto-pal
run 2-colodore --palette colodore
run 3-community-colors --palette community-colors
run 4-tone --contrast 20 --saturation 130 --gamma 1.2
labels=("pepto-pal (default)" "colodore" "community-colors" "--contrast 20 --saturation 130 --gamma 1.2")
pictures=()
for i in 1 2 3 4; do
  file=$(ls "$work/$i"-*.png)
  convert "$file" -gravity south -background '#202020' -fill white -font DejaVu-Sans \
    -pointsize 12 -splice 0x18 \
    -annotate +0+2 "${labels[$((i - 1))]}" "$work/labelled-$i.png"
  pictures+=("$work/labelled-$i.png")
done
convert "${pictures[0]}" "${pictures[1]}" +append "$work/top.png"
convert "${pictures[2]}" "${pictures[3]}" +append "$work/bottom.png"
convert "$work/top.png" "$work/bottom.png" -append -strip "$out"
echo "wrote $out"
