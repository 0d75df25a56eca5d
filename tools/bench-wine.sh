#!/usr/bin/env bash
# The benchmarks that need Wine, each against a baseline measured in the same run:
#   - the main window's fill of 2,000 and of 10,000 videos in the real window
#     (bench/win32/fill_bench.cpp) against the native fill of the same folder (list_bench
#     fill), the growth between them against the growth in videos, and the fill's parts;
#     the fill of 2,000 again on a screen of 150 % (a prefix at 144 dots per inch, bigger
#     thumbnails) against the fill at 100 %;
#   - memory with 10,000 rows: bytes per row against a thumbnail's own pixels, the peak
#     working set against the working set kept once the rows are in;
#   - the PSP's tree combo expanding a drive whose folders hold 50,000 files, against a bare
#     listing of that drive's folders;
#   - the real Brevlo.exe copying 3 videos of 200 MB to a simulated PSP through its button,
#     from the click to "Mission Accomplished", against cp of the same files, with the
#     system's own copies (CopyFileA; CopyFileExW with a progress routine) and the program's
#     copy in steps timed apart; the worst time its main window took to answer a message
#     sent every 20 ms during the copy, against the same while it is idle;
#   - start-up of Brevlo.exe to its main window against Wine's notepad to its window, and
#     against the program as it was before the media libraries (built once from the history),
#     with its parts timed in fresh processes (bench/win32/fill_bench.cpp startup);
#   - a full repaint of the main window with 200 videos in both lists, skinned against the
#     same window without its skin;
#   - a scroll through 2,000 videos in 40 stops: from each stop to every row on screen showing
#     its own picture, against reading and decoding those rows' thumbnails straight; the
#     worst answer of the window meanwhile against the same while it is idle;
#   - the fill of 2,000 videos with the rows' tips on (some of them read before each fill)
#     against the same fill with the tips off;
#   - the fill of 2,000 real videos (half of them with a PSP title) and a scroll through every
#     row with the titles under the names against the same without titles;
#   - the fill of 2,000 real videos without thumbnails with their pictures on (made by the worker
#     meanwhile) against the same fill with the pictures off; the pictures of 100 videos of
#     720p H.264 made by the program against the native ffmpeg program making the same frames
#     (one process per video, as a script would); the size of Brevlo.exe;
#   - the real Brevlo.exe converting 60 s of 1080p H.264 on its way to the PSP, from the click to
#     "Mission Accomplished", against the native ffmpeg program converting the same video at the
#     same settings with the same two threads, in turns (medians of 5 rounds); the conversion
#     alone under Wine without the windows; the worst answer of the main window meanwhile.
# Ends with one line per figure: figure, baseline, ratio. Uses its own Wine prefix
# (build/wineprefix-bench) and its own virtual display. Called by tools/bench.sh.
#   tools/bench-wine.sh [fill] [memory] [scroll] [tree] [transfer] [startup] [paint] [tips]
#                       [titles] [pictures] [convert]
#   default: all
set -eEuo pipefail
BREVLO_LOG_NAME=bench-wine
# A step that fails says which, rather than end the run without a word.
trap 'echo "bench-wine: failed (status $?) at line $LINENO: $BASH_COMMAND" >&2' ERR
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/psp-rig.sh"
source "$(dirname "$0")/lib/e2e.sh"

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(fill memory scroll tree transfer startup paint tips titles pictures convert)
fill_rows=${BREVLO_BENCH_FILL_ROWS:-2000}
memory_rows=${BREVLO_BENCH_MEMORY_ROWS:-10000}
fill_repeats=${BREVLO_BENCH_FILL_REPEATS:-5}
scroll_stops=${BREVLO_BENCH_SCROLL_STOPS:-40}
tree_folders=${BREVLO_BENCH_TREE_FOLDERS:-10}
tree_files=${BREVLO_BENCH_TREE_FILES:-50000}
tree_repeats=${BREVLO_BENCH_TREE_REPEATS:-9}
transfer_runs=${BREVLO_BENCH_TRANSFER_RUNS:-3}
startup_runs=${BREVLO_BENCH_STARTUP_RUNS:-15}
startup_part_runs=${BREVLO_BENCH_STARTUP_PART_RUNS:-5}
paint_rows=${BREVLO_BENCH_PAINT_ROWS:-200}
paint_repeats=${BREVLO_BENCH_PAINT_REPEATS:-9}
tips_repeats=${BREVLO_BENCH_TIPS_REPEATS:-15}
titles_repeats=${BREVLO_BENCH_TITLES_REPEATS:-5}
pictures_repeats=${BREVLO_BENCH_PICTURES_REPEATS:-5}
convert_rounds=${BREVLO_BENCH_CONVERT_ROUNDS:-5}
pictures_videos=${BREVLO_BENCH_PICTURES_VIDEOS:-100}

brevlo_setup >/dev/null
native=$brevlo_build/bench
win=$brevlo_build/bench-win
data=$brevlo_build/bench-data
cmake -S "$brevlo_top" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVLO_SANITIZE=OFF \
  -Wno-dev >/dev/null
