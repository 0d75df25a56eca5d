#!/usr/bin/env bash
# Makes the small real videos that the tests, the fuzzer and the benchmarks read: one second
# each (a few seconds for those pictures are taken of), of the kinds a PSP owner meets. Made again only when this script changes.
#   tools/make-test-videos.sh OUTDIR
set -euo pipefail
out=${1:?usage: make-test-videos.sh OUTDIR}
mkdir -p "$out"
command -v ffmpeg >/dev/null || {
  echo "make-test-videos: ffmpeg is missing (tools/setup.sh installs it)" >&2
  exit 1
}

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
picture() { echo "testsrc=size=$1:rate=$2:duration=1"; }
sound() { echo "sine=frequency=440:sample_rate=$1:duration=1"; }
x264() { echo "-c:v libx264 -preset veryfast -pix_fmt yuv420p -profile:v $1 -level $2"; }

# MPEG-4 Visual Simple Profile with AAC-LC, header at the end (the muxer's default).
ff -f lavfi -i "$(picture 320x240 25)" -f lavfi -i "$(sound 44100)" -c:v mpeg4 \
  -c:a aac -ac 2 "$out/mpeg4-320x240.mp4"
# H.264 Main 3.0 at the PSP's own size, 29.97 frames a second, with the title the PSP shows.
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 480x272 30000/1001)" -f lavfi -i "$(sound 48000)" $(x264 main 3.0) \
  -c:a aac -ac 2 -f psp -metadata title="Holiday in Ærø" "$out/avc-main-480x272-psp.mp4"
# H.264 High at 1280 x 720, header at the start, with the common title.
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 1280x720 25)" -f lavfi -i "$(sound 48000)" $(x264 high 3.1) \
  -c:a aac -ac 2 -movflags +faststart -metadata title="Plain title" "$out/avc-high-1280x720.mp4"
# H.264 Main 3.0 at a size only later system software plays; mono sound, no title.
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 720x480 25)" -f lavfi -i "$(sound 22050)" $(x264 main 3.0) \
  -c:a aac -ac 1 "$out/avc-main-720x480.mp4"
# MPEG-4 Visual with its header at the start and the common title; and an H.264 file in
# fragments, whose header holds no samples.
ff -f lavfi -i "$(picture 176x144 15)" -f lavfi -i "$(sound 24000)" -c:v mpeg4 -c:a aac -ac 1 \
  -movflags +faststart -metadata title="Named in the header" "$out/mpeg4-176x144-faststart.mp4"
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 320x240 25)" -f lavfi -i "$(sound 48000)" $(x264 baseline 3.0) \
  -c:a aac -ac 2 -movflags frag_keyframe+empty_moov "$out/avc-fragmented.mp4"

# Videos to take pictures of: each a colour of its own, so a picture shows whose it is.
# shellcheck disable=SC2046
pictured() { # NAME COLOUR SIZE SECONDS [ffmpeg options...]
  local name=$1 colour=$2 size=$3 seconds=$4
  shift 4
  ff -f lavfi -i "color=c=$colour:size=$size:rate=25:duration=$seconds" "$@" "$out/$name"
}
# shellcheck disable=SC2046
pictured picture-16x9-red.mp4 red 640x360 4 $(x264 high 3.1) -g 25
# shellcheck disable=SC2046
pictured picture-4x3-lime.mp4 lime 320x240 4 $(x264 main 3.0) -g 25
ff -f lavfi -i "color=c=blue:size=320x240:rate=25:duration=4" -f lavfi -i "$(sound 22050)" \
  -c:v mpeg4 -g 25 -c:a libmp3lame -ac 1 -shortest "$out/picture-mpeg4-blue.avi"
# A phone's portrait video: stored lying, turned by its display matrix.
# shellcheck disable=SC2046
pictured lying-cyan.mp4 cyan 640x360 4 $(x264 high 3.1) -g 25
ff -i "$out/lying-cyan.mp4" -c copy -metadata:s:v:0 rotate=90 "$out/picture-portrait-cyan.mp4"
rm "$out/lying-cyan.mp4"
# Black for its first three seconds, as many a recording starts.
# shellcheck disable=SC2046
pictured picture-black-start-yellow.mp4 yellow 320x240 10 -vf fade=t=in:st=3:d=0.04 \
  $(x264 main 3.0) -g 25
