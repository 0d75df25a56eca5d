#pragma once

#include <optional>
#include <string>
#include <vector>

#include "library/PspNaming.h"
#include "video/Mp4Info.h"

namespace brevlo::video {

// The kind the video is sent as, chosen in the PSP list.
using library::Mpeg4;
using library::Mpeg4Avc;
using library::VideoKind;

enum class Playability { Plays, MayNotPlay, WillNotPlay };

struct PspVerdict {
  Playability playability = Playability::Plays;
  std::vector<std::string> reasons;  // the surest first
};

// Whether the PSP plays a video sent to it as the given kind (the one chosen in "Video Type").
PspVerdict JudgeForPsp(const Mp4Details& details, VideoKind kind, char decimalSeparator = '.');
// "Plays on the PSP", or "May not play on the PSP: " / "Will not play on the PSP: " and the
// reasons.
std::string VerdictText(const PspVerdict& verdict);
// "12:34 · 480 x 272 · H.264 Main 3.0 · AAC 48 kHz stereo · 1.2 Mbit/s · 112 MB" (UTF-8).
std::string FactsLine(const Mp4Details& details, char decimalSeparator);

inline constexpr const char* NoDetailsText = "No details: not a complete MP4 file";
inline constexpr const char* UnreadableText = "No details: the file cannot be read";

// A row's tip, one part a line (CR LF): the title if there is one, the facts, the verdict.
// Empty details give NoDetailsText.
std::string DetailsTip(const std::optional<Mp4Details>& details, VideoKind kind,
                       char decimalSeparator);

}  // namespace brevlo::video
