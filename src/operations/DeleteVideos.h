#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::operations {

enum class DeleteKind { ForGood, ToRecycleBin };

// Deletes each selected video of a list and its thumbnail companion, in list order. Failures
// are not reported and stop nothing: the reloaded list shows what is really gone. A folder
// that is not rooted deletes nothing.
void DeleteSelectedVideos(platform::IFileSystem& fs, const std::string& folder,
                          const std::vector<std::string>& selectedCaptions,
                          DeleteKind kind = DeleteKind::ForGood);

}  // namespace brevlo::operations
