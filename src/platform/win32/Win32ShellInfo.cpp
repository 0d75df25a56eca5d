#include "platform/win32/Win32ShellInfo.h"

#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <utility>

namespace brevlo::platform {
namespace {

// The shell's small icons in a list of our own. The platform's shared list makes each icon it
// is asked for at every size it keeps, some 20 ms an icon under Wine, and sets itself up on
// first use for some 50 ms more; the tree needs a handful at one size. The shell still says
// which icon a path has; only its picture is taken straight from where the shell keeps it.
class SmallIconCache {
 public:
  ~SmallIconCache() {
    if (list_ != nullptr) ImageList_Destroy(list_);
  }

  HIMAGELIST List() {
    if (list_ == nullptr) {
      list_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                               ILC_COLOR32 | ILC_MASK, 8, 8);
    }
    return list_;
  }

  // `item` is a path, or an item list when `flags` holds SHGFI_PIDL.
  int IconOf(LPCSTR item, UINT flags) {
    SHFILEINFOA info{};
    if (SHGetFileInfoA(item, 0, &info, sizeof info, SHGFI_ICONLOCATION | flags) != 0 &&
        info.szDisplayName[0] != '\0') {
      const auto key = std::make_pair(std::string(info.szDisplayName), info.iIcon);
      if (const auto found = byLocation_.find(key); found != byLocation_.end()) {
        return found->second;
      }
      HICON small = nullptr;
      if (ExtractIconExA(info.szDisplayName, info.iIcon, nullptr, &small, 1) != 0 &&
          small != nullptr) {
        const int index = Add(small);
        if (index >= 0) byLocation_.emplace(key, index);
        return index;
      }
    }
    // An icon the shell makes rather than reads from a file: through its own list.
    info = SHFILEINFOA{};
    const auto system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(item, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags));
    if (system == nullptr) return -1;
    if (const auto found = bySystemIndex_.find(info.iIcon); found != bySystemIndex_.end()) {
      return found->second;
    }
    const int index = Add(ImageList_GetIcon(system, info.iIcon, ILD_NORMAL));
    if (index >= 0) bySystemIndex_.emplace(info.iIcon, index);
    return index;
  }

 private:
  int Add(HICON icon) {
    if (icon == nullptr) return -1;
    const int index = ImageList_AddIcon(List(), icon);
    DestroyIcon(icon);
    return index;
  }

  HIMAGELIST list_ = nullptr;
  std::map<std::pair<std::string, int>, int> byLocation_;
  std::map<int, int> bySystemIndex_;
};

SmallIconCache& Icons() {
  static SmallIconCache icons;
  return icons;
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
  if (!IsPlainFolder(path)) return Icons().IconOf(path.c_str(), flags);
  if (known < 0) known = Icons().IconOf(path.c_str(), flags);
  return known;
}

std::optional<ShellItem> Win32ShellInfo::ComputerFolder() {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)) || pidl == nullptr) {
    return std::nullopt;
  }
  const auto item = reinterpret_cast<LPCSTR>(pidl);
  SHFILEINFOA info{};
  const DWORD_PTR ok = SHGetFileInfoA(item, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  const int icon = ok != 0 ? Icons().IconOf(item, SHGFI_PIDL) : -1;
  CoTaskMemFree(pidl);
  if (ok == 0) return std::nullopt;
  return ShellItem{info.szDisplayName, icon};
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

HIMAGELIST SmallIconList() {
  return Icons().List();
}

}  // namespace brevlo::platform
