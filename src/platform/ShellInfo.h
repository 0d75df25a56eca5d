#pragma once

#include <optional>
#include <string>

namespace brevlo::platform {

struct ShellItem {
  std::string displayName;
  int iconIndex = -1;
};

// What only the shell knows about drives and folders: display names and small icons, as
// indices into a list of the shell's small icons.
class IShellInfo {
 public:
  virtual ~IShellInfo() = default;
  // The folder that lists the drives, with its small icon; empty when the shell cannot
  // resolve it.
  virtual std::optional<ShellItem> ComputerFolder() = 0;
  // Display name of a drive root such as "C:\" or of a folder; empty when unknown.
  virtual std::string DisplayName(const std::string& path) = 0;
  // Small icon and small open icon of a path; -1 when unknown.
  virtual int SmallIcon(const std::string& path) = 0;
  virtual int SmallOpenIcon(const std::string& path) = 0;
};

class IBeeper {
 public:
  virtual ~IBeeper() = default;
  // The system sound of a message box kind, such as MB_ICONHAND (0x10).
  virtual void Beep(unsigned type) = 0;
};

}  // namespace brevlo::platform
