#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::video {

enum class VideoCodec { Mpeg4Visual, H264, Other };
enum class SoundCodec { Aac, Other };

struct VideoFacts {
  VideoCodec codec = VideoCodec::Other;
  std::string format;   // "MPEG-4", "H.264", "HEVC", ... or the sample entry's own code
  std::string profile;  // "Simple", "Main", ...; empty when the file does not say
  std::string level;    // "1", "0b", "3.0", ...; empty when the file does not say
  int h264Profile = 0;  // profile_idc
  int h264Level = 0;    // level_idc; 9 stands for level 1b
  bool mpeg4Simple = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  double frameRate = 0;  // 0 when it cannot be told
  bool operator==(const VideoFacts&) const = default;
};

struct SoundFacts {
  SoundCodec codec = SoundCodec::Other;
  std::string format;     // "AAC", "HE-AAC", "MP3", ...
  int aacObjectType = 0;  // 2 is AAC-LC
  std::uint32_t sampleRate = 0;
  int channels = 0;
  bool operator==(const SoundFacts&) const = default;
};

struct Mp4Details {
  std::uint64_t fileSize = 0;
  double seconds = 0;
  std::optional<VideoFacts> video;  // the first picture track
  std::optional<SoundFacts> sound;  // the first sound track
  std::string title;                // UTF-8; empty when the file holds none
  bool pspTitle = false;            // the title is the one the PSP shows, not the common one
  // A length field near 2^64, or a time scale of 1 with a huge duration, is damage, not a
  // video of centuries.
  bool LengthKnown() const {
    return std::isfinite(seconds) && seconds >= 0 && seconds <= MaxSeconds;
  }
  // Bits per second over the whole file; 0 without a length.
  double BitRate() const {
    return LengthKnown() && seconds > 0 ? static_cast<double>(fileSize) * 8 / seconds : 0;
  }
  static constexpr double MaxSeconds = 100.0 * 3600;
};

// What a reading cost, for those who keep an eye on it.
struct Mp4ReadCost {
  int reads = 0;
  std::uint64_t bytes = 0;
};

// Reads the header (the "moov" box, at the start or the end) and never the media: a few reads
// of at most a few hundred KB, whatever the file's size. Empty when the file is not a
// complete MP4 file: empty, cut short, or with boxes that do not fit.
std::optional<Mp4Details> ReadMp4Details(platform::IFileReader& file, Mp4ReadCost* cost = nullptr);

// One code point as UTF-8, the text of every name and title in the program.
std::string Utf8Of(std::uint32_t codePoint);
// Code points of UTF-8 text; a byte that starts no character stands for U+FFFD.
std::vector<std::uint32_t> CodePoints(const std::string& text);

}  // namespace brevlo::video
