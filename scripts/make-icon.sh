#!/usr/bin/env bash
# Remakes res/Corvane.ico with 16, 24, 32, 48 and 256 pixel images from its 32 pixel one
# (ImageMagick). The drawing is pixel art, so every size is scaled by nearest neighbour: smoothed,
# its edges would blur. The 256 pixel image is stored as PNG, as Windows expects from Vista on.
# The result is committed; the build does not need ImageMagick.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ICON=$ROOT/res/Corvane.ico
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The first 32 pixel image, whatever else the file holds already.
frame=$(identify -format '%p %w\n' "$ICON" | awk '$2 == 32 { print $1; exit }')
[ -n "$frame" ] || { echo "no 32 pixel image in $ICON" >&2; exit 1; }
convert "$ICON[$frame]" -alpha on "PNG32:$WORK/source.png"
images=()
for size in 16 24 32 48 256; do
    convert "$WORK/source.png" -filter point -resize "${size}x${size}" "PNG32:$WORK/$size.png"
    images+=("$WORK/$size.png")
done
convert "${images[@]}" "$ICON"
identify "$ICON"
