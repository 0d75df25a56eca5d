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

}  // namespace

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
  return IconIndex(path, 0);
}

int Win32ShellInfo::SmallOpenIcon(const std::string& path) {
  return IconIndex(path, SHGFI_OPENICON);
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
