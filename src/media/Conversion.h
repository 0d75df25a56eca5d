#pragma once

// Conversion of a video the PSP cannot play into one it plays, on the way to it. No type of the
// decoders' or encoders' own passes this door.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/SubtitleRules.h"

namespace brevlo::media {

// MP_ROOT\100MNV01 (MPEG-4 Part 2 Simple Profile) / MP_ROOT\101ANV01 (H.264 Main, level 3.0 at
// most).
enum class TargetKind { Mpeg4, Avc };

// What the source holds, as probed.
struct SourceFacts {
  int width = 0, height = 0;   // coded size
  double sampleAspect = 1;     // pixel shape
  int quarterTurns = 0;        // display matrix, clockwise
  int fpsNum = 0, fpsDen = 1;  // frame rate (0: unknown)
  int audioChannels = 0;       // 0: no sound
  int audioRate = 0;
  double seconds = 0;
  std::string soundLanguage;             // of the sound that goes, as tagged
  std::vector<SubtitleTrack> subtitles;  // the tracks that can be drawn
  // The picture as it is already plays on the PSP as that kind, in colours the PSP shows as
  // meant: it is copied into the PSP's MP4, not encoded again.
  bool picturePlaysAsMpeg4 = false, picturePlaysAsAvc = false;
  double pictureBitRate = 0;  // bits a second, an upper estimate; 0: unknown
};

// Where a style's font is found: the fonts attached to the video first, then the system's
// (unless systemFonts is off), then fallbackFamily, then the font file fallbackFile.
struct SubtitleFonts {
  bool systemFonts = true;
  std::string fallbackFamily;
  std::string fallbackFile;  // as the libraries open it
};

// The subtitles drawn into the picture: a subtitle file, or a stream of the video itself.
struct SubtitleSource {
  std::string path;  // empty: none; as the libraries open it
  int stream = -1;   // in path; -1: its first subtitle stream
  SubtitleFonts fonts;
};

struct OutputSettings {
  int width = 480, height = 272;            // always
  int pictureWidth = 0, pictureHeight = 0;  // the picture inside the black bars, even numbers
  int left = 0, top = 0;                    // its place
  // The source's rate up to 30; above, halved, or 30000/1001 when halving leaves it above 30.
  int fpsNum = 0, fpsDen = 1;
  // A maximum rate with a buffer, not only an average: the MPEG-4 Simple Profile level 3 buffer.
  int videoMaxBitRate = 768000, videoBufferBits = 655360;
  int audioRate = 48000, audioChannels = 2, audioBitRate = 128000;  // AAC-LC
  bool silentSound = false;  // a source without sound gets a silent track
};

// None: not a video we read (no picture stream, or no decoder for it). path is UTF-8.
std::optional<SourceFacts> ProbeSource(const std::string& path);
OutputSettings PlanOutput(const SourceFacts& source, TargetKind kind);
// An upper estimate of the output's size, for the free-space check.
std::uint64_t EstimateOutputBytes(const SourceFacts& source, TargetKind kind = TargetKind::Mpeg4);

class Conversion {
 public:
  // Opens source and writes target (a new file; the caller names it and removes it on failure).
  // Paths are UTF-8. Null with a short reason in error when it cannot start.
  // title: the title the PSP lists it under (none when empty).
  static std::unique_ptr<Conversion> Open(const std::string& source, const std::string& target,
                                          TargetKind kind, std::string& error,
                                          const std::string& title = {},
                                          const SubtitleSource& subtitles = {});
  virtual ~Conversion();
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;

  enum class Step { Working, Done, Failed };
  // Converts for about `seconds` of wall time and returns; the caller runs each step off the
  // window's thread and checks Stop between steps. Done once the target is complete and closed.
  Step Run(double seconds = 0.1);
  // Of the source's length done, 0..1, never going back; may be read from another thread
  // while Run works.
  double Fraction() const;
  std::string Error() const;  // a short reason for a failed row, once Run said Failed
  // The bytes of the finished file, once Run said Done.
  std::uint64_t BytesWritten() const;
  // Whether subtitles were to be drawn and none of them could be, once Run said Done.
  bool SubtitlesLost() const;
  // Wall time spent reading and drawing the subtitles, in seconds.
  double SubtitleSeconds() const;

 private:
  struct Work;
  explicit Conversion(std::unique_ptr<Work> work);
  std::unique_ptr<Work> work_;
};

}  // namespace brevlo::media
