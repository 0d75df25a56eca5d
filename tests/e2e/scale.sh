#!/usr/bin/env bash
# The program on screens of 150 % and 200 % (144 and 192 dots per inch), each in a Wine prefix
# of its own: the main window with both lists filled, About, the rename window, and the
# progress window under the question a move asks, kept as screenshots
# (artifacts/e2e-scale-DPI-*.png) for people to look at. Each window must lie wholly on the
# screen and frame its controls; the main window's client must be 661 x 516 at the scale.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
# A screen of its own, as large as those that come with such scales, and prefixes of its own:
# the scale is read when Wine starts.
unset DISPLAY
export BREVLO_XVFB_SIZE=2560x1600
export WINEPREFIX=$brevlo_build/wineprefix-scale-144
e2e_begin scale

client_size() {
  # The main window's outermost controls: the top panel at the client's corner, and the
  # status bar along its bottom.
  e2e_controls "$e2e_main_title" | awk -F'\t' '
    NR == 1 || $2 < l { l = $2 }
    NR == 1 || $3 < t { t = $3 }
    NR == 1 || $2 + $4 > r { r = $2 + $4 }
    NR == 1 || $3 + $5 > b { b = $3 + $5 }
    END { print r - l, b - t }'
}

for dpi in 144 192; do
  brevlo_wine_stop
  brevlo_wine_prefix "$brevlo_build/wineprefix-scale-$dpi" "$dpi" || e2e_fail "no prefix at $dpi"
  e2e_unmanaged
  brevlo_log "prefix $WINEPREFIX at $dpi dots per inch"
  run=$e2e_dir/$dpi
  app=$run/app
  pc=$run/pc
  psp=$run/psp
  e2e_install "$app"
  psp_pc_video "$pc" "Beach day"
  psp_pc_video "$pc" birthday
  psp_pc_video "$pc" M4V00002
  e2e_write_prefs "$app" "$pc"
  psp_make_sample "$psp"
  e2e_plug G "$psp" floppy

  e2e_start "$app"
  e2e_wait_main 90
  e2e_wait_rows 1 3
  e2e_wait_rows 2 3
  read -r cw ch <<<"$(client_size)"
  want_w=$(((661 * dpi + 48) / 96))
  want_h=$(((516 * dpi + 48) / 96))
  ((cw >= want_w - 1 && cw <= want_w + 1 && ch >= want_h - 1 && ch <= want_h + 1)) ||
    e2e_fail "at $dpi the main window's controls span ${cw}x$ch, not ${want_w}x$want_h"
  e2e_window_screenshot "scale-$dpi-main" "$e2e_main_title"

  top_panel=$(e2e_controls "$e2e_main_title" | sort -t$'\t' -k3,3n -k2,2n | head -n 1)
  IFS=$'\t' read -r _ x y _ <<<"$top_panel"
  xdotool mousemove --sync $((x + 150 * dpi / 96)) $((y + 39 * dpi / 96)) click 1
  e2e_wait_window About 10
  has_ok() { [ -n "$(e2e_button About "&OK")" ]; }
  e2e_wait_for 10 has_ok || e2e_fail "the About window has no OK button"
  e2e_window_screenshot "scale-$dpi-about" About
  e2e_click_in "$(e2e_button About "&OK")"
  e2e_wait_gone About 10

  # The PSP's drop-down tree, opened by its button at the right end of the box.
  combo=$(e2e_controls "$e2e_main_title" | awk -F'\t' '$1 == "Edit" && $7 == "(G:)"' | head -n 1)
  [ -n "$combo" ] || e2e_fail "no box showing (G:) in the main window"
  IFS=$'\t' read -r _ x y w h _ <<<"$combo"
  xdotool mousemove --sync $((x + w - 10 * dpi / 96)) $((y + h / 2)) click 1
  sleep 1
  e2e_screenshot "scale-$dpi-tree"
  xdotool mousemove --sync $((x + w - 10 * dpi / 96)) $((y + h / 2)) click 1
  sleep 0.5

  e2e_click_row 2 1
  e2e_click_in "$(e2e_button "$e2e_main_title" "&Rename (PSP Video)")"
  e2e_wait_window Rename 10
  e2e_window_screenshot "scale-$dpi-rename" Rename
  e2e_click_in "$(e2e_button Rename "&Cancel")"
  e2e_wait_gone Rename 10

  # M4V00002.MP4 is in the PC folder already: the move asks, over the progress window.
  e2e_click_in "$(e2e_button "$e2e_main_title" "<-- M&ove to PC")"
  e2e_wait_window Overwrite 30
  e2e_wait_text Overwrite
  [ -n "$(e2e_find "Transfering...")" ] || e2e_fail "no progress window under the question"
  e2e_window_screenshot "scale-$dpi-progress-and-question" Overwrite
  e2e_key "$e2e_window" n
  e2e_wait_window "Mission Accomplished" 30
  e2e_wait_text "Mission Accomplished"
  e2e_key "$e2e_window" Return
  e2e_wait_gone "Mission Accomplished" 10

  e2e_close_main
  [ "$e2e_status" -eq 0 ] || e2e_fail "Brevlo.exe ended with status $e2e_status at $dpi"
  e2e_unplug G
done
