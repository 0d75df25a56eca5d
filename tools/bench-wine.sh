#!/usr/bin/env bash
# The benchmarks that need Wine, each against a baseline measured in the same run:
#   - the main window's fill of 2,000 videos in the real window (bench/win32/fill_bench.cpp)
#     against the native fill of the same folder (list_bench fill), and its parts;
#   - memory with 10,000 rows: bytes per row against a thumbnail's own pixels, the peak
#     working set against the working set kept once the rows are in;
#   - start-up of Brevlo.exe to its main window against Wine's notepad to its window.
# Ends with one line per figure: figure, baseline, ratio. Uses its own Wine prefix
# (build/wineprefix-bench) and its own virtual display. Called by tools/bench.sh.
#   tools/bench-wine.sh [fill] [memory] [startup]     default: all three
set -euo pipefail
BREVLO_LOG_NAME=bench-wine
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/psp-rig.sh"

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(fill memory startup)
fill_rows=${BREVLO_BENCH_FILL_ROWS:-2000}
memory_rows=${BREVLO_BENCH_MEMORY_ROWS:-10000}
fill_repeats=${BREVLO_BENCH_FILL_REPEATS:-5}
startup_runs=${BREVLO_BENCH_STARTUP_RUNS:-9}

brevlo_setup >/dev/null
native=$brevlo_build/bench
win=$brevlo_build/bench-win
data=$brevlo_build/bench-data
cmake -S "$brevlo_top" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVLO_SANITIZE=OFF \
  -Wno-dev >/dev/null
cmake --build "$native" --target list_bench >/dev/null
if [ ! -f "$win/build.ninja" ]; then
  cmake -S "$brevlo_top" -B "$win" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$brevlo_top/cmake/mingw-w64.cmake" \
    -DBREVLO_JPEG_PREFIX="$brevlo_jpeg_prefix" -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
fi
cmake --build "$win" --target Brevlo fill_bench >/dev/null

cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
  brevlo_wine_stop
  brevlo_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# A display of our own: nothing else draws on it while we time.
brevlo_xvfb_start || brevlo_die "no virtual display"
brevlo_wine_prefix "$brevlo_build/wineprefix-bench" || exit 1
# One server for the whole run, so that no start pays for the server's own start.
wineserver -p
mkdir -p "$data"

figures=()
figure() { figures+=("$(printf '%-48s %14s   %-40s %14s %8s' "$@")"); }
value() { sed -nE "s/^result $2 ([0-9.e+-]+).*/\1/p" "$1" | tail -n 1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }
fmt() { awk -v v="$1" -v f="$2" 'BEGIN { printf f, v }'; }

# Runs a Windows program of the benchmark inside Wine's own desktop window (on a bare display
# without a window manager, Wine waits for answers that never come when windows change state)
# and writes its output to a file: Wine's services, started by the first program and kept by
# the server, hold on to its output, so a pipe would never end.
in_wine() {
  local out=$1
  shift
  timeout -k 10 900 wine explorer /desktop=brevlo-bench,1280x1024 "$@" </dev/null >"$out.raw" 2>&1 || true
  tr -d '\r' <"$out.raw" >"$out"
  rm -f "$out.raw"
}

make_folder() {
  local dir=$data/videos-$1
  if [ "$(find "$dir" -name '*.THM' 2>/dev/null | wc -l)" != "$1" ]; then
    "$native/list_bench" make "$dir" "$1"
  fi
  printf '%s\n' "$dir"
}

bench_fill() {
  local dir out native_before native_after native_fill wine_fill rows proposed
  dir=$(make_folder "$fill_rows")
  out=$data/fill.txt
  echo "== fill of $fill_rows videos: native, in the real window under Wine, native again"
  "$native/list_bench" fill "$dir" "$fill_repeats" >"$data/native-1.txt"
  in_wine "$out" "$win/fill_bench.exe" time "$(brevlo_winpath "$dir")" "$fill_repeats"
  "$native/list_bench" fill "$dir" "$fill_repeats" >"$data/native-2.txt"
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  native_before=$(value "$data/native-1.txt" fill_seconds)
  native_after=$(value "$data/native-2.txt" fill_seconds)
  native_fill=$(printf '%s\n%s\n' "$native_before" "$native_after" | awk '{ s += $1 } END { print s / NR }')
  echo "native fill of the same folder: $native_before s before, $native_after s after"
  wine_fill=$(value "$out" fill_seconds)
  rows=$(value "$out" rows)
  proposed=$(value "$out" proposed_fill_seconds)
  [ -n "$wine_fill" ] || brevlo_die "fill_bench gave no result (see $out)"
  figure "window fill, $fill_rows rows (rows/s)" "$(fmt "$(awk -v r="$rows" -v s="$wine_fill" 'BEGIN { print r / s }')" '%.0f')" \
    "native fill (rows/s)" "$(fmt "$(awk -v r="$rows" -v s="$native_fill" 'BEGIN { print r / s }')" '%.0f')" \
    "$(ratio "$native_fill" "$wine_fill")"
  figure "window fill, $fill_rows rows (s)" "$(fmt "$wine_fill" '%.4f')" \
    "native fill (s)" "$(fmt "$native_fill" '%.4f')" "$(ratio "$wine_fill" "$native_fill")"
  figure "proposed window fill, $fill_rows rows (s)" "$(fmt "$proposed" '%.4f')" \
    "native fill (s)" "$(fmt "$native_fill" '%.4f')" "$(ratio "$proposed" "$native_fill")"
  figure "image list adds in the window (s)" "$(fmt "$(value "$out" image_add_seconds)" '%.4f')" \
    "sized once, replaced by index (s)" "$(fmt "$(value "$out" image_replace_seconds)" '%.4f')" \
    "$(ratio "$(value "$out" image_add_seconds)" "$(value "$out" image_replace_seconds)")"
  figure "list view inserts in the window (s)" "$(fmt "$(value "$out" insert_seconds)" '%.4f')" \
    "owner-data list, count set (s)" "$(fmt "$(value "$out" virtual_list_seconds)" '%.4f')" \
    "$(ratio "$(value "$out" insert_seconds)" "$(value "$out" virtual_list_seconds)")"
}

