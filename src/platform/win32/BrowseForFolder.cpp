#include "platform/win32/BrowseForFolder.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/QuietErrors.h"

namespace brevlo::platform {
namespace {

int CALLBACK PreselectCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  const char* folder = reinterpret_cast<const char*>(data);
  if (message == BFFM_INITIALIZED && folder != nullptr && folder[0] != '\0') {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder));
  }
  return 0;
}

BOOL CALLBACK DisableOne(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Asked in UTF-16 and converted: the 8-bit call has room for 260 bytes only, which names outside
// ASCII pass well before the shell's own limit of 260 characters (and Wine then hands back a
// path cut short).
std::optional<std::string> PathOf(LPCITEMIDLIST item) {
  wchar_t wide[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(item, wide)) return std::nullopt;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::nullopt;
  std::string path(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, path.data(), bytes, nullptr, nullptr);
  path.resize(static_cast<std::size_t>(bytes - 1));
  return path;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& title, std::string& folder) {
  {
    QuietErrors quiet;
    if (!folder.empty() && !IsFolder(folder)) folder.clear();
  }

  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return false;
  auto* buffer = static_cast<char*>(allocator->Alloc(MAX_PATH));
  if (buffer == nullptr) {
    allocator->Release();
    return false;
  }
  buffer[0] = '\0';

  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = buffer;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!folder.empty()) {
    info.lpfn = PreselectCallback;
    info.lParam = reinterpret_cast<LPARAM>(folder.c_str());
  }

  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  LPITEMIDLIST chosen = nullptr;
  {
    QuietErrors quiet;
    OleInitialize(nullptr);
    chosen = SHBrowseForFolderA(&info);
    OleUninitialize();
  }
  for (HWND window : disabled) EnableWindow(window, TRUE);
  if (owner != nullptr) SetActiveWindow(owner);

  bool result = false;
  if (chosen != nullptr) {
    if (auto path = PathOf(chosen)) {
      folder = *path;
      result = true;
    } else {
      MessageBoxA(owner, "The chosen folder cannot be used: its path is too long.", title.c_str(),
                  MB_OK | MB_ICONINFORMATION);
    }
    allocator->Free(chosen);
  }
  allocator->Free(buffer);
  allocator->Release();
  return result;
}

}  // namespace brevlo::platform
