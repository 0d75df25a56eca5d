#!/usr/bin/env bash
# Builds Brevlo.exe and runs it under Wine.
#
#   tools/run.sh                 the PC folder the program remembers; any PSP mounted here
#   tools/run.sh PCFOLDER        opens on PCFOLDER
#   tools/run.sh --demo          a demo PC folder and a demo PSP with a few real videos
#
# Does its own set-up (packages, libjpeg-turbo, the Windows build, a Wine prefix in
# build/wineprefix-run). Without a display it starts a virtual one and prints how to look
# at it. A mounted volume whose root holds MP_ROOT (a PSP on USB) gets a removable drive
# letter in the prefix, so that the program finds it as it would on Windows.
# The window frames (caption bar, its buttons, borders) are the program's own, drawn from
# its skin: the prefix tells Wine to leave them to the program, so a window manager adds
# none of its own; on a virtual display Wine's own desktop does the same.
set -euo pipefail
BREVLO_LOG_NAME=run
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/psp-rig.sh"
source "$(dirname "$0")/lib/demo.sh"

usage() {
  sed -n '2,7s/^# \{0,1\}//p' "$0" >&2
  exit 2
}

demo=no
pc_folder=
while [ $# -gt 0 ]; do
  case $1 in
  --demo) demo=yes ;;
  -h | --help) usage ;;
  -*) usage ;;
  *)
    [ -z "$pc_folder" ] || brevlo_die "one PC folder at a time"
    [ -d "$1" ] || brevlo_die "no folder $1"
    pc_folder=$(realpath "$1")
    ;;
  esac
  shift
done

brevlo_log "set-up and Windows build"
brevlo_setup >/dev/null
brevlo_build_win >/dev/null || brevlo_die "the Windows build failed (run: cmake --build $brevlo_win_dir)"

rundir=$brevlo_build/run
mkdir -p "$rundir"
cp "$brevlo_win_dir/Brevlo.exe" "$brevlo_win_dir/DefaultPreview.THM" "$rundir/"

cleanup() {
  brevlo_wine_stop
  brevlo_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

brevlo_display_ensure || brevlo_die "no display and no virtual one"
brevlo_wine_prefix "$brevlo_build/wineprefix-run" || exit 1

# Letters handed out by an earlier run are taken back first: the volumes may be gone.
drives_file=$WINEPREFIX/brevlo-drives
if [ -f "$drives_file" ]; then
  while read -r letter; do psp_unplug "$letter" >/dev/null; done <"$drives_file"
  rm -f "$drives_file"
fi

free_letter() {
  local l
  for l in G H I J K L M N O P Q R S T U V W X Y; do
    [ -e "$WINEPREFIX/dosdevices/$(printf '%s' "$l" | tr 'A-Z' 'a-z'):" ] || {
      echo "$l"
      return 0
    }
  done
  return 1
}

plug() {
  local letter
  letter=$(free_letter) || brevlo_die "no free drive letter for $1"
  psp_link "$letter" "$1" floppy
  echo "$letter" >>"$drives_file"
  brevlo_log "PSP $1 is drive $letter: (removable)"
}

# Mount points as the kernel lists them; spaces and the like come escaped as \040.
mounted_psps() {
  local target
  while read -r _ target _; do
    target=$(printf '%b' "$target")
    case $target in / | /proc* | /sys* | /dev* | /run/user/*/gvfs) continue ;; esac
    [ -d "$target/MP_ROOT" ] && echo "$target"
  done </proc/mounts | sort -u
}

if [ $demo = yes ]; then
  demo_dir=$brevlo_build/demo
  rm -rf "$demo_dir"
  brevlo_log "making the demo videos"
  demo_make "$demo_dir"
  plug "$demo_dir/psp"
  pc_folder=$demo_dir/pc
fi

found=0
while read -r mp; do
  [ -n "$mp" ] || continue
  plug "$mp"
  found=$((found + 1))
done < <(mounted_psps)
[ $demo = yes ] || [ $found -gt 0 ] || brevlo_log "no mounted PSP found (a volume whose root holds MP_ROOT)"

if [ -n "$pc_folder" ]; then
  printf '[Main]\r\nOutput Path=%s\r\n' "$(brevlo_winpath "$pc_folder")" >"$rundir/Preferences.ini"
  brevlo_log "PC folder $pc_folder"
fi

if [ "$brevlo_display_is_virtual" = yes ]; then
  cat >&2 <<EOF
run: Brevlo runs on the virtual display $DISPLAY (Wine's own desktop, 1280x1024).
run: look at it:   DISPLAY=$DISPLAY import -window root shot.png   (then open shot.png)
run: act on it:    DISPLAY=$DISPLAY xdotool mousemove X Y click 1
run: stop it:      close the program, or Ctrl+C here
EOF
  (cd "$rundir" && wine explorer /desktop=brevlo,1280x1024 "$rundir/Brevlo.exe") || true
else
  brevlo_log "starting Brevlo.exe on $DISPLAY"
  (cd "$rundir" && wine "$rundir/Brevlo.exe") || true
fi
wineserver -w || true
brevlo_log "Brevlo.exe has ended"