brevlo_quiet_build "$native" --target list_bench
if [ ! -f "$win/build.ninja" ]; then
  cmake -S "$brevlo_top" -B "$win" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$brevlo_top/cmake/mingw-w64.cmake" \
    -DBREVLO_JPEG_PREFIX="$brevlo_jpeg_prefix" -DBREVLO_FFMPEG_PREFIX="$brevlo_ffmpeg_prefix" \
    -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
fi
brevlo_quiet_build "$win" --target Brevlo fill_bench

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

# Shows what fill_bench printed in OUT and makes one figure of two of its results, A against
# its baseline B, both written with FORMAT.
result_figure() {
  local out=$1 a=$2 b=$3 format=$6
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  [ -n "$(value "$out" "$a")" ] || brevlo_die "fill_bench gave no $a (see $out)"
  figure "$4" "$(fmt "$(value "$out" "$a")" "$format")" "$5" "$(fmt "$(value "$out" "$b")" "$format")" \
    "$(ratio "$(value "$out" "$a")" "$(value "$out" "$b")")"
}

make_folder() {
  local dir=$data/videos-$1
  if [ "$(find "$dir" -name '*.THM' 2>/dev/null | wc -l)" != "$1" ]; then
    "$native/list_bench" make "$dir" "$1"
  fi
  printf '%s\n' "$dir"
}

# Seconds of the native fill of a folder: the mean of one median before and one after the
# fill under Wine, so that both see the machine alike.
native_fill() {
  local dir=$1 tag=$2
  "$native/list_bench" fill "$dir" "$fill_repeats" >"$data/native-$tag.txt"
  value "$data/native-$tag.txt" fill_seconds
}

bench_fill() {
  local dir big out big_out before after native_fill wine_fill rows native_big wine_big big_rows
  dir=$(make_folder "$fill_rows")
  big=$(make_folder "$memory_rows")
  out=$data/fill.txt
  big_out=$data/fill-big.txt
  echo "== fill of $fill_rows and of $memory_rows videos: native, in the real window under Wine, native again"
  before=$(native_fill "$dir" small-1)
  in_wine "$out" "$win/fill_bench.exe" time "$(brevlo_winpath "$dir")" "$fill_repeats"
  after=$(native_fill "$dir" small-2)
  native_fill=$(printf '%s\n%s\n' "$before" "$after" | awk '{ s += $1 } END { print s / NR }')
  echo "native fill of $fill_rows: $before s before, $after s after"
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  before=$(native_fill "$big" big-1)
  in_wine "$big_out" "$win/fill_bench.exe" time "$(brevlo_winpath "$big")" 3 whole
  after=$(native_fill "$big" big-2)
  native_big=$(printf '%s\n%s\n' "$before" "$after" | awk '{ s += $1 } END { print s / NR }')
  echo "native fill of $memory_rows: $before s before, $after s after"
  grep -v '^result ' "$big_out" | grep -v 'Read access denied'
  wine_fill=$(value "$out" fill_seconds)
  rows=$(fmt "$(value "$out" rows)" '%.0f')
  wine_big=$(value "$big_out" fill_seconds)
  big_rows=$(fmt "$(value "$big_out" rows)" '%.0f')
  [ -n "$wine_fill" ] || brevlo_die "fill_bench gave no result (see $out)"
  [ -n "$wine_big" ] || brevlo_die "fill_bench gave no result (see $big_out)"
  figure "window fill, $fill_rows rows (rows/s)" "$(fmt "$(awk -v r="$rows" -v s="$wine_fill" 'BEGIN { print r / s }')" '%.0f')" \
    "native fill (rows/s)" "$(fmt "$(awk -v r="$rows" -v s="$native_fill" 'BEGIN { print r / s }')" '%.0f')" \
    "$(ratio "$native_fill" "$wine_fill")"
  figure "window fill, $fill_rows rows (s)" "$(fmt "$wine_fill" '%.4f')" \
    "native fill (s)" "$(fmt "$native_fill" '%.4f')" "$(ratio "$wine_fill" "$native_fill")"
  figure "window fill, $big_rows rows (s)" "$(fmt "$wine_big" '%.4f')" \
    "native fill (s)" "$(fmt "$native_big" '%.4f')" "$(ratio "$wine_big" "$native_big")"
  figure "window fill growth, $big_rows / $rows rows (x)" "$(ratio "$wine_big" "$wine_fill")" \
    "growth in videos (x)" "$(ratio "$big_rows" "$rows")" \
    "$(ratio "$(ratio "$wine_big" "$wine_fill")" "$(ratio "$big_rows" "$rows")")"
  bench_fill_scaled "$dir" "$wine_fill" "$rows"
}

