// Subtitles drawn into converted videos: real files made at build time, each converted the way
// the transfer does it, and a frame of each result looked at. Also built into the Win32 tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "app/VideoConverter.h"
#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"
#include "support/TestVideos.h"

namespace brevlo {
namespace {

#ifdef _WIN32
constexpr const char* FontFolder = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\";
#else
constexpr const char* FontFolder = "/usr/share/fonts/truetype/dejavu/";
#endif

// The system's fonts left out, so that what is drawn depends on the file and our fallback only.
app::SubtitleSettings Settings(const char* viewer, bool draw = true) {
  app::SubtitleSettings s;
  s.draw = draw;
  s.viewerLanguage = viewer;
  s.fonts.systemFonts = false;
  s.fonts.fallbackFile = std::string(FontFolder) + "DejaVuSans.ttf";
  return s;
}

// The picture's brightness plane at 1.5 s, while the subtitles show, 480 x 272.
std::vector<std::uint8_t> Luma(const std::string& path) {
  AVFormatContext* f = nullptr;
  const AVCodec* codec = nullptr;
  std::vector<std::uint8_t> out;
  if (avformat_open_input(&f, path.c_str(), nullptr, nullptr) < 0) return out;
  AVCodecContext* c = avcodec_alloc_context3(nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const int video = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (video >= 0 && avcodec_parameters_to_context(c, f->streams[video]->codecpar) >= 0 &&
      avcodec_open2(c, codec, nullptr) >= 0) {
    const double base = av_q2d(f->streams[video]->time_base);
    for (bool more = true; out.empty() && more;) {
      more = av_read_frame(f, packet) >= 0;
      if (!more || packet->stream_index == video) avcodec_send_packet(c, more ? packet : nullptr);
      av_packet_unref(packet);
      while (out.empty() && avcodec_receive_frame(c, frame) >= 0) {
        if (static_cast<double>(frame->best_effort_timestamp) * base < 1.5) continue;
        for (int y = 0; y < frame->height; ++y) {
          out.insert(out.end(), frame->data[0] + y * frame->linesize[0],
                     frame->data[0] + y * frame->linesize[0] + frame->width);
        }
      }
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&c);
  avformat_close_input(&f);
  return out;
}

// Bright pixels (lettering on the dark picture) in rows [top, bottom) and columns [left, right).
int Bright(const std::vector<std::uint8_t>& y, int top, int bottom, int left = 0, int right = 480) {
  int n = 0;
  for (int row = top; row < bottom; ++row) {
    for (int x = left; x < right; ++x) n += y[static_cast<std::size_t>(row) * 480 + x] > 128;
  }
  return n;
}

struct Result {
  std::string error;
  bool subtitlesLost = false;
  std::vector<std::uint8_t> luma;
};

Result Convert(const std::string& source, const std::string& target, const char* viewer) {
  platform::StdFileSystem fs;
  app::VideoConverter converter(fs, {}, Settings(viewer));
  Result r;
  auto job = converter.Open(source, target, 0, "", r.error);
  if (!job) return r;
  operations::IConversionJob::Step step;
  while ((step = job->Run()) == operations::IConversionJob::Step::Working) {
  }
  if (step == operations::IConversionJob::Step::Failed) r.error = job->Error();
  r.subtitlesLost = job->SubtitlesLost();
  job.reset();
  r.luma = Luma(target);
  std::filesystem::remove(target);
  return r;
}

TEST(SubtitleDrawing, EachRuleDrawsItsSubtitlesWhereTheyBelongInTheirFont) {
  struct Case {
    const char* file;
    const char* viewer;
    bool drawn;         // lettering in the lower third
    bool lost = false;  // subtitles were chosen, none could be drawn
  };
  const Case cases[] = {
      {"subs-default-ass.mkv", "fr", true},       // marked default, DejaVu Serif attached
      {"subs-no-attached-font.mkv", "fr", true},  // the same style, the font not attached
      {"subs-missing-font.mkv", "fr", true},      // its font nowhere: the fallback draws
      {"subs-foreign.mkv", "en", true},           // English under Japanese sound; French at the top
      {"subs-foreign.mkv", "de", false},          // none in the viewer's language
      {"subs-beside.mp4", "en", true},            // an SRT beside it
      {"Odd, [name] 'q' Ærø.mp4", "en", true},    // its SRT under an odd name, with a language
      {"subs-latin.mp4", "en", true},             // an SRT in Windows' Western code page
      {"subs-broken.mp4", "en", false, true},     // the SRT beside it is garbage
  };
  testing::ScratchFolder scratch("brevlo-subs");
  std::vector<std::vector<std::uint8_t>> frames;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ", viewer " + c.viewer);
    const Result r = Convert(testing::TestVideoFolder() + c.file,
                             (scratch.Path() / "out.MP4").string(), c.viewer);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.luma.size(), 480u * 272u);
    EXPECT_EQ(r.subtitlesLost, c.lost);
    EXPECT_EQ(Bright(r.luma, 0, 181), 0);
    if (c.drawn) {
      EXPECT_GT(Bright(r.luma, 181, 272), 150);
    } else {
      EXPECT_EQ(Bright(r.luma, 181, 272), 0);
    }
    frames.push_back(r.luma);
  }
  // The attached serif font, not the fallback; the fallback alike for both styles without it.
  const auto differing = [&](int a, int b) {
    int n = 0;
    for (std::size_t i = 0; i < frames[0].size(); ++i)
      n += (frames[a][i] > 128) != (frames[b][i] > 128);
    return n;
  };
  EXPECT_GT(differing(0, 1), 100);
  EXPECT_LT(differing(1, 2), 20);
}

#ifndef _WIN32
// (The Windows build carries only what the program uses: no DVD subtitle encoder, no Matroska
// muxer. The overlay code is the same there.)
// A copy of a 640 x 360 video with a DVD subtitle track made by libavcodec's own encoder: one
// white box at (200, 280), 240 x 40, from 0.5 s to 2.5 s.
bool MakeDvdSubtitled(const std::string& from, const std::string& to) {
  AVFormatContext *in = nullptr, *out = nullptr;
  if (avformat_open_input(&in, from.c_str(), nullptr, nullptr) < 0) return false;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
  AVCodecContext* enc = avcodec_alloc_context3(codec);
  enc->width = 640, enc->height = 360, enc->time_base = AVRational{1, 1000};
  bool ok = avformat_alloc_output_context2(&out, nullptr, "matroska", to.c_str()) >= 0 &&
            avformat_find_stream_info(in, nullptr) >= 0 && avcodec_open2(enc, codec, nullptr) >= 0;
  AVStream* video = ok ? avformat_new_stream(out, nullptr) : nullptr;
  AVStream* subs = ok ? avformat_new_stream(out, nullptr) : nullptr;
  ok = ok && avcodec_parameters_copy(video->codecpar, in->streams[0]->codecpar) >= 0 &&
       avcodec_parameters_from_context(subs->codecpar, enc) >= 0;
  if (ok) {
    video->codecpar->codec_tag = 0;
    video->time_base = in->streams[0]->time_base;
    subs->time_base = AVRational{1, 1000};
    subs->disposition = AV_DISPOSITION_DEFAULT;
    ok = avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header(out, nullptr) >= 0;
  }
  std::vector<std::uint8_t> pixels(240 * 40, 1), packet(1 << 16);
  std::uint32_t palette[4] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
  AVSubtitleRect rect{};
  rect.x = 200, rect.y = 280, rect.w = 240, rect.h = 40, rect.nb_colors = 4;
  rect.type = SUBTITLE_BITMAP;
  rect.data[0] = pixels.data(), rect.linesize[0] = 240;
  rect.data[1] = reinterpret_cast<std::uint8_t*>(palette);
  AVSubtitleRect* rects[] = {&rect};
  AVSubtitle sub{};
  sub.num_rects = 1, sub.rects = rects, sub.end_display_time = 2000;
  const int size =
      ok ? avcodec_encode_subtitle(enc, packet.data(), static_cast<int>(packet.size()), &sub) : 0;
  AVPacket* p = av_packet_alloc();
  ok = ok && size > 0 && av_new_packet(p, size) >= 0;
  if (ok) {
    std::copy_n(packet.data(), size, p->data);
    p->stream_index = 1, p->pts = p->dts = 500, p->duration = 2000;
    ok = av_interleaved_write_frame(out, p) >= 0;
  }
  while (ok && av_read_frame(in, p) >= 0) {
    if (p->stream_index == 0) {
      p->pos = -1;
      ok = av_interleaved_write_frame(out, p) >= 0;
    }
    av_packet_unref(p);
  }
  ok = ok && av_write_trailer(out) >= 0;
  av_packet_free(&p);
  avcodec_free_context(&enc);
  if (out != nullptr) avio_closep(&out->pb);
  avformat_free_context(out);
  avformat_close_input(&in);
  return ok;
}

TEST(SubtitleDrawing, ADvdSubtitleLiesWhereItWasScaledWithThePicture) {
  testing::ScratchFolder scratch("brevlo-subs");
  const std::string source = (scratch.Path() / "dvd.mkv").string();
  ASSERT_TRUE(MakeDvdSubtitled(testing::TestVideoFolder() + "subs-no-attached-font.mkv", source));
  const Result r = Convert(source, (scratch.Path() / "out.MP4").string(), "en");
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.luma.size(), 480u * 272u);
  // 640 x 360 becomes 480 x 270 at the top: the box lands at (150, 210), 180 x 30; its edges
  // are blended with the picture.
  EXPECT_EQ(Bright(r.luma, 211, 239, 151, 329), 178 * 28);
  EXPECT_EQ(Bright(r.luma, 0, 272) - Bright(r.luma, 208, 242, 148, 332), 0);
}