bench_memory() {
  local dir out proposed
  dir=$(make_folder "$memory_rows")
  out=$data/memory.txt
  proposed=$data/memory-proposed.txt
  echo "== memory with $memory_rows rows (a fresh process each)"
  in_wine "$out" "$win/fill_bench.exe" memory "$(brevlo_winpath "$dir")"
  in_wine "$proposed" "$win/fill_bench.exe" memory "$(brevlo_winpath "$dir")" proposed
  echo "the window's fill:"
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  echo "the proposed fill:"
  grep -v '^result ' "$proposed" | grep -v 'Read access denied'
  [ -n "$(value "$out" peak_working_set)" ] || brevlo_die "fill_bench gave no result (see $out)"
  figure "bytes per row, $memory_rows rows (B)" "$(fmt "$(value "$out" bytes_per_row_working_set)" '%.0f')" \
    "pixels of one 80 x 60 thumbnail (B)" "$(fmt "$(value "$out" thumbnail_pixel_bytes)" '%.0f')" \
    "$(ratio "$(value "$out" bytes_per_row_working_set)" "$(value "$out" thumbnail_pixel_bytes)")"
  figure "peak working set, $memory_rows rows (MB)" "$(fmt "$(value "$out" peak_working_set)" '%.0f' | awk '{ printf "%.1f", $1 / 1e6 }')" \
    "working set kept with the rows (MB)" "$(awk -v v="$(value "$out" filled_working_set)" 'BEGIN { printf "%.1f", v / 1e6 }')" \
    "$(ratio "$(value "$out" peak_working_set)" "$(value "$out" filled_working_set)")"
  figure "peak working set, proposed fill (MB)" "$(awk -v v="$(value "$proposed" peak_working_set)" 'BEGIN { printf "%.1f", v / 1e6 }')" \
    "working set kept with the rows (MB)" "$(awk -v v="$(value "$proposed" filled_working_set)" 'BEGIN { printf "%.1f", v / 1e6 }')" \
    "$(ratio "$(value "$proposed" peak_working_set)" "$(value "$proposed" filled_working_set)")"
}

now() { date +%s.%N; }

# Seconds from the start of a Windows program to its window named by a pattern being shown
# on the display; the program is then ended.
time_to_window() {
  local dir=$1 exe=$2 pattern=$3 start found=
  start=$(now)
  (cd "$dir" && exec wine "$exe" </dev/null >/dev/null 2>&1) &
  app_pid=$!
  for ((i = 0; i < 6000; i++)); do
    if xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; then
      found=$(now)
      break
    fi
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.005
  done
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  # Let the server forget the process before the next start.
  sleep 0.5
  [ -n "$found" ] || return 1
  awk -v a="$start" -v b="$found" 'BEGIN { printf "%.4f\n", b - a }'
}

bench_startup() {
  local root=$data/startup app pc brevlo=() notepad=() ratios=() i b n
  root=$data/startup
  app=$root/app
  pc=$root/pc
  rm -rf "$root"
  mkdir -p "$app" "$pc" "$root/psp/MP_ROOT/100MNV01" "$root/psp/MP_ROOT/101ANV01"
  cp "$win/Brevlo.exe" "$win/DefaultPreview.THM" "$app/"
  printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$pc")" >"$app/Preferences.ini"
  # An empty PSP is plugged in: without one, start-up stops at a question.
  psp_link G "$root/psp" floppy
  echo "== start-up: Brevlo.exe (empty folder, empty PSP on G:) and notepad, in turn"
  # One of each first, not counted: the first start of anything reads the prefix from disk.
  time_to_window "$app" "$app/Brevlo.exe" '^Brevlo V' >/dev/null ||
    brevlo_die "Brevlo.exe showed no main window"
  time_to_window "$root" notepad 'Notepad$' >/dev/null || brevlo_die "notepad showed no window"
  for ((i = 0; i < startup_runs; i++)); do
    b=$(time_to_window "$app" "$app/Brevlo.exe" '^Brevlo V') || brevlo_die "Brevlo.exe showed no main window"
    n=$(time_to_window "$root" notepad 'Notepad$') || brevlo_die "notepad showed no window"
    brevlo+=("$b")
    notepad+=("$n")
    ratios+=("$(ratio "$b" "$n")")
  done
  psp_unplug G >/dev/null 2>&1 || true
  echo "Brevlo.exe: ${brevlo[*]}"
  echo "notepad:    ${notepad[*]}"
  echo "ratios:     ${ratios[*]}"
  figure "start-up, Brevlo.exe to its window (s)" "$(printf '%s\n' "${brevlo[@]}" | median)" \
    "notepad to its window (s)" "$(printf '%s\n' "${notepad[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)"
}

for part in "${parts[@]}"; do
  case $part in
  fill) bench_fill ;;
  memory) bench_memory ;;
  startup) bench_startup ;;
  *) brevlo_die "unknown part $part (fill, memory, startup)" ;;
  esac
done

echo
printf '%-48s %14s   %-40s %14s %8s\n' figure value baseline value ratio
printf '%s\n' "${figures[@]}"
