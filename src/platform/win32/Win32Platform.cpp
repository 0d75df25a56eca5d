#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>

#include "platform/CopyPlan.h"
#include "platform/CopySteps.h"
#include "platform/win32/QuietErrors.h"

namespace brevlo::platform {
namespace {

std::string Joined(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
    return folder + "\\" + name;
  }
  return folder + name;
}

}  // namespace

bool Win32FileSystem::DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  QuietErrors quiet;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::FileExists(const std::string& path) {
  if (path.empty()) return false;
  QuietErrors quiet;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<DirEntry> Win32FileSystem::ListDirectory(const std::string& folder,
                                                     const std::string& pattern) {
  std::vector<DirEntry> entries;
  VisitDirectory(folder, pattern, [&](const DirEntry& e) {
    entries.push_back(e);
    return true;
  });
  return entries;
}

void Win32FileSystem::VisitDirectory(const std::string& folder, const std::string& pattern,
                                     const std::function<bool(const DirEntry&)>& visit) {
  QuietErrors quiet;
  const std::string joined = Joined(folder, pattern);
  const int n = MultiByteToWideChar(CP_ACP, 0, joined.c_str(), -1, nullptr, 0);
  if (n <= 0) return;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, joined.c_str(), -1, wide.data(), n);
  // Without the short names, which no caller reads and the system makes up for every long
  // name, and in large batches: a folder of thousands of videos costs half the time.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return;
  DirEntry e;
  char name[MAX_PATH * 4];
  do {
    if (WideCharToMultiByte(CP_ACP, 0, data.cFileName, -1, name, sizeof name, nullptr, nullptr) ==
        0) {
      continue;
    }
    e.name = name;
    if (e.name == "." || e.name == "..") continue;
    e.attributes = data.dwFileAttributes;
    e.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    e.modified = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                 data.ftLastWriteTime.dwLowDateTime;
    if (!visit(e)) break;
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

std::optional<std::uint64_t> Win32FileSystem::FileSize(const std::string& path) {
  QuietErrors quiet;
  // Read access only and shared with everyone: a read-only or busy video still has a size.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  const BOOL ok = GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool Win32FileSystem::ReadFile(const std::string& path, std::vector<unsigned char>& out,
                               std::size_t maxBytes) {
  QuietErrors quiet;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            static_cast<std::uint64_t>(size.QuadPart) <= maxBytes;
  if (ok) {
    out.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (ok && done < out.size()) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 20));
      ok = ::ReadFile(file, out.data() + done, want, &got, nullptr) && got > 0;
      done += got;
    }
  }
  CloseHandle(file);
  return ok;
}

namespace {
FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
          static_cast<std::int64_t>(static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime)
                                        << 32 |
                                    info.ftLastWriteTime.dwLowDateTime)};
}

class Win32FileReader : public IFileReader {
 public:
  Win32FileReader(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
  ~Win32FileReader() override { CloseHandle(file_); }
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      // The offset goes with each read, so no file position is shared between reads.
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + done);
      at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 20));
      if (!::ReadFile(file_, static_cast<char*>(out) + done, want, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }
  std::optional<FileStamp> Stamp() override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file_, &info)) return std::nullopt;
    return StampOf(info);
  }

 private:
  HANDLE file_;
  std::uint64_t size_;
};
}  // namespace

std::unique_ptr<IFileReader> Win32FileSystem::OpenReader(const std::string& path) {
  QuietErrors quiet;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32FileReader>(file, static_cast<std::uint64_t>(size.QuadPart));
}

bool Win32FileSystem::Copy(const std::string& from, const std::string& to) {
  QuietErrors quiet;
  return ::CopyFileA(from.c_str(), to.c_str(), TRUE) != FALSE;
}

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    const bool ok = !Valid() || CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

// Our own read and write loop rather than CopyFileExW: as fast under Wine, and the size of its
// pieces, which decides how soon the windows are served on a slow memory stick, is ours.
CopyResult Win32FileSystem::CopyInSteps(const std::string& from, const std::string& to,
                                        const CopyProgress& progress) {
  return CopyPlanInSteps(from, to, {}, progress);
}

