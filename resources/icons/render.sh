#!/bin/sh
# Renders the PNG icons from the scalable one (Debian: librsvg2-bin). Run after changing velmora.svg.
set -e
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w $size -h $size velmora.svg -o velmora-$size.png
done
