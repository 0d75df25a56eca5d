#!/usr/bin/env bash
# Builds the release and packs it for people to download:
#   Brevlo-<version>-win64.zip    Brevlo.exe, DefaultPreview.THM and README.txt
#   Brevlo-<version>-setup.exe    the per-user installer
#   SHA256SUMS                    of both
# Usage: tools/package.sh [--out DIR] [--build DIR]
#   --out    where the three files go (default dist/)
#   --build  the Release build folder (default build/release)
# The version is the project's (CMakeLists.txt). The same commit packs to the same bytes: file
# times are the commit's (or SOURCE_DATE_EPOCH's), the zip holds them in a fixed order.
set -euo pipefail
BREVLO_LOG_NAME=package
source "$(dirname "$0")/lib/common.sh"

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
cat "$brevlo_top/tools/installer/README.txt" "$brevlo_top/tools/installer/LICENSE.txt" |
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
rm -f "$zip" "$setup" "$out/SHA256SUMS"

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

(cd "$out" && sha256sum "$(basename "$zip")" "$(basename "$setup")" >SHA256SUMS)
brevlo_log "packed $name into $out:"
(cd "$out" && ls -l "$(basename "$zip")" "$(basename "$setup")" SHA256SUMS) >&2
