#include "video/PspPlayability.h"

#include <cmath>
#include <cstdio>

namespace brevlo::video {
namespace {

constexpr const char* Dot = " \xC2\xB7 ";  // a middle dot between spaces

// A number with at most `decimals` decimals, trailing zeros dropped: 44.1, 22.05, 48.
std::string Decimal(double value, int decimals, char separator) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out = text;
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  for (char& c : out) {
    if (c == '.') c = separator;
  }
  return out;
}

std::string SizeText(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string VideoName(const VideoFacts& v) {
  std::string name = v.format;
  if (!v.profile.empty()) name += " " + v.profile;
  if (!v.level.empty()) name += " " + v.level;
  return name;
}

std::string ChannelsText(int channels) {
  switch (channels) {
    case 1:
      return "mono";
    case 2:
      return "stereo";
    case 6:
      return "5.1";
    case 8:
      return "7.1";
    default:
      return std::to_string(channels) + " channels";
  }
}

std::string BytesText(std::uint64_t bytes, char separator) {
  const double mb = static_cast<double>(bytes) / 1e6;
  if (mb >= 1000) return Decimal(mb / 1000, 1, separator).append(" GB");
  if (mb < 1) return Decimal(mb * 1000, 0, separator).append(" kB");
  return Decimal(mb, mb < 10 ? 1 : 0, separator).append(" MB");
}

bool IsAvc(const Mp4Details& d) {
  return d.video && d.video->codec == VideoCodec::H264;
}

bool IsMpeg4(const Mp4Details& d) {
  return d.video && d.video->codec == VideoCodec::Mpeg4Visual;
}

// Sizes above 480 x 272 that the guides list for H.264 on later system software.
bool ListedLargerSize(std::uint32_t width, std::uint32_t height) {
  return (width == 720 && height == 480) || (width == 352 && height == 480);
}

struct Rule {
  Playability breach;
  // Why the video breaks the rule; empty when it keeps it.
  std::string (*check)(const Mp4Details&, VideoKind, char decimalSeparator);
};

// What the PSP plays from its Memory Stick. Sources:
//  [sony]   Sony's support page "Transfer video files to your PSP": MPEG-4 and AVC formats only.
//  [guide]  public encoding guides (an encoder's PSP wiki page, Memory Stick Video notes, the
//           encoders' PSP presets): one MPEG-4 Simple Profile or H.264 Main or Baseline Profile
//           picture track up to level 3.0, at most 30 frames a second, and one AAC-LC sound
//           track, stereo, up to 48 kHz.
//  [330]    notes on system software 3.30, which lifted the old 320 x 240 limit to the screen's
//           480 x 272; guides name 720 x 480 and 352 x 480 for H.264 on later system software,
//           where others stop at 480 x 272.
//  [folder] the kind folders: MP_ROOT\100MNV01 (M4V names) for MPEG-4, MP_ROOT\101ANV01 (MAQ
//           names) for AVC, which system software 2.0 added.
//  [fat32]  the Memory Stick's FAT32 file system: a file holds less than 4 GiB.
const Rule PspRules[] = {
    // [fat32]
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char separator) -> std::string {
       if (d.fileSize < (std::uint64_t{1} << 32)) return {};
       return BytesText(d.fileSize, separator) + " is more than a file on the PSP can hold (4 GB)";
     }},
    // [guide] a video needs a picture
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       return d.video ? std::string() : "there is no picture";
     }},
    // [sony] [guide] MPEG-4 and AVC only
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.video || IsAvc(d) || IsMpeg4(d)) return {};
       return d.video->format + " video is neither MPEG-4 nor H.264";
     }},
    // [folder] a video copied as the other kind gets a name the PSP reads as that kind; some
    // system software plays it all the same
    {Playability::MayNotPlay,
     [](const Mp4Details& d, VideoKind kind, char) -> std::string {
       if (IsAvc(d) && kind == Mpeg4) return "H.264 video, but Video Type is \"MPEG-4 Video\"";
       if (IsMpeg4(d) && kind != Mpeg4) {
         return "MPEG-4 video, but Video Type is \"MPEG-4 AVC Video\"";
       }
       return {};
     }},
    // [guide] MPEG-4 Simple Profile
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!IsMpeg4(d) || d.video->mpeg4Simple || d.video->profile.empty()) return {};
       return "MPEG-4 " + d.video->profile + " is not Simple Profile";
     }},
    // [guide] a stream that does not state its profile may be any
    {Playability::MayNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!(IsMpeg4(d) || IsAvc(d)) || !d.video->profile.empty()) return {};
       return d.video->format + " video does not state its profile";
     }},
    // [guide] H.264 Main or Baseline Profile
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!IsAvc(d) || d.video->profile.empty()) return {};
       if (d.video->h264Profile == 66 || d.video->h264Profile == 77) return {};
       return "H.264 " + d.video->profile + " is not Main or Baseline Profile";
     }},
    // [guide] H.264 up to level 3.0
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!IsAvc(d) || d.video->h264Level <= 30) return {};
       return "H.264 level " + d.video->level + " is above 3.0";
     }},
    // [330] the sizes some guides name for H.264 on later system software
    {Playability::MayNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!IsAvc(d) || !ListedLargerSize(d.video->width, d.video->height)) return {};
       return SizeText(d.video->width, d.video->height) + " is larger than 480 x 272";
     }},
    // [guide] [330] the screen's 480 x 272 at most
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.video || (d.video->width <= 480 && d.video->height <= 272)) return {};
       if (IsAvc(d) && ListedLargerSize(d.video->width, d.video->height)) return {};
       return SizeText(d.video->width, d.video->height) + " is larger than 480 x 272";
     }},
    // [guide] at most 30 frames a second (29.97 included)
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char separator) -> std::string {
       if (!d.video || d.video->frameRate <= 30.01) return {};
       return Decimal(d.video->frameRate, 2, separator) + " frames a second is more than 30";
     }},
    // [guide] AAC sound
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.sound || d.sound->codec == SoundCodec::Aac) return {};
       return d.sound->format + " sound is not AAC";
     }},
    // [guide] AAC-LC; the core of HE-AAC is AAC-LC, which a player without its extension plays
    // at half the rate
    {Playability::MayNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.sound || d.sound->codec != SoundCodec::Aac) return {};
       const int type = d.sound->aacObjectType;
       if (type != 5 && type != 29) return {};
       return d.sound->format + " sound is not AAC-LC";
     }},
    // [guide] AAC-LC; the other AAC types have no such core
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.sound || d.sound->codec != SoundCodec::Aac) return {};
       const int type = d.sound->aacObjectType;
       if (type == 0 || type == 2 || type == 5 || type == 29) return {};
       return d.sound->format + " sound is not AAC-LC";
     }},
    // [guide] up to 48 kHz
    {Playability::WillNotPlay,
     [](const Mp4Details& d, VideoKind, char separator) -> std::string {
       if (!d.sound || d.sound->sampleRate <= 48000) return {};
       return Decimal(d.sound->sampleRate / 1000.0, 2, separator) + " kHz sound is above 48 kHz";
     }},
    // [guide] stereo; some players mix more channels down
    {Playability::MayNotPlay,
     [](const Mp4Details& d, VideoKind, char) -> std::string {
       if (!d.sound || d.sound->channels <= 2) return {};
       return ChannelsText(d.sound->channels) + " sound is more than stereo";
     }},
};

}  // namespace