# The same fill at 150 %, in a prefix of its own (the scale is read when Wine starts), beside
# the fill at 100 %: the mean of the one just measured and one more after, so that both see
# the machine alike.
bench_fill_scaled() {
  local dir=$1 before=$2 rows=$3 out=$data/fill-144.txt again=$data/fill-96-again.txt
  local scaled after wine_fill
  echo "== fill of $fill_rows videos at 144 dots per inch"
  wineserver -k
  brevlo_wine_prefix "$brevlo_build/wineprefix-bench-144" 144 || exit 1
  wineserver -p
  in_wine "$out" "$win/fill_bench.exe" time "$(brevlo_winpath "$dir")" "$fill_repeats"
  wineserver -k
  brevlo_wine_prefix "$brevlo_build/wineprefix-bench" || exit 1
  wineserver -p
  in_wine "$again" "$win/fill_bench.exe" time "$(brevlo_winpath "$dir")" "$fill_repeats" whole
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  scaled=$(value "$out" fill_seconds)
  after=$(value "$again" fill_seconds)
  [ -n "$scaled" ] || brevlo_die "fill_bench at 144 gave no result (see $out)"
  [ -n "$after" ] || brevlo_die "fill_bench gave no result (see $again)"
  echo "fill of $fill_rows at 96 dots per inch: $before s before, $after s after"
  wine_fill=$(printf '%s\n%s\n' "$before" "$after" | awk '{ s += $1 } END { print s / NR }')
  figure "window fill at 144 dpi, per row (ms)" "$(fmt "$(awk -v r="$rows" -v s="$scaled" 'BEGIN { print s / r * 1000 }')" '%.4f')" \
    "at 96 dpi, per row (ms)" "$(fmt "$(awk -v r="$rows" -v s="$wine_fill" 'BEGIN { print s / r * 1000 }')" '%.4f')" \
    "$(ratio "$scaled" "$wine_fill")"
}

bench_memory() {
  local dir out
  dir=$(make_folder "$memory_rows")
  out=$data/memory.txt
  echo "== memory with $memory_rows rows (a fresh process)"
  in_wine "$out" "$win/fill_bench.exe" memory "$(brevlo_winpath "$dir")"
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  [ -n "$(value "$out" peak_working_set)" ] || brevlo_die "fill_bench gave no result (see $out)"
  figure "bytes per row, $memory_rows rows (B)" "$(fmt "$(value "$out" bytes_per_row_working_set)" '%.0f')" \
    "pixels of one 80 x 60 thumbnail (B)" "$(fmt "$(value "$out" thumbnail_pixel_bytes)" '%.0f')" \
    "$(ratio "$(value "$out" bytes_per_row_working_set)" "$(value "$out" thumbnail_pixel_bytes)")"
  figure "working set added by $memory_rows rows (MB)" "$(awk -v f="$(value "$out" filled_working_set)" -v e="$(value "$out" empty_working_set)" 'BEGIN { printf "%.1f", (f - e) / 1e6 }')" \
    "the empty window's working set (MB)" "$(awk -v v="$(value "$out" empty_working_set)" 'BEGIN { printf "%.1f", v / 1e6 }')" \
    "$(ratio "$(awk -v f="$(value "$out" filled_working_set)" -v e="$(value "$out" empty_working_set)" 'BEGIN { print f - e }')" "$(value "$out" empty_working_set)")"
  figure "peak working set, $memory_rows rows (MB)" "$(fmt "$(value "$out" peak_working_set)" '%.0f' | awk '{ printf "%.1f", $1 / 1e6 }')" \
    "working set kept with the rows (MB)" "$(awk -v v="$(value "$out" filled_working_set)" 'BEGIN { printf "%.1f", v / 1e6 }')" \
    "$(ratio "$(value "$out" peak_working_set)" "$(value "$out" filled_working_set)")"
}

bench_scroll() {
  local dir out
  dir=$(make_folder "$fill_rows")
  out=$data/scroll.txt
  echo "== a scroll through $fill_rows videos in $scroll_stops stops"
  in_wine "$out" "$win/fill_bench.exe" scroll "$(brevlo_winpath "$dir")" "$scroll_stops"
  result_figure "$out" scroll_to_pictures_seconds scroll_straight_seconds \
    "scroll stop to every picture on screen (s)" "those rows' thumbnails read straight (s)" '%.4f'
  figure "  the slowest stop (s)" "$(fmt "$(value "$out" scroll_to_pictures_worst_seconds)" '%.4f')" \
    "those rows' thumbnails read straight (s)" "$(fmt "$(value "$out" scroll_straight_seconds)" '%.4f')" \
    "$(ratio "$(value "$out" scroll_to_pictures_worst_seconds)" "$(value "$out" scroll_straight_seconds)")"
  figure "worst answer while scrolling (ms)" "$(awk -v v="$(value "$out" scroll_worst_answer_seconds)" 'BEGIN { printf "%.1f", v * 1000 }')" \
    "worst answer of the idle window (ms)" "$(awk -v v="$(value "$out" idle_worst_answer_seconds)" 'BEGIN { printf "%.1f", v * 1000 }')" \
    "$(ratio "$(value "$out" scroll_worst_answer_seconds)" "$(value "$out" idle_worst_answer_seconds)")"
}

# A drive whose folders hold many files, each folder with one subfolder among them.
bench_tree() {
  local root=$data/tree-$tree_folders-$tree_files per i f out
  per=$((tree_files / tree_folders))
  if [ "$(find "$root" -type f 2>/dev/null | wc -l)" != "$tree_files" ]; then
    rm -rf "$root"
    for ((i = 1; i <= tree_folders; i++)); do
      f=$root/Folder$(printf '%02d' "$i")
      mkdir -p "$f/Subfolder"
      (cd "$f" && seq -f 'clip%05g.mp4' 1 "$per" | xargs touch)
    done
  fi
  out=$data/tree.txt
  echo "== tree combo: expanding drive T:, $tree_folders folders of $per files and a subfolder each"
  psp_link T "$root" hd
  in_wine "$out" "$win/fill_bench.exe" tree T "$tree_repeats"
  psp_unplug T >/dev/null 2>&1 || true
  result_figure "$out" tree_expand_seconds tree_listing_seconds \
    "tree combo, expand a drive of $tree_files files (s)" "bare listing of its folders (s)" '%.4f'
}

