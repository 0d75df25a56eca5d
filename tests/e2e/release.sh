#!/usr/bin/env bash
# timeout: 2400 (the first packing builds the program from scratch; the LGPL steps build FFmpeg)
# The release as people get it: packed twice to the same bytes; in a fresh prefix installed
# silently, started on the Videos folder, updated and removed; refused while the program runs
# and in a folder of the user's videos (silently and on its page); installed over the zip's
# program in that folder and removed again; the zip's program started from a new folder.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/e2e.sh"

brevlo_wine_env "$brevlo_build/wineprefix-release"
wineserver -k >/dev/null 2>&1
rm -rf "$WINEPREFIX"
e2e_begin release

# Packing ---------------------------------------------------------------------------------------
pack() {
  "$brevlo_top/tools/package.sh" --out "$e2e_dir/$1" >"$e2e_dir/$1.log" 2>&1 ||
    e2e_fail "tools/package.sh failed: $(tail -n 5 "$e2e_dir/$1.log")"
}
pack dist
release=$brevlo_build/release
# Linked and packed again, later: only the commit may decide the bytes.
rm -f "$release/Brevlo.exe"
sleep 2
pack again
for f in "$e2e_dir"/dist/*; do
  cmp "$f" "$e2e_dir/again/${f##*/}" || e2e_fail "${f##*/} differs when packed again"
done
(cd "$e2e_dir/dist" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "SHA256SUMS does not match"
# A Release build in another folder gives the same program.
brevlo_build_win_in "$brevlo_win_dir" Brevlo >"$e2e_dir/build-win.log" 2>&1 &&
  cmp "$release/Brevlo.exe" "$brevlo_win_dir/Brevlo.exe" || e2e_fail "build/win's Brevlo.exe differs"

version=$(sed -nE 's/^#define BREVLO_VERSION "(.*)"$/\1/p' "$release/generated/BrevloVersion.h")
zip=$e2e_dir/dist/Brevlo-$version-win64.zip
setup=$e2e_dir/dist/Brevlo-$version-setup.exe
[ -f "$zip" ] && [ -f "$setup" ] || e2e_fail "no zip or installer of version \"$version\""
# The program says the same version in its resource, its manifest and its title.
tr -d '\0' <"$release/Brevlo.exe" | grep -aF "FileVersion$version" >/dev/null &&
  grep -qaF "assemblyIdentity version=\"$version.0" "$release/Brevlo.exe" ||
  e2e_fail "Brevlo.exe's version resource or manifest does not say $version"
e2e_main_title="Brevlo V$version - Halvorn"
listing=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$listing" = "Brevlo.exe DefaultPreview.THM README.txt " ] || e2e_fail "the zip holds $listing"
unzip -p "$zip" README.txt | grep -q 'Independent JPEG Group' &&
  unzip -p "$zip" README.txt | grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' ||
  e2e_fail "the read-me lacks the libraries' notices"

# The LGPL archive, followed as its read-me says in an empty folder: FriBidi and FFmpeg built from
# the sources it holds, the program's objects linked with them, giving the released program
# again, byte for byte, which then runs.
lgpl=$e2e_dir/dist/Brevlo-$version-lgpl.zip
relinked=$e2e_dir/relinked
rm -rf "$relinked" && mkdir -p "$relinked"
unzip -q "$lgpl" -d "$relinked" || e2e_fail "the LGPL archive does not unpack"
grep -qx -- '--disable-everything' "$relinked/ffmpeg/configure-line.txt" &&
  ! grep -q -- '--enable-gpl\|--enable-nonfree' "$relinked/ffmpeg/configure-line.txt" ||
  e2e_fail "the LGPL archive lacks FFmpeg's LGPL configure line"
# Only what the archive holds: the libraries of this machine's builds stay out of reach.
step=0
while IFS= read -r command; do
  step=$((step + 1))
  (cd "$relinked" && env -u PKG_CONFIG_PATH -u PKG_CONFIG_LIBDIR MAKEFLAGS=-j"$(nproc)" \
    sh -c "$command") >>"$e2e_dir/relink.log" 2>&1 ||
    e2e_fail "the LGPL read-me's step $step failed: $command ($(tail -n 5 "$e2e_dir/relink.log"))"
done < <(sed -n 's/^  \$ //p' "$relinked/README.txt")
[ "$step" -ge 9 ] || e2e_fail "the LGPL read-me gives $step commands"
mkdir -p "$relinked/app" && mv "$relinked/Brevlo.exe" "$relinked/app/" ||
  e2e_fail "the LGPL read-me's steps made no Brevlo.exe"
cmp "$relinked/app/Brevlo.exe" "$release/Brevlo.exe" || e2e_fail "the relinked program differs"
cp "$brevlo_top/res/art/DefaultPreview.THM" "$relinked/app/"
e2e_start "$relinked/app"
e2e_wait_main 90
e2e_close_main

# Installing ------------------------------------------------------------------------------------
win() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
local_app=$(win LOCALAPPDATA)
inst_win="$local_app\\Programs\\Brevlo"
inst=$(winepath -u "$inst_win" 2>/dev/null)
programs="$(win APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs"
shortcut=$(winepath -u "$programs\\Brevlo.lnk" 2>/dev/null)
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brevlo'
[ -n "$local_app" ] && [ -n "$inst" ] && [ -n "$shortcut" ] || e2e_fail "no user folders in the prefix"

run_setup() {
  timeout 180 wine "$setup" /S "$@" >>"$e2e_dir/setup.log" 2>&1 ||
    e2e_fail "the installer ended with status $?"
}
# A value that is not there reads empty; a reg that could not be run (seen once in a busy
# prefix) is asked again rather than read as an absent value.
reg_value() {
  local out i
  for ((i = 0; i < 5; i++)); do
    out=$(wine reg query "$key" /v "$1" 2>&1 | tr -d '\r')
    if grep -qF 'HKEY_CURRENT_USER' <<<"$out"; then
      awk -F'    ' -v n="$1" '$2 == n { print $4 }' <<<"$out"
      return 0
    fi
    grep -qF 'Unable to find' <<<"$out" && return 0
    sleep 1
  done
  e2e_fail "reg could not read $1: $out"
}
files_of() { (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' '); }
ours="Brevlo.exe DefaultPreview.THM Preferences.ini README.txt Uninstall.exe "
# The uninstaller copies itself away to delete itself, and its first process ends at once.
uninstall_silently() {
  local dir=$1 i
  timeout 60 wine "$dir/Uninstall.exe" /S >>"$e2e_dir/setup.log" 2>&1
  for ((i = 0; i < 120; i++)); do
    [ ! -e "$dir/Uninstall.exe" ] && [ -z "$(reg_value DisplayName)" ] && return 0
    sleep 0.5
  done
  e2e_fail "the uninstaller left $(files_of "$dir") or the list entry"
}

# The user's Videos folder (Wine's name for its value), named outside the system's code page.
videos_win='C:\users\Public\Vidéos de Zoë'
psp_pc_video "$WINEPREFIX/drive_c/users/Public/Vidéos de Zoë" "Ski trip"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
  /v 'My Videos' /t REG_EXPAND_SZ /d "$videos_win" /f >/dev/null 2>&1
run_setup
[ "$(files_of "$inst")" = "$ours" ] && cmp -s "$inst/Brevlo.exe" "$release/Brevlo.exe" ||
  e2e_fail "installed: $(files_of "$inst")"
# Without its NULs, the link's target reads the same in either encoding (grep reads it all:
# pipefail would take an early end for a failure).
tr -d '\0' <"$shortcut" | grep -aiF 'Programs\Brevlo\Brevlo.exe' >/dev/null ||
  e2e_fail "no Start-menu shortcut to the installed Brevlo.exe at $shortcut"
for pair in "DisplayName=Brevlo" "DisplayVersion=$version" "Publisher=Halvorn" \
  "DisplayIcon=$inst_win\\Brevlo.exe,0" "UninstallString=\"$inst_win\\Uninstall.exe\"" \
  "QuietUninstallString=\"$inst_win\\Uninstall.exe\" /S"; do
  got=$(reg_value "${pair%%=*}")
  [ "$got" = "${pair#*=}" ] || e2e_fail "${pair%%=*} of the list entry is \"$got\", not \"${pair#*=}\""
done
size=$(($(reg_value EstimatedSize))) exe_kb=$(($(stat -c %s "$inst/Brevlo.exe") / 1024))
((size >= exe_kb && size < exe_kb + 100)) || e2e_fail "EstimatedSize is $size KB for a $exe_kb KB program"

# The installed program, started as the shortcut would, shows the Videos folder and its video;
# closed, it writes the folder back to Preferences.ini as it read it.
(cd "$inst" && exec wine "$inst_win\\Brevlo.exe" </dev/null >"$e2e_dir/wine.log" 2>&1) &
e2e_pid=$!
e2e_wait_main 90
e2e_wait_rows 1 1
# The tool that reads it has the system's code page, 1252 here.
path_box=$(e2e_control Edit 1 | cut -f7 | iconv -f CP1252 -t UTF-8)
[ "$path_box" = "$videos_win" ] || e2e_fail "the path box shows \"$path_box\", not the Videos folder"
e2e_window_screenshot release-installed "$e2e_main_title"
# While it runs, neither a silent installation nor a silent uninstall (run in place, so that its
# status is its own) claims success, and both leave everything as it was.
timeout 180 wine "$setup" /S >>"$e2e_dir/setup.log" 2>&1 &&
  e2e_fail "the installer reported success over the running program"
timeout 60 wine "$inst/Uninstall.exe" /S "_?=$inst_win" >>"$e2e_dir/setup.log" 2>&1 &&
  e2e_fail "the uninstaller reported success while the program ran"
after=$(files_of "$inst")
[ "$after" = "$ours" ] || e2e_fail "a refused installation or uninstall left $after"
cmp -s "$inst/Brevlo.exe" "$release/Brevlo.exe" || e2e_fail "a refused installation changed Brevlo.exe"
[ -f "$shortcut" ] || e2e_fail "a refused uninstall removed the shortcut"
after=$(reg_value DisplayName)
[ "$after" = Brevlo ] || e2e_fail "after a refused uninstall the list entry's name is \"$after\""
e2e_close_main
saved=$(e2e_ini_value "$inst/Preferences.ini" Main "Output Path") ||
  e2e_fail "no Output Path in $inst/Preferences.ini"
[ "$saved" = "$videos_win" ] || e2e_fail "Output Path is \"$saved\", not the Videos folder"

# An installation over it keeps what the user set.
pc=$e2e_dir/pc
psp_pc_video "$pc" "Beach day"
e2e_write_prefs "$inst" "$pc"
cp "$inst/Preferences.ini" "$e2e_dir/prefs-before"
run_setup
cmp "$inst/Preferences.ini" "$e2e_dir/prefs-before" || e2e_fail "the second installation changed Preferences.ini"

# The program's own keys only, "PSP Titles", "Frame Thumbnails", "Convert" and "Subtitles"
# among them: the file and the folder go.
printf 'PSP Titles=0\r\nFrame Thumbnails=0\r\nConvert=0\r\nSubtitles=0\r\n' >>"$inst/Preferences.ini"

uninstall_silently "$inst"
[ ! -e "$inst" ] || e2e_fail "the uninstall left $inst with $(files_of "$inst")"
[ ! -e "$shortcut" ] || e2e_fail "the uninstall left the shortcut"

# A folder of the user's videos is refused, silently and on the folder page (Next, I Agree,
# Install; OK to the refusal, then Cancel and Yes), and stays as it was to the byte.
sums_of() { (cd "$1" && find . -printf '%p %y %s %T@\n' | sort && find . -type f -exec sha256sum {} + | sort); }
sums_of "$pc" >"$e2e_dir/pc-sums"
silent_status() { timeout 180 wine "$setup" /S "/D=$(brevlo_winpath "$1")" >>"$e2e_dir/setup.log" 2>&1; echo $?; }
status=$(silent_status "$pc")
[ "$status" = 2 ] || e2e_fail "the silent installer ended with status $status in a folder of the user's videos"
# The installer's title changes with its pages; its boxes lie on top.
setup_window() { xdotool search --onlyvisible --name "^Brevlo $version Setup" 2>/dev/null | tail -n 1; }
setup_shows() { e2e_controls "$(xdotool getwindowname "$(setup_window)" 2>/dev/null)" | grep -qF "$1"; }
setup_key() {
  e2e_wait_for 60 setup_shows "$1" || e2e_fail "the installer does not show \"$1\""
  e2e_key "$(setup_window)" "$2"
}
(exec timeout 180 wine "$setup" "/D=$(brevlo_winpath "$pc")" >>"$e2e_dir/setup.log" 2>&1) &
e2e_pid=$!
setup_key "&Next >" Return && setup_key "I &Agree" Return && setup_key "&Install" Return
setup_key "already holds other files" Return && setup_key "&Install" Escape
setup_key "Are you sure you want to quit" Return
wait "$e2e_pid"
status=$? e2e_pid=
[ $status = 1 ] || e2e_fail "the installer ended with status $status after Cancel"
sums_of "$pc" | cmp -s - "$e2e_dir/pc-sums" || e2e_fail "a refused installation changed the user's videos"

# Over the zip's program in that folder (an update), beside another program's Preferences.ini:
# the uninstall removes only Brevlo's files, and the videos, that file and the folder stay.
# Beside another program's Uninstall.exe, it is refused.
unzip -q "$zip" Brevlo.exe -d "$pc" && printf '[Other]\r\nName=1\r\n' >"$pc/Preferences.ini"
echo "another program's" >"$pc/Uninstall.exe"
status=$(silent_status "$pc")
[ "$status" = 2 ] && grep -q "another program's" "$pc/Uninstall.exe" ||
  e2e_fail "the installer ended with status $status beside another program's Uninstall.exe"
rm "$pc/Uninstall.exe"
run_setup "/D=$(brevlo_winpath "$pc")"
[ "$(files_of "$pc")" = "Beach day.THM Beach day.mp4 $ours" ] || e2e_fail "installed with /D=: $(files_of "$pc")"
uninstall_silently "$pc"
[ "$(files_of "$pc")" = "Beach day.THM Beach day.mp4 Preferences.ini " ] &&
  grep -q '^Name=1' "$pc/Preferences.ini" || e2e_fail "the uninstall left $(files_of "$pc")"
[ ! -e "$shortcut" ] || e2e_fail "the uninstall left the shortcut"

# The zip ---------------------------------------------------------------------------------------
unzipped=$e2e_dir/unzipped
mkdir -p "$unzipped"
unzip -q "$zip" -d "$unzipped" || e2e_fail "the zip does not unpack"
e2e_start "$unzipped"
e2e_wait_main 90
e2e_window_screenshot release-zip "$e2e_main_title"
e2e_close_main
[ -f "$unzipped/Preferences.ini" ] || e2e_fail "the zip's program wrote no Preferences.ini beside itself"