# To be converted for the PSP: a 60 frames a second H.264 High MKV with 5.1 sound.
# shellcheck disable=SC2046
ff -f lavfi -i "testsrc=size=320x180:rate=60:duration=3" -f lavfi \
  -i "sine=frequency=440:sample_rate=44100:duration=3" $(x264 high 3.1) -c:a aac -ac 6 \
  "$out/convert-60fps-surround.mkv"
# The same cut short, as a download that stopped: it reads to its end without an error.
head -c "$(($(stat -c %s "$out/convert-60fps-surround.mkv") * 4 / 10))" \
  "$out/convert-60fps-surround.mkv" >"$out/convert-cut-short.mkv"
# Colours as made: an HD green in the BT.709 matrix, a full-range red in the BT.601 one, and
# greys coded with the two high dynamic range curves (PQ: 112/255, HLG: 128/255), 10 bits.
coloured() { # NAME COLOUR SIZE FILTERS [ffmpeg options...]
  local name=$1 colour=$2 size=$3 filters=$4
  shift 4
  ff -f lavfi -i "color=c=$colour:size=$size:rate=25:duration=1,format=rgb24,$filters" \
    -c:v libx264 -preset veryfast -qp 4 "$@" "$out/$name"
}
coloured colour-bt709-green.mkv 0x1DAA3B 1280x720 \
  scale=out_color_matrix=bt709:out_range=tv,format=yuv420p \
  -colorspace bt709 -color_primaries bt709 -color_trc bt709
coloured colour-full-range-red.mp4 0xC83C28 640x360 \
  scale=out_color_matrix=bt601:out_range=pc,format=yuv420p -color_range pc -colorspace smpte170m
coloured colour-pq-grey.mkv 0x707070 1280x720 scale=out_range=tv,format=yuv420p10le \
  -colorspace bt2020nc -color_primaries bt2020 -color_trc smpte2084
coloured colour-hlg-grey.mkv 0x808080 1280x720 scale=out_range=tv,format=yuv420p10le \
  -colorspace bt2020nc -color_primaries bt2020 -color_trc arib-std-b67
# Interlaced PAL: a white bar crossing fast (30 pixels a field), so that its two fields stand
# apart; flagged as such (H.264 coded in fields, top first), and the same unflagged (MPEG-4
# Visual coded as whole frames), as many a capture is.
bar="color=black:size=720x576:rate=50:duration=2[b];color=white:size=24x576:rate=50[w];"
bar+="[b][w]overlay=x='mod(t*1500,690)':y=0:shortest=1,tinterlace=interleave_top"
ff -f lavfi -i "$bar,setfield=tff" -c:v libx264 -preset veryfast -pix_fmt yuv420p -qp 10 \
  -flags +ildct+ilme -x264opts tff=1 -field_order tt "$out/interlaced-flagged.mkv"
ff -f lavfi -i "$bar" -c:v mpeg4 -q:v 2 "$out/interlaced-unflagged.avi"
# A picture the PSP plays (H.264 Main 3.0, 480 x 272) with sound it does not (AC-3) in an MKV:
# repackaged, not encoded again; and the same picture with AAC in a QuickTime file, which goes
# as it is.
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 480x272 25)" -f lavfi -i "$(sound 48000)" $(x264 main 3.0) \
  -c:a ac3 -ac 2 "$out/repackage-avc-ac3.mkv"
# shellcheck disable=SC2046
ff -f lavfi -i "$(picture 480x272 25)" -f lavfi -i "$(sound 48000)" $(x264 main 3.0) \
  -c:a aac -ac 2 "$out/plays-avc-aac.mov"
# Timing: a dark picture that flashes white where a beep sounds, 0.2 s each; the conversion
# must keep them together. FLASH RATE SECONDS AT [SIZE]; BEEP SECONDS AT.
flash() { echo "color=c=0x202020:s=${4:-160x120}:r=$1:d=$2,drawbox=w=iw:h=ih:color=white:t=fill:enable='between(t,$3,$3+0.2)'"; }
beep() { echo "aevalsrc='if(between(t,$2,$2+0.2),0.5*sin(2*PI*1000*t),0)':s=48000:d=$1"; }
# A phone's screen recording: no frames while the screen stands still (12 s).
# shellcheck disable=SC2046
ff -f lavfi -i "$(flash 30 14 13),select='not(between(t,1,12.99))'" -f lavfi -i "$(beep 14 13)" \
  -fps_mode vfr $(x264 main 3.0) -c:a aac "$out/timing-still.mp4"
