# Simulated PSPs and other drives for a Wine prefix. Source tools/lib/common.sh first and
# call brevlo_wine_env (or brevlo_wine_prefix) so that WINEPREFIX names the prefix.
#
#   psp_make DIR                       empty PSP: DIR/MP_ROOT/100MNV01 and DIR/MP_ROOT/101ANV01
#   psp_add_video DIR KIND N [nothumb] a video of kind 0 (M4V, 100MNV01) or 1 (MAQ, 101ANV01)
#                                      numbered N, with a JPEG thumbnail unless "nothumb"
#   psp_make_sample DIR                a PSP with a few videos of both kinds, some without thumbnails
#   psp_link LETTER DIR [floppy|hd]    DIR becomes drive LETTER:, removable (default) or fixed
#   psp_unplug LETTER                  the drive disappears, as when the cable is pulled
#   psp_make_card LETTER DIR           a removable drive without MP_ROOT (a camera card)
#   psp_pc_video DIR NAME [nothumb]    a PC video DIR/NAME.mp4, with NAME.THM unless "nothumb"
#   psp_thumb FILE TEXT                a 160 x 120 JPEG thumbnail showing TEXT
#   psp_drive_report LETTER            prints "type=N mp_root=yes|no" as the program sees the drive
#
# Drives are announced to Wine's mount manager, which keeps the table that GetDriveTypeA
# reads: a link in dosdevices plus a registry value only takes effect in the next Wine
# session, whereas the mount manager also updates a running one (plug and unplug while the
# program runs). The mount manager writes the link and the registry value itself.

psp_kind_folder() {
  case $1 in
  0) echo 100MNV01 ;;
  1) echo 101ANV01 ;;
  *) brevlo_die "unknown video kind $1" ;;
  esac
}

psp_kind_prefix() {
  case $1 in
  0) echo M4V ;;
  1) echo MAQ ;;
  *) brevlo_die "unknown video kind $1" ;;
  esac
}

# Each thumbnail gets its own colours so that rows can be told apart on a screenshot.
psp_thumb() {
  local file=$1 text=$2 sum colours c1 c2
  colours=(navy orange darkgreen gold maroon skyblue purple khaki teal salmon)
  sum=$(printf '%s' "$text" | cksum | cut -d' ' -f1)
  c1=${colours[$((sum % 10))]}
  c2=${colours[$(((sum / 10 + 1) % 10))]}
  [ "$c1" = "$c2" ] && c2=white
  convert -size 160x120 "gradient:$c1-$c2" -gravity center -fill white -stroke black \
    -strokewidth 1 -pointsize 20 -annotate 0 "$text" -quality 85 "jpeg:$file" 2>/dev/null ||
    convert -size 160x120 "gradient:$c1-$c2" -quality 85 "jpeg:$file"
}

# Sparse files: the program only reads names and sizes, and the sizes land in the MB column.
psp_fake_video() {
  local file=$1 size=$2
  : >"$file"
  truncate -s "$size" "$file"
}

psp_make() {
  mkdir -p "$1/MP_ROOT/100MNV01" "$1/MP_ROOT/101ANV01"
}

psp_add_video() {
  local dir=$1 kind=$2 n=$3 thumb=${4:-thumb} folder name
  folder=$dir/MP_ROOT/$(psp_kind_folder "$kind")
  name=$(psp_kind_prefix "$kind")$(printf '%05d' "$n")
  mkdir -p "$folder"
  psp_fake_video "$folder/$name.MP4" $((1000000 + n * 750000))
  [ "$thumb" = nothumb ] || psp_thumb "$folder/$name.THM" "$name"
}

psp_make_sample() {
  psp_make "$1"
  psp_add_video "$1" 0 1
  psp_add_video "$1" 0 2
  psp_add_video "$1" 0 4 nothumb
  psp_add_video "$1" 1 1
  psp_add_video "$1" 1 3 nothumb
}

psp_pc_video() {
  local dir=$1 name=$2 thumb=${3:-thumb}
  mkdir -p "$dir"
  psp_fake_video "$dir/$name.mp4" $((3000000 + ${#name} * 111111))
  [ "$thumb" = nothumb ] || psp_thumb "$dir/$name.THM" "$name"
}

psp_drive_type_code() {
  case $1 in
  floppy | removable) echo 2 ;;
  hd | fixed) echo 3 ;;
  *) brevlo_die "unknown drive kind $1 (floppy or hd)" ;;
  esac
}

