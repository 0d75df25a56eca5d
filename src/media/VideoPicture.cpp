#include "media/VideoPicture.h"

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "media/LibraryHandles.h"
#include "media/ToneMap.h"

namespace brevlo::media {
namespace {

using namespace detail;

using platform::Thumbnail;

// Where in the video a picture is looked for, as parts of its length: a tenth first, later
// points while the frame found is almost black (a fade-in, a title card on black).
constexpr double Points[] = {0.10, 0.25, 0.40, 0.55, 0.70};
// A clip shorter than this has no tenth worth seeking to: its first frame is taken.
constexpr std::int64_t ShortClip = 2 * AV_TIME_BASE;
// Packets read for one frame before the point is given up: a damaged file never ends a read.
constexpr int MaxPacketsPerFrame = 600;
constexpr int MaxSide = 8192;
// Average brightness (0-255) under which a frame counts as almost black.
constexpr int DarkAverage = 24;

int Interrupted(void* opaque) {
  const auto* stop = static_cast<const StopAsked*>(opaque);
  return *stop && (*stop)() ? 1 : 0;
}

class FrameSource {
 public:
  FrameSource(AVFormatContext* format, int stream, AVCodecContext* codec)
      : format_(format), stream_(stream), codec_(codec), packet_(av_packet_alloc()) {}

  // The first whole frame from where the file is now; null at the end or on a hard error.
  AVFrame* Next(AVFrame* frame) {
    if (!packet_) return nullptr;
    for (int packets = 0; packets < MaxPacketsPerFrame;) {
      const int got = avcodec_receive_frame(codec_, frame);
      if (got == 0) {
        // After a seek some decoders hand out what they made without a reference frame.
        if ((frame->flags & AV_FRAME_FLAG_CORRUPT) == 0 || packets >= MaxPacketsPerFrame / 2) {
          return frame;
        }
        av_frame_unref(frame);
        continue;
      }
      if (got != AVERROR(EAGAIN)) return nullptr;
      if (ended_) return nullptr;
      const int read = av_read_frame(format_, packet_.get());
      if (read < 0) {
        if (read == AVERROR_EXIT) return nullptr;
        ended_ = true;
        avcodec_send_packet(codec_, nullptr);  // drain what the decoder holds
        continue;
      }
      if (packet_->stream_index == stream_) {
        ++packets;
        // A transport stream after a seek answers INVALIDDATA until its next key frame.
        avcodec_send_packet(codec_, packet_.get());
      }
      av_packet_unref(packet_.get());
    }
    return nullptr;
  }