# A TV capture that lost three 1 s stretches of sound.
ff -f lavfi -i "$(flash 25 10 9)" -f lavfi \
  -i "$(beep 10 9),aselect='not(between(t,2,2.99)+between(t,4,4.99)+between(t,6,6.99))'" \
  -c:v mpeg2video -c:a mp2 "$out/timing-sound-gaps.ts"
# A capture whose clock jumps 1000 s after 3 s (two recordings one after the other).
ff -f lavfi -i "$(flash 25 3 9)" -f lavfi -i "$(beep 3 9)" -c:v mpeg2video -c:a mp2 "$out/jump-a.ts"
ff -f lavfi -i "$(flash 25 2 1)" -f lavfi -i "$(beep 2 1)" -c:v mpeg2video -c:a mp2 \
  -output_ts_offset 1000 "$out/jump-b.ts"
cat "$out/jump-a.ts" "$out/jump-b.ts" >"$out/timing-jump.ts"
rm "$out/jump-a.ts" "$out/jump-b.ts"
# Sound that starts 2 s after the picture, and 10 minutes after it.
# shellcheck disable=SC2046
ff -f lavfi -i "$(flash 25 5 4)" -itsoffset 2 -f lavfi -i "$(beep 3 2)" $(x264 main 3.0) \
  -c:a aac "$out/timing-late-sound.mkv"
# shellcheck disable=SC2046
ff -f lavfi -i "$(flash 10 603 601 64x48)" -itsoffset 600 -f lavfi -i "$(beep 3 1)" \
  $(x264 main 3.0) -c:a aac "$out/timing-late-10min.mkv"
# The sounds and pictures people have beyond the usual: a tone under each.
tone=$(sound 48000)
small="testsrc=size=160x120:rate=25:duration=1"
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v mpeg4 -c:a flac "$out/sound-flac.mkv"
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v mpeg4 -c:a dca -strict -2 -ac 6 "$out/sound-dts.mkv"
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v mpeg4 -c:a truehd -strict -2 "$out/sound-truehd.mkv"
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v mpeg4 -c:a alac "$out/sound-alac.mov"
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v libaom-av1 -cpu-used 8 -c:a libopus \
  "$out/picture-av1.webm"
# Phones' AMR (narrow and wide band): no encoder is at hand, so frames of noise are written by
# hand (MAGIC FRAMEHEADER PAYLOADBYTES: 50 frames of 20 ms) and put beside a picture.
amr_noise() {
  LC_ALL=C awk -v magic="$1" -v h="$2" -v n="$3" 'BEGIN {
    srand(7); printf "%s\n", magic
    for (f = 0; f < 50; ++f) { printf "%c", h; for (i = 0; i < n; ++i) printf "%c", 1 + int(rand() * 255) }
  }'
}
amr_noise '#!AMR' 60 31 >"$out/noise.amr"  # 12.2 kbit/s
ff -f lavfi -i "$small" -i "$out/noise.amr" -c:v mpeg4 -c:a copy -shortest "$out/sound-amr-nb.3gp"
amr_noise '#!AMR-WB' 68 60 >"$out/noise.amr"  # 23.85 kbit/s
ff -f lavfi -i "$small" -i "$out/noise.amr" -c:v mpeg4 -c:a copy -shortest "$out/sound-amr-wb.3gp"
rm "$out/noise.amr"
# A slideshow: a picture every 2 s.
ff -f lavfi -i "testsrc=size=160x120:rate=1/2:duration=6" -f lavfi \
  -i "sine=frequency=440:sample_rate=48000:duration=6" -c:v mpeg4 -c:a aac "$out/slideshow.mkv"
# Sound of a kind nothing reads (its codec's name changed): the conversion must refuse it.
ff -f lavfi -i "$small" -f lavfi -i "$tone" -c:v mpeg4 -c:a pcm_s16le "$out/sound-unknown.mkv"
LC_ALL=C sed -i 's|A_PCM/INT/LIT|A_XYZ/INT/LIT|' "$out/sound-unknown.mkv"
# A picture wider than any decoder should be asked to make.
ff -f lavfi -i "color=size=9000x16:rate=1:duration=1" -c:v rawvideo -pix_fmt yuv420p \
  "$out/picture-too-large.avi"

