#pragma once

#include <string>

#include "library/PspNaming.h"

namespace brevlo::library {

// The folders the two panes show: the PC folder, and the PSP drive with the kind of video
// chosen, of which the PSP folder is made. A folder is empty (none chosen) or ends in its
// backslash, so a file name can be put after it as it is.
class PaneFolders {
 public:
  // "C:\Videos\"; empty when none is chosen.
  const std::string& PcFolder() const { return pcFolder_; }
  // "G:\"; empty when no PSP drive is chosen.
  const std::string& PspDrive() const { return pspDrive_; }
  VideoKind Kind() const { return kind_; }
  // "MP_ROOT\100MNV01\" or "MP_ROOT\101ANV01\"
  std::string PspKindFolder() const;
  // The chosen kind's folder on the PSP drive ("G:\MP_ROOT\100MNV01\"); empty without a drive.
  std::string PspFolder() const;

  // Taken as given, with the trailing backslash added.
  void SetPcFolder(const std::string& folder);
  void SetPspDrive(const std::string& drive);
  void SetKind(VideoKind kind) { kind_ = kind; }

  bool operator==(const PaneFolders&) const = default;

 private:
  std::string pcFolder_;
  std::string pspDrive_;
  VideoKind kind_ = Mpeg4;
};

}  // namespace brevlo::library
