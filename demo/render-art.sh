#!/usr/bin/env bash
# Renders the hand-drawn illustrations in art/ into the product pictures of
# the demo shop (pictures/). The rendered files are committed, so this only
# needs running after a drawing changes.
#
# Needs rsvg-convert (Debian: librsvg2-bin), pngtopnm (netpbm) and cjpeg
# (libjpeg-turbo-progs). The drawings name DejaVu fonts (fonts-dejavu-core).
#
# Photos are opaque 1200x900 JPEGs, larger than the shop's normalisation
# threshold; the other pictures are PNGs with transparent backgrounds.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
art="$here/art"
out="$here/pictures"

for tool in rsvg-convert pngtopnm cjpeg; do
  if ! command -v "$tool" >/dev/null; then
    echo "render-art.sh: $tool is missing (apt-get install -y librsvg2-bin netpbm libjpeg-turbo-progs)" >&2
    exit 1
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# variant SOURCE NAME SED-EXPRESSION...: a recoloured copy of a drawing.
variant() {
  local source="$1" name="$2"
  shift 2
  local args=()
  for expression in "$@"; do args+=(-e "$expression"); done
  sed "${args[@]}" "$art/$source" >"$work/$name"
  echo "$work/$name"
}

# png SVG WIDTH NAME: keeps the transparent background.
png() {
  rsvg-convert --width "$2" --keep-aspect-ratio --output "$out/$3" "$1"
  echo "pictures/$3"
}

# photo SVG NAME: 1200x900 on white, as a camera would deliver it.
photo() {
  rsvg-convert --width 1200 --height 900 --background-color '#ffffff' "$1" \
    | pngtopnm | cjpeg -quality 86 -optimize >"$out/$2"
  echo "pictures/$2"
}

photo "$art/bag-photo.svg" bag-harbour.jpg
photo "$(variant bag-photo.svg bag-lighthouse.svg \
  's/#1F3A5F/#E07A5F/g' 's/#E3B23C/#FBE3C0/g' 's/>House Blend</>Espresso</')" bag-lighthouse.jpg
photo "$art/grinder-photo.svg" grinder.jpg
photo "$art/tasting-photo.svg" tasting-set.jpg

png "$(variant bag.svg bag-decaf.svg 's/#1F3A5F/#2A7F7F/g' 's/>House Blend</>Decaf</')" 640 bag-decaf.png
png "$(variant bag.svg bag-reserve.svg \
  's/#1F3A5F/#2B2B2B/g' 's/>House Blend</>Winter Reserve</')" 640 bag-reserve.png
png "$art/mug.svg" 640 mug.png
png "$art/dripper.svg" 640 dripper.png
png "$art/filters.svg" 640 filters.png
png "$art/tote.svg" 640 tote.png
png "$art/tin.svg" 640 tin.png
png "$art/gift-card.svg" 720 gift-card.png
