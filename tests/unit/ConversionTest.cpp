// The conversion on the way to the PSP: the output planned for sources of every shape, and real
// conversions whose results the program's own reader and verdict judge. Also built into the
// Win32 tests, where the H.264 kind has its encoder.
#include "media/Conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "media/VideoPicture.h"
#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"
#include "support/TestVideos.h"
#include "video/PspPlayability.h"

namespace brevlo {
namespace {

using media::OutputSettings;
using media::PlanOutput;
using media::SourceFacts;
using media::TargetKind;

TEST(ConversionPlan, EveryShapeKeptInsideBlackBarsAtARateThePspTakes) {
  struct Case {
    const char* name;
    SourceFacts source;
    int pictureWidth, pictureHeight, left, top;
    int fpsNum, fpsDen;
  };
  // width, height, pixel shape, quarter turns, rate, channels, sound rate, seconds
  const Case cases[] = {
      {"phone portrait, stored lying",
       {1920, 1080, 1, 1, 30, 1, 2, 48000, 60},
       154,
       272,
       162,
       0,
       30,
       1},
      {"upside down", {1280, 720, 1, 2, 30, 1, 2, 48000, 60}, 480, 270, 0, 0, 30, 1},
      {"1080p 16:9", {1920, 1080, 1, 0, 25, 1, 2, 48000, 60}, 480, 270, 0, 0, 25, 1},
      {"4:3", {640, 480, 1, 0, 30000, 1001, 2, 44100, 60}, 362, 272, 58, 0, 30000, 1001},
      {"21:9", {2560, 1080, 1, 0, 24, 1, 2, 48000, 60}, 480, 202, 0, 34, 24, 1},
      {"anamorphic 16:9 DVD",
       {720, 480, 32.0 / 27, 0, 30000, 1001, 6, 48000, 60},
       480,
       270,
       0,
       0,
       30000,
       1001},
      {"anamorphic 4:3 PAL", {720, 576, 16.0 / 15, 0, 25, 1, 2, 48000, 60}, 362, 272, 58, 0, 25, 1},
      {"small, made larger", {176, 144, 1, 0, 15, 1, 1, 8000, 60}, 332, 272, 74, 0, 15, 1},
      {"60 fps halved", {1280, 720, 1, 0, 60, 1, 2, 48000, 60}, 480, 270, 0, 0, 30, 1},
      {"59.94 fps halved",
       {1280, 720, 1, 0, 60000, 1001, 2, 48000, 60},
       480,
       270,
       0,
       0,
       30000,
       1001},
      {"23.976 fps kept",
       {1280, 720, 1, 0, 24000, 1001, 2, 48000, 60},
       480,
       270,
       0,
       0,
       24000,
       1001},
      {"50 fps halved", {1280, 720, 1, 0, 50, 1, 2, 48000, 60}, 480, 270, 0, 0, 25, 1},
      {"120 fps: halved is still too fast",
       {1280, 720, 1, 0, 120, 1, 2, 48000, 60},
       480,
       270,
       0,
       0,
       30000,
       1001},
      {"29.97 in a fine time base",
       {1280, 720, 1, 0, 90000, 3003, 2, 48000, 60},
       480,
       270,
       0,
       0,
       30000,
       1001},
      {"rate unknown", {1280, 720, 1, 0, 0, 1, 2, 48000, 60}, 480, 270, 0, 0, 30000, 1001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const TargetKind kind : {TargetKind::Mpeg4, TargetKind::Avc}) {
      const OutputSettings out = PlanOutput(c.source, kind);
      EXPECT_EQ(out.width, 480);
      EXPECT_EQ(out.height, 272);
      EXPECT_EQ(out.pictureWidth, c.pictureWidth);
      EXPECT_EQ(out.pictureHeight, c.pictureHeight);
      EXPECT_EQ(out.left, c.left);
      EXPECT_EQ(out.top, c.top);
      EXPECT_LE(out.left + out.pictureWidth, 480);
      EXPECT_LE(out.top + out.pictureHeight, 272);
      EXPECT_EQ(out.fpsNum, c.fpsNum);
      EXPECT_EQ(out.fpsDen, c.fpsDen);
      EXPECT_EQ(out.videoMaxBitRate, 768000);
      EXPECT_GT(out.videoBufferBits, 0);
    }
  }
}

TEST(ConversionPlan, AnySoundBecomesAacStereo48kHzAndNoSoundASilentTrack) {
  for (const int channels : {0, 1, 2, 6, 8}) {
    SCOPED_TRACE(channels);
    const OutputSettings out = PlanOutput({640, 360, 1, 0, 25, 1, channels, 22050, 10}, {});
    EXPECT_EQ(out.audioRate, 48000);
    EXPECT_EQ(out.audioChannels, 2);
    EXPECT_EQ(out.audioBitRate, 128000);
    EXPECT_EQ(out.silentSound, channels == 0);
  }
}

TEST(ConversionPlan, EstimateCoversTheMaximumRatesWithRoomForTheContainer) {
  const SourceFacts hour{1920, 1080, 1, 0, 25, 1, 2, 48000, 3600};
  const double least = (768000.0 + 128000.0) / 8 * 3600;
  EXPECT_GE(static_cast<double>(media::EstimateOutputBytes(hour)), least);
  EXPECT_LE(static_cast<double>(media::EstimateOutputBytes(hour)), least * 1.1);
  EXPECT_GT(media::EstimateOutputBytes({}), 0u);
}

struct Converted {
  std::string error;
  std::uint64_t bytes = 0;
  std::optional<video::Mp4Details> details;
  bool fractionRose = true;  // never went back, ended at 1
};

Converted Convert(const std::string& source, const std::string& target, TargetKind kind) {
  Converted result;
  auto conversion = media::Conversion::Open(source, target, kind, result.error);
  if (!conversion) return result;
  double last = 0;
  media::Conversion::Step step;
  while ((step = conversion->Run(0.02)) == media::Conversion::Step::Working) {
    if (conversion->Fraction() < last) result.fractionRose = false;
    last = conversion->Fraction();
  }
  if (step == media::Conversion::Step::Failed) {
    result.error = conversion->Error();
    return result;
  }
  if (conversion->Fraction() != 1.0) result.fractionRose = false;
  conversion.reset();
  result.bytes = std::filesystem::file_size(target);
  platform::StdFileSystem fs;
  if (const auto file = fs.OpenReader(target)) result.details = video::ReadMp4Details(*file);
  return result;
}

TEST(Conversion, RealVideosArrivePlayableAt480x272WithStereoAacAndTheirWholeLength) {
  struct Case {
    const char* file;
    TargetKind kind;
    double fps;         // of the result
    bool portraitCyan;  // a phone's picture: upright, bars left and right
  };
  const Case cases[] = {
      {"convert-60fps-surround.mkv", TargetKind::Mpeg4, 30, false},
      {"picture-mpeg4-blue.avi", TargetKind::Avc, 25, false},      // mono MP3
      {"picture-portrait-cyan.mp4", TargetKind::Mpeg4, 25, true},  // no sound at all
  };
  testing::ScratchFolder scratch("brevlo-convert");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string source = testing::TestVideoFolder() + c.file;
    const std::string target = (scratch.Path() / (std::string(c.file) + ".MP4")).string();
    const auto facts = media::ProbeSource(source);
    ASSERT_TRUE(facts) << "made by tools/make-test-videos.sh at build time";
    const Converted out = Convert(source, target, c.kind);
#ifndef _WIN32
    // The distribution's libraries carry no OpenH264; the Windows build does (Win32 tests).
    if (c.kind == TargetKind::Avc && !out.details) {
      EXPECT_EQ(out.error, "no H.264 encoder (OpenH264) in this build");
      continue;
    }
#endif
    ASSERT_EQ(out.error, "");
    ASSERT_TRUE(out.details);
    const video::Mp4Details& d = *out.details;
    const auto kind = c.kind == TargetKind::Avc ? video::Mpeg4Avc : video::Mpeg4;
    const auto verdict = video::JudgeForPsp(d, kind);
    EXPECT_EQ(verdict.playability, video::Playability::Plays) << video::VerdictText(verdict);
    ASSERT_TRUE(d.video);
    EXPECT_EQ(d.video->codec,
              c.kind == TargetKind::Avc ? video::VideoCodec::H264 : video::VideoCodec::Mpeg4Visual);
    if (c.kind == TargetKind::Avc) {
      EXPECT_EQ(d.video->h264Profile, 77);  // Main
      EXPECT_LE(d.video->h264Level, 30);
    } else {
      EXPECT_TRUE(d.video->mpeg4Simple);
    }
    EXPECT_EQ(d.video->width, 480u);
    EXPECT_EQ(d.video->height, 272u);
    EXPECT_NEAR(d.video->frameRate, c.fps, 0.01);
    ASSERT_TRUE(d.sound);
    EXPECT_EQ(d.sound->codec, video::SoundCodec::Aac);
    EXPECT_EQ(d.sound->aacObjectType, 2);
    EXPECT_EQ(d.sound->sampleRate, 48000u);
    EXPECT_EQ(d.sound->channels, 2);
    EXPECT_NEAR(d.seconds, facts->seconds, 0.2);
    EXPECT_TRUE(out.fractionRose);
    EXPECT_LE(out.bytes, media::EstimateOutputBytes(*facts));
    if (c.portraitCyan) {
      // The result's own picture: 480 x 272 shown as 160 x 91 with bars; the upright phone
      // picture inside is 51 wide in the middle.
      const auto picture = media::PictureOfVideo(target);
      ASSERT_TRUE(picture);
      const auto at = [&](int x, int y) {
        const std::uint8_t* p = picture->bgr.data() + (y * picture->width + x) * 3;
        return std::abs(p[0] - 255) + std::abs(p[1] - 255) + std::abs(p[2] - 0);
      };
      EXPECT_LT(at(80, 60), 100);   // cyan
      EXPECT_GT(at(40, 60), 400);   // black bar, left
      EXPECT_GT(at(120, 60), 400);  // black bar, right
    }
  }
}

TEST(Conversion, AVideoCutShortIsAFailedConversionNotAShortOne) {
  testing::ScratchFolder scratch("brevlo-convert");
  const Converted out = Convert(testing::TestVideoFolder() + "convert-cut-short.mkv",
                                (scratch.Path() / "out.MP4").string(), TargetKind::Mpeg4);
  EXPECT_EQ(out.error, "the video ends before its stated length: damaged or cut short");
}

TEST(Conversion, WhatIsNoVideoIsRefusedWithAReason) {
  testing::ScratchFolder scratch("brevlo-convert");
  for (const char* file : {"picture-audio-only.mp4", "picture-not-a-video.mp4", "no-such.mkv"}) {
    SCOPED_TRACE(file);
    const std::string source = testing::TestVideoFolder() + file;
    EXPECT_FALSE(media::ProbeSource(source));
    std::string error;
    EXPECT_EQ(media::Conversion::Open(source, (scratch.Path() / "out.MP4").string(),
                                      TargetKind::Mpeg4, error),
              nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(scratch.Has("out.MP4"));
  }
}

}  // namespace
}  // namespace brevlo
