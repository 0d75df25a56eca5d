#!/usr/bin/env bash
# timeout: 600
# Subtitles drawn into the picture on the way to the PSP, whose player shows none: an episode in
# MKV with styled ASS subtitles marked default and their font attached arrives with the lettering
# in the lower third of its frames; an MP4 the PSP would play as it is, with an SRT beside it,
# goes converted with the SRT's lettering drawn in.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"
e2e_begin subtitles

app=$e2e_dir/app
pc=$e2e_dir/pc
psp=$e2e_dir/psp
kind0=$psp/MP_ROOT/100MNV01
e2e_install "$app"
mkdir -p "$pc"

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
dark="color=c=0x101010:size=1280x720:rate=25:duration=4"
ass=$e2e_dir/episode.ass
fields='Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding'
printf '[Script Info]\nScriptType: v4.00+\nPlayResX: 640\nPlayResY: 360\n\n[V4+ Styles]\nFormat: %s\n%s\n\n[Events]\n%s\n%s\n' \
  "$fields" 'Style: Default,DejaVu Serif,36,&H0000FFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,0,2,10,10,14,1' \
  'Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text' \
  'Dialogue: 0,0:00:00.50,0:00:03.50,Default,,0,0,0,,Where is the {\i1}train{\i0}?' >"$ass"
ff -f lavfi -i "$dark" -f lavfi -i sine=duration=4 -i "$ass" -map 0 -map 1 -map 2 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -c:s ass -metadata:s:a language=jpn \
  -metadata:s:s language=eng -disposition:s:0 default \
  -attach /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf -metadata:s:t mimetype=font/ttf \
  "$pc/Episode 01.mkv" || e2e_fail "ffmpeg could not make the MKV"
ff -f lavfi -i "color=c=0x101010:size=480x272:rate=25:duration=4" -f lavfi -i sine=duration=4 \
  -c:v libx264 -preset ultrafast -profile:v main -level 3.0 -pix_fmt yuv420p -c:a aac -ac 2 \
  "$pc/Film, [cut] 'two'.mp4" || e2e_fail "ffmpeg could not make the MP4"
printf '1\r\n00:00:00,500 --> 00:00:03,500\r\nThe words a viewer needs\r\n' \
  >"$pc/Film, [cut] 'two'.en.srt"
e2e_write_prefs "$app" "$pc"
psp_make "$psp"
e2e_plug G "$psp" floppy

e2e_start "$app"
e2e_wait_main 60
e2e_wait_rows 1 2

# The share of bright pixels (lettering on the dark picture) in a part of a 480 x 272 frame.
bright() { convert "$1" -crop "$2" +repage -colorspace Gray -threshold 50% -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
frame_of() { ffmpeg -v error -nostdin -y -ss 2 -i "$1" -frames:v 1 "$2"; }

copy_row() {
  e2e_click_row 1 "$1"
  e2e_click_control "$(e2e_button "$e2e_main_title" "&Copy to PSP -->")"
  e2e_wait_window "Mission Accomplished" 120 || e2e_fail "row $1: no end box"
  e2e_key "$e2e_window" Return
  e2e_wait_gone "Mission Accomplished" 10
}

# --- The episode: its ASS subtitles in its own font --------------------------------------------
copy_row 0
v=$kind0/M4V00001.MP4
[ -f "$v" ] || e2e_fail "the episode did not arrive"
frame_of "$v" "$brevlo_artifacts/e2e-subtitles-episode-frame.png" || e2e_fail "no frame of the episode"
lower=$(bright "$brevlo_artifacts/e2e-subtitles-episode-frame.png" 480x90+0+182)
upper=$(bright "$brevlo_artifacts/e2e-subtitles-episode-frame.png" 480x180+0+0)
brevlo_log "episode: bright share lower third $lower, above it $upper"
above "$lower" 0.01 || e2e_fail "no lettering in the episode's lower third ($lower)"
above 0.0005 "$upper" || e2e_fail "lettering above the lower third ($upper)"

# --- The MP4 the PSP plays, with an SRT beside it: converted to draw them ------------------------
copy_row 1
f=$kind0/M4V00002.MP4
[ -f "$f" ] || e2e_fail "the film did not arrive"
cmp -s "$f" "$pc/Film, [cut] 'two'.mp4" && e2e_fail "the film went byte for byte, without its subtitles"
frame_of "$f" "$brevlo_artifacts/e2e-subtitles-film-frame.png" || e2e_fail "no frame of the film"
lower=$(bright "$brevlo_artifacts/e2e-subtitles-film-frame.png" 480x90+0+182)
brevlo_log "film: bright share lower third $lower"
above "$lower" 0.005 || e2e_fail "no lettering in the film's lower third ($lower)"
e2e_close_main