  bool SeekTo(std::int64_t time) {
    if (av_seek_frame(format_, -1, time, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_);
    ended_ = false;
    return true;
  }

 private:
  AVFormatContext* format_;
  int stream_;
  AVCodecContext* codec_;
  std::unique_ptr<AVPacket, PacketCloser> packet_;
  bool ended_ = false;
};

int SwsMatrix(Matrix matrix) {
  switch (matrix) {
    case Matrix::Bt709:
      return SWS_CS_ITU709;
    case Matrix::Bt2020:
      return SWS_CS_BT2020;
    default:
      return SWS_CS_ITU601;
  }
}

// The frame scaled into the middle of a black 160 x 120 picture with its shape kept, turned as
// it is shown, in the colours an ordinary screen shows it with.
std::optional<Thumbnail> Fit(const AVFrame* frame, AVRational sampleAspect,
                             const PictureFacts& facts) {
  const int turns = facts.quarterTurns;
  if (frame->width <= 0 || frame->height <= 0) return std::nullopt;
  double shownW = frame->width;
  const double shownH = frame->height;
  if (sampleAspect.num > 0 && sampleAspect.den > 0) shownW *= av_q2d(sampleAspect);
  const bool sideways = turns % 2 == 1;
  const double w = sideways ? shownH : shownW;
  const double h = sideways ? shownW : shownH;
  const double scale = std::min(PictureWidth / w, PictureHeight / h);
  const int fitW = std::clamp(static_cast<int>(std::lround(w * scale)), 1, PictureWidth);
  const int fitH = std::clamp(static_cast<int>(std::lround(h * scale)), 1, PictureHeight);
  // Scaled in the frame's own orientation, then turned into place.
  const int scaledW = sideways ? fitH : fitW;
  const int scaledH = sideways ? fitW : fitH;
  std::unique_ptr<SwsContext, ScaleCloser> scaler(
      sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                     scaledW, scaledH, AV_PIX_FMT_RGB48, SWS_AREA, nullptr, nullptr, nullptr));
  if (!scaler) return std::nullopt;
  // 16 bits a colour: a high dynamic range curve keeps its steps through the mapping.
  const int* toRgb = sws_getCoefficients(SwsMatrix(facts.matrix));
  sws_setColorspaceDetails(scaler.get(), toRgb, facts.fullRange ? 1 : 0,
                           sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
  std::vector<std::uint16_t> wide(static_cast<std::size_t>(scaledW) * scaledH * 3);
  std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(wide.data()), nullptr, nullptr,
                             nullptr};
  int strides[4] = {scaledW * 6, 0, 0, 0};
  if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) <=
      0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> scaled(wide.size());  // BGR
  for (std::size_t i = 0; i + 2 < wide.size(); i += 3) {
    Rgb colour{wide[i] / 65535.0, wide[i + 1] / 65535.0, wide[i + 2] / 65535.0};
    colour = ToneMapped(facts.curve, colour);
    const auto level = [](double v) {
      return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    scaled[i] = level(colour.b);
    scaled[i + 1] = level(colour.g);
    scaled[i + 2] = level(colour.r);
  }
  Thumbnail out(PictureWidth, PictureHeight);  // black
  const int left = (PictureWidth - fitW) / 2;
  const int top = (PictureHeight - fitH) / 2;
  for (int y = 0; y < fitH; ++y) {
    for (int x = 0; x < fitW; ++x) {
      int sx = 0, sy = 0;
      TurnedFrom(turns, x, y, scaledW, scaledH, sx, sy);
      const std::uint8_t* from = scaled.data() + (static_cast<std::size_t>(sy) * scaledW + sx) * 3;
      std::uint8_t* to =
          out.bgr.data() + (static_cast<std::size_t>(top + y) * PictureWidth + left + x) * 3;
      std::copy(from, from + 3, to);
    }
  }
  return out;
}

int AverageBrightness(const Thumbnail& picture) {
  unsigned long long sum = 0;
  std::size_t count = 0;
  // The bars are black by design: only the picture's middle rows and columns count.
  for (int y = PictureHeight / 4; y < PictureHeight * 3 / 4; ++y) {
    for (int x = PictureWidth / 4; x < PictureWidth * 3 / 4; ++x) {
      const std::uint8_t* p =
          picture.bgr.data() + (static_cast<std::size_t>(y) * PictureWidth + x) * 3;
      sum += (p[0] * 114u + p[1] * 587u + p[2] * 299u) / 1000u;
      ++count;
    }
  }
  return count == 0 ? 0 : static_cast<int>(sum / count);
}

}  // namespace

std::optional<Thumbnail> PictureOfVideo(const std::string& path, const StopAsked& stop) {
  QuietLibraries();
  AVFormatContext* opened = avformat_alloc_context();
  if (opened == nullptr) return std::nullopt;
  opened->interrupt_callback.callback = Interrupted;
  opened->interrupt_callback.opaque = const_cast<StopAsked*>(&stop);
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) return std::nullopt;
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (index < 0 || decoder == nullptr) return std::nullopt;
  AVStream* stream = format->streams[index];
  // A song's cover is no video; a picture this large would take hundreds of megabytes.
  if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) return std::nullopt;
  if (stream->codecpar->width > MaxSide || stream->codecpar->height > MaxSide) return std::nullopt;
  std::unique_ptr<AVCodecContext, CodecCloser> codec(avcodec_alloc_context3(decoder));
  if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) {
    return std::nullopt;
  }
  codec->thread_count = 1;  // one frame: threads would only add their start-up
  codec->max_pixels = static_cast<std::int64_t>(MaxSide) * MaxSide;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return std::nullopt;

  const std::int64_t length = format->duration;
  const std::int64_t start = format->start_time == AV_NOPTS_VALUE ? 0 : format->start_time;
  bool seekable = length != AV_NOPTS_VALUE && length >= ShortClip;
  FrameSource source(format.get(), index, codec.get());
  std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
  if (!frame) return std::nullopt;

  std::optional<Thumbnail> best;
  int bestBrightness = -1;
  for (const double point : Points) {
    if (stop && stop()) return std::nullopt;
    if (seekable && !source.SeekTo(start + static_cast<std::int64_t>(length * point))) {
      if (best) break;
      seekable = false;  // a file that cannot seek still shows its first frame
    }
    AVFrame* got = source.Next(frame.get());
    if (got == nullptr) {
      if (!seekable) break;
      continue;
    }
    auto picture = Fit(got, av_guess_sample_aspect_ratio(format.get(), stream, got),
                       PictureFactsOf(stream, got));
    av_frame_unref(frame.get());
    if (!picture) continue;
    const int brightness = AverageBrightness(*picture);
    if (brightness > bestBrightness) {
      bestBrightness = brightness;
      best = std::move(picture);
    }
    if (bestBrightness >= DarkAverage || !seekable) break;
  }
  return best;
}

std::vector<std::uint8_t> VideoPictures::ThumbnailOf(const std::string& path,
                                                     const StopAsked& stop) {
  const auto picture = PictureOfVideo(path, stop);
  if (!picture) return {};
  return platform::EncodeBaselineJpeg(*picture);
}

}  // namespace brevlo::media