psp_link() {
  local letter=$1 dir=$2 kind=${3:-floppy} code
  code=$(psp_drive_type_code "$kind")
  [ -d "$dir" ] || brevlo_die "psp_link: no folder $dir"
  psp_drivetool define "$letter" "$code" "$(realpath "$dir")" ||
    brevlo_die "could not link drive $letter: to $dir"
}

psp_unplug() {
  psp_drivetool remove "$1" || brevlo_die "could not remove drive $1:"
}

psp_make_card() {
  mkdir -p "$2/DCIM"
  psp_link "$1" "$2" floppy
}

psp_drive_report() {
  psp_drivetool report "$1" | tr -d '\r'
}

# A small Windows program, built from the source below into the build folder whenever the
# source changes.
psp_drivetool() {
  local dir=$brevlo_build/rig tool src
  [ -n "${WINEPREFIX:-}" ] || brevlo_die "the PSP rig needs WINEPREFIX (brevlo_wine_env)"
  tool=$dir/drivetool.exe
  src=$(psp_drivetool_source)
  if [ ! -f "$tool" ] || [ "$src" != "$(cat "$dir/drivetool.c" 2>/dev/null)" ]; then
    mkdir -p "$dir"
    printf '%s\n' "$src" >"$dir/drivetool.c"
    x86_64-w64-mingw32-gcc-posix -O2 -Wall -Wextra -static -o "$tool" "$dir/drivetool.c" ||
      brevlo_die "could not build $tool"
  fi
  wine "$tool" "$@" 2>&1
}

psp_drivetool_source() {
  cat <<'EOF'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <winioctl.h>

/* Wine's mount manager extension: defines (or, without a path, removes) a drive letter. */
#define DEFINE_UNIX_DRIVE CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS)
struct unix_drive {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};

static int define_drive(char letter, UINT type, const char *unix_path) {
  size_t len = sizeof(struct unix_drive) + (unix_path ? strlen(unix_path) + 1 : 0);
  struct unix_drive *d = calloc(1, len);
  HANDLE mgr;
  BOOL ok;
  DWORD got = 0;
  if (!d) return 1;
  d->size = (ULONG)len;
  d->letter = (WCHAR)(letter | 0x20);
  d->type = type;
  if (unix_path) {
    strcpy((char *)(d + 1), unix_path);
    d->mount_point_offset = sizeof(struct unix_drive);
  }
  /* The first program of a Wine session starts before the session's services: the mount
     manager appears a moment later. Wait for it, up to a minute. */
  for (int tries = 0;; ++tries) {
    mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, 0);
    if (mgr != INVALID_HANDLE_VALUE || tries >= 600) break;
    Sleep(100);
  }
  if (mgr == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "no mount manager (error %lu)\n", GetLastError());
    free(d);
    return 1;
  }
  ok = DeviceIoControl(mgr, DEFINE_UNIX_DRIVE, d, (DWORD)len, NULL, 0, &got, NULL);
  if (!ok) fprintf(stderr, "drive %c: refused (error %lu)\n", letter, GetLastError());
  CloseHandle(mgr);
  free(d);
  return ok ? 0 : 1;
}

int main(int argc, char **argv) {
  char root[4] = "?:\\", mp[16];
  DWORD attr;
  if (argc >= 3 && !strcmp(argv[1], "report")) {
    root[0] = argv[2][0];
    snprintf(mp, sizeof mp, "%c:\\MP_ROOT", argv[2][0]);
    attr = GetFileAttributesA(mp);
    printf("type=%u mp_root=%s\n", GetDriveTypeA(root),
           attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? "yes" : "no");
    return 0;
  }
  if (argc >= 5 && !strcmp(argv[1], "define"))
    return define_drive(argv[2][0], (UINT)atoi(argv[3]), argv[4]);
  if (argc >= 3 && !strcmp(argv[1], "remove")) return define_drive(argv[2][0], 0, NULL);
  fprintf(stderr, "usage: drivetool report X | define X TYPE UNIXPATH | remove X\n");
  return 2;
}
EOF
}
