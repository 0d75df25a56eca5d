// The picture's quality and speed at the PSP's 768 kbit/s: encoder options, the scaler and
// decoder shortcuts, each over a few kinds of source (made by ffmpeg's sources and filters),
// with PSNR and SSIM of the brightness against the source scaled by the finest scaler, and the
// time against the settings the conversion had before. Last, the real conversion against the
// native ffmpeg program at those earlier settings.
//   picture_bench [FOLDER [conversion]]    sources are made in FOLDER (default: the temporary
//   folder); "conversion": only the last figure
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include "BenchSupport.h"
#include "media/Conversion.h"
#include "media/PictureChain.h"

using namespace brevlo;
namespace fs = std::filesystem;

namespace {

struct Source {
  const char* name;
  const char* lavfi;  // 5 s at 1280 x 720, 30 frames a second
};

const Source Sources[] = {
    {"film", "mandelbrot=s=1280x720:r=30,noise=alls=10:allf=t+u"},
    {"animation",
     "life=s=320x180:r=30:mold=10:ratio=0.2:life_color=#F0C030:death_color=#3050A0,"
     "scale=1280:720:flags=neighbor"},
    {"screen", "testsrc=s=1280x720:r=30,scroll=vertical=0.003"},
    {"dark", "mandelbrot=s=1280x720:r=30,eq=brightness=-0.25:contrast=0.45,noise=alls=4:allf=t"},
};

struct Variant {
  const char* name;
  const char* encoder;  // options of the mpeg4 encoder, "key=value:..."
  const char* scaler;   // the scale filter's flags
  const char* decoder;  // options of the source's decoder
};

// The first row is the baseline: the conversion's settings before these measurements.
const Variant Variants[] = {
    {"MPEG-4 defaults (before)", "", "bicubic", ""},
    {"mbd=rd", "mbd=rd", "bicubic", ""},
    {"mbd=rd, 4mv", "mbd=rd:flags=+mv4", "bicubic", ""},
    {"mbd=rd, 4mv, trellis", "mbd=rd:flags=+mv4:trellis=1", "bicubic", ""},
    {"mbd=rd, 4mv, trellis, cmp satd",
     "mbd=rd:flags=+mv4:trellis=1:cmp=satd:subcmp=satd:mbcmp=satd", "bicubic", ""},
    {"mbd=rd, 4mv, cmp satd", "mbd=rd:flags=+mv4:cmp=satd:subcmp=satd:mbcmp=satd", "bicubic", ""},
    {"scaler bilinear", "", "bilinear", ""},
    {"scaler area", "", "area", ""},
    {"scaler lanczos", "", "lanczos", ""},
    {"decoder: no loop filter on non-reference", "", "bicubic", "skip_loop_filter=noref"},
    {"decoder: no loop filter at all", "", "bicubic", "skip_loop_filter=all"},
    {"decoder: fast flags", "", "bicubic", "flags2=+fast"},
};

AVDictionary* Options(const char* text) {
  AVDictionary* options = nullptr;
  if (*text != 0) av_dict_parse_string(&options, text, "=", ":", 0);
  return options;
}

using Plane = std::vector<std::uint8_t>;  // the brightness of the 480 x 272 canvas

struct Measured {
  double seconds = 0;  // decoding, filtering and encoding: not the measuring
  double psnr = 0, ssim = 0;
  std::vector<Plane> planes;
};

Plane Brightness(const AVFrame* frame) {
  Plane plane(static_cast<std::size_t>(frame->width) * frame->height);
  for (int y = 0; y < frame->height; ++y) {
    std::copy_n(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0], frame->width,
                plane.data() + static_cast<std::ptrdiff_t>(y) * frame->width);
  }
  return plane;
}

double Psnr(const Plane& a, const Plane& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  const double mse = std::max(sum / static_cast<double>(a.size()), 1e-3);
  return 10 * std::log10(255.0 * 255.0 / mse);
}

