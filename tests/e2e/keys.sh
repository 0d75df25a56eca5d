#!/usr/bin/env bash
# The keys of the lists, typed as a person would: Enter plays the row with the program Windows
# associates with videos, F5 shows a video added meanwhile, Ctrl+A selects every row and F2
# opens the rename window.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin keys
app=$e2e_dir/app pc=$e2e_dir/pc psp=$e2e_dir/psp played=$e2e_dir/played.txt
e2e_install "$app"
for name in alpha beta gamma; do psp_pc_video "$pc" $name nothumb; done
e2e_write_prefs "$app" "$pc"
psp_make_sample "$psp"
e2e_plug G "$psp"
# The stand-in player associated with ".mp4" writes down what it was given.
player_source() { printf '%s\n' '#include <stdio.h>' 'int main(int c, char **v) {' \
  '  FILE *f = c == 3 ? fopen(v[1], "a") : NULL;' '  return f ? fprintf(f, "%s\n", v[2]) < 0 : 1;' '}'; }
e2e_tool player player_source >/dev/null 2>&1
wine reg add 'HKCR\.mp4' /ve /d BrevloTestVideo /f >/dev/null 2>&1
wine reg add 'HKCR\BrevloTestVideo\shell\open\command' /ve /f /d "\"$(brevlo_winpath \
  "$brevlo_build/rig/player.exe")\" \"$(brevlo_winpath "$played")\" \"%1\"" >/dev/null 2>&1

e2e_start "$app"
e2e_wait_main 60
e2e_wait_rows 1 3
e2e_click_row 1 1
e2e_key "$e2e_main" Return
played_is() { [ "$(tr -d '\r' <"$played" 2>/dev/null)" = "$(brevlo_winpath "$pc")\\beta.mp4" ]; }
e2e_wait_for 20 played_is || e2e_fail "Enter played: $(cat "$played" 2>/dev/null)"
# The player took the foreground: a click brings the list back, as a person's would.
psp_pc_video "$pc" delta nothumb
e2e_click_row 1 0
e2e_key "$e2e_main" F5 ctrl+a
e2e_wait_rows 1 4
all_selected() { [ "$(e2e_rows 1 | awk -F'\t' '$6 == 1' | wc -l)" = 4 ]; }
e2e_wait_for 10 all_selected || e2e_fail "Ctrl+A left rows unselected: $(e2e_rows 1)"
e2e_click_row 2 1
e2e_key "$e2e_main" F2
e2e_wait_window Rename 10
offers() { [ "$(e2e_controls Rename | awk -F'\t' '$1 == "Edit" { print $7 }')" = M4V00002.MP4 ]; }
e2e_wait_for 10 offers || e2e_fail "the rename window offers: $(e2e_controls Rename)"
e2e_screenshot keys-rename
e2e_click_in "$(e2e_button Rename "&Cancel")"
e2e_wait_gone Rename 10
# Escape closes it as Cancel does; Enter with the name as it was, as OK does.
for key in Escape Return; do
  e2e_click_row 2 1
  e2e_key "$e2e_main" F2
  e2e_wait_window Rename 10
  e2e_key "$e2e_window" "$key"
  e2e_wait_gone Rename 10
done
[ -f "$psp/MP_ROOT/100MNV01/M4V00002.MP4" ] || e2e_fail "Enter in the rename window renamed the video"
e2e_close_main
