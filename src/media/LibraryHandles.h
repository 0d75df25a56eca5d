#pragma once

// Inside the media room only: the decoders' objects freed by their owners, and what every
// reader of a video asks first. No header outside src/media/ includes this one.

#include <cmath>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "media/PictureChain.h"

namespace brevlo::media::detail {

struct FormatCloser {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameCloser {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketCloser {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleCloser {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

// The libraries say nothing on the program's behalf.
inline void QuietLibraries() {
  static const bool quiet = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
  }();
  (void)quiet;
}

// Clockwise quarter turns the picture is shown with (a phone's portrait video is stored lying).
inline int QuarterTurns(const AVStream* stream) {
  const auto* matrix = reinterpret_cast<const std::int32_t*>(
      av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
  if (matrix == nullptr) return 0;
  const double degrees = -av_display_rotation_get(matrix);
  if (!std::isfinite(degrees)) return 0;
  const long turns = std::lround(degrees / 90.0);
  return static_cast<int>(((turns % 4) + 4) % 4);
}

// The pixel of a picture scaled in its stored orientation (width x height) that is shown at
// (x, y) once it is turned clockwise by turns quarter turns.
inline void TurnedFrom(int turns, int x, int y, int width, int height, int& sx, int& sy) {
  switch (turns) {
    case 1:
      sx = y, sy = height - 1 - x;
      break;
    case 2:
      sx = width - 1 - x, sy = height - 1 - y;
      break;
    case 3:
      sx = width - 1 - y, sy = x;
      break;
    default:
      sx = x, sy = y;
      break;
  }
}

// How the picture's colours and fields were made: what the frame says (when there is one), else
// what the stream says, else the usual for its size.
inline PictureFacts PictureFactsOf(const AVStream* stream, const AVFrame* frame) {
  const AVCodecParameters* par = stream->codecpar;
  PictureFacts facts;
  facts.quarterTurns = QuarterTurns(stream);
  const auto said = [](int fromFrame, int fromStream, int unsaid) {
    return fromFrame != unsaid ? fromFrame : fromStream;
  };
  const bool framed = frame != nullptr;
  const int space = said(framed ? frame->colorspace : AVCOL_SPC_UNSPECIFIED, par->color_space,
                         AVCOL_SPC_UNSPECIFIED);
  const int primaries = said(framed ? frame->color_primaries : AVCOL_PRI_UNSPECIFIED,
                             par->color_primaries, AVCOL_PRI_UNSPECIFIED);
  const int curve = said(framed ? frame->color_trc : AVCOL_TRC_UNSPECIFIED, par->color_trc,
                         AVCOL_TRC_UNSPECIFIED);
  const int range = said(framed ? frame->color_range : AVCOL_RANGE_UNSPECIFIED, par->color_range,
                         AVCOL_RANGE_UNSPECIFIED);
  const int width = framed ? frame->width : par->width;
  const int height = framed ? frame->height : par->height;
  switch (space) {
    case AVCOL_SPC_BT709:
      facts.matrix = Matrix::Bt709;
      break;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      facts.matrix = Matrix::Bt2020;
      break;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_FCC:
      facts.matrix = Matrix::Bt601;
      break;
    default:
      facts.matrix = primaries == AVCOL_PRI_BT2020  ? Matrix::Bt2020
                     : primaries == AVCOL_PRI_BT709 ? Matrix::Bt709
                                                    : GuessedMatrix(width, height);
      break;
  }
  const auto* format =
      av_pix_fmt_desc_get(static_cast<AVPixelFormat>(framed ? frame->format : par->format));
  const bool jpegFormat = format != nullptr && format->name[0] == 'y' && format->name[1] == 'u' &&
                          format->name[2] == 'v' && format->name[3] == 'j';
  facts.fullRange = range == AVCOL_RANGE_JPEG || (range == AVCOL_RANGE_UNSPECIFIED && jpegFormat);
  facts.curve = curve == AVCOL_TRC_SMPTE2084      ? Curve::Pq
                : curve == AVCOL_TRC_ARIB_STD_B67 ? Curve::Hlg
                                                  : Curve::Sdr;
  switch (par->field_order) {
    case AV_FIELD_PROGRESSIVE:
      facts.fields = Fields::Progressive;
      break;
    case AV_FIELD_TT:
    case AV_FIELD_BB:
    case AV_FIELD_TB:
    case AV_FIELD_BT:
      facts.fields = Fields::Interlaced;
      break;
    default: {
      const AVRational rate =
          stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
      facts.fields = UnsaidFields(height, rate.den > 0 ? av_q2d(rate) : 0);
      break;
    }
  }
  return facts;
}

}  // namespace brevlo::media::detail
