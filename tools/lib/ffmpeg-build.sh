# FFmpeg's libraries for the Windows build and the libraries it is linked with, each from the
# distribution's source package, static. Sourced by tools/setup.sh (which builds them) and
# tools/package.sh (which ships what the LGPL asks for). Defines functions and variables only.
#
# DEPS/media-mingw: OpenH264 (BSD), dav1d (BSD), FriBidi (LGPL), FreeType (FTL), HarfBuzz (MIT),
# libass (ISC); DEPS/ffmpeg-mingw: FFmpeg (LGPL 2.1 or later).

# What the program reads: the containers people have and their usual video and sound, the
# subtitles it draws, and the raw-stream demuxers the program-stream demuxer identifies its
# streams through.
brevlo_ffmpeg_decoders=(h264 hevc mpeg4 h263 h263p flv mpeg1video mpeg2video msmpeg4v1 msmpeg4v2
  msmpeg4v3 wmv1 wmv2 wmv3 vc1 vp6 vp6a vp6f vp8 vp9 libdav1d theora vp3 dvvideo prores cinepak
  indeo2 indeo3 indeo4 indeo5 msvideo1 huffyuv ffvhuff mjpeg mjpegb rawvideo svq1 svq3 rv10 rv20
  rv30 rv40
  aac aac_latm mp3 mp3float mp2 mp2float mp1 ac3 eac3 opus vorbis wmav1 wmav2 wmapro
  wmalossless wmavoice flac dca truehd mlp alac amrnb amrwb cook ra_144 ra_288 atrac3 dvaudio
  pcm_s16le pcm_s16be pcm_s16le_planar pcm_s24le pcm_s24be pcm_s32le pcm_s32be pcm_u8 pcm_s8
  pcm_f32le pcm_f32be pcm_f64le pcm_alaw pcm_mulaw pcm_dvd pcm_bluray adpcm_ima_wav adpcm_ima_qt
  adpcm_ms adpcm_g726 adpcm_g722 adpcm_yamaha adpcm_swf adpcm_ima_dk4
  ass ssa srt subrip webvtt movtext text pgssub dvdsub dvbsub)
brevlo_ffmpeg_demuxers=(mov matroska avi asf flv mpegps mpegts mpegvideo m4v h264 hevc aac ac3
  eac3 mp3 ogg dv flac dts truehd mlp amr wav w64 rm ivf obu
  srt ass webvtt)
brevlo_ffmpeg_parsers=(h264 hevc mpeg4video mpegvideo h263 vc1 vp3 vp8 vp9 av1 mjpeg dvd_nav
  aac aac_latm mpegaudio ac3 opus vorbis flac dca mlp amr cook dvaudio dvbsub dvdsub)
brevlo_ffmpeg_bsfs=(extract_extradata av1_frame_split)
# What the conversion to the PSP writes: MPEG-4 Part 2 and H.264 (OpenH264, BSD) with AAC, in the
# PSP's MP4 variant.
brevlo_ffmpeg_encoders=(mpeg4 libopenh264 aac)
brevlo_ffmpeg_muxers=(psp mp4)
# The picture's way from the decoder to the encoder: deinterlacing, colours, turns, subtitles.
brevlo_ffmpeg_filters=(buffer buffersink abuffer abuffersink format aformat null anull scale pad
  crop transpose hflip vflip bwdif idet colorspace lut3d subtitles ass overlay fps setpts setsar
  settb aresample)

# The configure line, one option a line, as the LGPL archive prints it. FFmpeg is built inside its
# source folder with the default prefix and installed with DESTDIR, so that no place on the
# machine enters the libraries (assertion texts name files, the line itself is kept in them) and
# anyone can build the same bytes in a folder of their own.
brevlo_ffmpeg_options() {
  local list
  printf '%s\n' --target-os=mingw32 --arch=x86_64 --enable-cross-compile \
    --cross-prefix=x86_64-w64-mingw32- --cc=x86_64-w64-mingw32-gcc-posix \
    --cxx=x86_64-w64-mingw32-g++-posix --enable-static --disable-shared --disable-programs \
    --disable-doc --disable-debug --disable-network --disable-avdevice --disable-postproc \
    --disable-autodetect --enable-w32threads --disable-everything --enable-protocol=file \
    --enable-swscale --enable-swresample --enable-avfilter --enable-libopenh264 \
    --enable-libdav1d --enable-libass --pkg-config=pkg-config --pkg-config-flags=--static
  local kind
  for kind in decoder demuxer parser bsf encoder muxer filter; do
    local -n names=brevlo_ffmpeg_${kind}s
    list=$(IFS=,; echo "${names[*]}")
    echo "--enable-$kind=$list"
  done
}