CopyResult Win32FileSystem::CopyPlanInSteps(const std::string& from, const std::string& to,
                                            const CopyPlan& plan, const CopyProgress& progress) {
  QuietErrors quiet;
  Handle source(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!source.Valid() || !GetFileSizeEx(source.Get(), &size) ||
      !GetFileInformationByHandle(source.Get(), &info)) {
    return CopyResult::Failed;
  }
  auto total = static_cast<std::uint64_t>(size.QuadPart);
  // The header made in memory, the media read from the source in its turn.
  std::unique_ptr<IFileReader> reader;
  std::optional<PlanReader> pieces;
  if (!plan.empty()) {
    // The source is held against writers and renames from here on, so it stays the file
    // checked now until the copy ends.
    if (!plan.source || !(*plan.source == StampOf(info))) return CopyResult::Failed;
    reader = OpenReader(from);
    if (reader == nullptr) return CopyResult::Failed;
    pieces.emplace(plan, *reader);
    total = PlanSize(plan);
  }
  // Nobody else may write into the file while it grows. Its removal is let through, for the
  // end of the session, which cannot wait for the copy: the file then goes once it is closed,
  // at the latest with the process, and the copy never counts as arrived (the caller checks
  // the file by its name).
  Handle target(CreateFileA(to.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!target.Valid()) return CopyResult::Failed;
  CopyResult result = CopyLoop(
      total,
      [&](char* buffer, std::size_t want) -> long long {
        if (pieces) return pieces->Read(buffer, want);
        DWORD got = 0;
        if (!::ReadFile(source.Get(), buffer, static_cast<DWORD>(want), &got, nullptr)) return -1;
        return got;
      },
      [&](const char* data, std::size_t bytes) { return WriteAll(target.Get(), data, bytes); },
      progress, {},
      [this](const std::function<void()>& step) {
        if (pump_ != nullptr) {
          pump_->RunWhilePumping(step);
        } else {
          step();
        }
      });
  // As the system's copy does: the video keeps its date. Its attributes wait until it has its
  // name, so that a read-only source cannot leave a temporary file nobody may remove.
  if (result == CopyResult::Done) {
    SetFileTime(target.Get(), &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime);
  }
  if (!target.Close() && result == CopyResult::Done) result = CopyResult::Failed;
  return result;
}

bool Win32FileSystem::WriteAt(const std::string& path, std::uint64_t offset,
                              const std::vector<std::uint8_t>& bytes) {
  QuietErrors quiet;
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) ||
      offset > static_cast<std::uint64_t>(size.QuadPart) ||
      bytes.size() > static_cast<std::uint64_t>(size.QuadPart) - offset ||
      !SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) {
    return false;
  }
  const bool written =
      WriteAll(file.Get(), reinterpret_cast<const char*>(bytes.data()), bytes.size()) &&
      FlushFileBuffers(file.Get()) != FALSE;
  return file.Close() && written;
}

std::optional<std::uint64_t> Win32FileSystem::FreeBytes(const std::string& folder) {
  QuietErrors quiet;
  ULARGE_INTEGER free{};
  if (!GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr)) return std::nullopt;
  return free.QuadPart;
}

bool Win32FileSystem::WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  QuietErrors quiet;
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const bool written =
      WriteAll(file.Get(), reinterpret_cast<const char*>(bytes.data()), bytes.size()) &&
      FlushFileBuffers(file.Get()) != FALSE;
  return file.Close() && written;
}

bool Win32FileSystem::Delete(const std::string& path) {
  QuietErrors quiet;
  return ::DeleteFileA(path.c_str()) != FALSE;
}

bool Win32FileSystem::Move(const std::string& from, const std::string& to) {
  QuietErrors quiet;
  return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool Win32FileSystem::Truncate(const std::string& path, std::uint64_t size) {
  QuietErrors quiet;
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size);
  return file.Valid() && SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) &&
         SetEndOfFile(file.Get());
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
  QuietErrors quiet;
  // One rename over the old file: at every moment one whole file has the name.
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

namespace {
bool IdentityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked, so a file in use or a folder (backup semantics) still opens.
  Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.Valid() && GetFileInformationByHandle(file.Get(), &info) != FALSE;
}
}  // namespace

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  QuietErrors quiet;
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return IdentityOf(a, x) && IdentityOf(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

void Win32FileSystem::CopyAttributes(const std::string& from, const std::string& to) {
  QuietErrors quiet;
  const DWORD attributes = GetFileAttributesA(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  constexpr DWORD Kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD current = GetFileAttributesA(to.c_str());
  const DWORD wanted = (current & ~Kept) | (attributes & Kept);
  // Setting them costs a large file on a FAT32 memory stick a walk of its whole chain.
  if (current != INVALID_FILE_ATTRIBUTES && wanted != current) {
    SetFileAttributesA(to.c_str(), wanted);
  }
}

namespace {
// What the user set for the Recycle Bin of the volume at root: files deleted at once, or a
// largest size in megabytes, past which the system deletes a file for good without a word.
bool BinTakes(const wchar_t* root, std::uint64_t size) {
  wchar_t volume[64] = {};
  if (!GetVolumeNameForVolumeMountPointW(root, volume, 64)) return true;  // the system decides
  std::wstring id(volume);
  const auto open = id.find(L'{'), close = id.find(L'}');
  if (open == std::wstring::npos || close == std::wstring::npos) return true;
  const std::wstring key =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
      id.substr(open, close - open + 1);
  DWORD value = 0, bytes = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete", RRF_RT_REG_DWORD, nullptr,
                   &value, &bytes) == ERROR_SUCCESS &&
      value != 0) {
    return false;
  }
  bytes = sizeof value;
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity", RRF_RT_REG_DWORD, nullptr,
                      &value, &bytes) != ERROR_SUCCESS ||
         size <= (static_cast<std::uint64_t>(value) << 20);
}
}  // namespace

