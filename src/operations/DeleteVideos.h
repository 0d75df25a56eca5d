#pragma once

#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/FileSystem.h"

namespace brevlo::operations {

enum class DeleteKind { ForGood, ToRecycleBin };

// Whether the Recycle Bin takes the files of folder: only a fixed drive has one. From a
// removable drive (a memory stick, the PSP), a network share or anything else, the system
// would delete them for good without a word.
bool RecycleBinTakes(platform::IDrives& drives, const std::string& folder);

// The Delete key's question for count selected videos of the PSP list or the PC list.
std::string DeleteQuestion(int count, bool psp, bool recycle);

// Deletes each selected video of a list and its thumbnail companion, in list order. A failure
// stops nothing; the captions of the videos not deleted with their companion are returned
// (a file the Recycle Bin did not take stays where it was). A folder that is not rooted
// deletes nothing.
std::vector<std::string> DeleteSelectedVideos(platform::IFileSystem& fs, const std::string& folder,
                                              const std::vector<std::string>& selectedCaptions,
                                              DeleteKind kind = DeleteKind::ForGood);

// The message naming the videos DeleteSelectedVideos could not delete.
std::string NotDeletedText(const std::vector<std::string>& captions, DeleteKind kind);

}  // namespace brevlo::operations
