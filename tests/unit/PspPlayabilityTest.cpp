// The PSP's rules over the facts of a video, one departure from a video it plays at a time.
#include "video/PspPlayability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace brevlo::video;

namespace {

Mp4Details Playable() {
  Mp4Details d;
  d.fileSize = 112'000'000;
  d.seconds = 754;
  d.video = VideoFacts{VideoCodec::H264, "H.264", "Main", "3.0", 77, 30, false, 480, 272, 29.97};
  d.sound = SoundFacts{SoundCodec::Aac, "AAC", 2, 48000, 2};
  return d;
}

std::string Dots(std::string text) {
  for (std::size_t at; (at = text.find(" | ")) != std::string::npos;) {
    text.replace(at, 3, " \xC2\xB7 ");
  }
  return text;
}

TEST(PspPlayabilityTest, EachRuleNamesWhatItFinds) {
  struct Case {
    const char* name;
    std::function<void(Mp4Details&)> change;
    VideoKind kind;
    const char* verdict;
  };
  const Case cases[] = {
      {"as made for it", [](Mp4Details&) {}, Mpeg4Avc, "Plays on the PSP"},
      {"size nobody lists", [](Mp4Details& d) { d.video->width = 640, d.video->height = 480; },
       Mpeg4Avc, "Will not play on the PSP: 640 x 480 is larger than 480 x 272"},
      {"baseline 1b", [](Mp4Details& d) { d.video->h264Profile = 66, d.video->h264Level = 9; },
       Mpeg4Avc, "Plays on the PSP"},
      {"no profile stated", [](Mp4Details& d) { d.video->profile.clear(); }, Mpeg4Avc,
       "May not play on the PSP: H.264 video does not state its profile"},
      {"60 frames", [](Mp4Details& d) { d.video->frameRate = 59.94; }, Mpeg4Avc,
       "Will not play on the PSP: 59.94 frames a second is more than 30"},
      {"HE-AAC", [](Mp4Details& d) { d.sound->aacObjectType = 5, d.sound->format = "HE-AAC"; },
       Mpeg4Avc, "May not play on the PSP: HE-AAC sound is not AAC-LC"},
      {"AAC Main", [](Mp4Details& d) { d.sound->aacObjectType = 1, d.sound->format = "AAC Main"; },
       Mpeg4Avc, "Will not play on the PSP: AAC Main sound is not AAC-LC"},
      {"MP3", [](Mp4Details& d) { d.sound->codec = SoundCodec::Other, d.sound->format = "MP3"; },
       Mpeg4Avc, "Will not play on the PSP: MP3 sound is not AAC"},
      {"96 kHz", [](Mp4Details& d) { d.sound->sampleRate = 96000; }, Mpeg4Avc,
       "Will not play on the PSP: 96 kHz sound is above 48 kHz"},
      {"no picture", [](Mp4Details& d) { d.video.reset(); }, Mpeg4Avc,
       "Will not play on the PSP: there is no picture"},
      {"HEVC", [](Mp4Details& d) { d.video->codec = VideoCodec::Other, d.video->format = "HEVC"; },
       Mpeg4Avc, "Will not play on the PSP: HEVC video is neither MPEG-4 nor H.264"},
      {"4 GiB", [](Mp4Details& d) { d.fileSize = 4'294'967'296; }, Mpeg4Avc,
       "Will not play on the PSP: 4.3 GB is more than a file on the PSP can hold (4 GB)"},
      {"MPEG-4 Advanced Simple",
       [](Mp4Details& d) {
         d.video = VideoFacts{
             VideoCodec::Mpeg4Visual, "MPEG-4", "Advanced Simple", "5", 0, 0, false, 320, 240, 25};
       },
       Mpeg4, "Will not play on the PSP: MPEG-4 Advanced Simple is not Simple Profile"},
      {"the surest first",
       [](Mp4Details& d) {
         d.video->h264Profile = 100, d.video->profile = "High", d.sound->channels = 6;
       },
       Mpeg4,
       "Will not play on the PSP: H.264 High is not Main or Baseline Profile; H.264 video, but "
       "Video Type is \"MPEG-4 Video\"; 5.1 sound is more than stereo"},
  };
  for (const Case& c : cases) {
    Mp4Details d = Playable();
    c.change(d);
    EXPECT_EQ(VerdictText(JudgeForPsp(d, c.kind)), c.verdict) << c.name;
  }
}

TEST(PspPlayabilityTest, FactsLineReadsAsOneLine) {
  struct Case {
    const char* name;
    std::function<void(Mp4Details&)> change;
    char separator;
    const char* facts;
  };
  const Case cases[] = {
      {"as in the guide", [](Mp4Details&) {}, '.',
       "12:34 | 480 x 272 | H.264 Main 3.0 | AAC 48 kHz stereo | 1.2 Mbit/s | 112 MB"},
      {"decimal comma, hours, gigabytes",
       [](Mp4Details& d) {
         d.seconds = 3723.6, d.fileSize = 1'460'000'000, d.sound->sampleRate = 44100,
         d.sound->channels = 1;
       },
       ',', "1:02:04 | 480 x 272 | H.264 Main 3.0 | AAC 44,1 kHz mono | 3,1 Mbit/s | 1,5 GB"},
      {"small and slow, silent",
       [](Mp4Details& d) { d.seconds = 7, d.fileSize = 420'000, d.sound.reset(); }, '.',
       "0:07 | 480 x 272 | H.264 Main 3.0 | no sound | 480 kbit/s | 420 kB"},
      {"no length, no picture", [](Mp4Details& d) { d.seconds = 0, d.video.reset(); }, '.',
       "0:00 | no picture | AAC 48 kHz stereo | 112 MB"},
      {"a length field near 2^64", [](Mp4Details& d) { d.seconds = 1.8e19 / 600; }, '.',
       "unknown length | 480 x 272 | H.264 Main 3.0 | AAC 48 kHz stereo | 112 MB"},
      {"just over 100 hours", [](Mp4Details& d) { d.seconds = 360'001; }, '.',
       "unknown length | 480 x 272 | H.264 Main 3.0 | AAC 48 kHz stereo | 112 MB"},
      {"not a number", [](Mp4Details& d) { d.seconds = std::nan(""); }, '.',
       "unknown length | 480 x 272 | H.264 Main 3.0 | AAC 48 kHz stereo | 112 MB"},
  };
  for (const Case& c : cases) {
    Mp4Details d = Playable();
    c.change(d);
    EXPECT_EQ(FactsLine(d, c.separator), Dots(c.facts)) << c.name;
  }
}

}  // namespace
