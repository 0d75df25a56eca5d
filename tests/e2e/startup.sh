#!/usr/bin/env bash
# Start-up and shutdown of the real program: it opens on the PC folder of Preferences.ini
# with its videos listed, a simulated PSP plugged in; a folder typed into the path box and
# never confirmed is what the next run gets after the window is closed with Alt+F4.
# On the way, the windows a person meets are opened, kept as screenshots with their frames
# and closed again: the main window, the About window, the folder-browse dialog and the
# question that a refresh asks once the PSP has been pulled out.
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
e2e_window_screenshot main-window "$e2e_main_title"

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

# The About link is drawn on the top panel, which starts at the client area's corner.
top_panel=$(e2e_controls "$e2e_main_title" | sort -t$'\t' -k3,3n -k2,2n | head -n 1)
IFS=$'\t' read -r _ x y _ <<<"$top_panel"
xdotool mousemove --sync $((x + 150)) $((y + 39)) click 1
e2e_wait_window About 10
has_ok() { [ -n "$(e2e_button About "&OK")" ]; }
e2e_wait_for 10 has_ok || e2e_fail "the About window has no OK button"
e2e_window_screenshot about About
e2e_click_in "$(e2e_button About "&OK")"
e2e_wait_gone About 10

browse_title="Browse for Folder"
e2e_click_in "$(e2e_button "$e2e_main_title" "&Browse")"
e2e_wait_window "$browse_title" 10
has_tree() { e2e_controls "$browse_title" | grep -q '^SysTreeView32'; }
e2e_wait_for 10 has_tree || e2e_fail "the folder-browse dialog shows no folder tree"
e2e_window_screenshot browse "$browse_title"
e2e_click_in "$(e2e_button "$browse_title" Cancel)"
e2e_wait_gone "$browse_title" 10

# The PSP goes away: a refresh of its list asks for it. What the answer does has a test of its own.
e2e_unplug G
e2e_click_in "$(e2e_button "$e2e_main_title" "Re&fresh")"
e2e_wait_window "$e2e_psp_question" 10
e2e_wait_text "$e2e_psp_question"
e2e_window_screenshot message-box "$e2e_psp_question"
e2e_key "$e2e_window" n
e2e_wait_window "$e2e_psp_notice" 10
e2e_key "$e2e_window" Return
e2e_wait_gone "$e2e_psp_notice" 10

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