PspVerdict JudgeForPsp(const Mp4Details& details, VideoKind kind, char decimalSeparator) {
  PspVerdict verdict;
  std::vector<std::string> maybe;
  for (const Rule& rule : PspRules) {
    std::string reason = rule.check(details, kind, decimalSeparator);
    if (reason.empty()) continue;
    if (rule.breach == Playability::WillNotPlay) {
      verdict.playability = Playability::WillNotPlay;
      verdict.reasons.push_back(std::move(reason));
    } else {
      if (verdict.playability == Playability::Plays) verdict.playability = Playability::MayNotPlay;
      maybe.push_back(std::move(reason));
    }
  }
  verdict.reasons.insert(verdict.reasons.end(), maybe.begin(), maybe.end());
  return verdict;
}

std::string VerdictText(const PspVerdict& verdict) {
  if (verdict.playability == Playability::Plays) return "Plays on the PSP";
  std::string text = verdict.playability == Playability::WillNotPlay ? "Will not play on the PSP: "
                                                                     : "May not play on the PSP: ";
  for (std::size_t i = 0; i < verdict.reasons.size(); ++i) {
    if (i > 0) text += "; ";
    text += verdict.reasons[i];
  }
  return text;
}

std::string FactsLine(const Mp4Details& details, char decimalSeparator) {
  std::vector<std::string> parts;
  const auto total = details.LengthKnown() ? std::llround(details.seconds) : -1LL;
  char length[32];
  if (total < 0) {
    std::snprintf(length, sizeof length, "unknown length");
  } else if (total >= 3600) {
    std::snprintf(length, sizeof length, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
  } else {
    std::snprintf(length, sizeof length, "%lld:%02lld", total / 60, total % 60);
  }
  parts.emplace_back(length);
  if (details.video) {
    const VideoFacts& v = *details.video;
    if (v.width != 0 && v.height != 0) parts.push_back(SizeText(v.width, v.height));
    parts.push_back(VideoName(v));
  } else {
    parts.emplace_back("no picture");
  }
  if (details.sound) {
    const SoundFacts& s = *details.sound;
    std::string sound = s.format;
    if (s.sampleRate != 0) {
      sound.append(" ").append(Decimal(s.sampleRate / 1000.0, 2, decimalSeparator)).append(" kHz");
    }
    if (s.channels != 0) sound.append(" ").append(ChannelsText(s.channels));
    parts.push_back(std::move(sound));
  } else {
    parts.emplace_back("no sound");
  }
  const double rate = details.BitRate();
  if (rate >= 1e6) {
    parts.push_back(Decimal(rate / 1e6, 1, decimalSeparator).append(" Mbit/s"));
  } else if (rate > 0) {
    parts.push_back(Decimal(rate / 1e3, 0, decimalSeparator).append(" kbit/s"));
  }
  parts.push_back(BytesText(details.fileSize, decimalSeparator));
  std::string line;
  for (const std::string& part : parts) {
    if (!line.empty()) line += Dot;
    line += part;
  }
  return line;
}

std::string DetailsTip(const std::optional<Mp4Details>& details, VideoKind kind,
                       char decimalSeparator) {
  if (!details) return NoDetailsText;
  std::string tip;
  if (!details->title.empty()) tip = details->title + "\r\n";
  return tip + FactsLine(*details, decimalSeparator) + "\r\n" +
         VerdictText(JudgeForPsp(*details, kind, decimalSeparator));
}

}  // namespace brevlo::video
