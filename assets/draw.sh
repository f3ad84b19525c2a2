#!/usr/bin/env bash
# Redraws every picture under assets/: qv_draw_assets paints them, ImageMagick encodes the level
# pictures as JPEG and assembles the animated img/Search.gif. The results are committed; run
# this after changing the drawing program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QORVANE_BUILD_DIR:-$root/build}

if command -v magick >/dev/null; then
  im=(magick)
elif command -v convert >/dev/null; then
  im=(convert)
else
  echo "draw.sh: ImageMagick is missing (Debian package imagemagick)" >&2
  exit 1
fi

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target qv_draw_assets -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/assets/draw/qv_draw_assets" "$root/assets" "$work"

# Qt's JPEG writer halves the colour resolution, which smears the small marks; full chroma
# keeps their edges clean.
mkdir -p "$root/assets/img"
for level in $(seq 0 20); do
  "${im[@]}" "$work/level-$level.png" -strip -sampling-factor 1x1 -quality 95 \
    "$root/assets/img/$level.jpg"
done
# One shared palette without dithering keeps the card's colour exact in every frame.
"${im[@]}" -delay 8 -loop 0 "$work"/search-*.png -dither None +remap "$root/assets/img/Search.gif"
echo "wrote assets/window/*.png, assets/img/0.jpg ... 20.jpg and assets/img/Search.gif"
