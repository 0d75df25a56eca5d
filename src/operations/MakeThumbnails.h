#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::operations {

// A picture of a video as a thumbnail file's bytes, empty for none.
using PictureMaker = std::function<std::vector<std::uint8_t>(const std::string& video)>;

struct ThumbnailsReport {
  int written = 0;
  bool stopped = false;                 // the videos after it were left as they were
  std::vector<std::string> noPicture;   // not a video we read, or damaged
  std::vector<std::string> notWritten;  // the folder took no new file
};

inline constexpr const char* MakeThumbnailsCaption = "Make Thumbnails";

// Gives each named video of a folder that has no thumbnail a picture of itself as one; a video
// with a thumbnail keeps it. Each thumbnail is written under a temporary name and then takes its
// own, so an interrupted run never leaves half a picture under a thumbnail's name, and a write
// that fails leaves nothing. stopped is asked before each video and after its picture: a
// picture made while it turned true is not written.
ThumbnailsReport MakeThumbnails(platform::IFileSystem& fs, const std::string& folder,
                                const std::vector<std::string>& captions,
                                const PictureMaker& pictureOf,
                                const std::function<bool()>& stopped = {});

// The end message when some videos got no picture; empty when all did.
std::string ThumbnailsReportText(const ThumbnailsReport& report);

}  // namespace brevlo::operations
