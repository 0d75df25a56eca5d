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
#   e2e_wait_rows N ROWS [SECONDS]  waits for list view N of the main window to hold ROWS rows
#   e2e_fail MESSAGE            reports, keeps a screenshot and ends the test
#   e2e_plug LETTER DIR [KIND]  plugs a drive in for this test (unplugged at the end)
#   e2e_unplug LETTER           pulls it out while the program runs

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/psp-rig.sh"

e2e_main_title="Brevlo V1.8 - Halvorn"
e2e_psp_question="PSP Connection"
e2e_psp_notice="Please connect your PSP"

# A test display has no window manager: Wine would wait for one (two seconds) whenever a
# window of its managing is hidden, and a window shown just after was seen left unpainted.
# In the prefix in use, the program's windows are left unmanaged, for the tests only.
e2e_unmanaged() {
  wine reg add 'HKCU\Software\Wine\AppDefaults\Brevlo.exe\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1
}

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
  e2e_unmanaged
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

e2e_unplug() {
  local l kept=()
  psp_unplug "$1"
  for l in "${e2e_letters[@]}"; do [ "$l" = "$1" ] || kept+=("$l"); done
  e2e_letters=("${kept[@]}")
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
  # With xdotool's 12 ms between keys, Wine lost the Alt of the first Alt+F4 after start.
  xdotool key --clearmodifiers --delay 80 "$@"
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
  fi
  w=$(e2e_find "$e2e_psp_notice")
  if [ -n "$w" ]; then
    brevlo_log "answering OK to \"$e2e_psp_notice\""
    e2e_key "$w" Return
    e2e_boxes_answered=$((e2e_boxes_answered + 1))
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

# Waiting, rows of the lists and clicks inside other windows:
#
#   e2e_wait_window TITLE [SECONDS]  waits until a window titled TITLE is shown; e2e_window
#                                    is its X window
#   e2e_wait_gone TITLE [SECONDS]    waits until no window titled TITLE is shown
#   e2e_wait_for SECONDS COMMAND...  runs COMMAND every quarter second until it succeeds
#   e2e_list N                       the control line of the Nth list view of the main window
#                                    (1 the PC list, 2 the PSP list)
#   e2e_rows N                       one line per row of that list: index, screen x y w h of
#                                    its label, 1 when selected, caption
#   e2e_row_names N                  the captions of its rows, one a line, in list order
#   e2e_click_row N ROW [KEY]        clicks row ROW (from 0), holding KEY (shift, ctrl) if given
#   e2e_button TITLE TEXT            the control line of the button TEXT in the window TITLE
#   e2e_click_in LINE                clicks into the middle of a control line of any window,
#                                    leaving the keyboard where it is

e2e_wait_for() {
  local limit=$1 i
  shift
  for ((i = 0; i < limit * 4; i++)); do
    "$@" && return 0
    e2e_running || e2e_fail "Brevlo.exe ended while waiting for: $*"
    sleep 0.25
  done
  "$@"
}

e2e_wait_window() {
  local title=$1 limit=${2:-30} i
  e2e_window=
  for ((i = 0; i < limit * 10; i++)); do
    e2e_window=$(e2e_find "$title")
    [ -n "$e2e_window" ] && return 0
    e2e_running || e2e_fail "Brevlo.exe ended while waiting for the window \"$title\""
    sleep 0.1
  done
  e2e_fail "no window titled \"$title\" after ${limit}s"
}

e2e_wait_gone() {
  local title=$1 limit=${2:-30} i
  for ((i = 0; i < limit * 10; i++)); do
    [ -z "$(e2e_find "$title")" ] && return 0
    sleep 0.1
  done
  e2e_fail "the window \"$title\" is still shown after ${limit}s"
}

e2e_list() { e2e_control SysListView32 "$1"; }

e2e_rows() {
  local line x y
  line=$(e2e_list "$1")
  [ -n "$line" ] || e2e_fail "the main window has no list view number $1"
  IFS=$'\t' read -r _ x y _ <<<"$line"
  e2e_tool rowtool e2e_rowtool_source "$e2e_main_title" "$x" "$y"
}

e2e_row_names() { e2e_rows "$1" | cut -f7; }

# Waits until list view N (from 1) of the main window has ROWS rows, or fails.
e2e_wait_rows() {
  local list=$1 rows=$2 limit=${3:-20}
  rows_now() { [ "$(cut -f6 <<<"$(e2e_list "$1")")" = "$2" ]; }
  e2e_wait_for "$limit" rows_now "$list" "$rows" ||
    e2e_fail "list $list has $(cut -f6 <<<"$(e2e_list "$list")") rows, not $rows"
}

e2e_click_row() {
  local list=$1 row=$2 key=${3:-} line x y w h
  line=$(e2e_rows "$list" | awk -F'\t' -v r="$row" '$1 == r')
  [ -n "$line" ] || e2e_fail "list $list has no row $row"
  IFS=$'\t' read -r _ x y w h _ <<<"$line"
  [ -n "${e2e_main:-}" ] && xdotool windowfocus --sync "$e2e_main" 2>/dev/null
  # The middle of the caption: the label, not the thumbnail, is what a person aims at.
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2))
  if [ -n "$key" ]; then
    xdotool keydown "$key" click 1 keyup "$key"
  else
    xdotool click 1
  fi
  # Plain and shift clicks both leave the clicked row selected.
  e2e_wait_for 10 e2e_row_selected "$list" "$row" || e2e_fail "a click on row $row of list $list did not select it"
}