// SSIM over 8 x 8 windows, 4 apart.
double Ssim(const Plane& a, const Plane& b, int width, int height) {
  const double c1 = 6.5025, c2 = 58.5225;
  double total = 0;
  int windows = 0;
  for (int y = 0; y + 8 <= height; y += 4) {
    for (int x = 0; x + 8 <= width; x += 4) {
      double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
      for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
          const double p = a[(y + j) * width + x + i], q = b[(y + j) * width + x + i];
          sa += p, sb += q, saa += p * p, sbb += q * q, sab += p * q;
        }
      }
      const double ma = sa / 64, mb = sb / 64;
      const double va = saa / 64 - ma * ma, vb = sbb / 64 - mb * mb, cov = sab / 64 - ma * mb;
      total += (2 * ma * mb + c1) * (2 * cov + c2) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
      ++windows;
    }
  }
  return windows > 0 ? total / windows : 0;
}

// Decodes path, puts it through the conversion's picture chain (scaler swapped) and, when
// encoder is not null, encodes and decodes each picture again; the brightness planes that
// come out are kept.
Measured Run(const std::string& path, const Variant& variant, bool encode,
             const std::string& ownChain = {}) {
  Measured result;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return result;
  avformat_find_stream_info(format, nullptr);
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  const AVStream* stream = format->streams[index];
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, stream->codecpar);
  decoder->thread_count = 2;
  decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  AVDictionary* decoderOptions = Options(variant.decoder);
  avcodec_open2(decoder, codec, &decoderOptions);
  av_dict_free(&decoderOptions);

  media::SourceFacts facts{stream->codecpar->width, stream->codecpar->height, 1, 0, 30, 1};
  const media::OutputSettings plan = media::PlanOutput(facts, media::TargetKind::Mpeg4);
  media::PictureFacts picture;
  picture.fields = media::Fields::Progressive;
  std::string chain = media::PictureFilters(picture, plan);
  const std::string flags = "flags=bicubic";
  chain.replace(chain.find(flags), flags.size(), std::string("flags=") + variant.scaler);
  if (!ownChain.empty()) chain = ownChain;
  AVFilterGraph* graph = avfilter_graph_alloc();
  char args[128];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/30",
                stream->codecpar->width, stream->codecpar->height, stream->codecpar->format);
  AVFilterContext *in = nullptr, *out = nullptr;
  avfilter_graph_create_filter(&in, avfilter_get_by_name("buffer"), "in", args, nullptr, graph);
  avfilter_graph_create_filter(&out, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                               graph);
  AVFilterInOut* outs = avfilter_inout_alloc();
  AVFilterInOut* ins = avfilter_inout_alloc();
  outs->name = av_strdup("in");
  outs->filter_ctx = in;
  ins->name = av_strdup("out");
  ins->filter_ctx = out;
  avfilter_graph_parse_ptr(graph, chain.c_str(), &ins, &outs, nullptr);
  avfilter_inout_free(&ins);
  avfilter_inout_free(&outs);
  avfilter_graph_config(graph, nullptr);

  // The encoder as the conversion sets it up, and a decoder of what it makes.
  AVCodecContext* encoder = nullptr;
  AVCodecContext* check = nullptr;
  if (encode) {
    const AVCodec* mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    encoder = avcodec_alloc_context3(mpeg4);
    encoder->width = plan.width;
    encoder->height = plan.height;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = AVRational{1, 30};
    encoder->framerate = AVRational{30, 1};
    encoder->gop_size = 60;
    encoder->max_b_frames = 0;
    encoder->bit_rate = plan.videoMaxBitRate / 8 * 7;
    encoder->rc_max_rate = plan.videoMaxBitRate;
    encoder->rc_buffer_size = plan.videoBufferBits;
    encoder->thread_count = 2;
    encoder->thread_type = FF_THREAD_SLICE;
    encoder->profile = FF_PROFILE_MPEG4_SIMPLE;
    encoder->level = 4;
    AVDictionary* encoderOptions = Options(variant.encoder);
    avcodec_open2(encoder, mpeg4, &encoderOptions);
    av_dict_free(&encoderOptions);
    const AVCodec* back = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
    check = avcodec_alloc_context3(back);
    check->thread_count = 1;
    avcodec_open2(check, back, nullptr);
  }

  AVPacket* packet = av_packet_alloc();
  AVPacket* made = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* scaled = av_frame_alloc();
  AVFrame* seen = av_frame_alloc();
  std::int64_t pts = 0;
  double measuring = 0;
  const auto start = std::chrono::steady_clock::now();
  const auto keep = [&](const AVFrame* f) {
    const auto begin = std::chrono::steady_clock::now();
    result.planes.push_back(Brightness(f));
    measuring += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  };
  const auto encoded = [&](bool last) {
    if (last) avcodec_send_frame(encoder, nullptr);
    while (avcodec_receive_packet(encoder, made) == 0) {
      const auto begin = std::chrono::steady_clock::now();
      avcodec_send_packet(check, made);
      while (avcodec_receive_frame(check, seen) == 0) {
        result.planes.push_back(Brightness(seen));
        av_frame_unref(seen);
      }
      measuring += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
      av_packet_unref(made);
    }
    if (last) {
      avcodec_send_packet(check, nullptr);
      while (avcodec_receive_frame(check, seen) == 0) {
        result.planes.push_back(Brightness(seen));
        av_frame_unref(seen);
      }
    }
  };
  const auto filtered = [&](bool last) {
    if (last && av_buffersrc_add_frame(in, nullptr) < 0) return;
    while (av_buffersink_get_frame(out, scaled) == 0) {
      if (encode) {
        scaled->pts = pts++;
        scaled->pict_type = AV_PICTURE_TYPE_NONE;
        avcodec_send_frame(encoder, scaled);
        encoded(false);
      } else {
        keep(scaled);
      }
      av_frame_unref(scaled);
    }
  };
  const auto decoded = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      frame->pts = frame->best_effort_timestamp;
      if (av_buffersrc_add_frame(in, frame) < 0) av_frame_unref(frame);
      filtered(false);
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
    decoded();
  }
  avcodec_send_packet(decoder, nullptr);
  decoded();
  filtered(true);
  if (encode) encoded(true);
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() - measuring;
  av_frame_free(&frame);
  av_frame_free(&scaled);
  av_frame_free(&seen);
  av_packet_free(&packet);
  av_packet_free(&made);
  avcodec_free_context(&decoder);
  avcodec_free_context(&encoder);
  avcodec_free_context(&check);
  avfilter_graph_free(&graph);
  avformat_close_input(&format);
  return result;
}

