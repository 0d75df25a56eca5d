#include "encode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

namespace brevlo::artgen {
namespace {

constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

std::uint8_t Quantize(double v, double threshold) {
  return static_cast<std::uint8_t>(std::clamp(std::floor(v * 255 + threshold), 0.0, 255.0));
}

// Opaque pixel as B, G, R with the canvas composited over white where it is not covered.
void PutOpaque(const Canvas& c, int x, int y, bool dither, std::uint8_t* bgr) {
  const Color p = c.At(x, y);
  const Color o = Mix({1, 1, 1, 1}, {p.r, p.g, p.b, 1}, p.a);
  const double t = dither ? (kBayer[y & 3][x & 3] + 0.5) / 16 : 0.5;
  bgr[0] = Quantize(o.b, t);
  bgr[1] = Quantize(o.g, t);
  bgr[2] = Quantize(o.r, t);
}

void Put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void PutInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t image_size) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);
  Put32(out, image_size);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
}

}  // namespace

Bytes EncodeBmp(const Canvas& canvas) {
  const int w = canvas.Width(), h = canvas.Height();
  const int stride = (w * 3 + 3) & ~3;
  const auto image_size = static_cast<std::uint32_t>(stride * h);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + image_size);
  Put32(out, 0);
  Put32(out, 14 + 40);
  PutInfoHeader(out, w, h, 24, image_size);
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < w; ++x)
      PutOpaque(canvas, x, y, true, &row[static_cast<std::size_t>(x * 3)]);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes EncodeJpeg(const Canvas& canvas, int quality) {
  const int w = canvas.Width(), h = canvas.Height();
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(w * 3));
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < w; ++x) {
      std::uint8_t bgr[3];
      PutOpaque(canvas, x, y, true, bgr);
      row[static_cast<std::size_t>(x * 3)] = bgr[2];
      row[static_cast<std::size_t>(x * 3 + 1)] = bgr[1];
      row[static_cast<std::size_t>(x * 3 + 2)] = bgr[0];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

Bytes EncodeIco(const std::vector<Canvas>& images) {
  std::vector<Bytes> bodies;
  for (const Canvas& c : images) {
    const int w = c.Width(), h = c.Height();
    const int mask_stride = ((w + 31) / 32) * 4;
    Bytes body;
    PutInfoHeader(body, w, h * 2, 32, static_cast<std::uint32_t>(w * h * 4 + mask_stride * h));
    Bytes mask;
    for (int y = h - 1; y >= 0; --y) {
      Bytes mask_row(static_cast<std::size_t>(mask_stride), 0);
      for (int x = 0; x < w; ++x) {
        const Color p = c.At(x, y);
        const std::uint8_t alpha = Quantize(p.a, 0.5);
        body.push_back(Quantize(p.b, 0.5));
        body.push_back(Quantize(p.g, 0.5));
        body.push_back(Quantize(p.r, 0.5));
        body.push_back(alpha);
        if (alpha == 0) mask_row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
      }
      mask.insert(mask.end(), mask_row.begin(), mask_row.end());
    }
    body.insert(body.end(), mask.begin(), mask.end());
    bodies.push_back(std::move(body));
  }
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(images[i].Width() % 256));
    out.push_back(static_cast<std::uint8_t>(images[i].Height() % 256));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const Bytes& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

}  // namespace brevlo::artgen
