#pragma once

// The media room's door: what the rest of the program may ask of the video decoders. No type of
// the decoders' own passes it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/JpegDecoder.h"

namespace brevlo::media {

// The size of the PSP's own thumbnails.
inline constexpr int PictureWidth = 160;
inline constexpr int PictureHeight = 120;

// Asked between frames; true gives the work up.
using StopAsked = std::function<bool()>;

// A frame at about a tenth of the video's length (the first of a very short clip), a later one
// when that is almost black, scaled with its shape kept and black bars to 160 x 120; none for a
// file that is not a video, is damaged, or is of a kind we do not read. path is UTF-8.
std::optional<platform::Thumbnail> PictureOfVideo(const std::string& path,
                                                  const StopAsked& stop = {});

// The port the program works through: the picture of a video as a thumbnail file's bytes (a
// baseline JPEG), empty for none.
class IVideoPictures {
 public:
  virtual ~IVideoPictures() = default;
  virtual std::vector<std::uint8_t> ThumbnailOf(const std::string& path,
                                                const StopAsked& stop = {}) = 0;
};

class VideoPictures : public IVideoPictures {
 public:
  std::vector<std::uint8_t> ThumbnailOf(const std::string& path,
                                        const StopAsked& stop = {}) override;
};

}  // namespace brevlo::media