e2e_row_selected() {
  e2e_rows "$1" | awk -F'\t' -v r="$2" '$1 == r && $6 == 1 { found = 1 } END { exit !found }'
}

# Waits until a window's static text is there: a box is drawn a moment after it is mapped.
e2e_wait_text() {
  local title=$1 limit=${2:-10}
  box_text_shown() { e2e_controls "$1" | awk -F'\t' '$1 == "Static" && $7 != "" { found = 1 } END { exit !found }'; }
  e2e_wait_for "$limit" box_text_shown "$title" || e2e_fail "the window \"$title\" shows no text"
}

e2e_button() {
  e2e_controls "$1" | awk -F'\t' -v t="$2" 'tolower($1) == "button" && $7 == t' | head -n 1
}

e2e_click_in() {
  local x y w h
  IFS=$'\t' read -r _ x y w h _ <<<"$1"
  [ -n "$h" ] || e2e_fail "no such control"
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.3
}

# Builds a small Windows tool from the source that FUNCTION prints (again whenever the
# source changes) and runs it with the remaining arguments.
e2e_tool() {
  local name=$1 source_fn=$2 dir=$brevlo_build/rig src
  shift 2
  src=$("$source_fn")
  if [ ! -f "$dir/$name.exe" ] || [ "$src" != "$(cat "$dir/$name.c" 2>/dev/null)" ]; then
    mkdir -p "$dir"
    printf '%s\n' "$src" >"$dir/$name.c"
    x86_64-w64-mingw32-gcc-posix -O2 -Wall -Wextra -static -o "$dir/$name.exe" "$dir/$name.c" ||
      e2e_fail "could not build $dir/$name.exe"
  fi
  wine "$dir/$name.exe" "$@" 2>/dev/null | tr -d '\r'
}

e2e_rowtool_source() {
  cat <<'EOF_C'
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <commctrl.h>

/* The rows of a list view in another process. Item rectangles and texts come back through
   pointers, so the buffers live in that process: Windows passes these messages unmarshalled. */
struct wanted {
  LONG left, top;
  HWND found;
};

static BOOL CALLBACK match(HWND w, LPARAM p) {
  struct wanted *f = (struct wanted *)p;
  char cls[64] = "";
  RECT r;
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpiA(cls, WC_LISTVIEWA) || !IsWindowVisible(w)) return TRUE;
  GetWindowRect(w, &r);
  if (r.left != f->left || r.top != f->top) return TRUE;
  f->found = w;
  return FALSE;
}