# Sound alone; a video cut off before its header; a text that claims to be a video.
ff -f lavfi -i "$(sound 44100)" -c:a aac "$out/picture-audio-only.mp4"
head -c 2500 "$out/picture-16x9-red.mp4" >"$out/picture-damaged.mp4"
echo "not a video" >"$out/picture-not-a-video.mp4"
# Subtitles to draw into the picture, over a dark picture so that the lettering stands out.
# Styled ASS whose style names a font attached to the file (an anime episode's way), marked
# default, under Japanese sound; the same without the font; a film with French and English
# tracks, neither marked, the French one at the top; an MP4 the PSP plays with an SRT beside it,
# one with a broken SRT beside it, and one under an odd name.
dark() { echo "color=c=0x101010:size=$1:rate=25:duration=3"; }
long_sound() { echo "sine=frequency=440:sample_rate=48000:duration=3"; }
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf
ass_script() { # FONT ALIGNMENT TEXT
  printf '[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n'
  printf '[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, '
  printf 'OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, '
  printf 'Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n'
  printf 'Style: Default,%s,40,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,1,0,%s,10,10,10,1\n\n' "$1" "$2"
  printf '[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n'
  printf 'Dialogue: 0,0:00:00.50,0:00:02.50,Default,,0,0,0,,%s\n' "$3"
}
mkdir -p "$out/ass"
ass_script "DejaVu Serif" 2 "Wig Ham" >"$out/ass/serif.ass"
ass_script "No Such Font Anywhere" 2 "Wig Ham" >"$out/ass/missing-font.ass"
ass_script "DejaVu Serif" 8 "Haut" >"$out/ass/top.ass"
ff -f lavfi -i "$(dark 640x360)" -f lavfi -i "$(long_sound)" -i "$out/ass/serif.ass" \
  -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -c:s ass -metadata:s:a language=jpn \
  -metadata:s:s language=eng -disposition:s:0 default -attach "$serif" \
  -metadata:s:t mimetype=font/ttf -t 3 "$out/subs-default-ass.mkv"
ff -f lavfi -i "$(dark 640x360)" -f lavfi -i "$(long_sound)" -i "$out/ass/serif.ass" \
  -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -c:s ass -disposition:s:0 default -t 3 \
  "$out/subs-no-attached-font.mkv"
ff -f lavfi -i "$(dark 640x360)" -f lavfi -i "$(long_sound)" -i "$out/ass/missing-font.ass" \
  -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -c:s ass -disposition:s:0 default -t 3 \
  "$out/subs-missing-font.mkv"
ff -f lavfi -i "$(dark 640x360)" -f lavfi -i "$(long_sound)" -i "$out/ass/top.ass" \
  -i "$out/ass/serif.ass" -map 0 -map 1 -map 2 -map 3 -c:v mpeg4 -c:a aac -c:s ass \
  -metadata:s:a language=jpn -metadata:s:s:0 language=fre -metadata:s:s:1 language=eng \
  -disposition:s:0 0 -disposition:s:1 0 -t 3 "$out/subs-foreign.mkv"
printf '1\r\n00:00:00,500 --> 00:00:02,500\r\nWig Ham\r\n' >"$out/subs-beside.srt"
# shellcheck disable=SC2046
ff -f lavfi -i "$(dark 480x272)" -f lavfi -i "$(long_sound)" $(x264 main 3.0) -c:a aac -ac 2 \
  -t 3 "$out/subs-beside.mp4"
cp "$out/subs-beside.mp4" "$out/subs-broken.mp4"
printf '1\r\n00:00:0x,500 --> banana\r\nWig\r\n\r\n\xff\xfe\x00garbage' >"$out/subs-broken.srt"
# Two sounds: the second marked default; then neither marked, the second of a higher rate.
two_sounds() { # NAME DISPOSITION2 [options...]
  local name=$1 second=$2
  shift 2
  ff -f lavfi -i "$(dark 320x180)" -f lavfi -i "$(long_sound)" -f lavfi -i "$(long_sound)" \
    -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -metadata:s:a:0 language=eng \
    -metadata:s:a:1 language=jpn -disposition:a:0 0 -disposition:a:1 "$second" "$@" -t 3 "$out/$name"
}
two_sounds sound-second-default.mkv default
two_sounds sound-none-default.mkv 0 -b:a:0 48k -b:a:1 192k
cp "$out/subs-beside.mp4" "$out/subs-latin.mp4"
printf '1\r\n00:00:00,500 --> 00:00:02,500\r\nCaf\xe9 \x93cr\xe8me\x94\r\n' >"$out/subs-latin.srt"
cp "$out/subs-beside.mp4" "$out/Odd, [name] 'q' Ærø.mp4"
cp "$out/subs-beside.srt" "$out/Odd, [name] 'q' Ærø.en.srt"
rm -r "$out/ass"
touch "$out/made"