bench_paint() {
  local dir out
  dir=$(make_folder "$paint_rows")
  out=$data/paint.txt
  echo "== full repaint of the main window, $paint_rows videos in each list: skinned, then plain"
  in_wine "$out" "$win/fill_bench.exe" paint "$(brevlo_winpath "$dir")" "$paint_repeats"
  result_figure "$out" paint_skinned_seconds paint_plain_seconds \
    "main window repaint, skinned (s)" "the same without the skin (s)" '%.5f'
}

now() { date +%s.%N; }

# Gives the program started last up to 30 s to end on its own, then ends it.
end_app() {
  for ((i = 0; i < 300; i++)); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

# The processes of an image running in this run's own Wine prefix, by id: programs of the same
# name that others run on this machine are left alone.
prefix_pids() {
  local pid
  for pid in $(pgrep -f -- "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

# Seconds from the start of a Windows program to its window named by a pattern being shown
# on the display, as the X server tells it (bench/winwatch.c). The program is then ended with
# every process of its image, so that each start finds Wine as the one before: a process left
# behind made the next start of its program cheaper.
time_to_window() {
  local dir=$1 exe=$2 pattern=$3 out image
  image=${exe##*\\}
  image=${image##*/}
  # Through a file: the program keeps whatever output it was given, so a pipe would not end.
  (cd "$dir" && "$winwatch" 60 "$pattern" wine "$exe" </dev/null >"$data/winwatch.out" 2>/dev/null) ||
    : >"$data/winwatch.out"
  out=$(cat "$data/winwatch.out")
  [ -z "$out" ] || kill "${out#* }" 2>/dev/null || true
  # shellcheck disable=SC2046 # ids
  kill $(prefix_pids "$image") 2>/dev/null || true
  for ((i = 0; i < 300; i++)); do
    [ -n "$(prefix_pids "$image")" ] || break
    sleep 0.1
  done
  # shellcheck disable=SC2046 # ids
  kill -9 $(prefix_pids "$image") 2>/dev/null || true
  # Let the server forget the process before the next start.
  sleep 0.5
  [ -n "$out" ] || return 1
  printf '%s\n' "${out%% *}"
}

# The program as it was just before the media libraries came in, built once from the history
# into DATA/before-win; prints its folder, or nothing without a history to build it from.
build_before_libraries() {
  local added commit src=$data/before-src dir=$data/before-win
  added=$(git -C "$brevlo_top" log --diff-filter=A --format=%H -- tools/lib/ffmpeg-build.sh 2>/dev/null | tail -n 1)
  [ -n "$added" ] || return 0
  commit=$(git -C "$brevlo_top" rev-parse "$added^") || return 0
  if [ "$(cat "$dir/commit" 2>/dev/null)" != "$commit" ] || [ ! -f "$dir/Brevlo.exe" ]; then
    rm -rf "$src" "$dir"
    mkdir -p "$src"
    git -C "$brevlo_top" archive "$commit" | tar -x -C "$src"
    cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake" \
      -DBREVLO_JPEG_PREFIX="$brevlo_jpeg_prefix" -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null &&
      brevlo_quiet_build "$dir" --target Brevlo || brevlo_die "the program before the libraries did not build"
    echo "$commit" >"$dir/commit"
  fi
  echo "$dir"
}

bench_startup() {
  local root=$data/startup app pc brevlo=() notepad=() ratios=() i b n holder
  local before_dir before_app olds=() old_ratios=() o
  # Started by its own path, as Brevlo.exe is: by its bare name Wine starts it through a
  # second process.
  local notepad_exe='C:\windows\system32\notepad.exe'
  winwatch=$brevlo_build/rig/winwatch
  mkdir -p "$(dirname "$winwatch")"
  if [ ! -x "$winwatch" ] || [ "$brevlo_top/bench/winwatch.c" -nt "$winwatch" ]; then
    cc -std=c11 -O2 -Wall -Wextra -Werror -o "$winwatch" "$brevlo_top/bench/winwatch.c" -lX11 ||
      brevlo_die "could not build $winwatch"
  fi
  root=$data/startup
  app=$root/app
  pc=$root/pc
  rm -rf "$root"
  mkdir -p "$app" "$pc" "$root/psp/MP_ROOT/100MNV01" "$root/psp/MP_ROOT/101ANV01"
  cp "$win/Brevlo.exe" "$win/DefaultPreview.THM" "$app/"
  printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$pc")" >"$app/Preferences.ini"
  before_dir=$(build_before_libraries)
  before_app=$root/app-before
  if [ -n "$before_dir" ]; then
    mkdir -p "$before_app"
    cp "$before_dir/Brevlo.exe" "$app/DefaultPreview.THM" "$app/Preferences.ini" "$before_app/"
  fi
  # An empty PSP is plugged in: without one, start-up stops at a question.
  psp_link G "$root/psp" floppy
  echo "== start-up: Brevlo.exe (empty folder, empty PSP on G:), notepad and the program before the media libraries, in turn, on a desktop already up"
  # On Windows the desktop is up before any program starts; Wine starts one with the first
  # program that needs it and ends it with the last, which would time its start with each.
  (exec wine "$win/fill_bench.exe" hold 1800 </dev/null >/dev/null 2>&1) &
  holder=$!
  # One of each first, not counted: the first start of anything reads the prefix from disk.
  time_to_window "$app" "$app/Brevlo.exe" '^Brevlo V' >/dev/null ||
    brevlo_die "Brevlo.exe showed no main window"
  time_to_window "$root" "$notepad_exe" 'Notepad$' >/dev/null || brevlo_die "notepad showed no window"
  for ((i = 0; i < startup_runs; i++)); do
    b=$(time_to_window "$app" "$app/Brevlo.exe" '^Brevlo V') || brevlo_die "Brevlo.exe showed no main window"
    n=$(time_to_window "$root" "$notepad_exe" 'Notepad$') || brevlo_die "notepad showed no window"
    brevlo+=("$b")
    notepad+=("$n")
    ratios+=("$(ratio "$b" "$n")")
    if [ -n "$before_dir" ]; then
      o=$(time_to_window "$before_app" "$before_app/Brevlo.exe" '^Brevlo V') ||
        brevlo_die "the program before the libraries showed no main window"
      olds+=("$o")
      old_ratios+=("$(ratio "$b" "$o")")
    fi
  done
  # Where the time goes: each part of start-up, in fresh processes, medians.
  local parts=$data/startup-parts.txt part
  : >"$parts"
  for ((i = 0; i < startup_part_runs; i++)); do
    in_wine "$parts.one" "$win/fill_bench.exe" startup "$(brevlo_winpath "$app")"
    cat "$parts.one" >>"$parts"
  done
  rm -f "$parts.one"
  kill "$holder" 2>/dev/null || true
  psp_unplug G >/dev/null 2>&1 || true
  echo "Brevlo.exe: ${brevlo[*]}"
  echo "notepad:    ${notepad[*]}"
  echo "ratios:     ${ratios[*]}"
  [ -z "$before_dir" ] || echo "before the libraries: ${olds[*]}"
  [ -n "$(value "$parts" startup_build_seconds)" ] || brevlo_die "fill_bench gave no start-up parts (see $parts)"
  part() { sed -nE "s/^result $1 ([0-9.e+-]+).*/\1/p" "$parts" | median; }
  echo "start-up parts, medians of $startup_part_runs fresh processes (s):"
  while IFS=: read -r part label; do
    printf '  %-50s %s\n' "$label" "$(fmt "$(part "startup_${part}_seconds")" '%.4f')"
  done <<'EOF'
process:process start to main
skin_write:temporary skin file written
skin_read:temporary skin file read
skin_pictures:skin's frame pictures built
shell:drive tree's shell names and icons, asked first
build:main window built, with the skin (the rest)
drive_scan:  of which the drive scan
file:  of which file calls (first fill, preferences)
show:main window shown and painted
other_forms:other forms built once it is painted (not counted)
EOF
  figure "start-up, Brevlo.exe to its window (s)" "$(printf '%s\n' "${brevlo[@]}" | median)" \
    "notepad to its window (s)" "$(printf '%s\n' "${notepad[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)"
  if [ -n "$before_dir" ]; then
    figure "start-up, Brevlo.exe to its window (s)" "$(printf '%s\n' "${brevlo[@]}" | median)" \
      "the same before the media libraries (s)" "$(printf '%s\n' "${olds[@]}" | median)" \
      "$(printf '%s\n' "${old_ratios[@]}" | median)"
  fi
}

# Three large videos copied to an empty PSP by the real program through its button, timed from
# the click to the end box, against cp of the same files (videos and thumbnails) to a folder
# of the same disk, in turn, with the written data flushed between runs; the same files are
# copied under Wine by CopyFileA, by CopyFileExW with a progress routine and by the program's
# own steps, each timed apart, to show what each way of copying costs by itself. The program
# and fill_bench, which clicks and watches for the box, share Wine's own desktop (the prefix's
# default while this part runs): on the bare display, without a window manager, Wine waits two
# seconds for an answer that never comes when the progress window hides, a wait that no user
# with a desktop sees.
bench_transfer() {
  local root=$data/transfer app pc psp kind cpdir start t i
  local program=() cps=() ratios=() files=() mb busy=() idle=() how hows k
  local -A copy_times=([system]= [systemex]= [steps]=)
  app=$root/app
  pc=$data/transfer-videos
  psp=$root/psp
  kind=$psp/MP_ROOT/100MNV01
  cpdir=$root/cp
  rm -rf "$root"
  mkdir -p "$app" "$kind" "$psp/MP_ROOT/101ANV01" "$cpdir" "$root/sys"
  if [ "$(find "$pc" -name '*.mp4' -size 200000000c 2>/dev/null | wc -l)" != 3 ]; then
    rm -rf "$pc"
    mkdir -p "$pc"
    for i in 1 2 3; do
      head -c 200000000 /dev/urandom >"$pc/video$i.mp4"
      cp "$win/DefaultPreview.THM" "$pc/video$i.THM"
    done
  fi
  for f in "$pc"/*; do files+=("$(brevlo_winpath "$f")"); done
  cp "$win/Brevlo.exe" "$win/DefaultPreview.THM" "$app/"
  printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$pc")" >"$app/Preferences.ini"
  psp_link G "$psp" floppy
  echo "== transfer: Brevlo.exe copies 3 videos of 200 MB to the PSP on G: by its button; cp; CopyFileA"
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v brevlo-transfer /d 1280x1024 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d brevlo-transfer /f >/dev/null 2>&1
  (cd "$app" && exec wine "$app/Brevlo.exe" </dev/null >"$root/wine.log" 2>&1) &
  app_pid=$!
  shared() {
    local out=$1
    shift
    timeout -k 10 900 wine "$@" </dev/null >"$out.raw" 2>&1 || true
    tr -d '\r' <"$out.raw" >"$out"
    rm -f "$out.raw"
  }
  program_run() {
    rm -f "$kind"/*
    sync
    shared "$root/click.txt" "$win/fill_bench.exe" click "$e2e_main_title" "&Copy to PSP -->" \
      "Mission Accomplished"
    t=$(value "$root/click.txt" click_seconds)
    [ -n "$t" ] || brevlo_die "no \"Mission Accomplished\" after the click: $(grep -v '^result ' "$root/click.txt" | tail -n 3)"
    [ "$(find "$kind" -name '*.MP4' -size 200000000c | wc -l)" = 3 ] ||
      brevlo_die "the PSP did not receive the 3 videos: $(ls -l "$kind")"
    program+=("$t")
  }
  cp_run() {
    rm -f "$cpdir"/*
    sync
    start=$(now)
    cp "$pc"/* "$cpdir"/
    cps+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.4f", b - a }')")
  }
  for ((r = 0; r < transfer_runs; r++)); do
    if ((r % 2 == 0)); then program_run; cp_run; else cp_run; program_run; fi
    ratios+=("$(ratio "${cps[-1]}" "${program[-1]}")")
    busy+=("$(value "$root/click.txt" worst_answer_busy_seconds)")
    idle+=("$(value "$root/click.txt" worst_answer_idle_seconds)")
    # In a turning order: a copy that follows another one pays for writing back its data.
    hows=(system systemex steps)
    for ((k = 0; k < r % 3; k++)); do hows=("${hows[@]:1}" "${hows[0]}"); done
    for how in "${hows[@]}"; do
      rm -f "$root/sys"/*
      sync
      in_wine "$root/sys.txt" "$win/fill_bench.exe" copy "$how" "$(brevlo_winpath "$root/sys")" "${files[@]}"
      copy_times[$how]+=" $(value "$root/sys.txt" copy_seconds)"
    done
  done
  shared "$root/close.txt" "$win/fill_bench.exe" close "$e2e_main_title"
  end_app
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
  psp_unplug G >/dev/null 2>&1 || true
  rm -rf "$cpdir" "$root/sys" "$kind"
  echo "Brevlo.exe, click to end box: ${program[*]}"
  echo "cp:                           ${cps[*]}"
  echo "CopyFileA under Wine:         ${copy_times[system]}"
  echo "CopyFileExW, progress routine:${copy_times[systemex]}"
  echo "the program's steps alone:    ${copy_times[steps]}"
  echo "speed ratios (cp time / Brevlo.exe time): ${ratios[*]}"
  echo "worst answer of the main window (s), from the click to the end box: ${busy[*]}; idle: ${idle[*]}"
  mb=$(du -cb "$pc"/* | tail -n 1 | awk '{ print $1 / 1e6 }')
  speed() { awk -v m="$mb" -v s="$1" 'BEGIN { printf "%.1f", m / s }'; }
  local cp_median
  cp_median=$(printf '%s\n' "${cps[@]}" | median)
  figure "Brevlo.exe copy of 3 x 200 MB to the PSP (MB/s)" "$(speed "$(printf '%s\n' "${program[@]}" | median)")" \
    "cp of the same files (MB/s)" "$(speed "$cp_median")" \
    "$(printf '%s\n' "${ratios[@]}" | median)"
  for how in system systemex steps; do
    local label
    case $how in
    system) label="  CopyFileA alone under Wine (MB/s)" ;;
    systemex) label="  CopyFileExW with progress routine (MB/s)" ;;
    steps) label="  the program's steps alone (MB/s)" ;;
    esac
    # shellcheck disable=SC2086 # the times are words
    t=$(printf '%s\n' ${copy_times[$how]} | median)
    figure "$label" "$(speed "$t")" "cp of the same files (MB/s)" "$(speed "$cp_median")" \
      "$(ratio "$cp_median" "$t")"
  done
  local worst_busy worst_idle
  worst_busy=$(printf '%s\n' "${busy[@]}" | sort -g | tail -n 1)
  worst_idle=$(printf '%s\n' "${idle[@]}" | sort -g | tail -n 1)
  figure "worst answer from the click to the end box (ms)" "$(fmt "$worst_busy" '%.4f' | awk '{ printf "%.1f", $1 * 1000 }')" \
    "worst answer of the idle program (ms)" "$(fmt "$worst_idle" '%.4f' | awk '{ printf "%.1f", $1 * 1000 }')" \
    "$(ratio "$worst_busy" "$worst_idle")"
}

bench_tips() {
  local dir out
  dir=$(make_folder "$fill_rows")
  out=$data/tips.txt
  echo "== fill of $fill_rows videos with the rows' tips on and off, in turns"
  in_wine "$out" "$win/fill_bench.exe" tips "$(brevlo_winpath "$dir")" "$tips_repeats"
  result_figure "$out" fill_tips_seconds fill_no_tips_seconds \
    "window fill with tips, $fill_rows rows (s)" "the same fill without tips (s)" '%.4f'
}

bench_titles() {
  local dir=$data/titled-$fill_rows i out
  if [ "$(find "$dir" -name '*.THM' 2>/dev/null | wc -l)" != "$fill_rows" ]; then
    brevlo_quiet_build "$win" --target brevlo_test_videos
    rm -rf "$dir" && mkdir -p "$dir"
    for ((i = 1; i <= fill_rows; i++)); do
      # Every other video carries the PSP's title; the others have none.
      if ((i % 2 == 0)); then
        cp "$win/test-videos/avc-main-480x272-psp.mp4" "$dir/v$i.mp4"
      else
        cp "$win/test-videos/mpeg4-320x240.mp4" "$dir/v$i.mp4"
      fi
      cp "$win/DefaultPreview.THM" "$dir/v$i.THM"
    done
  fi
  out=$data/titles.txt
  echo "== fill of $fill_rows real videos and a scroll through them, with titles and without"
  in_wine "$out" "$win/fill_bench.exe" titles "$(brevlo_winpath "$dir")" "$titles_repeats"
  result_figure "$out" scroll_titles_seconds scroll_no_titles_seconds \
    "fill and scroll with titles, $fill_rows rows (s)" "the same without titles (s)" '%.4f'
}

bench_pictures() {
  local dir=$data/unthumbed-$fill_rows hd=$data/hd-$pictures_videos out i start native wine
  brevlo_quiet_build "$win" --target brevlo_test_videos
  if [ "$(find "$dir" -name '*.mp4' 2>/dev/null | wc -l)" != "$fill_rows" ]; then
    rm -rf "$dir" && mkdir -p "$dir"
    for ((i = 1; i <= fill_rows; i++)); do cp "$win/test-videos/mpeg4-320x240.mp4" "$dir/v$i.mp4"; done
  fi
  cp "$win/DefaultPreview.THM" "$dir/DefaultPreview.THM"
  out=$data/pictures.txt
  echo "== fill of $fill_rows real videos without thumbnails, pictures on and off, in turns"
  in_wine "$out" "$win/fill_bench.exe" pictures "$(brevlo_winpath "$dir")" "$pictures_repeats"
  result_figure "$out" fill_pictures_seconds fill_no_pictures_seconds \
    "window fill, pictures on, $fill_rows rows (s)" "the same fill, pictures off (s)" '%.4f'

  if [ "$(find "$hd" -maxdepth 1 -name '*.mp4' 2>/dev/null | wc -l)" != "$pictures_videos" ]; then
    rm -rf "$hd" && mkdir -p "$hd"
    ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=10 \
      -f lavfi -i sine=duration=10 -c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p -c:a aac \
      "$hd/source.mkv"
    for ((i = 1; i <= pictures_videos; i++)); do
      ffmpeg -hide_banner -loglevel error -nostdin -y -i "$hd/source.mkv" -c copy "$hd/v$i.mp4"
    done
    rm "$hd/source.mkv"
  fi
  echo "== pictures of $pictures_videos videos of 720p H.264, 10 s each: Brevlo's, then the native ffmpeg program's"
  rm -rf "$hd/out" "$hd/native"
  mkdir -p "$hd/native"
  cat "$hd"/*.mp4 >/dev/null
  out=$data/thumbs.txt
  in_wine "$out" "$win/fill_bench.exe" thumbs "$(brevlo_winpath "$hd")"
  grep -v '^result ' "$out" | grep -v 'Read access denied'
  wine=$(value "$out" thumbs_seconds)
  [ -n "$wine" ] || brevlo_die "fill_bench gave no thumbs_seconds (see $out)"
  start=$(now)
  for ((i = 1; i <= pictures_videos; i++)); do
    ffmpeg -hide_banner -loglevel error -nostdin -y -noaccurate_seek -ss 1 -i "$hd/v$i.mp4" \
      -frames:v 1 -vf 'scale=160:120:force_original_aspect_ratio=decrease,pad=160:120:-1:-1' \
      "$hd/native/v$i.jpg"
  done
  native=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
  figure "pictures of $pictures_videos 720p videos (s)" "$(fmt "$wine" '%.3f')" \
    "native ffmpeg, the same frames (s)" "$(fmt "$native" '%.3f')" "$(ratio "$wine" "$native")"
  figure "Brevlo.exe (MB)" "$(fmt "$(stat -c %s "$win/Brevlo.exe")" '%.0f' | awk '{ printf "%.2f", $1 / 1048576 }')" \
    "-" "-" "-"
}

bench_convert() {
  local root=$data/convert app pc psp kind film round t native alone worst idle
  local clicks=() natives=() alones=() worsts=() idles=()
  app=$root/app
  pc=$data/convert-film
  psp=$root/psp
  kind=$psp/MP_ROOT/100MNV01
  film=$pc/film.mp4
  if [ ! -f "$film" ]; then
    mkdir -p "$pc"
    ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=60 \
      -f lavfi -i sine=frequency=440:duration=60 -c:v libx264 -preset veryfast -profile:v high \
      -pix_fmt yuv420p -c:a aac -ac 2 "$film"
  fi
  echo "== convert: Brevlo.exe converts 60 s of 1080p H.264 on its way to the PSP; the native ffmpeg at the same settings ($convert_rounds rounds, in turns)"
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v brevlo-convert /d 1280x1024 /f >/dev/null 2>&1
  # The machine's pace drifts over a minute: the two take turns, and the medians are compared.
  for ((round = 1; round <= convert_rounds; round++)); do
    rm -rf "$root"
    mkdir -p "$app" "$kind" "$psp/MP_ROOT/101ANV01"
    cp "$win/Brevlo.exe" "$win/DefaultPreview.THM" "$app/"
    printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$pc")" >"$app/Preferences.ini"
    psp_link G "$psp" floppy
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d brevlo-convert /f >/dev/null 2>&1
    (cd "$app" && exec wine "$app/Brevlo.exe" </dev/null >"$root/wine.log" 2>&1) &
    app_pid=$!
    # To a file: the desktop the tool starts keeps a pipe open after the tool has ended.
    timeout -k 10 900 wine "$win/fill_bench.exe" click "$e2e_main_title" "&Copy to PSP -->" \
      "Mission Accomplished" </dev/null >"$root/click.raw" 2>&1 || true
    tr -d '\r' <"$root/click.raw" >"$root/click.txt"
    t=$(value "$root/click.txt" click_seconds)
    [ -n "$t" ] || brevlo_die "no \"Mission Accomplished\" after the click: $(tail -n 3 "$root/click.txt")"
    [ -f "$kind/M4V00001.MP4" ] || brevlo_die "nothing arrived on the PSP"
    timeout -k 10 60 wine "$win/fill_bench.exe" close "$e2e_main_title" </dev/null >/dev/null 2>&1 || true
    end_app
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    psp_unplug G >/dev/null 2>&1 || true
    clicks+=("$t")
    worsts+=("$(value "$root/click.txt" worst_answer_busy_seconds)")
    idles+=("$(value "$root/click.txt" worst_answer_idle_seconds)")
    # The conversion alone, as the transfer runs it, without the windows around it.
    in_wine "$root/alone.txt" "$win/fill_bench.exe" convert "$(brevlo_winpath "$film")" \
      "$(brevlo_winpath "$root/alone.mp4")"
    alone=$(value "$root/alone.txt" convert_seconds)
    [ -n "$alone" ] || brevlo_die "fill_bench convert failed: $(tail -n 3 "$root/alone.txt")"
    alones+=("$alone")
    local start
    start=$(now)
    ffmpeg -hide_banner -loglevel error -nostdin -y -threads 2 -i "$film" -threads 2 \
      -vf 'scale=480:270,pad=480:272:0:1' -r 30 -c:v mpeg4 -profile:v 0 -level 3 -b:v 672k \
      -maxrate 768k -bufsize 655360 -c:a aac -b:a 128k -ar 48000 -ac 2 -f psp "$root/native.mp4"
    native=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
    natives+=("$native")
    echo "round $round: Brevlo.exe $t s (click to end box), its conversion alone $alone s; ffmpeg $native s"
  done
  t=$(printf '%s\n' "${clicks[@]}" | median)
  alone=$(printf '%s\n' "${alones[@]}" | median)
  native=$(printf '%s\n' "${natives[@]}" | median)
  worst=$(printf '%s\n' "${worsts[@]}" | median)
  idle=$(printf '%s\n' "${idles[@]}" | median)
  figure "Brevlo.exe conversion, 60 s of 1080p (s)" "$(fmt "$t" '%.2f')" \
    "native ffmpeg, same settings (s)" "$(fmt "$native" '%.2f')" "$(ratio "$t" "$native")"
  figure "the conversion alone, without the windows (s)" "$(fmt "$alone" '%.2f')" \
    "native ffmpeg, same settings (s)" "$(fmt "$native" '%.2f')" "$(ratio "$alone" "$native")"
  figure "worst answer during the conversion (ms)" \
    "$(fmt "$worst" '%.4f' | awk '{ printf "%.1f", $1 * 1000 }')" \
    "worst answer of the idle program (ms)" \
    "$(fmt "$idle" '%.4f' | awk '{ printf "%.1f", $1 * 1000 }')" "$(ratio "$worst" "$idle")"
}

for part in "${parts[@]}"; do
  case $part in
  fill) bench_fill ;;
  memory) bench_memory ;;
  scroll) bench_scroll ;;
  tree) bench_tree ;;
  transfer) bench_transfer ;;
  startup) bench_startup ;;
  paint) bench_paint ;;
  tips) bench_tips ;;
  titles) bench_titles ;;
  pictures) bench_pictures ;;
  convert) bench_convert ;;
  *) brevlo_die "unknown part $part (fill, memory, tree, transfer, startup, paint, tips)" ;;
  esac
done

echo
printf '%-48s %14s   %-40s %14s %8s\n' figure value baseline value ratio
printf '%s\n' "${figures[@]}"
