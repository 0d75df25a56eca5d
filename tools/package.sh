#!/usr/bin/env bash
# Builds the release and packs it for people to download:
#   Brevlo-<version>-win64.zip    Brevlo.exe, DefaultPreview.THM and README.txt
#   Brevlo-<version>-setup.exe    the per-user installer
#   Brevlo-<version>-lgpl.zip     FFmpeg's and FriBidi's sources as built, the other libraries,
#                                 and the program's objects with the link command, so that anyone
#                                 can relink it with a changed FFmpeg or FriBidi
#   SHA256SUMS                    of the three
# Usage: tools/package.sh [--out DIR] [--build DIR]
#   --out    where the three files go (default dist/)
#   --build  the Release build folder (default build/release)
# The version is the project's (CMakeLists.txt). The same commit packs to the same bytes: file
# times are the commit's (or SOURCE_DATE_EPOCH's), the zip holds them in a fixed order.
set -euo pipefail
BREVLO_LOG_NAME=package
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/ffmpeg-build.sh"

out=$brevlo_top/dist
build=$brevlo_build/release
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(realpath -m "$2") && shift 2 ;;
    --build) build=$(realpath -m "$2") && shift 2 ;;
    *) brevlo_die "unknown argument $1 (usage: tools/package.sh [--out DIR] [--build DIR])" ;;
  esac
done

brevlo_setup >/dev/null || brevlo_die "set-up failed"
brevlo_log "building Brevlo.exe in $build"
brevlo_build_win_in "$build" Brevlo >"$build.log" 2>&1 || {
  tail -n 40 "$build.log" >&2
  brevlo_die "the release build failed (see $build.log)"
}

header=$build/generated/BrevloVersion.h
version=$(sed -nE 's/^#define BREVLO_VERSION "(.*)"$/\1/p' "$header")
quad=$(awk '/^#define BREVLO_VERSION_(MAJOR|MINOR|PATCH) / { v = v $3 "." } END { print v "0" }' "$header")
[[ $version =~ ^[0-9]+(\.[0-9]+){1,2}$ && $quad =~ ^([0-9]+\.){3}0$ ]] ||
  brevlo_die "no version in $header"

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$brevlo_top" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || epoch=$(stat -c %Y "$brevlo_top/CMakeLists.txt")
export SOURCE_DATE_EPOCH=$epoch

# The staged files as people get them: Windows line ends, the commit's time, no owner's modes.
stage=$build/package
rm -rf "$stage"
mkdir -p "$stage" "$out"
cp "$build/Brevlo.exe" "$brevlo_top/res/art/DefaultPreview.THM" "$stage/"
# The libraries' own notices, taken from the very sources the program is built from.
deps=$brevlo_build/deps
ffmpeg_src=$deps/ffmpeg-source
jpeg_tar=$(ls "$deps"/src/libjpeg-turbo_*.orig.tar.gz | head -n 1)
# The licence text a source package carries at PATH (a pattern inside its top folder).
notice_of() {
  local tarball
  tarball=$(ls "$deps/src/$1"_*.orig.tar.* | grep -v '\.asc$' | grep -v '\.orig-' | head -n 1)
  tar -xaOf "$tarball" --wildcards "*/$2"
}
section() { printf '\n\n%s\n%s\n\n' "$1" "$(printf '%s' "$1" | tr -c '\n' -)"; }
notices=$build/notices.txt
{
  section libjpeg-turbo
  echo "This software is based in part on the work of the Independent JPEG Group."
  echo
  tar -xzOf "$jpeg_tar" --wildcards '*/LICENSE.md'
  section OpenH264
  notice_of openh264 LICENSE
  section dav1d
  notice_of dav1d COPYING
  section FreeType
  echo "Portions of this software are copyright (C) 2022 The FreeType Project"
  echo "(www.freetype.org). All rights reserved. FreeType is used under the FreeType License:"
  echo
  notice_of freetype docs/FTL.TXT
  section HarfBuzz
  notice_of harfbuzz COPYING
  section libass
  notice_of libass COPYING
  section FriBidi
  echo "GNU FriBidi is free software under the GNU Lesser General Public License, version 2.1"
  echo "or later (the licence's text follows FFmpeg's notice below); Brevlo-@VERSION@-lgpl.zip"
  echo "holds its source."
  section FFmpeg
  cat "$ffmpeg_src/LICENSE.md"
  printf '\n\nGNU Lesser General Public License, version 2.1\n\n'
  cat "$ffmpeg_src/COPYING.LGPLv2.1"
} >"$notices" || brevlo_die "the libraries' notices could not be read"
cat "$brevlo_top/tools/installer/README.txt" "$brevlo_top/tools/installer/LICENSE.txt" "$notices" |
  sed "s/@VERSION@/$version/g; s/\$/\r/" >"$stage/README.txt"
