#!/usr/bin/env bash
# timeout: 900
# Videos the PSP cannot play, as people have them, sent through the buttons a person uses: a
# 1080p H.264 High MKV with 5.1 FLAC sound copied as MPEG-4 arrives as MPEG-4 Part 2 at 480 x 272
# with AAC stereo at 48 kHz that is heard, its whole length, its PC name as its title and a
# picture of itself as its thumbnail, and the MKV stays as it was; an old AVI (MPEG-4 Part 2, mono
# MP3) moved as MPEG-4 AVC arrives as H.264 Main with AAC stereo and stays on the PC; an AV1 WebM
# copied as MPEG-4 AVC arrives heard and seen (a frame of each is kept as a PNG); Stop during a long conversion brings
# "Canceled" soon and leaves nothing on the PSP. Another program sends the main window a message
# every 20 ms throughout: it answers within 250 ms.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin convert

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
kind1=$psp/MP_ROOT/101ANV01
worst_allowed_ms=250
end_allowed_ms=1500
e2e_install "$app"
mkdir -p "$pc"

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
ff -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=8 -f lavfi -i sine=frequency=330:duration=8 \
  -c:v libx264 -preset ultrafast -profile:v high -pix_fmt yuv420p -c:a flac -ac 6 \
  "$pc/Holiday film.mkv" || e2e_fail "ffmpeg could not make the MKV"
ff -f lavfi -i testsrc2=size=640x360:rate=25:duration=4 -f lavfi -i sine=frequency=660:duration=4 \
  -c:v libaom-av1 -cpu-used 8 -c:a libopus "$pc/Trailer.webm" || e2e_fail "ffmpeg could not make the WebM"
ff -f lavfi -i testsrc2=size=640x480:rate=25:duration=6 -f lavfi -i sine=duration=6 \
  -c:v mpeg4 -c:a libmp3lame -ac 1 "$pc/Old clip.avi" || e2e_fail "ffmpeg could not make the AVI"
ff -f lavfi -i testsrc2=size=1280x720:rate=30:duration=90 -f lavfi -i sine=duration=90 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$pc/Long film.mkv" ||
  e2e_fail "ffmpeg could not make the long MKV"
(cd "$pc" && md5sum -- *) >"$e2e_dir/pc-before.md5"
e2e_write_prefs "$app" "$pc"
psp_make "$psp"
e2e_plug G "$psp" floppy

e2e_start "$app"
e2e_wait_main 60
e2e_wait_rows 1 4
[ "$(e2e_row_names 1 | paste -sd'|')" = "Holiday film.mkv|Long film.mkv|Old clip.avi|Trailer.webm" ] ||
  e2e_fail "the PC list shows: $(e2e_row_names 1 | paste -sd'|')"