# The Meson cross file of the libraries built with Meson (the LGPL archive carries it for FriBidi).
brevlo_meson_cross() {
  cat <<'CROSS'
[binaries]
c = 'x86_64-w64-mingw32-gcc-posix'
cpp = 'x86_64-w64-mingw32-g++-posix'
ar = 'x86_64-w64-mingw32-ar'
strip = 'x86_64-w64-mingw32-strip'
windres = 'x86_64-w64-mingw32-windres'
nasm = 'nasm'
pkgconfig = 'pkg-config'

[built-in options]
default_library = 'static'
buildtype = 'release'
libdir = 'lib'
wrap_mode = 'nofallback'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
}

# Each Meson-built library's options, beside the cross file's.
brevlo_fribidi_options=(-Ddocs=false)
brevlo_freetype_options=(-Dharfbuzz=disabled -Dbrotli=disabled -Dbzip2=disabled -Dpng=disabled
  -Dzlib=internal -Dmmap=disabled -Dtests=disabled)
brevlo_harfbuzz_options=(-Dfreetype=enabled -Dglib=disabled -Dgobject=disabled -Dcairo=disabled
  -Dchafa=disabled -Dicu=disabled -Dgraphite2=disabled -Dgdi=disabled -Ddirectwrite=disabled
  -Dtests=disabled -Dintrospection=disabled -Ddocs=disabled -Dbenchmark=disabled)
brevlo_dav1d_options=(-Denable_tools=false -Denable_tests=false -Denable_examples=false
  -Denable_docs=false)
brevlo_libass_options=(--host=x86_64-w64-mingw32 --enable-static --disable-shared
  --enable-directwrite --disable-fontconfig --disable-libunibreak --disable-coretext
  --enable-asm)

# Unpacks the source package NAME with the distribution's patches into DEPS/NAME-source (again
# only when the tarball is newer) and prints that folder.
brevlo_unpack_source() {
  local deps=$1 name=$2 tarball debian src patch part
  tarball=$(ls "$deps/src/${name}"_*.orig.tar.* | grep -v '\.asc$' | head -n 1)
  debian=$(ls "$deps/src/${name}"_*.debian.tar.* | sort -V | tail -n 1)
  src=$deps/$name-source
  if [ ! -f "$src/.unpacked" ] || [ "$tarball" -nt "$src/.unpacked" ] ||
    [ "$debian" -nt "$src/.unpacked" ]; then
    rm -rf "$src" && mkdir -p "$src"
    tar -xaf "$tarball" -C "$src" --strip-components=1
    # Further parts of the original source (NAME_V.orig-PART.tar.*) go to folders of their name.
    for part in $(ls "$deps/src/${name}"_*.orig-*.tar.* 2>/dev/null | grep -v '\.asc$'); do
      part=${part##*.orig-}
      mkdir -p "$src/${part%%.tar.*}"
      tar -xaf "$deps/src/${name}"_*.orig-"$part" -C "$src/${part%%.tar.*}" --strip-components=1
    done
    tar -xaf "$debian" -C "$src"
    if [ -f "$src/debian/patches/series" ]; then
      while read -r patch; do
        case $patch in '' | '#'*) continue ;; esac
        patch -d "$src" -p1 -s -N <"$src/debian/patches/${patch%% *}" >&2 || return 1
      done <"$src/debian/patches/series"
    fi
    touch "$src/.unpacked"
  fi
  echo "$src"
}

# True when NAME was installed into PREFIX from the same tarballs with the same options.
brevlo_built() {
  local prefix=$1 name=$2 stamp=$3
  [ "$(cat "$prefix/stamps/$name" 2>/dev/null)" = "$stamp" ]
}
brevlo_stamp() {
  local deps=$1 name=$2
  shift 2
  (cd "$deps/src" && ls "${name}"_*.orig.tar.* "${name}"_*.debian.tar.* | grep -v '\.asc$')
  printf '%s\n' "$@"
}
brevlo_step_log() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    echo "setup: failed (see $log)" >&2
    return 1
  }
}

# A Meson-built library, static, into PREFIX.
brevlo_build_meson() {
  local deps=$1 name=$2 prefix=$1/media-mingw src stamp
  shift 2
  stamp=$(brevlo_stamp "$deps" "$name" "$@")
  brevlo_built "$prefix" "$name" "$stamp" && return 0
  src=$(brevlo_unpack_source "$deps" "$name") || return 1
  brevlo_meson_cross >"$deps/mingw-cross.txt"
  rm -rf "$src/build-mingw" "$src/build.log"
  # Relative paths inside the source keep the build folder's place out of the library.
  (cd "$src" && brevlo_step_log build.log meson setup build-mingw --cross-file "$deps/mingw-cross.txt" \
    --prefix="$prefix" "$@" &&
    brevlo_step_log build.log ninja -C build-mingw install) || return 1
  mkdir -p "$prefix/stamps" && echo "$stamp" >"$prefix/stamps/$name"
}

