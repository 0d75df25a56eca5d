#!/usr/bin/env bash
# timeout: 900
# Videos of the less usual kinds, copied to the PSP with the button a person uses: an MKV with
# FLAC sound and an AV1 WebM each arrive as MPEG-4 at 480 x 272 with AAC stereo that is heard
# (not silence), their whole length, and a picture that is the source's (a frame of each is kept
# as a PNG in the artefacts to be looked at).
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin convert-kinds

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
e2e_install "$app"
mkdir -p "$pc"

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
ff -f lavfi -i testsrc2=size=640x360:rate=25:duration=5 -f lavfi -i sine=frequency=440:duration=5 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a flac "$pc/Concert.mkv" ||
  e2e_fail "ffmpeg could not make the FLAC MKV"
ff -f lavfi -i testsrc2=size=640x360:rate=25:duration=4 -f lavfi -i sine=frequency=660:duration=4 \
  -c:v libaom-av1 -cpu-used 8 -c:a libopus "$pc/Trailer.webm" ||
  e2e_fail "ffmpeg could not make the AV1 WebM"
e2e_write_prefs "$app" "$pc"
psp_make "$psp"
e2e_plug G "$psp" floppy

e2e_start "$app"
e2e_wait_main 60
e2e_wait_rows 1 2
[ "$(e2e_row_names 1 | paste -sd'|')" = "Concert.mkv|Trailer.webm" ] ||
  e2e_fail "the PC list shows: $(e2e_row_names 1 | paste -sd'|')"

probe() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of csv=p=0 "$1" | head -n 1; }
length_of() { ffprobe -v error -select_streams "$2" -show_entries stream=duration -of csv=p=0 "$1"; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a - b <= d && b - a <= d) }'; }
loudness() { ffmpeg -nostdin -i "$1" -vn -af volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \(.*\) dB/\1/p'; }

# Copies row ROW and checks what arrives as NAME: SECONDS long, a frame kept as LABEL.png.
sent() {
  local row=$1 name=$2 seconds=$3 label=$4 button out v mean colours
  button=$(e2e_button "$e2e_main_title" "&Copy to PSP -->")
  [ -n "$button" ] || e2e_fail "no Copy button"
  out=$e2e_dir/watch-$label.txt
  e2e_tool watcher e2e_watcher_source "$e2e_main_title" 0 >"$out" &
  local watcher=$!
  sleep 1
  e2e_click_row 1 "$row"
  e2e_click_control "$button"
  wait "$watcher" || e2e_fail "no end of the $label transfer: $(tr '\n' ' ' <"$out")"
  grep -qx "end Mission Accomplished" "$out" || e2e_fail "$label ended: $(grep '^end ' "$out")"
  e2e_wait_window "Mission Accomplished" 10
  e2e_key "$e2e_window" Return
  e2e_wait_gone "Mission Accomplished" 10
  v=$kind0/$name
  [ -f "$v" ] || e2e_fail "$label did not arrive as $name: $(ls "$kind0")"
  [ "$(probe "$v" v:0 codec_name,width,height)" = "mpeg4,480,272" ] ||
    e2e_fail "$label arrived as $(probe "$v" v:0 codec_name,width,height)"
  [ "$(probe "$v" a:0 codec_name,sample_rate,channels)" = "aac,48000,2" ] ||
    e2e_fail "its sound is $(probe "$v" a:0 codec_name,sample_rate,channels)"
  near "$(length_of "$v" v:0)" "$seconds" 0.1 && near "$(length_of "$v" a:0)" "$seconds" 0.1 ||
    e2e_fail "its picture lasts $(length_of "$v" v:0) s and its sound $(length_of "$v" a:0) s"
  mean=$(loudness "$v")
  awk -v m="$mean" 'BEGIN { exit !(m != "" && m > -30) }' || e2e_fail "its sound is silent: $mean dB"
  ff -ss 1 -i "$v" -frames:v 1 "$brevlo_artifacts/e2e-convert-kinds-$label.png" ||
    e2e_fail "no frame of it could be taken"
  # The test pattern's colour bars, not one flat colour.
  colours=$(identify -format '%k' "$brevlo_artifacts/e2e-convert-kinds-$label.png")
  ((colours > 100)) || e2e_fail "its picture has $colours colours"
  brevlo_log "$label: sound $mean dB, $colours colours in its frame"
}

sent 0 M4V00001.MP4 5 flac
sent 1 M4V00002.MP4 4 av1
e2e_screenshot convert-kinds
e2e_close_main