seen() { sed -n "s/^$1 //p" "$2" | head -n 1; }
probe() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of csv=p=0 "$1" | head -n 1; }
length_of() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a - b <= d && b - a <= d) }'; }
holds_title() {
  local hex
  hex=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 -v | tr -d ' \n')
  od -An -tx1 -v "$1" | tr -d ' \n' | grep -q "$hex"
}
# Heard (its mean level above -30 dB) and seen (a frame of the test pattern, kept as LABEL.png).
heard_and_seen() {
  local mean colours png=$brevlo_artifacts/e2e-convert-$2.png
  mean=$(ffmpeg -nostdin -i "$1" -vn -af volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \(.*\) dB/\1/p')
  awk -v m="$mean" 'BEGIN { exit !(m != "" && m > -30) }' || e2e_fail "$2 sounds silent: ${mean:-?} dB"
  ff -ss 1 -i "$1" -frames:v 1 "$png" || e2e_fail "no frame of $2 could be taken"
  colours=$(identify -format '%k' "$png")
  ((colours > 100)) || e2e_fail "the frame of $2 has $colours colours, not the test pattern"
  brevlo_log "$2: $mean dB, a frame of $colours colours"
}
leftovers() { find "$kind0" "$kind1" -type f | sed 's|.*/||' | sort | paste -sd' '; }
box_text() {
  e2e_controls "$1" | awk -F'\t' '$1 == "Static" && $7 != "" { print $7 }' | paste -sd' '
}

# One transfer of row ROW by a button, watched; STOPAT 0 lets it run to the end.
watched() {
  local label=$1 row=$2 stop_at=$3 button worst
  out=$e2e_dir/watch-$label.txt
  button=$(e2e_button "$e2e_main_title" "$4")
  [ -n "$button" ] || e2e_fail "no button \"$4\""
  e2e_tool watcher e2e_watcher_source "$e2e_main_title" "$stop_at" >"$out" &
  local watcher=$!
  sleep 1
  e2e_click_row 1 "$row"
  e2e_click_control "$button"
  if [ "$label" = stop ]; then
    e2e_wait_window "Transfering..." 20 && sleep 1 && e2e_screenshot convert-progress
  fi
  wait "$watcher" || e2e_fail "the watcher saw no end of the $label transfer: $(tr '\n' ' ' <"$out")"
  brevlo_log "$label: $(tr '\n' ' ' <"$out")"
  worst=$(seen worst_ms "$out")
  [ -n "$worst" ] && ((worst <= worst_allowed_ms)) ||
    e2e_fail "the main window took ${worst:-?} ms to answer during the $label transfer"
}

# --- The MKV, copied as MPEG-4 ---------------------------------------------------------------
watched mkv 0 0 "&Copy to PSP -->"
[ "$(seen end "$out")" = "Mission Accomplished" ] || e2e_fail "the MKV ended with \"$(seen end "$out")\""
e2e_wait_window "Mission Accomplished" 10
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
v=$kind0/M4V00001.MP4
[ "$(leftovers)" = "M4V00001.MP4 M4V00001.THM" ] || e2e_fail "the PSP holds: $(leftovers)"
[ "$(probe "$v" v:0 codec_name,profile,width,height)" = "mpeg4,Simple Profile,480,272" ] ||
  e2e_fail "the MKV arrived as $(probe "$v" v:0 codec_name,profile,width,height)"
[ "$(probe "$v" a:0 codec_name,sample_rate,channels)" = "aac,48000,2" ] ||
  e2e_fail "its sound is $(probe "$v" a:0 codec_name,sample_rate,channels)"
near "$(length_of "$v")" 8 0.2 || e2e_fail "it lasts $(length_of "$v") s, not 8"
errors=$(ffmpeg -v error -nostdin -i "$v" -f null - 2>&1)
[ -z "$errors" ] || e2e_fail "it does not decode cleanly: $errors"
holds_title "$v" "Holiday film" || e2e_fail "it does not carry its PC name as its title"
heard_and_seen "$v" mkv-flac
[ "$(identify -format '%m %w %h %[interlace]' "$kind0/M4V00001.THM")" = "JPEG 160 120 None" ] ||
  e2e_fail "its thumbnail is $(identify -format '%m %w %h' "$kind0/M4V00001.THM")"
cmp -s "$kind0/M4V00001.THM" "$app/DefaultPreview.THM" && e2e_fail "it got the default thumbnail"
(cd "$pc" && md5sum -c --quiet "$e2e_dir/pc-before.md5") >/dev/null 2>&1 ||
  e2e_fail "the copy changed the PC folder"

# --- The AVI, moved as MPEG-4 AVC: it stays on the PC ------------------------------------------
kind=$(e2e_control ComboBox 1)
e2e_click_control "$kind"
sleep 0.5
xdotool key --clearmodifiers Down Return
kind_is() { [ "$(cut -f7 <<<"$(e2e_control ComboBox 1)")" = "$1" ]; }
e2e_wait_for 10 kind_is "MPEG-4 AVC Video" || e2e_fail "the kind box did not take MPEG-4 AVC"
watched avi 2 0 "&Move to PSP -->"
[ "$(seen end "$out")" = "Mission Accomplished" ] || e2e_fail "the AVI ended with \"$(seen end "$out")\""
e2e_wait_window "Mission Accomplished" 10
e2e_wait_text "Mission Accomplished"
text=$(box_text "Mission Accomplished")
grep -qF "originals stay on the PC" <<<"$text" && grep -qF "Old clip.avi" <<<"$text" ||
  e2e_fail "the end box does not say the AVI stays: $text"
e2e_screenshot convert-moved
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
a=$kind1/MAQ00001.MP4
[ -f "$a" ] || e2e_fail "nothing arrived in 101ANV01: $(leftovers)"
read -r codec profile level <<<"$(probe "$a" v:0 codec_name,profile,level | tr ',' ' ')"
[ "$codec $profile" = "h264 Main" ] && ((level <= 30)) ||
  e2e_fail "the AVI arrived as $codec $profile level $level"
[ "$(probe "$a" a:0 codec_name,sample_rate,channels)" = "aac,48000,2" ] ||
  e2e_fail "its sound is $(probe "$a" a:0 codec_name,sample_rate,channels)"
errors=$(ffmpeg -v error -nostdin -i "$a" -f null - 2>&1)
[ -z "$errors" ] || e2e_fail "the AVC video does not decode cleanly: $errors"
(cd "$pc" && md5sum -c --quiet "$e2e_dir/pc-before.md5") >/dev/null 2>&1 ||
  e2e_fail "the move changed or removed the AVI"

# --- The AV1 WebM, copied as MPEG-4 AVC --------------------------------------------------------
watched av1 3 0 "&Copy to PSP -->"
[ "$(seen end "$out")" = "Mission Accomplished" ] || e2e_fail "the WebM ended with \"$(seen end "$out")\""
e2e_wait_window "Mission Accomplished" 10
e2e_key "$e2e_window" Return
e2e_wait_gone "Mission Accomplished" 10
w=$kind1/MAQ00002.MP4
[ "$(probe "$w" v:0 codec_name,width,height)" = "h264,480,272" ] ||
  e2e_fail "the WebM arrived as $(probe "$w" v:0 codec_name,width,height): $(leftovers)"
[ "$(probe "$w" a:0 codec_name,sample_rate,channels)" = "aac,48000,2" ] ||
  e2e_fail "its sound is $(probe "$w" a:0 codec_name,sample_rate,channels)"
near "$(length_of "$w")" 4 0.2 || e2e_fail "it lasts $(length_of "$w") s, not 4"
heard_and_seen "$w" webm-av1

# --- Stop during a long conversion -------------------------------------------------------------
before=$(leftovers)
watched stop 1 20 "&Copy to PSP -->"
[ "$(seen end "$out")" = Canceled ] || e2e_fail "Stop ended with \"$(seen end "$out")\""
after=$(seen end_after_stop_ms "$out")
[ -n "$after" ] && ((after <= end_allowed_ms)) || e2e_fail "the end box came ${after:-?} ms after Stop"
worst=$(seen worst_after_stop_ms "$out")
[ -n "$worst" ] && ((worst <= worst_allowed_ms)) ||
  e2e_fail "the main window took ${worst:-?} ms to answer after Stop"
[ "$(leftovers)" = "$before" ] || e2e_fail "Stop left $(leftovers) on the PSP"
e2e_wait_window Canceled 10
e2e_key "$e2e_window" Return
e2e_wait_gone Canceled 10
e2e_close_main
