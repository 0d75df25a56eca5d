# Shared by tools/run.sh, tools/test.sh and the end-to-end tests. Source it, do not run it.
# It defines functions and a few variables and changes no shell options.

brevlo_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
brevlo_build=${BREVLO_BUILD:-$brevlo_top/build}
brevlo_artifacts=${BREVLO_ARTIFACTS:-$brevlo_top/artifacts}
brevlo_jpeg_prefix=$brevlo_build/deps/libjpeg-turbo-mingw
brevlo_ffmpeg_prefix=$brevlo_build/deps/ffmpeg-mingw
brevlo_media_prefix=$brevlo_build/deps/media-mingw
brevlo_win_dir=$brevlo_build/win
brevlo_native_dir=$brevlo_build/native

brevlo_log() { printf '%s: %s\n' "${BREVLO_LOG_NAME:-$(basename "$0")}" "$*" >&2; }
brevlo_die() {
  brevlo_log "$*"
  exit 1
}

brevlo_setup() { "$brevlo_top/tools/setup.sh"; }

# Configures only once: re-running CMake on every build costs seconds and the globs are
# CONFIGURE_DEPENDS anyway.
brevlo_build_native() {
  if [ ! -f "$brevlo_native_dir/build.ninja" ]; then
    cmake -S "$brevlo_top" -B "$brevlo_native_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -Wno-dev || return 1
  fi
  cmake --build "$brevlo_native_dir"
}

brevlo_build_win() { brevlo_build_win_in "$brevlo_win_dir"; }

# A Windows Release build in DIR: everything, or only the TARGETs named.
brevlo_build_win_in() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$brevlo_top" -B "$dir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$brevlo_top/cmake/mingw-w64.cmake" \
      -DBREVLO_JPEG_PREFIX="$brevlo_jpeg_prefix" -DBREVLO_FFMPEG_PREFIX="$brevlo_ffmpeg_prefix" \
      -DCMAKE_BUILD_TYPE=Release -Wno-dev || return 1
  fi
  if [ $# -gt 0 ]; then
    cmake --build "$dir" --target "$@"
  else
    cmake --build "$dir"
  fi
}

# A build whose progress is not shown, but whose errors are: ninja prints them on its output.
brevlo_quiet_build() {
  local log
  log=$(mktemp)
  if ! cmake --build "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    brevlo_die "the build failed: cmake --build $*"
  fi
  rm -f "$log"
}

# Wine path of a Linux path: Z: is the prefix's view of /.
brevlo_winpath() {
  local p
  p=$(realpath -m "$1")
  p=${p//\//\\}
  printf 'Z:%s\n' "$p"
}

# Exports the Wine environment for a prefix. mscoree and mshtml are switched off so that
# the first start never offers to download Mono or Gecko.
brevlo_wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

# Creates the prefix once (10-15 s on a fresh machine); a prefix already made is kept.
# Every prefix leaves the window frames to the program, which draws its own from the skin:
# otherwise Wine asks the window manager (or, with none, nobody) for decorations and crops
# each window to its client area.
# A second argument gives the prefix's screen scale in dots per inch (96 is 100 %).
brevlo_wine_prefix() {
  brevlo_wine_env "$1"
  local dpi=${2:-}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    brevlo_log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    brevlo_wine_undecorated
    wineserver -w
  elif ! brevlo_wine_is_undecorated; then
    brevlo_wine_undecorated
    wineserver -w
  fi
  [ -f "$WINEPREFIX/system.reg" ] || {
    brevlo_log "could not create the Wine prefix $WINEPREFIX"
    return 1
  }
  brevlo_wine_is_undecorated || {
    brevlo_log "the Wine prefix $WINEPREFIX still leaves the window frames to Wine"
    return 1
  }
  if [ -n "$dpi" ] && [ "$(brevlo_wine_dpi_of)" != "$dpi" ]; then
    brevlo_wine_set_dpi "$dpi"
    [ "$(brevlo_wine_dpi_of)" = "$dpi" ] || {
      brevlo_log "the Wine prefix $WINEPREFIX did not take $dpi dots per inch"
      return 1
    }
  fi
}

# The screen scale is read when Wine starts, so each scale needs a prefix of its own. The
# fonts' key says the same, or text is measured at one scale and drawn at another.
brevlo_wine_set_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  done
  wineserver -w
}

# The prefix's dots per inch as user.reg holds it (96 when it says nothing).
brevlo_wine_dpi_of() {
  local hex
  hex=$(awk '
    /^\[/ { in_key = ($0 ~ /^\[Control Panel\\\\Desktop\]/); next }
    in_key && /^"LogPixels"=dword:/ { sub(/^"LogPixels"=dword:/, ""); print; exit }' \
    "$WINEPREFIX/user.reg" 2>/dev/null)
  echo $((16#${hex:-60}))
}

brevlo_wine_undecorated() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
}

# Reads user.reg rather than asking Wine, which would cost a second on every start. The
# server writes the file some time after a change, or when it ends: hence the wait above.
brevlo_wine_is_undecorated() {
  awk '
    /^\[/ { in_key = ($0 ~ /^\[Software\\\\Wine\\\\X11 Driver\]/); next }
    in_key && /^"Decorated"="[Nn]"/ { found = 1 }
    END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}

# Safe under set -e: a server that has already gone is no failure.
brevlo_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
}

# Starts Xvfb on a free display number (Xvfb picks it and writes it to the descriptor);
# sets brevlo_xvfb_pid and exports DISPLAY. BREVLO_XVFB_SIZE (WIDTHxHEIGHT) asks for a screen
# other than 1280 x 1024.
brevlo_xvfb_start() {
  local fdfile n i
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${BREVLO_XVFB_SIZE:-1280x1024}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  brevlo_xvfb_pid=$!
  for i in $(seq 1 100); do
    n=$(tr -dc '0-9' <"$fdfile")
    [ -n "$n" ] && break
    kill -0 "$brevlo_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fdfile"
  if [ -z "$n" ]; then
    brevlo_log "Xvfb did not start"
    brevlo_xvfb_stop
    return 1
  fi
  export DISPLAY=:$n
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  brevlo_log "Xvfb on $DISPLAY does not answer"
  brevlo_xvfb_stop
  return 1
}

brevlo_xvfb_stop() {
  if [ -n "${brevlo_xvfb_pid:-}" ]; then
    kill "$brevlo_xvfb_pid" 2>/dev/null || true
    wait "$brevlo_xvfb_pid" 2>/dev/null || true
    brevlo_xvfb_pid=
  fi
}

# A display for Wine: the caller's own, or a private Xvfb. Sets brevlo_display_is_virtual.
brevlo_display_ensure() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    brevlo_display_is_virtual=no
  else
    brevlo_xvfb_start || return 1
    brevlo_display_is_virtual=yes
  fi
}
