# FFmpeg's libraries for the Windows build, from the distribution's source package. Sourced by
# tools/setup.sh (which builds them) and tools/package.sh (which ships the source and the
# configure line in the LGPL archive). Defines functions and variables only.

# What the program reads: the containers people have and their usual video and sound. The
# program-stream demuxer identifies its streams through the raw-stream demuxers, hence those.
brevlo_ffmpeg_decoders=(h264 hevc mpeg4 h263 flv mpeg1video mpeg2video msmpeg4v1 msmpeg4v2
  msmpeg4v3 wmv1 wmv2 wmv3 vc1 vp8 vp9 mjpeg aac aac_latm mp3 mp3float mp2 mp2float ac3 eac3 opus
  vorbis wmav1 wmav2 pcm_s16le pcm_s16be pcm_s24le pcm_u8 pcm_f32le pcm_alaw pcm_mulaw)
brevlo_ffmpeg_demuxers=(mov matroska avi asf flv mpegps mpegts mpegvideo m4v h264 hevc aac ac3
  eac3 mp3)
brevlo_ffmpeg_parsers=(h264 hevc mpeg4video mpegvideo h263 vc1 vp8 vp9 mjpeg aac aac_latm
  mpegaudio ac3 opus vorbis)
# What the conversion to the PSP writes: MPEG-4 Part 2 and H.264 (OpenH264, BSD) with AAC, in the
# PSP's MP4 variant.
brevlo_ffmpeg_encoders=(mpeg4 libopenh264 aac)
brevlo_ffmpeg_muxers=(psp mp4)

# The configure line, less the install prefix and the compilers' file-name map; the LGPL archive
# prints it as it stands. LGPL 2.1 or later: never the options that make it GPL or non-free.
brevlo_ffmpeg_options() {
  local list
  printf '%s\n' --target-os=mingw32 --arch=x86_64 --enable-cross-compile \
    --cross-prefix=x86_64-w64-mingw32- --cc=x86_64-w64-mingw32-gcc-posix \
    --cxx=x86_64-w64-mingw32-g++-posix --enable-static --disable-shared --disable-programs \
    --disable-doc --disable-debug --disable-network --disable-avdevice --disable-avfilter \
    --disable-postproc --disable-autodetect --enable-w32threads --disable-everything \
    --enable-protocol=file --enable-swscale --enable-swresample --enable-libopenh264 \
    --pkg-config=pkg-config --pkg-config-flags=--static
  list=$(IFS=,; echo "${brevlo_ffmpeg_decoders[*]}")
  echo "--enable-decoder=$list"
  list=$(IFS=,; echo "${brevlo_ffmpeg_demuxers[*]}")
  echo "--enable-demuxer=$list"
  list=$(IFS=,; echo "${brevlo_ffmpeg_parsers[*]}")
  echo "--enable-parser=$list"
  list=$(IFS=,; echo "${brevlo_ffmpeg_encoders[*]}")
  echo "--enable-encoder=$list"
  list=$(IFS=,; echo "${brevlo_ffmpeg_muxers[*]}")
  echo "--enable-muxer=$list"
}

# OpenH264 (BSD), static, cross-built from the distribution's source package with its patches into
# DEPS/openh264-mingw, where FFmpeg's configure finds it through pkg-config.
brevlo_build_openh264() {
  local deps=$1 prefix=$1/openh264-mingw src
  [ -f "$prefix/lib/libopenh264.a" ] && return 0
  src=$(brevlo_unpack_source "$deps" openh264)
  make -C "$src" -j"$(nproc)" OS=mingw_nt ARCH=x86_64 CC=x86_64-w64-mingw32-gcc-posix \
    CXX=x86_64-w64-mingw32-g++-posix AR=x86_64-w64-mingw32-ar PREFIX="$prefix" \
    install-static >"$src/make.log" 2>&1 || {
    tail -n 30 "$src/make.log" >&2
    return 1
  }
}

# Unpacks the source package NAME with the distribution's patches into DEPS/NAME-source (again
# only when the tarball is newer) and prints that folder.
brevlo_unpack_source() {
  local deps=$1 name=$2 tarball debian src patch
  tarball=$(ls "$deps/src/${name}"_*.orig.tar.xz | head -n 1)
  debian=$(ls "$deps/src/${name}"_*.debian.tar.xz | head -n 1)
  src=$deps/$name-source
  if [ ! -f "$src/.unpacked" ] || [ "$tarball" -nt "$src/.unpacked" ]; then
    rm -rf "$src" && mkdir -p "$src"
    tar -xJf "$tarball" -C "$src" --strip-components=1
    tar -xJf "$debian" -C "$src"
    while read -r patch; do
      case $patch in '' | '#'*) continue ;; esac
      patch -d "$src" -p1 -s <"$src/debian/patches/$patch"
    done <"$src/debian/patches/series"
    touch "$src/.unpacked"
  fi
  echo "$src"
}

# Builds and installs the static libraries into DEPS/ffmpeg-mingw; skipped when the installed
# ones were built with the same configure line.
brevlo_build_ffmpeg() {
  local deps=$1 prefix=$1/ffmpeg-mingw src stamp
  stamp=$(brevlo_ffmpeg_options)
  brevlo_build_openh264 "$deps" || return 1
  # Only the cross-built libraries, never the machine's own .pc files.
  export PKG_CONFIG_LIBDIR=$deps/openh264-mingw/lib/pkgconfig PKG_CONFIG_PATH=
  if [ -f "$prefix/lib/libavcodec.a" ] && [ "$(cat "$prefix/configure-line.txt" 2>/dev/null)" = "$stamp" ]; then
    return 0
  fi
  src=$(brevlo_unpack_source "$deps" ffmpeg)
  rm -rf "$deps/ffmpeg-build" "$prefix"
  mkdir -p "$deps/ffmpeg-build"
  local options
  mapfile -t options < <(brevlo_ffmpeg_options)
  # The source's place on this machine stays out of the libraries (assertion texts name files).
  (cd "$deps/ffmpeg-build" &&
    "$src/configure" --prefix="$prefix" "${options[@]}" \
      --extra-cflags="-ffile-prefix-map=$src/=ffmpeg/" >configure.log 2>&1) || {
    echo "setup: FFmpeg's configure failed (see $deps/ffmpeg-build/configure.log)" >&2
    return 1
  }
  if ! grep -q '^License: LGPL version 2.1 or later' "$deps/ffmpeg-build/configure.log"; then
    echo "setup: FFmpeg is not configured LGPL 2.1 or later; the program must stay LGPL" >&2
    return 1
  fi
  make -C "$deps/ffmpeg-build" -j"$(nproc)" install >"$deps/ffmpeg-build/make.log" 2>&1 || {
    tail -n 30 "$deps/ffmpeg-build/make.log" >&2
    return 1
  }
  echo "$stamp" >"$prefix/configure-line.txt"
}