static LRESULT ask(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 2000, &result)) return -1;
  return (LRESULT)result;
}

int main(int argc, char **argv) {
  struct wanted f = {0, 0, NULL};
  HWND top;
  DWORD pid = 0;
  HANDLE proc;
  char *remote;
  long n, i;
  if (argc < 4) return 2;
  top = FindWindowA(NULL, argv[1]);
  if (!top) {
    fprintf(stderr, "no window titled %s\n", argv[1]);
    return 1;
  }
  f.left = atol(argv[2]);
  f.top = atol(argv[3]);
  EnumChildWindows(top, match, (LPARAM)&f);
  if (!f.found) {
    fprintf(stderr, "no list view at %ld,%ld\n", f.left, f.top);
    return 1;
  }
  GetWindowThreadProcessId(f.found, &pid);
  proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  remote = proc ? VirtualAllocEx(proc, NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : NULL;
  if (!remote) {
    fprintf(stderr, "no memory in the list's process (error %lu)\n", GetLastError());
    return 1;
  }
  n = (long)ask(f.found, LVM_GETITEMCOUNT, 0, 0);
  for (i = 0; i < n; ++i) {
    RECT r = {LVIR_LABEL, 0, 0, 0};
    LVITEMA item;
    char text[1024] = "";
    LRESULT state;
    WriteProcessMemory(proc, remote, &r, sizeof r, NULL);
    if (ask(f.found, LVM_GETITEMRECT, (WPARAM)i, (LPARAM)remote) <= 0) SetRectEmpty(&r);
    else ReadProcessMemory(proc, remote, &r, sizeof r, NULL);
    MapWindowPoints(f.found, NULL, (POINT *)&r, 2);
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = (int)i;
    item.pszText = remote + 1024;
    item.cchTextMax = sizeof text - 1;
    WriteProcessMemory(proc, remote + 64, &item, sizeof item, NULL);
    if (ask(f.found, LVM_GETITEMTEXTA, (WPARAM)i, (LPARAM)(remote + 64)) > 0)
      ReadProcessMemory(proc, remote + 1024, text, sizeof text - 1, NULL);
    state = ask(f.found, LVM_GETITEMSTATE, (WPARAM)i, LVIS_SELECTED);
    printf("%ld\t%ld\t%ld\t%ld\t%ld\t%d\t%s\n", i, r.left, r.top, r.right - r.left,
           r.bottom - r.top, (state & LVIS_SELECTED) ? 1 : 0, text);
  }
  VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  CloseHandle(proc);
  return 0;
}
EOF_C
}

# Screenshots of single windows:
#
#   e2e_window_rect TITLE            "X Y W H" of the shown window titled TITLE, as X places it
#   e2e_window_screenshot NAME TITLE logs where the window titled TITLE lies, fails when it is
#                                    not wholly on the screen or does not frame its controls,
#                                    then takes the screenshot NAME

e2e_window_rect() {
  local w
  w=$(e2e_find "$1")
  [ -n "$w" ] || return 1
  xdotool getwindowgeometry --shell "$w" 2>/dev/null |
    awk -F= '{ v[$1] = $2 } END { if (v["HEIGHT"] == "") exit 1; print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }'
}

