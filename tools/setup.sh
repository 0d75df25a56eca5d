#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine, then builds
# libjpeg-turbo and FFmpeg's libraries for the Windows side from Debian's own source packages.
# Safe to run again: each step is skipped when its result is already there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVLO_BUILD:-$top/build}
mkdir -p "$build"

packages=(g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth x11-utils imagemagick
  libx11-dev xdotool nasm libjpeg62-turbo-dev googletest libgtest-dev cmake ninja-build dpkg-dev g++
  clang-format ffmpeg nsis fusefat dosfstools zip meson pkgconf
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
  libass-dev fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

src_root=$build/deps/src
# The distribution's source package of NAME, downloaded once into src_root (kept there: the
# release's LGPL archive carries FFmpeg's exactly as built).
fetch_source() {
  local name=$1
  mkdir -p "$src_root"
  ls "$src_root/${name}"_*.orig.tar.* >/dev/null 2>&1 && return 0
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/brevlo-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  (cd "$src_root" && apt-get source --download-only "$name" >/dev/null 2>&1)
  # A security update's archive may serve its patches without the original tarball, which the
  # release it updates carries.
  local version
  for version in $(apt-cache showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p'); do
    ls "$src_root/${name}"_*.orig.tar.* >/dev/null 2>&1 && break
    (cd "$src_root" && apt-get source --download-only --tar-only "$name=$version" >/dev/null 2>&1)
  done
  ls "$src_root/${name}"_*.orig.tar.* >/dev/null 2>&1
}

# libjpeg-turbo, static, cross-built for Windows from the distribution's source package.
jpeg_prefix=$build/deps/libjpeg-turbo-mingw
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  fetch_source libjpeg-turbo
  tarball=$(ls "$src_root"/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$src_root/unpacked" && mkdir -p "$src_root/unpacked"
  tar -xzf "$tarball" -C "$src_root/unpacked"
  jsrc=$(ls -d "$src_root"/unpacked/*/ | head -n 1)
  cmake -S "$jsrc" -B "$build/deps/libjpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DWITH_JPEG8=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$build/deps/libjpeg-build" --target install >/dev/null
fi

# FFmpeg's libraries, static, LGPL, with only what the program reads and writes, and the
# libraries it is linked with: OpenH264 for its H.264 encoder, dav1d for AV1, libass with
# FreeType, FriBidi and HarfBuzz for subtitles.
for name in ffmpeg openh264 dav1d fribidi freetype harfbuzz libass; do
  fetch_source "$name" || { echo "setup: the source package $name could not be fetched" >&2; exit 1; }
done
source "$top/tools/lib/ffmpeg-build.sh"
brevlo_build_ffmpeg "$build/deps"
echo "setup: ready"
