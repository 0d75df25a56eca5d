#pragma once

// Inside the media room only: the decoders' objects freed by their owners, and what every
// reader of a video asks first. No header outside src/media/ includes this one.

#include <cmath>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libswscale/swscale.h>
}

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

}  // namespace brevlo::media::detail