// Never a deletion for good: a file the bin would not take is left where it is.
bool Win32FileSystem::Recycle(const std::string& path) {
  QuietErrors quiet;
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 1) return false;
  // The list of names ends with a second null.
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
  wchar_t full[MAX_PATH * 4] = {};
  const DWORD fullLength = GetFullPathNameW(wide.c_str(), MAX_PATH * 4 - 1, full, nullptr);
  if (fullLength < 3 || fullLength >= MAX_PATH * 4 - 1 || full[1] != L':') return false;
  const wchar_t root[4] = {full[0], L':', L'\\', L'\0'};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetDriveTypeW(root) != DRIVE_FIXED ||
      !GetFileAttributesExW(full, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      !BinTakes(root, static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow)) {
    return false;
  }
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = full;
  op.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted &&
         GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES;
}

std::string Win32Profile::ReadString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& fallback) {
  char buffer[ProfileValueLimit + 1];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                           file.c_str());
  return buffer;
}

bool Win32Profile::WriteString(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
  // The profile writer may cache and report success for a file it cannot write; ask first.
  HANDLE probe = CreateFileA(file.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

int Win32Locale::CompareIgnoreCase(const std::string& a, const std::string& b) {
  const int result =
      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                     b.c_str(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

char Win32Locale::DecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 0 &&
      buffer[0] != '\0') {
    return buffer[0];
  }
  return '.';
}

std::string Win32Locale::DisplayLanguage() {
  char buffer[16] = {};
  const LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (GetLocaleInfoA(language, LOCALE_SISO639LANGNAME, buffer, sizeof buffer) > 0) return buffer;
  return {};
}

std::uint32_t Win32Drives::LogicalDriveMask() {
  return GetLogicalDrives();
}

DriveType Win32Drives::TypeOf(const std::string& root) {
  return static_cast<DriveType>(GetDriveTypeA(root.c_str()));
}

bool Win32Drives::HasMedium(const std::string& root) {
  QuietErrors quiet;
  ULARGE_INTEGER available, total, free;
  std::string path = root;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free) != FALSE;
}

bool Win32Shell::Open(const std::string& target) {
  void* owner = owner_ ? owner_() : nullptr;
  if (launcher_) return launcher_(owner, target) > 32;
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(
      static_cast<HWND>(owner), "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

namespace {

thread_local HHOOK noOnEscape = nullptr;

// A box of Yes and No has no Cancel, and the system's box ignores Escape there; ours answer No,
// as every other window of ours closes on Escape as its Cancel does.
LRESULT CALLBACK AnswerNoOnEscape(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg != nullptr && msg->message == WM_KEYDOWN &&
      msg->wParam == VK_ESCAPE) {
    HWND box = GetAncestor(msg->hwnd, GA_ROOT);
    HWND no = box != nullptr ? GetDlgItem(box, IDNO) : nullptr;
    if (no != nullptr && GetDlgItem(box, IDCANCEL) == nullptr) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
      return 1;
    }
  }
  return CallNextHookEx(noOnEscape, code, wParam, lParam);
}

}  // namespace

Answer Win32Dialogs::Show(const std::string& text, const std::string& caption, unsigned flags) {
  HWND owner = owner_ ? static_cast<HWND>(owner_()) : nullptr;
  // Boxes may nest (a box of the window's while the helper's asks): only the outer one hooks.
  const bool hook = (flags & MbYesNo) != 0 && noOnEscape == nullptr;
  if (hook) {
    noOnEscape = SetWindowsHookExA(WH_MSGFILTER, AnswerNoOnEscape, nullptr, GetCurrentThreadId());
  }
  const int answer = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  if (hook && noOnEscape != nullptr) {
    UnhookWindowsHookEx(noOnEscape);
    noOnEscape = nullptr;
  }
  return static_cast<Answer>(answer);
}

void Win32Dialogs::ShowError(const std::string& text) {
  const std::string caption = errorCaption_ ? errorCaption_() : std::string("Error");
  Show(text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace brevlo::platform
