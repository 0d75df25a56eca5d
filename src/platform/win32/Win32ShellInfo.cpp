#include "platform/win32/Win32ShellInfo.h"

#include <shellapi.h>
#include <shlobj.h>

namespace brevlo::platform {
namespace {

int IconIndex(const std::string& path, UINT extraFlags) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags) == 0) {
    return -1;
  }
  return info.iIcon;
}

// A folder that cannot carry icons of its own: the shell only reads desktop.ini of a read-only
// or system folder, and a drive root or a share is no plain folder.
bool IsPlainFolder(const std::string& path) {
  if (path.size() <= 3 || path.rfind("\\\\", 0) == 0) return false;
  DWORD oldMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const DWORD own = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  bool plain = attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & own) == 0;
  if (plain) {
    const std::string ini = path + (path.back() == '\\' ? "" : "\\") + "desktop.ini";
    plain = GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  SetThreadErrorMode(oldMode, nullptr);
  return plain;
}

}  // namespace

// The shell reads a folder to find its icon, some milliseconds per folder of many files under
// Wine; every plain folder has the same icons, so the first answer serves for the others.
int Win32ShellInfo::FolderIcon(const std::string& path, bool open) {
  int& known = open ? plainOpenIcon_ : plainIcon_;
  const UINT flags = open ? SHGFI_OPENICON : 0;
  if (!IsPlainFolder(path)) return IconIndex(path, flags);
  if (known < 0) known = IconIndex(path, flags);
  return known;
}

std::optional<ShellItem> Win32ShellInfo::ComputerFolder() {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)) || pidl == nullptr) {
    return std::nullopt;
  }
  SHFILEINFOA info{};
  const DWORD_PTR ok =
      SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  CoTaskMemFree(pidl);
  if (ok == 0) return std::nullopt;
  return ShellItem{info.szDisplayName, info.iIcon};
}

std::string Win32ShellInfo::DisplayName(const std::string& path) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) return {};
  return info.szDisplayName;
}

int Win32ShellInfo::SmallIcon(const std::string& path) {
  return FolderIcon(path, false);
}

int Win32ShellInfo::SmallOpenIcon(const std::string& path) {
  return FolderIcon(path, true);
}

void Win32Beeper::Beep(unsigned type) {
  MessageBeep(type);
}

HIMAGELIST SharedSmallIconList() {
  char windows[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  std::string folder(windows, length < MAX_PATH ? length : 0);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  SHFILEINFOA info{};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(folder.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace brevlo::platform
