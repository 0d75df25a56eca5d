#!/usr/bin/env bash
# Contact sheet of the built-in skin: every image as a PNG enlarged 6x (nearest neighbour), the
# previews composed as the program draws them enlarged 2x, and all of them on one labelled sheet,
# OUTDIR/skin-sheet.png.
set -euo pipefail
# shellcheck source=tools/lib/common.sh
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

# Each picture labelled, the images packed into rows up to 1800 pixels wide, the previews below.
bg='#d8d8d8'
tiles=$out/tiles
rm -rf "$tiles" && mkdir -p "$tiles"
# Narrow pictures are padded so that their labels fit.
label() {
  local w h
  read -r w h < <(identify -format '%w %h\n' "$1")
  convert "$1" -background "$bg" -gravity center -extent "$((w < 220 ? 220 : w))x$h" "$2"
  montage -label "$(basename "$1" .png)" -font DejaVu-Sans -pointsize 15 "$2" -geometry +12+10 \
    -background "$bg" "$2"
}
rows=() row=() width=0 n=0
flush() {
  [ ${#row[@]} -gt 0 ] || return 0
  n=$((n + 1))
  convert "${row[@]}" -background "$bg" -gravity north +append "$tiles/row$n.png"
  rows+=("$tiles/row$n.png") row=() width=0
}
for png in "${images[@]}"; do
  label "$png" "$tiles/$(basename "$png")"
  w=$(identify -format %w "$tiles/$(basename "$png")")
  if [ $((width + w)) -gt 1800 ]; then flush; fi
  row+=("$tiles/$(basename "$png")") width=$((width + w))
done
flush
for png in "${previews[@]}"; do
  label "$png" "$tiles/$(basename "$png")"
  rows+=("$tiles/$(basename "$png")")
done
convert "${rows[@]}" -background "$bg" -gravity west -append "$out/skin-sheet.png"
rm -rf "$tiles"
brevlo_log "wrote $out/skin-sheet.png"
