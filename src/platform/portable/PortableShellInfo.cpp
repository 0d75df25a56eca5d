#include "platform/portable/PortableShellInfo.h"

#include <cctype>

namespace brevlo::platform {
namespace {

// Upper-case letter of a drive root ("C:" or "C:\"), or 0 for any other path.
char DriveLetterOf(const std::string& path) {
  if (path.size() < 2 || path.size() > 3 || path[1] != ':') return 0;
  if (path.size() == 3 && path[2] != '\\') return 0;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

const char* TypeName(DriveType type) {
  switch (type) {
    case DriveType::Removable:
      return "Removable Disk";
    case DriveType::Fixed:
      return "Local Disk";
    case DriveType::Remote:
      return "Network Drive";
    case DriveType::CdRom:
      return "CD Drive";
    case DriveType::RamDisk:
      return "RAM Disk";
    default:
      return "Drive";
  }
}

}  // namespace

std::optional<ShellItem> PortableShellInfo::ComputerFolder() {
  if (!computerAvailable) return std::nullopt;
  return ShellItem{computerName, IconComputer};
}

std::string PortableShellInfo::DisplayName(const std::string& path) {
  const char letter = DriveLetterOf(path);
  if (letter != 0) {
    const auto named = driveNames.find(letter);
    if (named != driveNames.end()) return named->second;
    const DriveType type = drives_ != nullptr ? drives_->TypeOf(path) : DriveType::Fixed;
    return std::string(TypeName(type)) + " (" + letter + ":)";
  }
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  const auto slash = trimmed.find_last_of('\\');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

int PortableShellInfo::SmallIcon(const std::string& path) {
  if (DriveLetterOf(path) == 0) return IconFolder;
  const DriveType type = drives_ != nullptr ? drives_->TypeOf(path) : DriveType::Fixed;
  return IconDriveBase + static_cast<int>(type);
}

int PortableShellInfo::SmallOpenIcon(const std::string& path) {
  return DriveLetterOf(path) == 0 ? IconFolderOpen : SmallIcon(path);
}

}  // namespace brevlo::platform
