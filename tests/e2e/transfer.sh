#!/usr/bin/env bash
# Transfers as a person makes them: three PC videos selected with a click and a shift+click
# are copied to an empty PSP by the button, one more by Alt+C; every video arrives under the
# next PSP name, byte for byte, with its own thumbnail or the default one. Then a PSP video
# is moved back into a PC folder that already holds its name: No to the question keeps the
# old file and the video arrives as a "_New" one. Last, the PC folder typed as the PSP folder in
# other spellings: a move to the PC leaves every file of it as it was.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin transfer

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
e2e_install "$app"

# Distinct random contents, so that a video sent under the wrong name cannot compare equal.
# Listed ignoring case (alpha, Bravo, charlie), which is not the byte order.
mkdir -p "$pc"
size=5000000
for name in alpha Bravo charlie; do
  head -c "$size" /dev/urandom >"$pc/$name.mp4"
  size=$((size + 1234567))
done
psp_thumb "$pc/alpha.THM" alpha
psp_thumb "$pc/Bravo.THM" Bravo
(cd "$pc" && md5sum -- *) >"$e2e_dir/pc-before.md5"
e2e_write_prefs "$app" "$pc"

psp_make "$psp"
e2e_plug G "$psp" floppy
[ "$(psp_drive_report G)" = "type=2 mp_root=yes" ] ||
  e2e_fail "the simulated PSP is not a removable drive with MP_ROOT: $(psp_drive_report G)"

e2e_start "$app"
e2e_wait_main 60
[ "$e2e_boxes_answered" -eq 0 ] || e2e_fail "a PSP question was shown at start although G: is a PSP"

rows_are() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }
names() { e2e_row_names "$1" | paste -sd' '; }
selected() { e2e_rows "$1" | awk -F'\t' '$6 == 1 { print $7 }' | paste -sd' '; }

e2e_wait_for 20 rows_are 1 3 || e2e_fail "the PC list has $(cut -f6 <<<"$(e2e_list 1)") rows, not 3"
e2e_wait_for 20 rows_are 2 0 || e2e_fail "the empty PSP lists $(cut -f6 <<<"$(e2e_list 2)") rows"
[ "$(names 1)" = "alpha.mp4 Bravo.mp4 charlie.mp4" ] || e2e_fail "the PC list shows: $(names 1)"

# Waits for the end box of a transfer, keeps a screenshot of it and confirms it with Enter.
# Before it comes, the progress window must have been closed.
finish_transfer() {
  local shot=$1 box text
  e2e_wait_window "Mission Accomplished" 30
  box=$e2e_window
  e2e_wait_text "Mission Accomplished"
  e2e_screenshot "$shot"
  text=$(e2e_controls "Mission Accomplished" | awk -F'\t' '$1 == "Static" && $7 != "" { print $7 }')
  [ "$text" = "The transfer is completed." ] || e2e_fail "the end box says \"$text\""
  [ -z "$(e2e_find "Transfering...")" ] || e2e_fail "the progress window is still up under the end box"
  e2e_key "$box" Return
  e2e_wait_gone "Mission Accomplished" 10
}

# The copies are quick: the progress window is kept on a screenshot only when it is caught.
watch_progress() {
  local i
  for ((i = 0; i < 400; i++)); do
    if [ -n "$(e2e_find "Transfering...")" ]; then
      import -window root "$brevlo_artifacts/e2e-transfer-progress.png" 2>/dev/null
      brevlo_log "caught the progress window: $brevlo_artifacts/e2e-transfer-progress.png"
      return
    fi
    [ -n "$(e2e_find "Mission Accomplished")" ] && return
    e2e_running || return
    sleep 0.05
  done
}

# --- Round 1: select all three with a click and a shift+click, then the button ----------
e2e_click_row 1 0
e2e_click_row 1 2 shift
[ "$(selected 1)" = "alpha.mp4 Bravo.mp4 charlie.mp4" ] ||
  e2e_fail "click and shift+click selected: $(selected 1)"
