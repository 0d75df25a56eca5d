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
touch "$out/made"
