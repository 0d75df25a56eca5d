#include "library/PaneFolders.h"

namespace brevlo::library {

std::string PaneFolders::PspKindFolder() const {
  return library::PspKindFolder(kind_);
}

std::string PaneFolders::PspFolder() const {
  if (pspDrive_.empty()) return {};
  return pspDrive_ + PspKindFolder();
}

void PaneFolders::SetPcFolder(const std::string& folder) {
  pcFolder_ = WithTrailingBackslash(folder);
}

void PaneFolders::SetPspDrive(const std::string& drive) {
  pspDrive_ = WithTrailingBackslash(drive);
}

}  // namespace brevlo::library
