#pragma once

// Shell names and icons for hosts without a shell: drives are named after their type in the
// form "Local Disk (C:)", folders after their last component, and the icon indices are fixed
// slots of whatever small-icon list the host uses.

#include <map>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/ShellInfo.h"

namespace brevlo::platform {

enum PortableIcon : int {
  IconComputer = 0,
  IconFolder = 1,
  IconFolderOpen = 2,
  IconDriveBase = 3,  // + the drive type
};

class PortableShellInfo : public IShellInfo, public IBeeper {
 public:
  // Without drives every drive counts as a local disk.
  explicit PortableShellInfo(IDrives* drives = nullptr) : drives_(drives) {}

  bool computerAvailable = true;
  std::string computerName = "Computer";
  // Display names that replace the type's name, by upper-case drive letter.
  std::map<char, std::string> driveNames;
  // Every sound asked for, in order.
  std::vector<unsigned> beeps;

  std::optional<ShellItem> ComputerFolder() override;
  std::string DisplayName(const std::string& path) override;
  int SmallIcon(const std::string& path) override;
  int SmallOpenIcon(const std::string& path) override;
  void Beep(unsigned type) override { beeps.push_back(type); }

 private:
  IDrives* drives_;
};

}  // namespace brevlo::platform
