#!/usr/bin/env bash
# Makes the small real videos that the tests, the fuzzer and the benchmarks read the details
# of: one second each, of the kinds a PSP owner meets. Made again only when this script changes.
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
touch "$out/made"