void Compare(Measured& measured, const std::vector<Plane>& reference, int width = 480,
             int height = 272) {
  const std::size_t count = std::min(measured.planes.size(), reference.size());
  double psnr = 0, ssim = 0;
  for (std::size_t i = 0; i < count; ++i) {
    psnr += Psnr(measured.planes[i], reference[i]);
    ssim += Ssim(measured.planes[i], reference[i], width, height);
  }
  measured.psnr = count > 0 ? psnr / static_cast<double>(count) : 0;
  measured.ssim = count > 0 ? ssim / static_cast<double>(count) : 0;
  measured.planes.clear();
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// The real conversion against the native ffmpeg program at the settings the conversion had
// before, on 20 s of 1080p H.264 (as the Windows benchmark converts).
void ConversionAgainstFfmpeg(const fs::path& folder) {
  const fs::path film = folder / "film-1080p.mp4";
  if (!fs::exists(film) &&
      !Shell(
          "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
          "testsrc2=size=1920x1080:rate=30:duration=20 -f lavfi -i sine=frequency=440:duration=20 "
          "-c:v libx264 -preset veryfast -profile:v high -pix_fmt yuv420p -c:a aac -ac 2 '" +
          film.string() + "'")) {
    std::printf("no ffmpeg to make the film\n");
    return;
  }
  const fs::path ours = folder / "ours.MP4", theirs = folder / "native.mp4";
  const auto figure = bench::SideBySide(
      "the conversion, 20 s of 1080p (MPEG-4)",
      [&] {
        std::string error;
        auto conversion =
            media::Conversion::Open(film.string(), ours.string(), media::TargetKind::Mpeg4, error);
        if (!conversion) return;
        while (conversion->Run(1) == media::Conversion::Step::Working) {
        }
      },
      "native ffmpeg, earlier settings",
      [&] {
        Shell("ffmpeg -hide_banner -loglevel error -nostdin -y -threads 2 -i '" + film.string() +
              "' -threads 2 -vf 'scale=480:270,pad=480:272:0:1' -r 30 -c:v mpeg4 -profile:v 0 "
              "-level 3 -b:v 672k -maxrate 768k -bufsize 655360 -c:a aac -b:a 128k -ar 48000 "
              "-ac 2 -f psp '" +
              theirs.string() + "'");
      },
      3);
  bench::PrintFigures({figure});
  // Both pictures against the source scaled by the finest scaler; each has its picture in its
  // own place on the canvas (ffmpeg's one line lower).
  const Variant plain{"", "", "bicubic", ""};
  const std::vector<Plane> reference =
      Run(film.string(), plain, false, "scale=480:270:flags=lanczos+accurate_rnd+full_chroma_int")
          .planes;
  Measured mine = Run(ours.string(), plain, false, "crop=480:270:0:0");
  Measured native = Run(theirs.string(), plain, false, "crop=480:270:0:1");
  Compare(mine, reference, 480, 270);
  Compare(native, reference, 480, 270);
  std::printf("%-44s %10.2f dB %8.4f   %-30s %10.2f dB %8.4f\n", "the conversion: PSNR, SSIM",
              mine.psnr, mine.ssim, "native ffmpeg, earlier settings", native.psnr, native.ssim);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder =
      argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "brevlo-picture-bench";
  fs::create_directories(folder);
  av_log_set_level(AV_LOG_QUIET);
  if (argc > 2 && std::string(argv[2]) == "conversion") {
    ConversionAgainstFfmpeg(folder);
    return 0;
  }

  struct Row {
    double seconds = 0, psnr = 0, ssim = 0;
  };
  std::map<std::string, std::map<std::string, Row>> rows;  // variant, source
  for (const Source& source : Sources) {
    const fs::path path = folder / (std::string(source.name) + ".mkv");
    if (!fs::exists(path) &&
        !Shell(std::string("ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i '") +
               source.lavfi +
               ",trim=duration=5' -c:v libx264 -preset veryfast -crf 16 "
               "-pix_fmt yuv420p '" +
               path.string() + "'")) {
      std::printf("cannot make %s (ffmpeg with libx264 is needed)\n", source.name);
      return 1;
    }
    const Variant finest{"reference", "", "lanczos+accurate_rnd+full_chroma_int", ""};
    const std::vector<Plane> reference = Run(path.string(), finest, false).planes;
    for (const Variant& variant : Variants) {
      // The quicker of two runs: a busy machine only ever adds time.
      Measured measured = Run(path.string(), variant, true);
      const double again = Run(path.string(), variant, true).seconds;
      measured.seconds = std::min(measured.seconds, again);
      Compare(measured, reference);
      rows[variant.name][source.name] = {measured.seconds, measured.psnr, measured.ssim};
      std::fprintf(stderr, "%s, %s: %.2f s, %.2f dB, %.4f\n", source.name, variant.name,
                   measured.seconds, measured.psnr, measured.ssim);
    }
  }

  // Each row against the first, source by source, then the mean of the differences.
  const std::string baseline = Variants[0].name;
  std::printf("\n%-44s", "768 kbit/s, MPEG-4 (dB / SSIM / time ratio)");
  for (const Source& source : Sources) std::printf(" %-26s", source.name);
  std::printf(" %s\n", "mean: +dB, +SSIM, time");
  for (const Variant& variant : Variants) {
    std::printf("%-44s", variant.name);
    double db = 0, ssim = 0, time = 0;
    for (const Source& source : Sources) {
      const Row& r = rows[variant.name][source.name];
      const Row& b = rows[baseline][source.name];
      std::printf(" %6.2f %7.4f %6.3fx      ", r.psnr, r.ssim, r.seconds / b.seconds);
      db += r.psnr - b.psnr;
      ssim += r.ssim - b.ssim;
      time += r.seconds / b.seconds;
    }
    const double n = static_cast<double>(std::size(Sources));
    std::printf(" %+6.2f %+8.4f %6.3fx\n", db / n, ssim / n, time / n);
  }
  ConversionAgainstFfmpeg(folder);
  return 0;
}