# The caption above the controls and a border beside them must lie inside the X window:
# Wine crops a window whose frame it leaves to a window manager down to its client area, so a
# prefix that does that, or a frame that is not drawn, is caught here.
e2e_window_screenshot() {
  local name=$1 title=$2 x y w h sw sh l t r b
  read -r x y w h <<<"$(e2e_window_rect "$title")"
  [ -n "$h" ] || e2e_fail "no window titled \"$title\" to take a screenshot of"
  read -r sw sh <<<"$(xdotool getdisplaygeometry)"
  read -r l t r b <<<"$(e2e_controls "$title" | awk -F'\t' '
    NR == 1 || $2 < l { l = $2 }
    NR == 1 || $3 < t { t = $3 }
    NR == 1 || $2 + $4 > r { r = $2 + $4 }
    NR == 1 || $3 + $5 > b { b = $3 + $5 }
    END { if (NR) print l, t, r, b }')"
  brevlo_log "window \"$title\": $x,$y ${w}x$h on a ${sw}x$sh screen; its controls span $l,$t to $r,$b"
  ((x >= 0 && y >= 0 && x + w <= sw && y + h <= sh)) ||
    e2e_fail "the window \"$title\" is not wholly on the screen"
  [ -n "$b" ] || e2e_fail "the window \"$title\" shows no controls"
  ((x < l && y + 15 <= t && x + w > r && y + h > b)) ||
    e2e_fail "the window \"$title\" has no frame around its controls"
  e2e_screenshot "$name"
}

# Watches one transfer from its progress window to its end box; prints what it saw as
# "name value" lines (run it with e2e_tool watcher e2e_watcher_source TITLE STOPAT).
e2e_watcher_source() {
  cat <<'EOF_C'
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <commctrl.h>

static double now(void) {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return (double)t.QuadPart / (double)f.QuadPart;
}

static HWND shown(const char *title) {
  HWND w = FindWindowA(NULL, title);
  return w && IsWindowVisible(w) ? w : NULL;
}

/* A person's click in the middle of the window: pressed, then released. */
static void click(HWND w) {
  RECT r;
  INPUT in;
  GetWindowRect(w, &r);
  ZeroMemory(&in, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
  Sleep(30);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

/* watcher MAINTITLE STOPAT: with STOPAT > 0, presses Stop once the bar shows that much.
   It starts before the click and ends at the end box. An answer counts from the moment it was
   due, 20 ms after the last answer: a program that stalls Wine as a whole stalls this watcher
   too, and the user waits all the same. */
int main(int argc, char **argv) {
  const char *ends[] = {"Mission Accomplished", "Canceled", "Transfer Incomplete"};
  HWND main_window = argc > 2 ? FindWindowA(NULL, argv[1]) : NULL, progress = NULL, bar = NULL, end = NULL;
  double start = now(), due = now(), worst = 0, worst_stopped = 0, stopped = 0;
  int stop_at = argc > 2 ? atoi(argv[2]) : 0, last = 0, rising = 0, worst_at = -1, i;
  if (!main_window) return printf("error no main window\n"), 1;
  while (!end && now() - start < 600) {
    DWORD_PTR pos = 0;
    double answered, took;
    SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &pos);
    answered = now();
    took = answered - due;
    if (stopped == 0 && took > worst) worst = took, worst_at = last;
    if (stopped > 0 && took > worst_stopped) worst_stopped = took;
    if (!progress && (progress = shown("Transfering...")) != NULL) bar = FindWindowExA(progress, NULL, PROGRESS_CLASSA, NULL);
    if (progress && IsWindowVisible(progress) && SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000, &pos)) {
      if ((int)pos > last && (int)pos < 100) rising += last > 0, last = (int)pos;
      if (stop_at > 0 && stopped == 0 && (int)pos >= stop_at) {
        click(FindWindowExA(progress, NULL, "Button", NULL));
        stopped = answered = now();  /* the click's own pause is the watcher's */
      }
    }
    for (i = 0; i < 3 && !end && progress; ++i) end = shown(ends[i]);
    if (end) printf("end %s\nend_after_stop_ms %.0f\n", ends[i - 1], stopped > 0 ? (now() - stopped) * 1000 : 0);
    due = answered + 0.020;
    while (!end && now() < due) Sleep(1);
  }
  printf("worst_ms %.0f\nworst_at_position %d\nworst_after_stop_ms %.0f\nrising %d\n", worst * 1000, worst_at, worst_stopped * 1000, rising);
  return end ? 0 : 1;
}
EOF_C
}
