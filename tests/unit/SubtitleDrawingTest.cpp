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

// The picture's brightness plane at a time, 480 x 272; empty when it cannot be read.
std::vector<std::uint8_t> Luma(const std::string& path, double seconds) {
  AVFormatContext* f = nullptr;
  if (avformat_open_input(&f, path.c_str(), nullptr, nullptr) < 0) return {};
  std::vector<std::uint8_t> out;
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  AVCodecContext* c = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  if (c != nullptr && avcodec_parameters_to_context(c, f->streams[index]->codecpar) >= 0 &&
      avcodec_open2(c, codec, nullptr) >= 0) {
    const double base = av_q2d(f->streams[index]->time_base);
    bool more = true;
    while (out.empty() && more) {
      more = av_read_frame(f, packet) >= 0;
      if (more && packet->stream_index != index) {
        av_packet_unref(packet);
        continue;
      }
      avcodec_send_packet(c, more ? packet : nullptr);
      av_packet_unref(packet);
      while (out.empty() && avcodec_receive_frame(c, frame) >= 0) {
        if (static_cast<double>(frame->best_effort_timestamp) * base >= seconds) {
          for (int y = 0; y < frame->height; ++y) {
            const std::uint8_t* row = frame->data[0] + y * frame->linesize[0];
            out.insert(out.end(), row, row + frame->width);
          }
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

// Bright pixels (lettering on the dark picture) in rows [top, bottom).
int Bright(const std::vector<std::uint8_t>& y, int top, int bottom) {
  int n = 0;
  for (int row = top; row < bottom; ++row) {
    for (int x = 0; x < 480; ++x) n += y[static_cast<std::size_t>(row) * 480 + x] > 128;
  }
  return n;
}

struct Result {
  std::string error;
  bool subtitlesLost = false;
  std::vector<std::uint8_t> luma;  // at 1.5 s, while the subtitle shows
};

Result ConvertWith(app::VideoConverter& converter, const std::string& source,
                   const std::string& target) {
  Result r;
  auto job = converter.Open(source, target, 0, "", r.error);
  if (!job) return r;
  operations::IConversionJob::Step step;
  while ((step = job->Run()) == operations::IConversionJob::Step::Working) {
  }
  if (step == operations::IConversionJob::Step::Failed) r.error = job->Error();
  r.subtitlesLost = job->SubtitlesLost();
  job.reset();
  r.luma = Luma(target, 1.5);
  return r;
}

TEST(SubtitleDrawing, EachRuleDrawsItsSubtitlesWhereTheyBelong) {
  struct Case {
    const char* file;
    const char* viewer;
    bool drawn;         // lettering in the lower third
    bool lost = false;  // subtitles were chosen, none could be drawn
  };
  const Case cases[] = {
      {"subs-default-ass.mkv", "fr", true},     // marked default, attached font
      {"subs-missing-font.mkv", "fr", true},    // its font nowhere: the fallback draws
      {"subs-foreign.mkv", "en", true},         // English under Japanese sound; French at the top
      {"subs-foreign.mkv", "de", false},        // none in the viewer's language
      {"subs-beside.mp4", "en", true},          // an SRT beside it
      {"Odd, [name] 'q' Ærø.mp4", "en", true},  // its SRT under an odd name, with a language
      {"subs-latin.mp4", "en", true},           // an SRT in Windows' Western code page
      {"subs-broken.mp4", "en", false, true},   // the SRT beside it is garbage
  };
  platform::StdFileSystem fs;
  testing::ScratchFolder scratch("brevlo-subs");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ", viewer " + c.viewer);
    app::VideoConverter converter(fs, {}, Settings(c.viewer));
    const std::string source = testing::TestVideoFolder() + c.file;
    const Result r = ConvertWith(converter, source, (scratch.Path() / "out.MP4").string());
    std::filesystem::remove(scratch.Path() / "out.MP4");
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.luma.size(), 480u * 272u);
    EXPECT_EQ(r.subtitlesLost, c.lost);
    const int lower = Bright(r.luma, 181, 272), upper = Bright(r.luma, 0, 181);
    EXPECT_EQ(upper, 0);
    if (c.drawn) {
      EXPECT_GT(lower, 150);
    } else {
      EXPECT_EQ(lower, 0);
    }
  }
}

TEST(SubtitleDrawing, AStyleGetsTheFontAttachedToTheVideo) {
  // The same style naming DejaVu Serif: attached in one file, absent from the other (which
  // falls back to DejaVu Sans), and a name no font has.
  platform::StdFileSystem fs;
  testing::ScratchFolder scratch("brevlo-subs");
  app::VideoConverter converter(fs, {}, Settings("en"));
  std::vector<std::vector<std::uint8_t>> lettering;
  for (const char* file :
       {"subs-default-ass.mkv", "subs-no-attached-font.mkv", "subs-missing-font.mkv"}) {
    const auto target = scratch.Path() / (std::string(file) + ".MP4");
    const Result r = ConvertWith(converter, testing::TestVideoFolder() + file, target.string());
    ASSERT_EQ(r.error, "") << file;
    ASSERT_EQ(r.luma.size(), 480u * 272u) << file;
    lettering.push_back(r.luma);
  }
  const auto differing = [](const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i) n += (a[i] > 128) != (b[i] > 128);
    return n;
  };
  EXPECT_GT(differing(lettering[0], lettering[1]), 100);  // serif, not the fallback
  EXPECT_LT(differing(lettering[1], lettering[2]), 20);   // both the fallback
}

// A copy of a 640 x 360 video with a DVD subtitle track made by libavcodec's own encoder: one
// white box at (200, 280), 240 x 40, from 0.5 s to 2.5 s.
bool MakeDvdSubtitled(const std::string& from, const std::string& to) {
  AVFormatContext* in = nullptr;
  if (avformat_open_input(&in, from.c_str(), nullptr, nullptr) < 0) return false;
  AVFormatContext* out = nullptr;
  avformat_alloc_output_context2(&out, nullptr, "matroska", to.c_str());
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
  AVCodecContext* enc = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
  bool ok = out != nullptr && enc != nullptr && avformat_find_stream_info(in, nullptr) >= 0;
  AVStream* video = ok ? avformat_new_stream(out, nullptr) : nullptr;
  AVStream* subs = ok ? avformat_new_stream(out, nullptr) : nullptr;
  if (video != nullptr && subs != nullptr) {
    enc->width = 640;
    enc->height = 360;
    enc->time_base = AVRational{1, 1000};
    ok = avcodec_parameters_copy(video->codecpar, in->streams[0]->codecpar) >= 0 &&
         avcodec_open2(enc, codec, nullptr) >= 0 &&
         avcodec_parameters_from_context(subs->codecpar, enc) >= 0;
    video->codecpar->codec_tag = 0;
    video->time_base = in->streams[0]->time_base;
    subs->time_base = AVRational{1, 1000};
    subs->disposition = AV_DISPOSITION_DEFAULT;
  } else {
    ok = false;
  }
  ok = ok && avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE) >= 0 &&
       avformat_write_header(out, nullptr) >= 0;
  if (ok) {
    std::vector<std::uint8_t> pixels(240 * 40, 1);
    std::uint32_t palette[4] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
    AVSubtitleRect rect{};
    rect.x = 200, rect.y = 280, rect.w = 240, rect.h = 40, rect.nb_colors = 4;
    rect.type = SUBTITLE_BITMAP;
    rect.data[0] = pixels.data();
    rect.linesize[0] = 240;
    rect.data[1] = reinterpret_cast<std::uint8_t*>(palette);
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle sub{};
    sub.num_rects = 1;
    sub.rects = rects;
    sub.end_display_time = 2000;
    std::vector<std::uint8_t> buffer(1 << 16);
    const int size =
        avcodec_encode_subtitle(enc, buffer.data(), static_cast<int>(buffer.size()), &sub);
    AVPacket* p = av_packet_alloc();
    ok = size > 0 && av_new_packet(p, size) >= 0;
    if (ok) {
      std::copy_n(buffer.data(), size, p->data);
      p->stream_index = 1;
      p->pts = p->dts = 500;
      p->duration = 2000;
      ok = av_interleaved_write_frame(out, p) >= 0;
    }
    while (ok && av_read_frame(in, p) >= 0) {
      if (p->stream_index == 0) {
        p->pos = -1;
        av_packet_rescale_ts(p, in->streams[0]->time_base, video->time_base);
        ok = av_interleaved_write_frame(out, p) >= 0;
      }
      av_packet_unref(p);
    }
    av_packet_free(&p);
    ok = ok && av_write_trailer(out) >= 0;
  }
  avcodec_free_context(&enc);
  if (out != nullptr) avio_closep(&out->pb);
  avformat_free_context(out);
  avformat_close_input(&in);
  return ok;
}