#endif

TEST(SubtitleDrawing, AVideoThePspPlaysGoesConvertedOnlyForSubtitlesToDraw) {
  platform::StdFileSystem fs;
  const std::string folder = testing::TestVideoFolder();
  app::VideoConverter on(fs, {}, Settings("en"));
  app::VideoConverter off(fs, {}, Settings("en", false));
  EXPECT_EQ(on.Check(folder + "subs-beside.mp4", 0).fate, operations::SourceFate::Convert);
  EXPECT_EQ(off.Check(folder + "subs-beside.mp4", 0).fate, operations::SourceFate::AsItIs);
  EXPECT_EQ(on.Check(folder + "avc-main-480x272-psp.mp4", 0).fate, operations::SourceFate::AsItIs);
  // The sound marked default goes, else the first.
  EXPECT_EQ(media::ProbeSource(folder + "sound-second-default.mkv")->soundLanguage, "jpn");
  EXPECT_EQ(media::ProbeSource(folder + "sound-none-default.mkv")->soundLanguage, "eng");
  const std::string tip = on.Tip(folder + "subs-foreign.mkv", std::nullopt, 0, '.');
  EXPECT_NE(tip.find("\r\nSubtitles: English, drawn into the picture\r\nSound: Japanese\r\n"),
            std::string::npos)
      << tip;
  EXPECT_EQ(off.Tip(folder + "subs-foreign.mkv", std::nullopt, 0, '.').find("Subtitles"),
            std::string::npos);
}

}  // namespace
}  // namespace brevlo
