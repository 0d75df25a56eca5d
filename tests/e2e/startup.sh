#!/usr/bin/env bash
# Start-up and shutdown of the real program: it opens on the PC folder of Preferences.ini
# with its videos listed, a simulated PSP plugged in; a folder typed into the path box and
# never confirmed is what the next run gets after the window is closed with Alt+F4.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin startup

app=$e2e_dir/app
pc=$e2e_dir/pc
typed=$e2e_dir/typed-later
e2e_install "$app"
psp_pc_video "$pc" "Beach day"
psp_pc_video "$pc" birthday
psp_pc_video "$pc" concert nothumb
printf 'not a video\n' >"$pc/notes.txt"
e2e_write_prefs "$app" "$pc"

psp_make_sample "$e2e_dir/psp"
e2e_plug G "$e2e_dir/psp" floppy
[ "$(psp_drive_report G)" = "type=2 mp_root=yes" ] ||
  e2e_fail "the simulated PSP is not a removable drive with MP_ROOT: $(psp_drive_report G)"

e2e_start "$app"
e2e_wait_main 90
three_pc_rows() { [ "$(cut -f6 <<<"$(e2e_control SysListView32 1)")" = 3 ]; }
e2e_wait_for 20 three_pc_rows || true  # checked below, with the numbers
e2e_screenshot startup

controls=$(e2e_controls "$e2e_main_title")
printf '%s\n' "$controls" >"$e2e_dir/controls.txt"

edit=$(e2e_control Edit 1)
shown=$(cut -f7 <<<"$edit")
[ "$shown" = "$(brevlo_winpath "$pc")" ] ||
  e2e_fail "the path box shows \"$shown\", not the folder of Preferences.ini"

pc_list=$(e2e_control SysListView32 1)
psp_list=$(e2e_control SysListView32 2)
[ -n "$psp_list" ] || e2e_fail "fewer than two list views in the main window"
pc_rows=$(cut -f6 <<<"$pc_list")
psp_rows=$(cut -f6 <<<"$psp_list")
[ "$pc_rows" = 3 ] || e2e_fail "the PC list has $pc_rows rows, not the folder's 3 videos"
# Finding the PSP has its own test; here the rows are only noted.
brevlo_log "PSP list: $psp_rows rows; PSP boxes answered: $e2e_boxes_answered"

# As a person would: click into the path box, replace its text, close without confirming.
e2e_click_control "$edit"
xdotool key --clearmodifiers End shift+Home BackSpace
xdotool type --delay 20 "$(brevlo_winpath "$typed")"
typed_shows() { [ "$(cut -f7 <<<"$(e2e_control Edit 1)")" = "$(brevlo_winpath "$typed")" ]; }
e2e_wait_for 10 typed_shows || true
now=$(cut -f7 <<<"$(e2e_control Edit 1)")
[ "$now" = "$(brevlo_winpath "$typed")" ] || e2e_fail "typing into the path box gave \"$now\""

[ "$(e2e_ini_value "$app/Preferences.ini" Main "Output Path")" = "$(brevlo_winpath "$pc")" ] ||
  e2e_fail "Preferences.ini changed while the program ran"

e2e_close_main
[ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status"

saved=$(e2e_ini_value "$app/Preferences.ini" Main "Output Path") ||
  e2e_fail "Preferences.ini has no Output Path in section Main: $(cat "$app/Preferences.ini")"
[ "$saved" = "$(brevlo_winpath "$typed")" ] ||
  e2e_fail "Output Path is \"$saved\" after close, not the typed \"$(brevlo_winpath "$typed")\""
