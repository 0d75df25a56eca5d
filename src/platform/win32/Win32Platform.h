#pragma once

// The ports over the Windows kernel, shell and window system, through the 8-bit ("A") calls.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/MessagePump.h"
#include "platform/Profile.h"
#include "platform/Shell.h"

namespace brevlo::platform {

class Win32FileSystem : public IFileSystem {
 public:
  // The steps of a copy in steps then run while pump serves the windows, so that a read or a
  // write that stalls (a busy disk, a slow memory stick) leaves them answering.
  void ServeWindowsWith(IMessagePump* pump) { pump_ = pump; }
  bool DirectoryExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& folder,
                                      const std::string& pattern) override;
  void VisitDirectory(const std::string& folder, const std::string& pattern,
                      const std::function<bool(const DirEntry&)>& visit) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  bool ReadFile(const std::string& path, std::vector<unsigned char>& out,
                std::size_t maxBytes) override;
  std::unique_ptr<IFileReader> OpenReader(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  CopyResult CopyInSteps(const std::string& from, const std::string& to,
                         const CopyProgress& progress) override;
  bool Delete(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Truncate(const std::string& path, std::uint64_t size) override;
  CopyResult CopyPlanInSteps(const std::string& from, const std::string& to, const CopyPlan& plan,
                             const CopyProgress& progress) override;
  bool WriteAt(const std::string& path, std::uint64_t offset,
               const std::vector<std::uint8_t>& bytes) override;
  std::optional<std::uint64_t> FreeBytes(const std::string& folder) override;
  bool WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  void CopyAttributes(const std::string& from, const std::string& to) override;
  bool Recycle(const std::string& path) override;

 private:
  IMessagePump* pump_ = nullptr;
};

class Win32Profile : public IProfile {
 public:
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& fallback) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

class Win32Locale : public ILocale {
 public:
  int CompareIgnoreCase(const std::string& a, const std::string& b) override;
  char DecimalSeparator() override;
  std::string DisplayLanguage() override;
};

class Win32Drives : public IDrives {
 public:
  std::uint32_t LogicalDriveMask() override;
  DriveType TypeOf(const std::string& root) override;
  bool HasMedium(const std::string& root) override;
};

// The window that owns what a call shows (an HWND; null for none), asked at each call.
using OwnerWindow = std::function<void*()>;

// The shell's "open"; an error or association dialog of the shell belongs to the owner.
class Win32Shell : public IShell {
 public:
  // The call that hands owner and target to the shell's "open": ShellExecuteA's, unless a test
  // puts its own in. Answers ShellExecuteA's result.
  using Launcher = std::function<std::intptr_t(void* owner, const std::string& target)>;
  explicit Win32Shell(OwnerWindow owner = {}) : owner_(std::move(owner)) {}
  bool Open(const std::string& target) override;
  void SetLauncher(Launcher launcher) { launcher_ = std::move(launcher); }

 private:
  OwnerWindow owner_;
  Launcher launcher_;
};

// Message boxes owned by the window the owner names; the error box has the caller's caption.
class Win32Dialogs : public IDialogs {
 public:
  Win32Dialogs(OwnerWindow owner, std::function<std::string()> errorCaption)
      : owner_(std::move(owner)), errorCaption_(std::move(errorCaption)) {}
  Answer Show(const std::string& text, const std::string& caption, unsigned flags) override;
  void ShowError(const std::string& text) override;

 private:
  OwnerWindow owner_;
  std::function<std::string()> errorCaption_;
};

}  // namespace brevlo::platform
