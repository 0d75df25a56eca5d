// The conversion on the way to the PSP: the output planned for sources of every shape, and real
// conversions whose results the program's own reader and verdict judge. Also built into the
// Win32 tests, where the H.264 kind has its encoder.
#include "media/Conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "app/VideoConverter.h"
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

SourceFacts Shape(int width, int height, double pixel, int turns, int fpsNum, int fpsDen) {
  return {width, height, pixel, turns, fpsNum, fpsDen, 2, 48000, 60};
}

// The picture inside the bars and its place, and the rate: "WxH at X,Y, NUM/DEN".
std::string Placed(const OutputSettings& out) {
  char text[64];
  std::snprintf(text, sizeof text, "%dx%d at %d,%d, %d/%d", out.pictureWidth, out.pictureHeight,
                out.left, out.top, out.fpsNum, out.fpsDen);
  return text;
}

TEST(ConversionPlan, EveryShapeKeptInsideBlackBarsAtARateThePspTakes) {
  struct Case {
    const char* name;
    SourceFacts source;
    const char* placed;
  };
  const Case cases[] = {
      {"portrait, stored lying", Shape(1920, 1080, 1, 1, 30, 1), "154x272 at 162,0, 30/1"},
      {"upside down", Shape(1280, 720, 1, 2, 30, 1), "480x270 at 0,0, 30/1"},
      {"1080p 16:9", Shape(1920, 1080, 1, 0, 25, 1), "480x270 at 0,0, 25/1"},
      {"4:3", Shape(640, 480, 1, 0, 30000, 1001), "362x272 at 58,0, 30000/1001"},
      {"21:9", Shape(2560, 1080, 1, 0, 24, 1), "480x202 at 0,34, 24/1"},
      {"anamorphic 16:9 DVD", Shape(720, 480, 32.0 / 27, 0, 30000, 1001),
       "480x270 at 0,0, 30000/1001"},
      {"anamorphic 4:3 PAL", Shape(720, 576, 16.0 / 15, 0, 25, 1), "362x272 at 58,0, 25/1"},
      {"small, made larger", Shape(176, 144, 1, 0, 15, 1), "332x272 at 74,0, 15/1"},
      {"60 fps halved", Shape(1280, 720, 1, 0, 60, 1), "480x270 at 0,0, 30/1"},
      {"59.94 fps halved", Shape(1280, 720, 1, 0, 60000, 1001), "480x270 at 0,0, 30000/1001"},
      {"23.976 fps kept", Shape(1280, 720, 1, 0, 24000, 1001), "480x270 at 0,0, 24000/1001"},
      {"50 fps halved", Shape(1280, 720, 1, 0, 50, 1), "480x270 at 0,0, 25/1"},
      {"120 fps: half is too fast", Shape(1280, 720, 1, 0, 120, 1), "480x270 at 0,0, 30000/1001"},
      {"29.97, fine time base", Shape(1280, 720, 1, 0, 90000, 3003), "480x270 at 0,0, 30000/1001"},
      {"rate unknown", Shape(1280, 720, 1, 0, 0, 1), "480x270 at 0,0, 30000/1001"},
  };
  for (const Case& c : cases) {
    for (const TargetKind kind : {TargetKind::Mpeg4, TargetKind::Avc}) {
      const OutputSettings out = PlanOutput(c.source, kind);
      EXPECT_EQ(Placed(out), c.placed) << c.name;
      EXPECT_TRUE(out.width == 480 && out.height == 272 && out.videoMaxBitRate == 768000 &&
                  out.videoBufferBits > 0)
          << c.name;
    }
  }
}

