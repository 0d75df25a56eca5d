#include "platform/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
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
// the detail of the scaled-down decode instead of dropping pixels. Both in the thumbnail's
// byte order.
void Resample(const std::vector<std::uint8_t>& bgr, unsigned width, unsigned height,
              Thumbnail& out) {
  const unsigned tw = static_cast<unsigned>(out.width);
  const unsigned th = static_cast<unsigned>(out.height);
  std::vector<unsigned> xs(tw + 1);
  for (unsigned tx = 0; tx <= tw; ++tx) xs[tx] = tx * width / tw;
  for (unsigned ty = 0; ty < th; ++ty) {
    const unsigned y0 = ty * height / th;
    const unsigned y1 = std::max((ty + 1) * height / th, y0 + 1);
    std::uint8_t* px = out.bgr.data() + static_cast<std::size_t>(ty) * tw * 3;
    for (unsigned tx = 0; tx < tw; ++tx, px += 3) {
      const unsigned x0 = xs[tx];
      const unsigned x1 = std::max(xs[tx + 1], x0 + 1);
      unsigned long sum[3] = {0, 0, 0};
      for (unsigned y = y0; y < y1; ++y) {
        const std::uint8_t* p = bgr.data() + (static_cast<std::size_t>(y) * width + x0) * 3;
        for (unsigned x = x0; x < x1; ++x, p += 3) {
          sum[0] += p[0];
          sum[1] += p[1];
          sum[2] += p[2];
        }
      }
      const unsigned long n = static_cast<unsigned long>(y1 - y0) * (x1 - x0);
      for (int c = 0; c < 3; ++c) px[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
    }
  }
}

// Adobe writes CMYK inverted; either way the ink is taken away from white.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, unsigned width, bool inverted) {
  for (unsigned x = 0; x < width; ++x) {
    unsigned c = cmyk[x * 4], m = cmyk[x * 4 + 1], y = cmyk[x * 4 + 2], k = cmyk[x * 4 + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[x * 3] = static_cast<std::uint8_t>(y * k / 255);
    bgr[x * 3 + 1] = static_cast<std::uint8_t>(m * k / 255);
    bgr[x * 3 + 2] = static_cast<std::uint8_t>(c * k / 255);
  }
}

// The largest pixel count we let a reduced decode reach (a 1/8 decode of a huge image).
constexpr unsigned long long MaxScaledPixels = 16ull * 1024 * 1024;

// A progressive picture keeps all its coefficients whatever the scale, and a file of a few
// hundred bytes can claim hundreds of megabytes of them; past this it is refused instead.
constexpr long MaxCoefficientBytes = 64l * 1024 * 1024;

}  // namespace

// Everything that owns memory lives outside the setjmp frame, so a longjmp leaks nothing.
struct JpegThumbnailDecoder::State {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  std::vector<std::uint8_t> bgr;  // a decode of another size than the thumbnail's
  std::vector<std::uint8_t> line;
  unsigned width = 0;
  unsigned height = 0;
  bool created = false;
};

namespace {

bool Decode(JpegThumbnailDecoder::State& s, const std::uint8_t* data, std::size_t size,
            Thumbnail& out) {
  const unsigned tw = static_cast<unsigned>(out.width);
  const unsigned th = static_cast<unsigned>(out.height);
  if (setjmp(s.err.jump)) {
    return false;
  }
  // A libjpeg object of its own for each picture: one kept from the last picture lends its
  // tables to a picture that has none, which then decodes instead of failing.
  if (s.created) {
    jpeg_destroy_decompress(&s.info);
    s.created = false;
  }
  jpeg_create_decompress(&s.info);
  s.info.mem->max_memory_to_use = MaxCoefficientBytes;
  s.created = true;
  jpeg_mem_src(&s.info, const_cast<std::uint8_t*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&s.info, TRUE);

  const bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
  // The thumbnail's own byte order from the decoder, rather than a pass of its own.
  s.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  // Smallest DCT scale, in eighths, that still covers the thumbnail; the decoder rounds the
  // scaled size up.
  s.info.scale_num = 8;
  s.info.scale_denom = 8;
  for (unsigned num = 1; num < 8; ++num) {
    if ((s.info.image_width * num + 7) / 8 >= tw && (s.info.image_height * num + 7) / 8 >= th) {
      s.info.scale_num = num;
      break;
    }
  }
  // A thumbnail is resampled anyway: the fast paths cost nothing visible.
  s.info.dct_method = JDCT_IFAST;
  s.info.do_fancy_upsampling = FALSE;
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
  // The usual THM decodes at the thumbnail's size exactly, and then straight into it.
  const bool exact = w == tw && h == th;
  if (!exact) s.bgr.resize(static_cast<std::size_t>(w) * h * 3);
  std::uint8_t* pixels = exact ? out.bgr.data() : s.bgr.data();
  s.line.resize(static_cast<std::size_t>(w) * comps);
  const bool inverted = s.info.saw_Adobe_marker;
  while (s.info.output_scanline < h) {
    const unsigned y = s.info.output_scanline;
    std::uint8_t* dst = pixels + static_cast<std::size_t>(y) * w * 3;
    // Three-component rows go straight to their place; four-component ones are converted.
    JSAMPROW row = comps == 4 ? s.line.data() : dst;
    if (jpeg_read_scanlines(&s.info, &row, 1) != 1) {
      break;
    }
    if (comps == 4) CmykRowToBgr(s.line.data(), dst, w, inverted);
  }
  jpeg_finish_decompress(&s.info);
  return true;
}

}  // namespace

