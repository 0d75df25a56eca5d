#!/usr/bin/env bash
# A PSP plugged in as a removable drive is found at start without a question: both lists are
# filled, the PSP box shows the drive, and switching the video kind lists the AVC folder.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin psp

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
e2e_install "$app"
psp_pc_video "$pc" holiday
psp_pc_video "$pc" Party nothumb
e2e_write_prefs "$app" "$pc"

# Both kinds, with and without thumbnails, and more AVC videos than MPEG-4 ones so that
# a switch that did not happen cannot pass for one.
psp_make "$psp"
psp_add_video "$psp" 0 1
psp_add_video "$psp" 0 3 nothumb
psp_add_video "$psp" 1 2
psp_add_video "$psp" 1 5 nothumb
psp_add_video "$psp" 1 12
# A card without MP_ROOT comes first in the alphabet and must be passed over.
psp_make_card E "$e2e_dir/card"
e2e_letters+=(E)
e2e_plug G "$psp" floppy
[ "$(psp_drive_report G)" = "type=2 mp_root=yes" ] ||
  e2e_fail "the simulated PSP is not a removable drive with MP_ROOT: $(psp_drive_report G)"

e2e_start "$app"
e2e_wait_main 60
[ "$e2e_boxes_answered" -eq 0 ] ||
  e2e_fail "a PSP question was shown at start although G: holds MP_ROOT"

rows_are() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }
e2e_wait_for 20 rows_are 1 2 ||
  e2e_fail "the PC list has $(cut -f6 <<<"$(e2e_list 1)") rows, not the folder's 2 videos"
e2e_wait_for 20 rows_are 2 2 ||
  e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows, not the 2 MPEG-4 videos of G:"
[ "$(e2e_row_names 1 | paste -sd' ')" = "holiday.mp4 Party.mp4" ] ||
  e2e_fail "the PC list shows: $(e2e_row_names 1 | paste -sd' ')"
[ "$(e2e_row_names 2 | paste -sd' ')" = "M4V00001.MP4 M4V00003.MP4" ] ||
  e2e_fail "the PSP list shows: $(e2e_row_names 2 | paste -sd' ')"

psp_box=$(e2e_control Edit 2)
[ "$(cut -f7 <<<"$psp_box")" = "(G:)" ] ||
  e2e_fail "the PSP box shows \"$(cut -f7 <<<"$psp_box")\", not (G:)"
kind=$(e2e_control ComboBox 1)
[ "$(cut -f7 <<<"$kind")" = "MPEG-4 Video" ] ||
  e2e_fail "the kind box starts on \"$(cut -f7 <<<"$kind")\""
e2e_screenshot psp

# As a person would: open the kind box with the mouse, take the next entry with the keys.
e2e_click_control "$kind"
xdotool key --clearmodifiers Down Return
kind_is() { [ "$(cut -f7 <<<"$(e2e_control ComboBox 1)")" = "$1" ]; }
e2e_wait_for 10 kind_is "MPEG-4 AVC Video" ||
  e2e_fail "the kind box shows \"$(cut -f7 <<<"$(e2e_control ComboBox 1)")\" after Down, Return"
e2e_wait_for 20 rows_are 2 3 ||
  e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows, not the 3 AVC videos"
[ "$(e2e_row_names 2 | paste -sd' ')" = "MAQ00002.MP4 MAQ00005.MP4 MAQ00012.MP4" ] ||
  e2e_fail "the PSP list shows after the switch: $(e2e_row_names 2 | paste -sd' ')"
[ "$(cut -f7 <<<"$(e2e_control Edit 2)")" = "(G:)" ] || e2e_fail "the PSP box changed with the kind"
rows_are 1 2 || e2e_fail "the PC list changed with the kind"
# A click on a row selects it; it also takes the keyboard from the kind box, where Wine's
# drop-down list would swallow the Alt+F4 that ends the test.
e2e_click_row 2 1
[ "$(e2e_rows 2 | awk -F'\t' '$6 == 1 { print $7 }')" = "MAQ00005.MP4" ] ||
  e2e_fail "clicking the second PSP row selected: $(e2e_rows 2 | awk -F'\t' '$6 == 1 { print $7 }')"
e2e_screenshot psp-avc

e2e_close_main
[ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status"