// Any sound becomes AAC stereo at 48 kHz, no sound a silent track; the size is estimated at the
// maximum rates, with a little room for the container (the results below must stay under it).
TEST(ConversionPlan, SoundAndSize) {
  for (const int channels : {0, 1, 2, 6, 8}) {
    const OutputSettings out = PlanOutput({640, 360, 1, 0, 25, 1, channels, 22050, 10}, {});
    EXPECT_TRUE(out.audioRate == 48000 && out.audioChannels == 2 && out.audioBitRate == 128000 &&
                out.silentSound == (channels == 0))
        << channels;
  }
  SourceFacts hourLong = Shape(1920, 1080, 1, 0, 25, 1);
  hourLong.seconds = 3600;
  const double least = (768000.0 + 128000.0) / 8 * 3600;
  const auto estimate = static_cast<double>(media::EstimateOutputBytes(hourLong));
  EXPECT_TRUE(estimate >= least && estimate <= least * 1.1) << estimate;
  EXPECT_GT(media::EstimateOutputBytes({}), 0u);  // length unknown
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
  for (;;) {
    step = conversion->Run(0.02);
    if (step != media::Conversion::Step::Working) break;
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

// What the PSP looks at in a result, in a line.
std::string Described(const video::Mp4Details& d) {
  if (!d.video || !d.sound) return "no picture or no sound";
  std::string codec = "other";
  if (d.video->codec == video::VideoCodec::H264 && d.video->h264Profile == 77 &&
      d.video->h264Level <= 30) {
    codec = "H.264 Main";
  } else if (d.video->codec == video::VideoCodec::Mpeg4Visual && d.video->mpeg4Simple) {
    codec = "MPEG-4 SP";
  }
  const bool aacLc = d.sound->codec == video::SoundCodec::Aac && d.sound->aacObjectType == 2;
  char text[128];
  std::snprintf(text, sizeof text, "%s %ux%u %.2f fps, %s %u Hz %d ch", codec.c_str(),
                d.video->width, d.video->height, d.video->frameRate, aacLc ? "AAC-LC" : "other",
                d.sound->sampleRate, d.sound->channels);
  return text;
}

TEST(Conversion, RealVideosArrivePlayableAt480x272WithStereoAacAndTheirWholeLength) {
  struct Case {
    const char* file;
    TargetKind kind;
    const char* fps;    // of the result
    bool portraitCyan;  // a phone's picture: upright, bars left and right
  };
  const Case cases[] = {
      {"convert-60fps-surround.mkv", TargetKind::Mpeg4, "30.00", false},
      {"picture-mpeg4-blue.avi", TargetKind::Avc, "25.00", false},      // mono MP3
      {"picture-portrait-cyan.mp4", TargetKind::Mpeg4, "25.00", true},  // no sound at all
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
    EXPECT_EQ(Described(d), std::string(c.kind == TargetKind::Avc ? "H.264 Main" : "MPEG-4 SP") +
                                " 480x272 " + c.fps + " fps, AAC-LC 48000 Hz 2 ch");
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

// A result as it plays: when its picture first turns white (-1: never) and its sound first
// passes 5 % of full scale (-1: never, silence), and how long each stream lasts.
struct Played {
  double flash = -1, beep = -1, pictureSeconds = 0, soundSeconds = 0, frameSeconds = 0;
};

Played Play(const std::string& path) {
  Played p;
  AVFormatContext* f = nullptr;
  if (avformat_open_input(&f, path.c_str(), nullptr, nullptr) < 0) return p;
  avformat_find_stream_info(f, nullptr);
  std::vector<AVCodecContext*> codecs;
  for (unsigned i = 0; i < f->nb_streams; ++i) {
    const AVCodec* decoder = avcodec_find_decoder(f->streams[i]->codecpar->codec_id);
    codecs.push_back(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codecs[i], f->streams[i]->codecpar);
    avcodec_open2(codecs[i], decoder, nullptr);
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::int64_t frames = 0;
  const auto take = [&](int i, const AVPacket* sent) {
    avcodec_send_packet(codecs[i], sent);
    const double base = av_q2d(f->streams[i]->time_base);
    while (avcodec_receive_frame(codecs[i], frame) == 0) {
      const double at = static_cast<double>(frame->best_effort_timestamp) * base;
      if (codecs[i]->codec_type == AVMEDIA_TYPE_VIDEO) {
        long sum = 0;
        for (int y = 0; y < frame->height; ++y) sum += frame->data[0][y * frame->linesize[0] + 240];
        if (p.flash < 0 && sum > 150L * frame->height) p.flash = at;
        p.pictureSeconds = at + static_cast<double>(frame->pkt_duration) * base;
        ++frames;
      } else {
        const auto* left = reinterpret_cast<const float*>(frame->data[0]);  // AAC: planar float
        for (int n = 0; n < frame->nb_samples && p.beep < 0; ++n) {
          if (std::abs(left[n]) > 0.05f) p.beep = at + static_cast<double>(n) / frame->sample_rate;
        }
        p.soundSeconds = at + static_cast<double>(frame->nb_samples) / frame->sample_rate;
      }
    }
  };
  while (av_read_frame(f, packet) >= 0) {
    take(packet->stream_index, packet);
    av_packet_unref(packet);
  }
  for (unsigned i = 0; i < f->nb_streams; ++i) take(static_cast<int>(i), nullptr);
  for (AVCodecContext* c : codecs) avcodec_free_context(&c);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avformat_close_input(&f);
  if (frames > 0) p.frameSeconds = p.pictureSeconds / static_cast<double>(frames);
  return p;
}

// Sources whose clock has holes, late sound or jumps (a dark picture flashes white where a
// beep sounds) keep flash and beep together; sounds and pictures beyond the usual (a tone
// under each) are heard; both streams last the source's length; no step takes long. Sound
// nothing reads, or a huge picture, is refused with its reason, never converted silent.
TEST(Conversion, PictureAndSoundInStepAndHeardWhateverTheSourcesClockAndKind) {
  const struct {
    const char* file;
    double flash;  // where flash and beep are on the result's clock (-1: no flash)
    double seconds;
    const char* picture;  // a small MPEG-4 picture that plays is copied, its sound made anew
  } cases[] = {
      {"timing-still.mp4", 13, 14, "480x272 30.00"},
      {"timing-sound-gaps.ts", 9, 10, "480x272 25.00"},
      {"timing-jump.ts", 4, 5, "480x272 25.00"},
      {"timing-late-sound.mkv", 4, 5, "480x272 25.00"},
      {"timing-late-10min.mkv", 601, 603, "480x272 10.00"},
      {"sound-flac.mkv", -1, 1, "160x120 25.00"},
      {"sound-dts.mkv", -1, 1, "160x120 25.00"},
      {"sound-truehd.mkv", -1, 1, "160x120 25.00"},
      {"sound-alac.mov", -1, 1, "160x120 25.00"},
      {"sound-amr-nb.3gp", -1, 1, "160x120 25.00"},
      {"sound-amr-wb.3gp", -1, 1, "160x120 25.00"},
      {"picture-av1.webm", -1, 1, "480x272 25.00"},
      {"slideshow.mkv", -1, 6, "480x272 29.97"},
  };
  testing::ScratchFolder scratch("brevlo-convert");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string target = (scratch.Path() / (std::string(c.file) + ".MP4")).string();
    const Converted out = Convert(testing::TestVideoFolder() + c.file, target, TargetKind::Mpeg4);
    ASSERT_EQ(out.error, "");
    ASSERT_TRUE(out.details);
    EXPECT_EQ(Described(*out.details),
              std::string("MPEG-4 SP ") + c.picture + " fps, AAC-LC 48000 Hz 2 ch");
    const Played played = Play(target);
    EXPECT_NE(played.beep, -1);
    if (c.flash >= 0) {
      EXPECT_NEAR(played.flash, c.flash, 0.1);
      EXPECT_NEAR(played.beep, played.flash, played.frameSeconds + 0.001);
    }
    EXPECT_NEAR(played.pictureSeconds, c.seconds, 0.1);
    EXPECT_NEAR(played.soundSeconds, c.seconds, 0.1);
  }
  const std::string large = testing::TestVideoFolder() + "picture-too-large.avi";
  ASSERT_TRUE(media::ProbeSource(large));
  EXPECT_FALSE(media::PictureOfVideo(large));
  for (const auto& [file, reason] :
       {std::pair{"sound-unknown.mkv", "the sound cannot be read (an unknown kind)"},
        std::pair{"picture-too-large.avi", "the picture is larger than 8192 x 8192"}}) {
    std::string error;
    EXPECT_FALSE(media::Conversion::Open(testing::TestVideoFolder() + file,
                                         (scratch.Path() / "refused.MP4").string(),
                                         TargetKind::Mpeg4, error));
    EXPECT_EQ(error, reason);
    EXPECT_FALSE(scratch.Has("refused.MP4"));
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

// Each decoded picture of a video after the given filters, as another reader sees it.
void EachPicture(const std::string& path, const char* filters,
                 const std::function<void(const AVFrame&)>& take) {
  AVFormatContext* format = nullptr;
  ASSERT_GE(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0) << path;
  std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> closer(
      format, [](AVFormatContext* f) { avformat_close_input(&f); });
  ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  ASSERT_GE(index, 0);
  const AVStream* stream = format->streams[index];
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoderCloser(
      decoder, [](AVCodecContext* c) { avcodec_free_context(&c); });
  avcodec_parameters_to_context(decoder, stream->codecpar);
  ASSERT_GE(avcodec_open2(decoder, codec, nullptr), 0);
  AVFilterGraph* graph = avfilter_graph_alloc();
  std::unique_ptr<AVFilterGraph, void (*)(AVFilterGraph*)> graphCloser(
      graph, [](AVFilterGraph* g) { avfilter_graph_free(&g); });
  char args[128];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/90000",
                stream->codecpar->width, stream->codecpar->height, stream->codecpar->format);
  AVFilterContext *in = nullptr, *out = nullptr;
  ASSERT_GE(
      avfilter_graph_create_filter(&in, avfilter_get_by_name("buffer"), "in", args, nullptr, graph),
      0);
  ASSERT_GE(avfilter_graph_create_filter(&out, avfilter_get_by_name("buffersink"), "out", nullptr,
                                         nullptr, graph),
            0);
  AVFilterInOut* outs = avfilter_inout_alloc();
  AVFilterInOut* ins = avfilter_inout_alloc();
  outs->name = av_strdup("in");
  outs->filter_ctx = in;
  ins->name = av_strdup("out");
  ins->filter_ctx = out;
  const int parsed = avfilter_graph_parse_ptr(graph, filters, &ins, &outs, nullptr);
  avfilter_inout_free(&ins);
  avfilter_inout_free(&outs);
  ASSERT_GE(parsed, 0);
  ASSERT_GE(avfilter_graph_config(graph, nullptr), 0);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const auto pull = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      frame->pts = frame->best_effort_timestamp;
      EXPECT_GE(av_buffersrc_add_frame(in, frame), 0);
    }
    while (av_buffersink_get_frame(out, frame) == 0) {
      take(*frame);
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
    pull();
  }
  avcodec_send_packet(decoder, nullptr);
  pull();
  EXPECT_GE(av_buffersrc_add_frame(in, nullptr), 0);
  pull();
  av_frame_free(&frame);
  av_packet_free(&packet);
}

// Colours arrive as made, read as the PSP reads them (BT.601, limited range) and as the list's
// picture shows them; high dynamic range greys at the brightness an ordinary screen gives them.
TEST(ConversionPicture, ColoursArriveAsMeant) {
  struct Case {
    const char* file;
    int r, g, b;
  };
  const Case cases[] = {
      {"colour-bt709-green.mkv", 29, 170, 59},
      {"colour-full-range-red.mp4", 200, 60, 40},
      // 49 cd/m2 and 51 cd/m2 against a white of 203, on a screen of gamma 2.4.
      {"colour-pq-grey.mkv", 142, 142, 142},
      {"colour-hlg-grey.mkv", 144, 144, 144},
  };
  testing::ScratchFolder scratch("brevlo-convert");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string source = testing::TestVideoFolder() + c.file;
    const std::string target = (scratch.Path() / (std::string(c.file) + ".MP4")).string();
    ASSERT_EQ(Convert(source, target, TargetKind::Mpeg4).error, "");
    int pictures = 0;
    EachPicture(target, "null", [&](const AVFrame& f) {
      if (pictures++ != 10) return;
      const auto at = [&](int plane, int x, int y) {
        return f.data[plane][y * f.linesize[plane] + x];
      };
      const double y = 1.164 * (at(0, 240, 136) - 16);
      const double u = at(1, 120, 68) - 128, v = at(2, 120, 68) - 128;
      EXPECT_NEAR(y + 1.596 * v, c.r, 3);
      EXPECT_NEAR(y - 0.392 * u - 0.813 * v, c.g, 3);
      EXPECT_NEAR(y + 2.017 * u, c.b, 3);
    });
    EXPECT_GT(pictures, 10);
    const auto listed = media::PictureOfVideo(source);
    ASSERT_TRUE(listed);
    const std::uint8_t* p = listed->bgr.data() + (60 * listed->width + 80) * 3;
    EXPECT_NEAR(p[2], c.r, 3);
    EXPECT_NEAR(p[1], c.g, 3);
    EXPECT_NEAR(p[0], c.b, 3);
  }
}

// A white bar crossing an interlaced picture fast: woven back, it is one whole bar in every
// picture, never the two half-grey ghosts of its fields, and the result reads as progressive.
TEST(ConversionPicture, InterlacedVideosArriveWithoutCombing) {
  testing::ScratchFolder scratch("brevlo-convert");
  for (const char* file : {"interlaced-flagged.mkv", "interlaced-unflagged.avi"}) {
    SCOPED_TRACE(file);
    const std::string target = (scratch.Path() / (std::string(file) + ".MP4")).string();
    ASSERT_EQ(Convert(testing::TestVideoFolder() + file, target, TargetKind::Mpeg4).error, "");
    int pictures = 0, whole = 0, progressive = 0;
    EachPicture(target, "idet", [&](const AVFrame& f) {
      ++pictures;
      // The brightest column's darkest point, over the picture's rows.
      int brightest = 0;
      for (int x = 0; x < f.width; ++x) {
        int darkest = 255;
        for (int y = 8; y < f.height - 8; ++y)
          darkest = std::min<int>(darkest, f.data[0][y * f.linesize[0] + x]);
        brightest = std::max(brightest, darkest);
      }
      if (brightest > 200) ++whole;
      const AVDictionaryEntry* seen =
          av_dict_get(f.metadata, "lavfi.idet.multiple.current_frame", nullptr, 0);
      if (seen != nullptr && std::string(seen->value) == "progressive") ++progressive;
    });
    EXPECT_EQ(pictures, 50);
    EXPECT_EQ(whole, pictures);
    EXPECT_GE(progressive, pictures - 5);  // idet needs a few pictures to make up its mind
  }
}

// The picture packets of a file's picture stream, as they are stored.
std::vector<std::vector<std::uint8_t>> PicturePackets(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> packets;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return packets;
  if (avformat_find_stream_info(format, nullptr) >= 0) {
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket* packet = av_packet_alloc();
    while (index >= 0 && av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == index)
        packets.emplace_back(packet->data, packet->data + packet->size);
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&format);
  return packets;
}

// A picture the PSP plays is never encoded again: in another container or beside sound the PSP
// does not play, its packets go into the PSP's MP4 as they are and only the sound is made; in
// the MP4's own kin it goes as an MP4 does.
TEST(ConversionPicture, APictureThatPlaysIsRepackagedNotEncodedAgain) {
  testing::ScratchFolder scratch("brevlo-convert");
  platform::StdFileSystem fs;
  app::VideoConverter converter(fs, nullptr);
  const std::string mkv = testing::TestVideoFolder() + "repackage-avc-ac3.mkv";
  const auto check = converter.Check(mkv, library::Mpeg4Avc);
  EXPECT_EQ(check.fate, operations::SourceFate::Convert);
  const std::string target = (scratch.Path() / "repackaged.MP4").string();
  const Converted out = Convert(mkv, target, TargetKind::Avc);
  ASSERT_EQ(out.error, "");
  ASSERT_TRUE(out.details);
  EXPECT_EQ(Described(*out.details), "H.264 Main 480x272 25.00 fps, AAC-LC 48000 Hz 2 ch");
  EXPECT_EQ(video::JudgeForPsp(*out.details, video::Mpeg4Avc).playability,
            video::Playability::Plays);
  EXPECT_NEAR(out.details->seconds, 1.0, 0.1);
  EXPECT_LE(out.bytes, check.estimate);
  const auto before = PicturePackets(mkv);
  EXPECT_EQ(before.size(), 25u);
  EXPECT_TRUE(before == PicturePackets(target));
  // As MPEG-4 the H.264 picture does not play: it is encoded.
  const Converted encoded =
      Convert(mkv, (scratch.Path() / "encoded.MP4").string(), TargetKind::Mpeg4);
  ASSERT_TRUE(encoded.details);
  EXPECT_EQ(Described(*encoded.details), "MPEG-4 SP 480x272 25.00 fps, AAC-LC 48000 Hz 2 ch");

  EXPECT_EQ(
      converter.Check(testing::TestVideoFolder() + "plays-avc-aac.mov", library::Mpeg4Avc).fate,
      operations::SourceFate::AsItIs);
}

}  // namespace
}  // namespace brevlo
