#pragma once

#include <cstdint>
#include <string>

namespace brevlo::platform {

// Drive types as GetDriveTypeA answers them.
enum class DriveType : unsigned {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

class IDrives {
 public:
  virtual ~IDrives() = default;
  // Bit 0 is A:, bit 25 is Z:.
  virtual std::uint32_t LogicalDriveMask() = 0;
  // Root such as "G:" or "G:\".
  virtual DriveType TypeOf(const std::string& root) = 0;
  // True when the drive's medium answers (free space can be read); never shows a system box.
  virtual bool HasMedium(const std::string& root) = 0;
};

}  // namespace brevlo::platform
