#!/bin/sh
# Renders the hicolor PNG sizes from veltrona.svg. Needs rsvg-convert (Debian: librsvg2-bin).
# The PNGs are committed; run this again only after changing the SVG.
set -eu
here=$(dirname "$0")
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/veltrona.svg" -o "$here/veltrona-$size.png"
done
