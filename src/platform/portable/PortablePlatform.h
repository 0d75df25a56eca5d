#pragma once

// Real implementations of the ports over the C++ standard library, for the native build, the
// tools and the tests. Windows path texts are mapped onto the host: "\" becomes "/".

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/MessagePump.h"
#include "platform/Profile.h"
#include "platform/Shell.h"

namespace brevlo::platform {

std::string HostPath(const std::string& windowsPath);

// Names starting with "." count as hidden, as the host's own tools treat them. Drive letters
// can be mapped onto host folders, so that "G:\\MP_ROOT" reaches a folder of a test.
class StdFileSystem : public IFileSystem {
 public:
  void MapDrive(char letter, const std::string& hostFolder);
  std::string Host(const std::string& windowsPath) const;
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
  std::string driveRoots_[26];
};

// Wildcard match with "*" and "?", ASCII case ignored, as the Windows file listing matches.
bool WildcardMatch(const std::string& pattern, const std::string& name);

class PlainLocale : public ILocale {
 public:
  explicit PlainLocale(char decimalSeparator = '.') : separator_(decimalSeparator) {}
  int CompareIgnoreCase(const std::string& a, const std::string& b) override;
  char DecimalSeparator() override { return separator_; }

 private:
  char separator_;
};

class CallbackPump : public IMessagePump {
 public:
  std::function<void()> onPump;
  int calls = 0;
  void ProcessMessages() override {
    ++calls;
    if (onPump) onPump();
  }
};

// Answers questions from a script and remembers every box shown.
class ScriptedDialogs : public IDialogs {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    unsigned flags;
  };
  std::deque<Answer> answers;
  std::vector<Shown> shown;
  std::vector<std::string> errors;
  Answer Show(const std::string& text, const std::string& caption, unsigned flags) override;
  void ShowError(const std::string& text) override { errors.push_back(text); }
};

// Drive letters mapped to host folders, each with a type and a medium present or not.
class TableDrives : public IDrives {
 public:
  struct Drive {
    char letter;
    DriveType type;
    std::string hostFolder;
    bool medium = true;
  };
  std::vector<Drive> drives;
  std::uint32_t LogicalDriveMask() override;
  DriveType TypeOf(const std::string& root) override;
  bool HasMedium(const std::string& root) override;
};

class RecordingShell : public IShell {
 public:
  std::vector<std::string> opened;
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
};

}  // namespace brevlo::platform