copy=$(e2e_button "$e2e_main_title" "&Copy to PSP -->")
[ -n "$copy" ] || e2e_fail "no button \"&Copy to PSP -->\" in the main window"
watch_progress &
watcher=$!
e2e_click_control "$copy"
finish_transfer transfer-copied
wait "$watcher"

same() { cmp -s "$1" "$2" || e2e_fail "$2 is not byte for byte $1"; }
n=1
for name in alpha Bravo charlie; do
  psp_name=M4V0000$n
  [ -f "$kind0/$psp_name.MP4" ] || e2e_fail "$name.mp4 did not arrive as $psp_name.MP4: $(ls "$kind0")"
  same "$pc/$name.mp4" "$kind0/$psp_name.MP4"
  if [ -f "$pc/$name.THM" ]; then
    same "$pc/$name.THM" "$kind0/$psp_name.THM"
  else
    same "$app/DefaultPreview.THM" "$kind0/$psp_name.THM"
  fi
  n=$((n + 1))
done
[ "$(ls "$kind0" | paste -sd' ')" = "M4V00001.MP4 M4V00001.THM M4V00002.MP4 M4V00002.THM M4V00003.MP4 M4V00003.THM" ] ||
  e2e_fail "the PSP folder holds more than the three videos and thumbnails: $(ls -a "$kind0")"
[ -z "$(ls -A "$psp/MP_ROOT/101ANV01")" ] || e2e_fail "the AVC folder received files"
(cd "$pc" && md5sum -c --quiet "$e2e_dir/pc-before.md5") || e2e_fail "a copy changed the PC folder"
e2e_wait_for 20 rows_are 2 3 || e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows after the copy"
[ "$(names 2)" = "M4V00001.MP4 M4V00002.MP4 M4V00003.MP4" ] || e2e_fail "the PSP list shows: $(names 2)"
[ "$(names 1)" = "alpha.mp4 Bravo.mp4 charlie.mp4" ] || e2e_fail "the PC list shows after the copy: $(names 1)"

# --- Round 2: one row, by the button's accelerator ---------------------------------------
e2e_click_row 1 1
[ "$(selected 1)" = "Bravo.mp4" ] || e2e_fail "a click on the second PC row selected: $(selected 1)"
e2e_key "$e2e_main" alt+c
finish_transfer transfer-alt-c
[ -f "$kind0/M4V00004.MP4" ] || e2e_fail "Alt+C sent nothing as M4V00004.MP4: $(ls "$kind0")"
same "$pc/Bravo.mp4" "$kind0/M4V00004.MP4"
same "$pc/Bravo.THM" "$kind0/M4V00004.THM"
[ "$(ls "$kind0" | wc -l)" = 8 ] || e2e_fail "Alt+C sent more than one video: $(ls "$kind0")"
e2e_wait_for 20 rows_are 2 4 || e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows after Alt+C"

# --- Round 3: move M4V00002.MP4 back where that name is taken, answering No ---------------
head -c 777777 /dev/urandom >"$pc/M4V00002.MP4"
cp "$pc/M4V00002.MP4" "$e2e_dir/taken.MP4"
[ "$(e2e_row_names 2 | sed -n 2p)" = "M4V00002.MP4" ] || e2e_fail "the PSP list shows: $(names 2)"
e2e_click_row 2 1
[ "$(selected 2)" = "M4V00002.MP4" ] || e2e_fail "a click on the second PSP row selected: $(selected 2)"
move=$(e2e_button "$e2e_main_title" "<-- M&ove to PC")
[ -n "$move" ] || e2e_fail "no button \"<-- M&ove to PC\" in the main window"
e2e_click_control "$move"

e2e_wait_window "Overwrite" 30
e2e_wait_text "Overwrite"
# The progress window comes up before the question and stays under it.
[ -n "$(e2e_find "Transfering...")" ] || e2e_fail "no progress window while the Overwrite question is open"
e2e_screenshot transfer-overwrite
question=$(e2e_controls "Overwrite")
grep -qF "The destination file is existent. Overwrite it?" <<<"$question" ||
  e2e_fail "the Overwrite question reads: $question"
