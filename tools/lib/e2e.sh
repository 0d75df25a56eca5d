# Helpers for the end-to-end tests in tests/e2e: they drive the real Brevlo.exe under Wine
# with X input (xdotool) as a person would. Source it from a test script; it sources the
# other libraries. A test run by tools/test.sh inherits its Wine prefix and display; run by
# hand, it makes its own (build/wineprefix-e2e, a private Xvfb when DISPLAY is unset).
#
#   e2e_begin NAME              set-up; e2e_dir is a fresh scratch folder for this test
#   e2e_install DIR             copies Brevlo.exe and DefaultPreview.THM into DIR
#   e2e_write_prefs DIR PCDIR   Preferences.ini beside the exe: [Main] Output Path=<PCDIR>
#   e2e_ini_value FILE SECTION KEY
#   e2e_start DIR               starts DIR/Brevlo.exe; e2e_pid is its process
#   e2e_wait_main [SECONDS]     waits for the main window (answering the PSP questions);
#                               e2e_main is its X window
#   e2e_key WINDOW KEYS...      focuses WINDOW and types the keys
#   e2e_screenshot NAME         artifacts/e2e-NAME.png of the whole display
#   e2e_close_main              closes the main window with Alt+F4 and waits for the exit
#   e2e_controls TITLE          one line per control of the window titled TITLE, as Windows
#                               sees it: class, screen x y w h, rows (list views), text
#   e2e_control CLASS N         the Nth (from 1) control of CLASS in the main window, counted
#                               left to right, then top to bottom
#   e2e_click_control LINE      clicks into the middle of a control line
#   e2e_fail MESSAGE            reports, keeps a screenshot and ends the test

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/psp-rig.sh"

e2e_main_title="Brevlo V1.8 - Halvorn"
e2e_psp_question="PSP Connection"
e2e_psp_notice="Please connect your PSP"

e2e_begin() {
  e2e_name=$1
  BREVLO_LOG_NAME=e2e-$e2e_name
  e2e_pid=
  e2e_boxes_answered=0
  trap e2e_end EXIT
  mkdir -p "$brevlo_artifacts"
  if [ ! -f "$brevlo_win_dir/Brevlo.exe" ]; then
    brevlo_setup >/dev/null && brevlo_build_win >/dev/null ||
      brevlo_die "Brevlo.exe could not be built"
  fi
  if [ -z "${DISPLAY:-}" ]; then
    brevlo_xvfb_start || brevlo_die "no display"
  fi
  if [ -n "${WINEPREFIX:-}" ]; then
    brevlo_wine_prefix "$WINEPREFIX" || exit 1
  else
    brevlo_wine_prefix "$brevlo_build/wineprefix-e2e" || exit 1
  fi
  e2e_dir=$brevlo_build/e2e/$e2e_name
  rm -rf "$e2e_dir"
  mkdir -p "$e2e_dir"
  e2e_letters=()
}

# Drives plugged through e2e_plug are unplugged at the end, so that the next test starts
# from a bare prefix.
e2e_plug() {
  psp_link "$@"
  e2e_letters+=("$1")
}

e2e_end() {
  local rc=$? l
  if [ -n "${e2e_pid:-}" ] && kill -0 "$e2e_pid" 2>/dev/null; then
    brevlo_log "Brevlo.exe still running at the end; stopping it"
    kill "$e2e_pid" 2>/dev/null
    wait "$e2e_pid" 2>/dev/null
  fi
  for l in "${e2e_letters[@]}"; do psp_unplug "$l" >/dev/null 2>&1; done
  brevlo_wine_stop
  brevlo_xvfb_stop
  if [ $rc -eq 0 ]; then
    brevlo_log "passed"
  else
    brevlo_log "FAILED"
  fi
  exit $rc
}

e2e_fail() {
  brevlo_log "$*"
  [ -n "${DISPLAY:-}" ] && import -window root "$brevlo_artifacts/e2e-$e2e_name-failure.png" 2>/dev/null &&
    brevlo_log "screenshot: $brevlo_artifacts/e2e-$e2e_name-failure.png"
  exit 1
}

e2e_install() {
  mkdir -p "$1"
  cp "$brevlo_win_dir/Brevlo.exe" "$brevlo_win_dir/DefaultPreview.THM" "$1/" ||
    e2e_fail "could not copy the program into $1"
}

# Windows profile files use CR LF.
e2e_write_prefs() {
  printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$2")" >"$1/Preferences.ini"
}