# OpenH264, cross-built with its own makefile.
brevlo_build_openh264() {
  local deps=$1 prefix=$1/media-mingw src stamp
  stamp=$(brevlo_stamp "$deps" openh264 OS=mingw_nt ARCH=x86_64)
  brevlo_built "$prefix" openh264 "$stamp" && return 0
  src=$(brevlo_unpack_source "$deps" openh264) || return 1
  (cd "$src" && brevlo_step_log make.log make -j"$(nproc)" OS=mingw_nt ARCH=x86_64 \
    CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix AR=x86_64-w64-mingw32-ar \
    PREFIX="$prefix" install-static) || return 1
  mkdir -p "$prefix/stamps" && echo "$stamp" >"$prefix/stamps/openh264"
}

# libass, by its own configure script.
brevlo_build_libass() {
  local deps=$1 prefix=$1/media-mingw src stamp
  stamp=$(brevlo_stamp "$deps" libass "${brevlo_libass_options[@]}")
  brevlo_built "$prefix" libass "$stamp" && return 0
  src=$(brevlo_unpack_source "$deps" libass) || return 1
  (cd "$src" && rm -f build.log &&
    brevlo_step_log build.log ./configure --prefix="$prefix" "${brevlo_libass_options[@]}" \
      CC=x86_64-w64-mingw32-gcc-posix CFLAGS="-O2 -ffile-prefix-map=$src/=libass/" &&
    brevlo_step_log build.log make -j"$(nproc)" install) || return 1
  mkdir -p "$prefix/stamps" && echo "$stamp" >"$prefix/stamps/libass"
}

# The libraries FFmpeg is linked with, in the order they need each other.
brevlo_build_media_libs() {
  local deps=$1
  # Only the cross-built libraries, never the machine's own .pc files.
  export PKG_CONFIG_LIBDIR=$deps/media-mingw/lib/pkgconfig PKG_CONFIG_PATH=
  brevlo_build_openh264 "$deps" &&
    brevlo_build_meson "$deps" dav1d "${brevlo_dav1d_options[@]}" &&
    brevlo_build_meson "$deps" fribidi "${brevlo_fribidi_options[@]}" &&
    brevlo_build_meson "$deps" freetype "${brevlo_freetype_options[@]}" &&
    brevlo_build_meson "$deps" harfbuzz "${brevlo_harfbuzz_options[@]}" &&
    brevlo_build_libass "$deps" || return 1
  # Each .pc file finds its library beside itself, wherever the prefix is copied (the LGPL
  # archive carries it).
  sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$deps"/media-mingw/lib/pkgconfig/*.pc
}

# Builds FFmpeg's static libraries and installs them into DEPS/ffmpeg-mingw; skipped when the
# installed ones were built with the same configure line.
brevlo_build_ffmpeg() {
  local deps=$1 prefix=$1/ffmpeg-mingw src stamp
  stamp=$(brevlo_ffmpeg_options)
  brevlo_build_media_libs "$deps" || return 1
  if [ -f "$prefix/lib/libavcodec.a" ] && [ "$(cat "$prefix/configure-line.txt" 2>/dev/null)" = "$stamp" ]; then
    return 0
  fi
  # A source folder of its own, fresh: the build happens inside it.
  rm -f "$deps/ffmpeg-source/.unpacked"
  src=$(brevlo_unpack_source "$deps" ffmpeg) || return 1
  rm -rf "$prefix" "$deps/ffmpeg-stage"
  local options
  mapfile -t options < <(brevlo_ffmpeg_options)
  (cd "$src" && ./configure "${options[@]}" >configure.log 2>&1) || {
    echo "setup: FFmpeg's configure failed (see $src/configure.log)" >&2
    return 1
  }
  if ! grep -q '^License: LGPL version 2.1 or later' "$src/configure.log"; then
    echo "setup: FFmpeg is not configured LGPL 2.1 or later; the program must stay LGPL" >&2
    return 1
  fi
  make -C "$src" -j"$(nproc)" >"$src/make.log" 2>&1 &&
    make -C "$src" install DESTDIR="$deps/ffmpeg-stage" >>"$src/make.log" 2>&1 || {
    tail -n 30 "$src/make.log" >&2
    return 1
  }
  mv "$deps/ffmpeg-stage/usr/local" "$prefix" && rm -rf "$deps/ffmpeg-stage"
  echo "$stamp" >"$prefix/configure-line.txt"
}
