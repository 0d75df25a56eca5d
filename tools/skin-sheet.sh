#!/usr/bin/env bash
# Contact sheet of the built-in skin: every image as a PNG enlarged 6x (nearest neighbour), the
# previews composed as the program draws them enlarged 2x, and all of them on one labelled sheet,
# OUTDIR/skin-sheet.png.
set -euo pipefail
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

[ $# -eq 1 ] || brevlo_die "usage: tools/skin-sheet.sh OUTDIR"
out=$1
command -v montage >/dev/null || brevlo_setup
if [ ! -f "$brevlo_native_dir/build.ninja" ]; then
  cmake -S "$brevlo_top" -B "$brevlo_native_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -Wno-dev
fi
cmake --build "$brevlo_native_dir" --target artgen

mkdir -p "$out/bmp"
rm -f "$out"/bmp/*.bmp "$out"/*.png
"$brevlo_native_dir/artgen" --skin-preview "$out/bmp"

images=() previews=()
for bmp in "$out"/bmp/*.bmp; do
  name=$(basename "$bmp" .bmp)
  case $name in
    preview-*)
      convert "$bmp" -filter point -resize 200% "$out/$name.png"
      previews+=("$out/$name.png")
      ;;
    *)
      convert "$bmp" -filter point -resize 600% "$out/$name.png"
      images+=("$out/$name.png")
      ;;
  esac
done

# Small images side by side, the wide previews one per row below them.
montage -label '%t' -font DejaVu-Sans -pointsize 14 "${images[@]}" -tile 4x \
  -geometry +10+10 -background '#d8d8d8' "$out/sheet-images.png"
montage -label '%t' -font DejaVu-Sans -pointsize 14 "${previews[@]}" -tile 1x \
  -geometry +10+10 -background '#d8d8d8' "$out/sheet-previews.png"
convert "$out/sheet-images.png" "$out/sheet-previews.png" -background '#d8d8d8' -gravity center \
  -append "$out/skin-sheet.png"
rm -f "$out/sheet-images.png" "$out/sheet-previews.png"
brevlo_log "wrote $out/skin-sheet.png"