e2e_ini_value() {
  local file=$1 section=$2 key=$3
  tr -d '\r' <"$file" | awk -v s="[$section]" -v k="$key" '
    /^\[/ { in_s = ($0 == s); next }
    in_s {
      i = index($0, "=")
      if (i > 0 && substr($0, 1, i - 1) == k) { print substr($0, i + 1); found = 1; exit }
    }
    END { exit !found }'
}

e2e_start() {
  local dir=$1
  shift
  (cd "$dir" && exec wine "$dir/Brevlo.exe" "$@" </dev/null >"$e2e_dir/wine.log" 2>&1) &
  e2e_pid=$!
  brevlo_log "started Brevlo.exe (process $e2e_pid)"
}

e2e_running() { [ -n "${e2e_pid:-}" ] && kill -0 "$e2e_pid" 2>/dev/null; }

# The X window whose title is exactly TITLE, if one is shown.
e2e_find() {
  local re
  re=$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')
  xdotool search --onlyvisible --name "^$re\$" 2>/dev/null | head -n 1
}

e2e_key() {
  local w=$1
  shift
  xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w" 2>/dev/null
  sleep 0.2
  xdotool key --clearmodifiers "$@"
}

# Answers the start-up boxes of a missing PSP the way a person without a PSP would (No,
# then OK), so that a test can go on even when the rig's drive was not seen.
e2e_answer_psp_boxes() {
  local w
  w=$(e2e_find "$e2e_psp_question")
  if [ -n "$w" ]; then
    brevlo_log "answering No to \"$e2e_psp_question\""
    e2e_key "$w" n
    e2e_boxes_answered=$((e2e_boxes_answered + 1))
    sleep 0.5
  fi
  w=$(e2e_find "$e2e_psp_notice")
  if [ -n "$w" ]; then
    brevlo_log "answering OK to \"$e2e_psp_notice\""
    e2e_key "$w" Return
    e2e_boxes_answered=$((e2e_boxes_answered + 1))
    sleep 0.5
  fi
}

e2e_wait_main() {
  local limit=${1:-90} i
  e2e_main=
  for ((i = 0; i < limit * 4; i++)); do
    e2e_running || e2e_fail "Brevlo.exe ended before its main window appeared ($(tail -n 5 "$e2e_dir/wine.log"))"
    e2e_answer_psp_boxes
    e2e_main=$(e2e_find "$e2e_main_title")
    [ -n "$e2e_main" ] && break
    sleep 0.25
  done
  [ -n "$e2e_main" ] || e2e_fail "no window titled \"$e2e_main_title\" after ${limit}s"
  brevlo_log "main window is X window $e2e_main"
}

e2e_screenshot() {
  local file=$brevlo_artifacts/e2e-$1.png
  import -window root "$file" || e2e_fail "screenshot failed"
  brevlo_log "screenshot: $file"
}

# Alt+F4 goes to the focused window; Windows turns it into a close of that window.
e2e_close_main() {
  local i
  e2e_key "$e2e_main" alt+F4
  for ((i = 0; i < 120; i++)); do
    e2e_running || break
    sleep 0.25
  done
  e2e_running && e2e_fail "Brevlo.exe still runs 30 s after Alt+F4"
  wait "$e2e_pid"
  e2e_status=$?
  e2e_pid=
  brevlo_log "Brevlo.exe ended with status $e2e_status"
}

e2e_controls() {
  local dir=$brevlo_build/rig tool=$brevlo_build/rig/wintool.exe src
  src=$(e2e_wintool_source)
  if [ ! -f "$tool" ] || [ "$src" != "$(cat "$dir/wintool.c" 2>/dev/null)" ]; then
    mkdir -p "$dir"
    printf '%s\n' "$src" >"$dir/wintool.c"
    x86_64-w64-mingw32-gcc-posix -O2 -Wall -Wextra -static -o "$tool" "$dir/wintool.c" ||
      e2e_fail "could not build $tool"
  fi
  wine "$tool" "$1" 2>/dev/null | tr -d '\r'
}

e2e_control() {
  e2e_controls "$e2e_main_title" | awk -F'\t' -v c="$1" 'tolower($1) == tolower(c)' |
    sort -t$'\t' -k2,2n -k3,3n | sed -n "${2}p"
}

e2e_click_control() {
  local x y w h
  IFS=$'\t' read -r _ x y w h _ <<<"$1"
  [ -n "$h" ] || e2e_fail "no such control"
  # Without a window manager nothing gives our window the keyboard: a person's click would.
  [ -n "${e2e_main:-}" ] && xdotool windowfocus --sync "$e2e_main" 2>/dev/null
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.5
}

e2e_wintool_source() {
  cat <<'EOF'
#include <stdio.h>
#include <windows.h>
#include <commctrl.h>

/* Lists the controls of a top-level window the way a person sees them: class, place on
   the screen, the number of rows of a list view and the text. Messages that carry no
   pointers (and WM_GETTEXT, which Windows marshals) work across processes. */
static BOOL CALLBACK print_control(HWND w, LPARAM unused) {
  char cls[64] = "", text[1024] = "";
  RECT r;
  long rows = -1;
  (void)unused;
  if (!IsWindowVisible(w)) return TRUE;
  GetClassNameA(w, cls, sizeof cls);
  GetWindowRect(w, &r);
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
  for (char *p = text; *p; ++p)
    if (*p == '\t' || *p == '\r' || *p == '\n') *p = ' ';
  if (!lstrcmpiA(cls, WC_LISTVIEWA)) {
    DWORD_PTR n = 0;
    if (SendMessageTimeoutA(w, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &n)) rows = (long)n;
  }
  printf("%s\t%ld\t%ld\t%ld\t%ld\t%ld\t%s\n", cls, r.left, r.top, r.right - r.left,
         r.bottom - r.top, rows, text);
  return TRUE;
}

int main(int argc, char **argv) {
  HWND top;
  if (argc < 2) return 2;
  top = FindWindowA(NULL, argv[1]);
  if (!top) {
    fprintf(stderr, "no window titled %s\n", argv[1]);
    return 1;
  }
  EnumChildWindows(top, print_control, 0);
  return 0;
}
EOF
}
