#pragma once

// The ports over the Windows kernel, shell and window system, through the 8-bit ("A") calls.

#include <functional>

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
  bool DirectoryExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& folder,
                                      const std::string& pattern) override;
  void VisitDirectory(const std::string& folder, const std::string& pattern,
                      const std::function<bool(const DirEntry&)>& visit) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  bool ReadFile(const std::string& path, std::vector<unsigned char>& out,
                std::size_t maxBytes) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Delete(const std::string& path) override;
  bool Move(const std::string& from, const std::string& to) override;
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
};

class Win32Drives : public IDrives {
 public:
  std::uint32_t LogicalDriveMask() override;
  DriveType TypeOf(const std::string& root) override;
  bool HasMedium(const std::string& root) override;
};

class Win32Shell : public IShell {
 public:
  bool Open(const std::string& target) override;
};

// Message boxes and the message pump go through the application object, so that boxes are
// owned by the window in front and pumping handles accelerators like the main loop.
class AppDialogs : public IDialogs {
 public:
  Answer Show(const std::string& text, const std::string& caption, unsigned flags) override;
  void ShowError(const std::string& text) override;
};

class AppPump : public IMessagePump {
 public:
  void ProcessMessages() override;
};

}  // namespace brevlo::platform
