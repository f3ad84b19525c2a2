#!/usr/bin/env bash
# Redraws every picture under assets/ with qv_draw_assets and assembles the animated
# img/Search.gif from its frames with ImageMagick. The results are committed; run this after
# changing the drawing program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QORVANE_BUILD_DIR:-$root/build}

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target qv_draw_assets -j2 >/dev/null

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$build/assets/draw/qv_draw_assets" "$root/assets" "$frames"

if command -v magick >/dev/null; then
  im=(magick)
elif command -v convert >/dev/null; then
  im=(convert)
else
  echo "draw.sh: ImageMagick is missing (Debian package imagemagick)" >&2
  exit 1
fi
# One shared palette without dithering keeps the card's colour exact in every frame.
"${im[@]}" -delay 8 -loop 0 "$frames"/search-*.png -dither None +remap "$root/assets/img/Search.gif"
echo "wrote $root/assets/img/Search.gif"