TEST(SubtitleDrawing, ADvdSubtitleLiesWhereItWasScaledWithThePicture) {
  platform::StdFileSystem fs;
  testing::ScratchFolder scratch("brevlo-subs");
  const std::string source = (scratch.Path() / "dvd.mkv").string();
  ASSERT_TRUE(MakeDvdSubtitled(testing::TestVideoFolder() + "subs-no-attached-font.mkv", source));
  app::VideoConverter converter(fs, {}, Settings("en"));
  const Result r = ConvertWith(converter, source, (scratch.Path() / "out.MP4").string());
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.luma.size(), 480u * 272u);
  // 640 x 360 becomes 480 x 270 at the top: the box lands at (150, 210), 180 x 30.
  int inside = 0, outside = 0;
  for (int y = 0; y < 272; ++y) {
    for (int x = 0; x < 480; ++x) {
      const bool bright = r.luma[static_cast<std::size_t>(y) * 480 + x] > 128;
      const bool in = x >= 151 && x < 329 && y >= 211 && y < 239;
      const bool near = x >= 148 && x < 332 && y >= 208 && y < 242;
      inside += in && bright;
      outside += !near && bright;
    }
  }
  EXPECT_EQ(inside, 178 * 28);
  EXPECT_EQ(outside, 0);
}

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