JpegThumbnailDecoder::JpegThumbnailDecoder() : state_(new State) {
  state_->info.err = jpeg_std_error(&state_->err.pub);
  state_->err.pub.error_exit = OnJpegError;
  state_->err.pub.output_message = OnJpegMessage;
}

JpegThumbnailDecoder::~JpegThumbnailDecoder() {
  if (state_->created) jpeg_destroy_decompress(&state_->info);
  delete state_;
}

JpegResult JpegThumbnailDecoder::Decode(const std::uint8_t* data, std::size_t size,
                                        Thumbnail& out) {
  JpegResult result;
  if (data == nullptr || size == 0) {
    result.errorCode = JERR_INPUT_EMPTY;
    return result;
  }
  State& s = *state_;
  s.err.pub.msg_code = 0;
  if (out.width <= 0 || out.height <= 0 ||
      out.bgr.size() != static_cast<std::size_t>(out.width) * out.height * 3) {
    result.errorCode = JERR_EMPTY_IMAGE;
    return result;
  }
  if (!brevlo::platform::Decode(s, data, size, out)) {
    result.errorCode = s.err.pub.msg_code;
    // Back to a clean state for the next picture.
    if (s.created) jpeg_abort_decompress(&s.info);
    return result;
  }
  if (s.width != static_cast<unsigned>(out.width) ||
      s.height != static_cast<unsigned>(out.height)) {
    Resample(s.bgr, s.width, s.height, out);
  }
  result.ok = true;
  return result;
}

JpegResult DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size, Thumbnail& out) {
  JpegThumbnailDecoder decoder;
  return decoder.Decode(data, size, out);
}

std::string JpegErrorText(int code) {
  char text[32];
  std::snprintf(text, sizeof text, "JPEG error #%d", code);
  return text;
}

namespace {
// No C++ object lives across the decoder's long jump: everything is handed in.
bool CompressBaseline(jpeg_compress_struct& info, ErrorManager& err, const Thumbnail& picture,
                      std::uint8_t* rgb, int quality, unsigned char** buffer,
                      unsigned long* size) {
  if (setjmp(err.jump) != 0) return false;
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);  // baseline, Huffman, 4:2:0
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(picture.Stride());
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* bgr = picture.bgr.data() + info.next_scanline * stride;
    for (std::size_t i = 0; i < stride; i += 3) {
      rgb[i] = bgr[i + 2];
      rgb[i + 1] = bgr[i + 1];
      rgb[i + 2] = bgr[i];
    }
    JSAMPROW line = rgb;
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}
}  // namespace

std::vector<std::uint8_t> EncodeBaselineJpeg(const Thumbnail& picture, int quality) {
  std::vector<std::uint8_t> out;
  if (picture.width <= 0 || picture.height <= 0) return out;
  jpeg_compress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.output_message = OnJpegMessage;
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Stride()));
  if (CompressBaseline(info, err, picture, rgb.data(), quality, &buffer, &size)) {
    out.assign(buffer, buffer + size);
  }
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

}  // namespace brevlo::platform
