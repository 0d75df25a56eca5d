#include "library/PspDetection.h"

#include <cctype>

namespace brevlo::library {

std::optional<std::string> FindPspDrive(platform::IDrives& drives, platform::IFileSystem& fs) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":";
    if (drives.TypeOf(root) != platform::DriveType::Removable) continue;
    if (!fs.DirectoryExists(root + "\\MP_ROOT")) continue;
    return root;
  }
  return std::nullopt;
}

std::string DrivePartOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    return path.substr(0, 2);
  }
  return {};
}

std::string PspDriveOf(const std::string& selectedPath) {
  const std::string drive = DrivePartOf(selectedPath);
  return drive.empty() ? std::string() : drive + "\\";
}

bool PspReachable(const std::string& pspDrive, platform::IFileSystem& fs) {
  return !pspDrive.empty() && fs.DirectoryExists(pspDrive + "MP_ROOT");
}

}  // namespace brevlo::library
