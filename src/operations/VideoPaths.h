#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace brevlo::operations {

// A folder that names its drive ("C:\...") or share ("\\server\..."). Anything else would be
// resolved against the current folder, where the user never asked us to act.
bool IsRootedFolder(const std::string& folder);

// Up to and including the last backslash; empty when the path has none.
std::string FolderPartOf(const std::string& path);
// After the last backslash.
std::string FileNamePartOf(const std::string& path);

// The video that "Play" opens: the first selected caption joined to the list's folder; empty
// when nothing is selected or the folder is not rooted.
std::string PathToPlay(const std::string& folder, const std::vector<std::string>& selectedCaptions);
// The folder that "Open the directory" opens, as given; empty when it is not rooted.
std::string FolderToOpen(const std::string& folder);

// Hand the path above to the shell's "open"; false when there was nothing to hand over.
bool PlaySelectedVideo(platform::IShell& shell, const std::string& folder,
                       const std::vector<std::string>& selectedCaptions);
bool OpenFolderOf(platform::IShell& shell, const std::string& folder);

}  // namespace brevlo::operations
