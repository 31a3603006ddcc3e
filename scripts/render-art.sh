#!/usr/bin/env bash
# Renders the hand-drawn SVG art in resources/art/ into the PNG and GIF files
# that the plug-in bundle ships in resources/. The build does not run this:
# re-run it after editing a drawing and commit the rendered files with it.
#
# Needs rsvg-convert and ImageMagick (Debian: apt-get install librsvg2-bin imagemagick).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
art="$root/resources/art"
out="$root/resources"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "render-art: $tool not found" >&2; exit 1; }
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Each drawing sets its own pixel size (width/height of its <svg>), so every
# PNG comes out at the size the cart, the zoom box or the editor expects.
render_png() {
    local svg="$1"
    local name
    name="$(basename "$svg" .svg)"
    rsvg-convert --format=png --output="$out/$name.png" "$svg"
}

count=0
for svg in "$art"/*.svg "$art"/icons/*.svg "$art"/remooz/*.svg; do
    # The spinner is only ever shipped as an animation, built below.
    [[ "$(basename "$svg")" == spinner.svg ]] && continue
    render_png "$svg"
    count=$((count + 1))
done

# GIF keeps only on/off transparency: cut the close button's soft shadow off
# at half opacity instead of letting ImageMagick dither it.
convert "$out/closebox.png" -channel A -threshold 50% +channel "$out/closebox.gif"

# Spinner: twelve frames, the spoke group turned 30 degrees further each time.
for i in $(seq 0 11); do
    frame="$(printf '%s/spinner-%02d' "$scratch" "$i")"
    sed "s/rotate(0 16 16)/rotate($((i * 30)) 16 16)/" "$art/spinner.svg" > "$frame.svg"
    rsvg-convert --format=png --output="$frame.png" "$frame.svg"
done
convert -delay 8 -loop 0 -dispose Background "$scratch"/spinner-*.png \
    -channel A -threshold 50% +channel "$out/spinner.gif"

echo "render-art: $count PNG files, closebox.gif and spinner.gif written to $out"
