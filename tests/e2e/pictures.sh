#!/usr/bin/env bash
# Pictures of the videos, as a person meets them: PC videos without a thumbnail show a picture of
# themselves in the list; copied to the PSP they get it as a 160 x 120 baseline JPEG with bars; a
# file that only claims to be a video gets the default thumbnail; "Make Thumbnails" on a PSP row
# writes one for a PSP video that had none.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin pictures

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
videos=$brevlo_win_dir/test-videos
e2e_install "$app"
mkdir -p "$pc"
cp "$videos/picture-16x9-red.mp4" "$pc/A red clip.mp4" || e2e_fail "no test videos in $videos"
cp "$videos/picture-4x3-lime.mp4" "$pc/B lime clip.mp4"
cp "$videos/picture-not-a-video.mp4" "$pc/C not a video.mp4"
e2e_write_prefs "$app" "$pc"
psp_make "$psp"
# A PSP video without a thumbnail, for "Make Thumbnails".
cp "$videos/picture-mpeg4-blue.avi" "$kind0/M4V00009.MP4"
e2e_plug G "$psp" floppy

names() { e2e_row_names "$1" | paste -sd' '; }
rows_are() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }

# The colour in the middle of a row's picture on the screen, as "R G B".
row_colour() {
  local line x y h shot=$e2e_dir/probe.png
  line=$(e2e_rows "$1" | awk -F'\t' -v r="$2" '$1 == r')
  IFS=$'\t' read -r _ x y _ h _ <<<"$line"
  import -window root "$shot" 2>/dev/null
  # The picture lies left of the row's label, its middle about half a picture's width away.
  convert "$shot" -format '%[fx:int(255*p{'$((x - 42))','$((y + h / 2))'}.r)] %[fx:int(255*p{'$((x - 42))','$((y + h / 2))'}.g)] %[fx:int(255*p{'$((x - 42))','$((y + h / 2))'}.b)]' info:
}
# Whether "R G B" is near the colour named by three numbers.
colour_near() {
  local r g b
  read -r r g b <<<"$1"
  [ $((${r:-999} - $2)) -lt 60 ] && [ $(($2 - ${r:-999})) -lt 60 ] &&
    [ $((${g:-999} - $3)) -lt 60 ] && [ $(($3 - ${g:-999})) -lt 60 ] &&
    [ $((${b:-999} - $4)) -lt 60 ] && [ $(($4 - ${b:-999})) -lt 60 ]
}
row_shows() { colour_near "$(row_colour "$1" "$2")" "$3" "$4" "$5"; }

e2e_start "$app"
e2e_wait_main 60
e2e_wait_for 20 rows_are 1 3 || e2e_fail "the PC list shows: $(names 1)"
e2e_wait_for 20 row_shows 1 0 255 0 0 || e2e_fail "row 0 shows $(row_colour 1 0), not red"
e2e_wait_for 20 row_shows 1 1 0 255 0 || e2e_fail "row 1 shows $(row_colour 1 1), not lime"
e2e_screenshot pictures-pc-list

# --- Copied to the PSP: the picture becomes the thumbnail -----------------------------------
e2e_click_row 1 0
e2e_key "$e2e_main" ctrl+a
e2e_key "$e2e_main" alt+c
e2e_wait_window "Mission Accomplished" 60
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
for n in 1 2 3; do
  [ -f "$kind0/M4V0000$n.MP4" ] && [ -f "$kind0/M4V0000$n.THM" ] ||
    e2e_fail "M4V0000$n did not arrive with a thumbnail: $(ls "$kind0")"
done
thm=$kind0/M4V00001.THM
[ "$(identify -format '%m %w %h %[interlace]' "$thm")" = "JPEG 160 120 None" ] ||
  e2e_fail "the red clip's thumbnail is $(identify -format '%m %w %h %[interlace]' "$thm")"
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
colour_near "$(pixel "$thm" 80 60)" 255 0 0 || e2e_fail "its middle is $(pixel "$thm" 80 60)"
cmp -s "$kind0/M4V00003.THM" "$app/DefaultPreview.THM" ||
  e2e_fail "the file that is not a video did not get the default thumbnail"
cmp -s "$videos/picture-16x9-red.mp4" "$pc/A red clip.mp4" || e2e_fail "the copy changed the PC file"
e2e_wait_for 20 rows_are 2 4 || e2e_fail "the PSP list shows: $(names 2)"
e2e_wait_for 20 row_shows 2 0 255 0 0 || e2e_fail "the PSP row 0 shows $(row_colour 2 0)"

# --- Make Thumbnails on the PSP video that has none -----------------------------------------
[ ! -f "$kind0/M4V00009.THM" ] || e2e_fail "M4V00009.THM was there before"
line=$(e2e_rows 2 | awk -F'\t' '$7 == "M4V00009.MP4"')
[ -n "$line" ] || e2e_fail "no PSP row for M4V00009.MP4: $(names 2)"
IFS=$'\t' read -r row x y w h _ <<<"$line"
# Every PSP row selected: those with a thumbnail keep theirs.
(cd "$kind0" && md5sum -- *.THM) >"$e2e_dir/thumbs-before.md5"
e2e_click_row 2 "$row"
e2e_key "$e2e_main" ctrl+a
xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
sleep 0.5
xdotool key --clearmodifiers Up Return  # the last item, "Make Thumbnails"
e2e_wait_for 30 test -f "$kind0/M4V00009.THM" || e2e_fail "Make Thumbnails wrote nothing"
(cd "$kind0" && md5sum -c --quiet "$e2e_dir/thumbs-before.md5") >/dev/null 2>&1 ||
  e2e_fail "Make Thumbnails changed a thumbnail that was there"
colour_near "$(pixel "$kind0/M4V00009.THM" 80 60)" 0 0 255 ||
  e2e_fail "M4V00009.THM shows $(pixel "$kind0/M4V00009.THM" 80 60), not blue"
e2e_wait_for 20 row_shows 2 "$row" 0 0 255 || e2e_fail "the PSP row shows $(row_colour 2 "$row")"
e2e_screenshot pictures-psp-list
e2e_close_main
