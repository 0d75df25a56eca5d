#include "platform/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace brevlo::platform {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

extern "C" void OnJpegError(j_common_ptr info) {
  auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(mgr->jump, 1);
}

extern "C" void OnJpegMessage(j_common_ptr) {}

// Area-average resample of a decoded image to the thumbnail, so that the small picture keeps
// the detail of the scaled-down decode instead of dropping pixels.
void Resample(const std::vector<std::uint8_t>& rgb, unsigned width, unsigned height,
              Thumbnail& out) {
  for (int ty = 0; ty < ThumbnailHeight; ++ty) {
    const unsigned y0 = static_cast<unsigned>(ty) * height / ThumbnailHeight;
    unsigned y1 = static_cast<unsigned>(ty + 1) * height / ThumbnailHeight;
    if (y1 <= y0) y1 = y0 + 1;
    for (int tx = 0; tx < ThumbnailWidth; ++tx) {
      const unsigned x0 = static_cast<unsigned>(tx) * width / ThumbnailWidth;
      unsigned x1 = static_cast<unsigned>(tx + 1) * width / ThumbnailWidth;
      if (x1 <= x0) x1 = x0 + 1;
      unsigned long sum[3] = {0, 0, 0};
      for (unsigned y = y0; y < y1; ++y) {
        const std::uint8_t* row = rgb.data() + (static_cast<std::size_t>(y) * width) * 3;
        for (unsigned x = x0; x < x1; ++x) {
          sum[0] += row[x * 3];
          sum[1] += row[x * 3 + 1];
          sum[2] += row[x * 3 + 2];
        }
      }
      const unsigned long n = static_cast<unsigned long>(y1 - y0) * (x1 - x0);
      std::uint8_t* px = out.bgr.data() + (static_cast<std::size_t>(ty) * ThumbnailWidth + tx) * 3;
      px[0] = static_cast<std::uint8_t>((sum[2] + n / 2) / n);
      px[1] = static_cast<std::uint8_t>((sum[1] + n / 2) / n);
      px[2] = static_cast<std::uint8_t>((sum[0] + n / 2) / n);
    }
  }
}

// Adobe writes CMYK inverted; either way the ink is taken away from white.
void CmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, unsigned width, bool inverted) {
  for (unsigned x = 0; x < width; ++x) {
    unsigned c = cmyk[x * 4], m = cmyk[x * 4 + 1], y = cmyk[x * 4 + 2], k = cmyk[x * 4 + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    rgb[x * 3] = static_cast<std::uint8_t>(c * k / 255);
    rgb[x * 3 + 1] = static_cast<std::uint8_t>(m * k / 255);
    rgb[x * 3 + 2] = static_cast<std::uint8_t>(y * k / 255);
  }
}

// Everything that owns memory lives outside the setjmp frame, so a longjmp leaks nothing.
struct DecodeState {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  std::vector<std::uint8_t> rgb;
  std::vector<std::uint8_t> line;
  unsigned width = 0;
  unsigned height = 0;
  bool created = false;
};

// The largest pixel count we let a reduced decode reach (a 1/8 decode of a huge image).
constexpr unsigned long long MaxScaledPixels = 16ull * 1024 * 1024;

bool Decode(DecodeState& s, const std::uint8_t* data, std::size_t size) {
  if (setjmp(s.err.jump)) {
    return false;
  }
  jpeg_create_decompress(&s.info);
  s.created = true;
  jpeg_mem_src(&s.info, const_cast<std::uint8_t*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&s.info, TRUE);

  const bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
  s.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  s.info.scale_num = 1;
  s.info.scale_denom = 1;
  // Smallest DCT scale that still covers 80 x 60.
  for (unsigned denom = 8; denom > 1; denom /= 2) {
    if (s.info.image_width / denom >= ThumbnailWidth &&
        s.info.image_height / denom >= ThumbnailHeight) {
      s.info.scale_denom = denom;
      break;
    }
  }
  jpeg_calc_output_dimensions(&s.info);
  const unsigned w = s.info.output_width;
  const unsigned h = s.info.output_height;
  if (w == 0 || h == 0 || static_cast<unsigned long long>(w) * h > MaxScaledPixels) {
    s.err.pub.msg_code = JERR_IMAGE_TOO_BIG;
    return false;
  }
  s.width = w;
  s.height = h;
  jpeg_start_decompress(&s.info);
  const unsigned comps = static_cast<unsigned>(s.info.output_components);
  s.rgb.resize(static_cast<std::size_t>(w) * h * 3);
  s.line.resize(static_cast<std::size_t>(w) * comps);
  const bool inverted = s.info.saw_Adobe_marker;
  while (s.info.output_scanline < h) {
    JSAMPROW row = s.line.data();
    const unsigned y = s.info.output_scanline;
    if (jpeg_read_scanlines(&s.info, &row, 1) != 1) {
      break;
    }
    std::uint8_t* dst = s.rgb.data() + static_cast<std::size_t>(y) * w * 3;
    if (comps == 4) {
      CmykRowToRgb(s.line.data(), dst, w, inverted);
    } else {
      std::copy(s.line.begin(), s.line.begin() + static_cast<std::ptrdiff_t>(w) * 3, dst);
    }
  }
  jpeg_finish_decompress(&s.info);
  return true;
}

}  // namespace

JpegResult DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size, Thumbnail& out) {
  JpegResult result;
  if (data == nullptr || size == 0) {
    result.errorCode = JERR_INPUT_EMPTY;
    return result;
  }
  DecodeState s;
  s.info.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = OnJpegError;
  s.err.pub.output_message = OnJpegMessage;
  const bool ok = Decode(s, data, size);
  const int code = s.err.pub.msg_code;
  if (s.created) {
    jpeg_destroy_decompress(&s.info);
  }
  if (!ok) {
    result.errorCode = code;
    return result;
  }
  Resample(s.rgb, s.width, s.height, out);
  result.ok = true;
  return result;
}

std::string JpegErrorText(int code) {
  char text[32];
  std::snprintf(text, sizeof text, "JPEG error #%d", code);
  return text;
}

}  // namespace brevlo::platform