sed 's/$/\r/' "$brevlo_top/tools/installer/LICENSE.txt" >"$build/LICENSE.txt"
chmod 0644 "$stage"/*
touch -d "@$epoch" "$stage"/* "$build/LICENSE.txt"

# The installer's welcome and finish pages show the program's logo.
convert -size 164x314 gradient:'#ffffff'-'#b9cde8' "$brevlo_top/res/art/Logo.bmp" \
  -gravity north -geometry +0+24 -composite "BMP3:$build/InstallerSide.bmp" ||
  brevlo_die "the installer's picture could not be made"
# The installer carries it as a file, with its time.
touch -d "@$epoch" "$build/InstallerSide.bmp"

name=Brevlo-$version
zip=$out/$name-win64.zip
setup=$out/$name-setup.exe
lgpl=$out/$name-lgpl.zip
rm -f "$zip" "$setup" "$lgpl" "$out/SHA256SUMS"

# -X: no owner or extra time fields; zip stores local times, so the zone is fixed too.
(cd "$stage" && TZ=UTC zip -X -D -q -9 "$zip" Brevlo.exe DefaultPreview.THM README.txt) ||
  brevlo_die "zip failed"

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_QUAD="$quad" -DSTAGE="$stage" \
  -DLICENSE="$build/LICENSE.txt" -DICON="$brevlo_top/res/art/Brevlo.ico" \
  -DSIDE="$build/InstallerSide.bmp" -DOUTFILE="$setup" \
  "$brevlo_top/tools/installer/Brevlo.nsi" >"$build/makensis.log" 2>&1 || {
  tail -n 40 "$build/makensis.log" >&2
  brevlo_die "makensis failed (see $build/makensis.log)"
}

# What the LGPL asks for a program linked with FFmpeg and FriBidi: their sources exactly as built
# with the lines they were built with, the other libraries as built (headers, static libraries,
# pkg-config files), and the program's own objects with the command that links them, taken from
# the build itself. Its read-me's commands, run in order in an empty folder, give the released
# program again.
lgpl_stage=$build/lgpl
rm -rf "$lgpl_stage"
mkdir -p "$lgpl_stage/ffmpeg" "$lgpl_stage/fribidi" "$lgpl_stage/libs" "$lgpl_stage/objects"
for name in ffmpeg fribidi; do
  cp $(ls "$deps/src/${name}"_*.orig.tar.* | grep -v '\.asc$') \
    $(ls "$deps/src/${name}"_*.debian.tar.* | sort -V | tail -n 1) \
    $(ls "$deps/src/${name}"_*.dsc | sort -V | tail -n 1) "$lgpl_stage/$name/"
done
cp "$brevlo_ffmpeg_prefix/configure-line.txt" "$lgpl_stage/ffmpeg/"
printf '%s\n' "${brevlo_fribidi_options[@]}" >"$lgpl_stage/fribidi/meson-options.txt"
brevlo_meson_cross >"$lgpl_stage/fribidi/mingw-cross.txt"
# FriBidi is built by whoever relinks; everything else of the prefix goes as built.
(cd "$brevlo_media_prefix" && find include lib -type f ! -path '*fribidi*' ! -name '*.la' |
  LC_ALL=C sort | while read -r f; do
    mkdir -p "$lgpl_stage/libs/$(dirname "$f")" && cp "$f" "$lgpl_stage/libs/$f"
  done)
cp "$build/CMakeFiles/Brevlo.dir/src/app/win32/main.cpp.obj" \
  "$build/CMakeFiles/Brevlo.dir/res/Brevlo.rc.res" "$build/libbrevlo_win.a" \
  "$build/libbrevlo_core.a" "$brevlo_jpeg_prefix/lib/libjpeg.a" "$lgpl_stage/objects/"
# The last command of the target is the link, followed by the copy of the default thumbnail.
link=$(cd "$build" && ninja -t commands Brevlo | tail -n 1 | sed 's/^: && //; s/ && cd .*$//; s/ && :$//')
link=$(sed -E "s#^[^ ]*x86_64-w64-mingw32-g\+\+-posix#\"\${CXX:-x86_64-w64-mingw32-g++-posix}\"#;
  s#CMakeFiles/Brevlo.dir/src/app/win32/main.cpp.obj#objects/main.cpp.obj#;
  s#CMakeFiles/Brevlo.dir/res/Brevlo.rc.res#objects/Brevlo.rc.res#;
  s#(^| )(libbrevlo_[a-z]*\.a)#\1objects/\2#g;
  s#$brevlo_jpeg_prefix/lib/#objects/#;
  s#$brevlo_media_prefix/lib/#libs/lib/#g; s#$brevlo_ffmpeg_prefix/lib/#libs/lib/#g;
  s#-o Brevlo.exe#-o \"\$out\"#; s# -Wl,--out-implib,[^ ]*##" <<<"$link")
case $link in *"$brevlo_build"* | *CMakeFiles*) brevlo_die "the link command names build folders: $link" ;; esac
{
  echo '#!/bin/sh'
  echo '# Links Brevlo.exe again from objects/ and the static libraries installed in libs/:'
  echo '#   sh relink.sh [OUTPUT.exe]'
  echo 'set -e'
  echo 'out=$(realpath -m "${1:-Brevlo.exe}")'
  echo 'cd "$(dirname "$0")"'
  echo 'mkdir -p "$(dirname "$out")"'
  echo "$link"
} >"$lgpl_stage/relink.sh"
sed "s/@VERSION@/$version/g" "$brevlo_top/tools/installer/LGPL.txt" >"$lgpl_stage/README.txt"
find "$lgpl_stage" -type f -exec chmod 0644 {} + -exec touch -d "@$epoch" {} +
(cd "$lgpl_stage" && TZ=UTC zip -X -D -q -9 "$lgpl" README.txt relink.sh \
  $(find ffmpeg fribidi libs objects -type f | LC_ALL=C sort)) ||
  brevlo_die "zip of the LGPL archive failed"

(cd "$out" && sha256sum "$(basename "$zip")" "$(basename "$setup")" "$(basename "$lgpl")" >SHA256SUMS)
brevlo_log "packed $name into $out:"
(cd "$out" && ls -l "$(basename "$zip")" "$(basename "$setup")" "$(basename "$lgpl")" SHA256SUMS) >&2
