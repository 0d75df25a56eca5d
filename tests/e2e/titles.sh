#!/usr/bin/env bash
# PSP titles as a person meets them: "Holiday in Ærø.mp4" (a real video made by ffmpeg) copied
# to the PSP arrives as M4V00001.MP4 carrying its name as the title the PSP lists, shown under
# the row's name; "Set Title..." from the PSP list's menu changes it; Stop while a big video is
# written anew leaves the old file whole and nothing beside it.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin titles

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
videos=$brevlo_win_dir/test-videos
e2e_install "$app"
mkdir -p "$pc"
holiday="Holiday in Ærø"
cp "$videos/mpeg4-320x240.mp4" "$pc/$holiday.mp4" || e2e_fail "no test videos in $videos"
e2e_write_prefs "$app" "$pc"
psp_make "$psp"
e2e_plug G "$psp" floppy

# Whether a file holds a text as the PSP's titles are stored: UTF-16, big-endian.
holds_title() {
  local hex
  hex=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 -v | tr -d ' \n')
  od -An -tx1 -v "$1" | tr -d ' \n' | grep -q "$hex"
}
names() { e2e_row_names "$1" | paste -sd' '; }
rows_are() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }

e2e_start "$app"
e2e_wait_main 60
e2e_wait_for 20 rows_are 1 1 || e2e_fail "the PC list shows: $(names 1)"

# --- The copy carries the PC name as its title ---------------------------------------------
e2e_click_row 1 0
e2e_key "$e2e_main" alt+c
e2e_wait_window "Mission Accomplished" 30
e2e_wait_text "Mission Accomplished"
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
[ -f "$kind0/M4V00001.MP4" ] || e2e_fail "nothing arrived: $(ls "$kind0")"
holds_title "$kind0/M4V00001.MP4" "$holiday" || e2e_fail "M4V00001.MP4 does not carry the title"
cmp -s "$videos/mpeg4-320x240.mp4" "$pc/$holiday.mp4" || e2e_fail "the copy changed the PC file"
e2e_wait_for 20 rows_are 2 1 || e2e_fail "the PSP list shows: $(names 2)"
[ "$(names 2)" = "M4V00001.MP4" ] || e2e_fail "the PSP row reads: $(names 2)"
sleep 1
e2e_screenshot titles-copied

# --- Set Title... from the PSP row's menu ---------------------------------------------------
# Opens the PSP row's menu and picks "Set Title...", the last but one item.
set_title_window() {
  local line x y w h
  line=$(e2e_rows 2 | awk -F'\t' -v r="$1" '$1 == r')
  IFS=$'\t' read -r _ x y w h _ <<<"$line"
  e2e_click_row 2 "$1"
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
  sleep 0.5
  xdotool key --clearmodifiers Up Up Return
  e2e_wait_window "PSP Title" 10
}
edit_text() { e2e_controls "PSP Title" | awk -F'\t' '$1 == "Edit" { print $7 }'; }

set_title_window 0
# The window tool reads texts in the Windows code page.
[ "$(edit_text)" = "$(printf '%s' "$holiday" | iconv -f UTF-8 -t CP1252)" ] ||
  e2e_fail "the title window offers \"$(edit_text | iconv -f CP1252 -t UTF-8)\""
e2e_screenshot titles-set-title
size=$(stat -c %s "$kind0/M4V00001.MP4")
e2e_key "$e2e_window" ctrl+a
xdotool type --delay 40 "Birthday"
e2e_click_in "$(e2e_button "PSP Title" "&OK")"
e2e_wait_gone "PSP Title" 10
holds_title "$kind0/M4V00001.MP4" "Birthday" || e2e_fail "the new title was not written"
holds_title "$kind0/M4V00001.MP4" "$holiday" && e2e_fail "the old title is still there"
# The room the copy left took it: the file kept its size.
[ "$(stat -c %s "$kind0/M4V00001.MP4")" = "$size" ] || e2e_fail "the file changed its size"
ffmpeg -v error -i "$kind0/M4V00001.MP4" -map 0 -c copy -f framemd5 - >"$e2e_dir/after.md5" &&
  ffmpeg -v error -i "$videos/mpeg4-320x240.mp4" -map 0 -c copy -f framemd5 - >"$e2e_dir/before.md5" &&
  cmp -s "$e2e_dir/before.md5" "$e2e_dir/after.md5" || e2e_fail "the video's frames changed"

# --- Stop while a big video is written anew ------------------------------------------------
# The PSP's own kind of file, with no room behind its header, and a gigabyte behind its media.
big=$kind0/M4V00002.MP4
cp "$videos/avc-main-480x272-psp.mp4" "$big"
printf '\x40\x00\x00\x00junk' >>"$big"
truncate -s +$((0x40000000 - 8)) "$big"
md5sum "$big" >"$e2e_dir/big.md5"
e2e_click_control "$(e2e_button "$e2e_main_title" "Re&fresh")"
e2e_wait_for 20 rows_are 2 2 || e2e_fail "the PSP list does not show the big video: $(names 2)"
set_title_window 1
e2e_key "$e2e_window" ctrl+a
xdotool type --delay 40 "A title longer than the one it had"
e2e_click_in "$(e2e_button "PSP Title" "&OK")"
e2e_wait_window "Transfering..." 20
e2e_screenshot titles-rewrite
e2e_click_in "$(e2e_button "Transfering..." "&Stop")"
e2e_wait_window "PSP Title" 30
e2e_wait_text "PSP Title"
grep -qF "The title was not changed." <<<"$(e2e_controls "PSP Title")" ||
  e2e_fail "the box after Stop reads: $(e2e_controls "PSP Title")"
e2e_key "$e2e_window" Return
e2e_wait_gone "PSP Title" 10
md5sum -c --quiet "$e2e_dir/big.md5" || e2e_fail "Stop left the big video changed"
leftovers=$(find "$psp" -iname '*.part*')
[ -z "$leftovers" ] || e2e_fail "Stop left files behind: $leftovers"

e2e_close_main
[ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status"
