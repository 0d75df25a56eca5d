# shellcheck shell=bash
# The demo of tools/run.sh --demo: real short videos made by the machine's ffmpeg, each of its
# own look so that the pictures in the lists tell them apart.
#   demo_make DIR      DIR/psp (MP_ROOT with both kinds) and DIR/pc (a PC folder)

demo_ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

# A sound of its own pitch, as long as the pictures.
demo_sound() { echo "sine=frequency=$1:sample_rate=48000:duration=4"; }

# A 160 x 120 JPEG of the video's second second, as the PSP's own thumbnails are.
demo_thumb() {
  demo_ff -ss 1 -i "$1" -frames:v 1 -vf scale=160:120 -pix_fmt yuvj420p -q:v 3 -f mjpeg "$2"
}

# What the PSP plays as it is: H.264 Main 3.0 or MPEG-4 Simple Profile, 480 x 272, AAC.
demo_psp_ready() { # OUT SOURCE PITCH avc|mpeg4
  local codec
  if [ "$4" = avc ]; then
    codec=(-c:v libx264 -preset veryfast -profile:v main -level 3.0 -pix_fmt yuv420p)
  else
    codec=(-c:v mpeg4 -b:v 600k -maxrate 768k -bufsize 640k)
  fi
  demo_ff -f lavfi -i "$2,scale=480:272,setsar=1,format=yuv420p" -f lavfi -i "$(demo_sound "$3")" \
    -t 4 "${codec[@]}" -c:a aac -ac 2 -b:a 96k -f psp "$1"
}

demo_make() {
  local dir=$1 psp=$1/psp pc=$1/pc m4v maq
  command -v ffmpeg >/dev/null || brevlo_die "ffmpeg is missing (tools/setup.sh installs it)"
  m4v=$psp/MP_ROOT/100MNV01
  maq=$psp/MP_ROOT/101ANV01
  mkdir -p "$m4v" "$maq" "$pc"
  # On the PSP: both kinds, some with their own thumbnails and some without.
  demo_psp_ready "$m4v/M4V00001.MP4" "testsrc2=size=480x272:rate=25" 330 mpeg4
  demo_thumb "$m4v/M4V00001.MP4" "$m4v/M4V00001.THM"
  demo_psp_ready "$m4v/M4V00002.MP4" "smptehdbars=size=480x272:rate=25" 392 mpeg4
  demo_psp_ready "$maq/MAQ00001.MP4" "mandelbrot=size=480x272:rate=25" 440 avc
  demo_thumb "$maq/MAQ00001.MP4" "$maq/MAQ00001.THM"
  demo_psp_ready "$maq/MAQ00003.MP4" "gradients=size=480x272:rate=25:c0=0x2060ff:c1=0xffd040:n=2:speed=0.03" 494 avc
  # On the PC: ready for the PSP, with and without a thumbnail; then two that are converted.
  demo_psp_ready "$pc/Harbour at dusk.mp4" "gradients=size=480x272:rate=25:c0=0xff5020:c1=0x102060:n=2:speed=0.02" 523 avc
  demo_thumb "$pc/Harbour at dusk.mp4" "$pc/Harbour at dusk.THM"
  demo_psp_ready "$pc/Skate park.mp4" "testsrc=size=480x272:rate=25" 587 mpeg4
  # 16:9 H.264 High in Matroska, with subtitles.
  printf '1\n00:00:00,000 --> 00:00:04,000\nThe mountain road at noon\n' >"$dir/road.srt"
  demo_ff -f lavfi -i "sierpinski=size=1280x720:rate=30" -f lavfi -i "$(demo_sound 659)" \
    -i "$dir/road.srt" -t 4 -c:v libx264 -preset veryfast -profile:v high -pix_fmt yuv420p \
    -c:a aac -ac 2 -c:s srt -metadata:s:s:0 language=eng "$pc/Mountain road.mkv"
  rm -f "$dir/road.srt"
  # A 4:3 phone clip of old: MPEG-4 in AVI with MP3 sound.
  demo_ff -f lavfi -i "rgbtestsrc=size=640x480:rate=30" -f lavfi -i "$(demo_sound 740)" -t 4 \
    -c:v mpeg4 -vtag XVID -q:v 5 -c:a libmp3lame -ac 1 "$pc/Phone clip.avi"
}
