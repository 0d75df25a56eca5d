#!/usr/bin/env bash
# The whole program in its skin, as a person meets it: both lists longer than their boxes, with
# the painted scroll bars, a press on whose arrow scrolls the list; the rename window; a
# transfer in progress with its question over it, and its end box. Each is kept as a
# screenshot.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin skin

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
e2e_install "$app"
for i in $(seq -w 1 24); do psp_pc_video "$pc" "clip $i" nothumb; done
psp_make "$psp"
for n in $(seq 1 24); do psp_add_video "$psp" 0 "$n" nothumb; done
# Large enough that the copy is still going when it is looked at.
for n in 1 2 3; do psp_fake_video "$psp/MP_ROOT/100MNV01/M4V0000$n.MP4" 600000000; done
# A PC video under a PSP name: sending that one back asks before anything is overwritten.
psp_fake_video "$pc/M4V00001.MP4" 123456
e2e_write_prefs "$app" "$pc"
e2e_plug G "$psp" floppy

e2e_start "$app"
e2e_wait_main 90
rows_are() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }
e2e_wait_for 30 rows_are 1 25 || e2e_fail "the PC list has $(cut -f6 <<<"$(e2e_list 1)") rows, not 25"
e2e_wait_for 30 rows_are 2 24 || e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows, not 24"
sleep 1
e2e_window_screenshot main-skinned "$e2e_main_title"

# Each list's vertical bar is covered by a painted panel of the same place and size.
panels=$(e2e_controls "$e2e_main_title" | awk -F'\t' '$1 == "TskSkinInternalScrollBar" && $4 > 0')
[ "$(wc -l <<<"$panels")" = 2 ] || e2e_fail "not two painted scroll bars over the lists: $panels"
top_of_row0() { e2e_rows 1 | awk -F'\t' '$1 == 0 { print $3 }'; }
before=$(top_of_row0)
read -r _ x y w h _ <<<"$(sort -t$'\t' -k2,2n <<<"$panels" | head -n 1)"
xdotool windowfocus --sync "$e2e_main" 2>/dev/null
xdotool mousemove --sync $((x + w / 2)) $((y + h - 8)) click 1
sleep 0.5
moved() { [ "$(top_of_row0)" -lt "$before" ]; }
e2e_wait_for 10 moved || e2e_fail "a press on the painted bar's down arrow did not scroll the PC list"

e2e_click_row 2 0
e2e_click_in "$(e2e_button "$e2e_main_title" "&Rename (PSP Video)")"
e2e_wait_window Rename 10
e2e_window_screenshot rename Rename
e2e_click_in "$(e2e_button Rename "&Cancel")"
e2e_wait_gone Rename 10

# Three videos go back to the PC, the first under a name taken there: the question comes over
# the progress window, which stays until it is answered; then the bar fills file by file.
e2e_click_row 2 0
e2e_click_row 2 2 shift
e2e_click_in "$(e2e_button "$e2e_main_title" "<-- Co&py to PC")"
e2e_wait_window Overwrite 30
e2e_wait_text Overwrite
[ -n "$(e2e_find "Transfering...")" ] || e2e_fail "no progress window under the Overwrite question"
e2e_screenshot skin-transfer-question
no=$(e2e_controls Overwrite | awk -F'\t' '$1 == "Button" && ($7 == "&No" || $7 == "No")' | head -n 1)
[ -n "$no" ] || e2e_fail "the Overwrite question has no No button"
e2e_click_in "$no"
# Kept once the skin's bar shows the first file done: the bar's first column is no longer the
# window's background.
bar=$(e2e_controls "Transfering..." | awk -F'\t' '$1 == "msctls_progress32"')
read -r _ bx by _ bh _ <<<"$bar"
shot=$e2e_dir/progress.png
bar_started() {
  import -window root "$shot" 2>/dev/null &&
    [ "$(convert "$shot" -format "%[pixel:p{$((bx + 1)),$((by + bh / 2))}]" info:)" != "srgb(241,241,241)" ]
}
if [ -n "$bar" ] && e2e_wait_for 20 bar_started; then
  cp "$shot" "$brevlo_artifacts/e2e-skin-transfer-progress.png"
  brevlo_log "screenshot: $brevlo_artifacts/e2e-skin-transfer-progress.png"
else
  brevlo_log "the copy ended before its progress bar could be looked at"
fi
e2e_wait_window "Mission Accomplished" 60
e2e_wait_text "Mission Accomplished"
e2e_window_screenshot skin-end-box "Mission Accomplished"
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
[ -f "$pc/M4V00001_New.MP4" ] || e2e_fail "the copy answered No did not arrive as M4V00001_New.MP4"
[ "$(stat -c %s "$pc/M4V00001.MP4")" = 123456 ] || e2e_fail "answering No changed M4V00001.MP4"
rm -f "$pc"/M4V0000[123]*

e2e_close_main
[ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status"
