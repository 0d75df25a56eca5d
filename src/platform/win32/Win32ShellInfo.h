#pragma once

// Shell names and icons of drives and folders, and the system sounds, through the 8-bit calls.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/ShellInfo.h"

namespace brevlo::platform {

class Win32ShellInfo : public IShellInfo {
 public:
  std::optional<ShellItem> ComputerFolder() override;
  std::string DisplayName(const std::string& path) override;
  int SmallIcon(const std::string& path) override;
  int SmallOpenIcon(const std::string& path) override;

 private:
  int FolderIcon(const std::string& path, bool open);
  int plainIcon_ = -1;
  int plainOpenIcon_ = -1;
};

class Win32Beeper : public IBeeper {
 public:
  void Beep(unsigned type) override;
};

// The small icons that Win32ShellInfo's indices refer to, one list for the whole program;
// not the caller's to destroy.
HIMAGELIST SmallIconList();

}  // namespace brevlo::platform