no=$(awk -F'\t' '$1 == "Button" && ($7 == "&No" || $7 == "No")' <<<"$question" | head -n 1)
[ -n "$no" ] || e2e_fail "the Overwrite question has no No button: $question"
e2e_click_in "$no"
finish_transfer transfer-moved

[ -f "$pc/M4V00002_New.MP4" ] || e2e_fail "no M4V00002_New.MP4 in the PC folder: $(ls "$pc")"
same "$pc/Bravo.mp4" "$pc/M4V00002_New.MP4"
same "$pc/Bravo.THM" "$pc/M4V00002_New.THM"
same "$e2e_dir/taken.MP4" "$pc/M4V00002.MP4"
[ ! -e "$pc/M4V00002.THM" ] || e2e_fail "answering No wrote M4V00002.THM"
[ ! -e "$kind0/M4V00002.MP4" ] && [ ! -e "$kind0/M4V00002.THM" ] ||
  e2e_fail "the moved video or its thumbnail is still on the PSP: $(ls "$kind0")"
(cd "$pc" && md5sum -c --quiet "$e2e_dir/pc-before.md5") || e2e_fail "the PC sources changed"
leftovers=$(find "$pc" "$psp" -iname '*.part*')
[ -z "$leftovers" ] || e2e_fail "temporary files were left behind: $leftovers"
e2e_wait_for 20 rows_are 2 3 || e2e_fail "the PSP list has $(cut -f6 <<<"$(e2e_list 2)") rows after the move"
[ "$(names 2)" = "M4V00001.MP4 M4V00003.MP4 M4V00004.MP4" ] || e2e_fail "the PSP list shows: $(names 2)"
e2e_wait_for 20 rows_are 1 5 || e2e_fail "the PC list has $(cut -f6 <<<"$(e2e_list 1)") rows after the move"
[ "$(names 1)" = "alpha.mp4 Bravo.mp4 charlie.mp4 M4V00002.MP4 M4V00002_New.MP4" ] ||
  e2e_fail "the PC list shows after the move: $(names 1)"

# --- Round 4: the PC folder typed as the PSP's own folder in other spellings --------------
# A move to the PC would then name each video as its own destination: nothing may be asked,
# overwritten, deleted or doubled, and the end box names the row.
(cd "$kind0" && md5sum -- *) >"$e2e_dir/psp-before.md5"
edit=$(e2e_control Edit 1)
for spelling in 'G:/MP_ROOT/100MNV01' 'g:\MP_ROOT\.\100mnv01\'; do
  e2e_click_control "$edit"
  xdotool key --clearmodifiers End shift+Home BackSpace
  xdotool type --delay 20 "$spelling"
  xdotool key --clearmodifiers Return
  e2e_wait_for 20 rows_are 1 3 || e2e_fail "the PC list over $spelling has $(cut -f6 <<<"$(e2e_list 1)") rows"
  e2e_click_row 2 0
  e2e_click_control "$move"
  e2e_wait_window "Transfer Incomplete" 30
  [ -z "$(e2e_find "Overwrite")" ] || e2e_fail "the Overwrite question came for the video itself ($spelling)"
  e2e_wait_text "Transfer Incomplete"
  text=$(e2e_controls "Transfer Incomplete")
  grep -qF "M4V00001.MP4: it is already in that folder." <<<"$text" ||
    e2e_fail "the end box over $spelling reads: $text"
  e2e_screenshot transfer-same-folder
  e2e_key "$e2e_window" Return
  e2e_wait_gone "Transfer Incomplete" 10
  (cd "$kind0" && md5sum -c --quiet "$e2e_dir/psp-before.md5") ||
    e2e_fail "the PSP folder changed when the PC folder was $spelling"
  [ "$(ls "$kind0" | wc -l)" = 6 ] || e2e_fail "the PSP folder holds after $spelling: $(ls "$kind0")"
done

e2e_close_main
[ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status"
