#include "encode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

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

void PutInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t image_size,
                   std::uint32_t colours_used = 0) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);
  Put32(out, image_size);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, colours_used);
  Put32(out, 0);
}

using Rgb = std::uint32_t;  // 0xRRGGBB

int Channel(Rgb c, int i) {
  return static_cast<int>((c >> (16 - 8 * i)) & 0xFF);
}

struct Indexed {
  std::vector<Rgb> palette;
  std::vector<std::uint8_t> index;
};

using Histogram = std::vector<std::pair<Rgb, std::size_t>>;

// Mean colour of a box of the median cut, weighted by pixel counts.
Rgb Mean(const Histogram& box) {
  double sum[3] = {0, 0, 0}, n = 0;
  for (const auto& [c, count] : box) {
    for (int i = 0; i < 3; ++i) sum[i] += Channel(c, i) * static_cast<double>(count);
    n += static_cast<double>(count);
  }
  Rgb out = 0;
  for (int i = 0; i < 3; ++i) out = out << 8 | static_cast<Rgb>(std::lround(sum[i] / n));
  return out;
}

// Widest channel of a box and its spread.
std::pair<int, int> Spread(const Histogram& box) {
  int best = 0, width = -1;
  for (int i = 0; i < 3; ++i) {
    int lo = 255, hi = 0;
    for (const auto& entry : box) {
      lo = std::min(lo, Channel(entry.first, i));
      hi = std::max(hi, Channel(entry.first, i));
    }
    if (hi - lo > width) best = i, width = hi - lo;
  }
  return {best, width};
}

std::vector<Rgb> MedianCut(const Histogram& colours, std::size_t budget) {
  std::vector<Histogram> boxes = {colours};
  while (boxes.size() < budget) {
    // Split where a wide spread meets many pixels; a box of one colour cannot split.
    std::size_t pick = boxes.size();
    double best = 0;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].size() < 2) continue;
      std::size_t n = 0;
      for (const auto& entry : boxes[b]) n += entry.second;
      const double score = Spread(boxes[b]).second * std::sqrt(static_cast<double>(n)) + 1;
      if (score > best) best = score, pick = b;
    }
    if (pick == boxes.size()) break;
    Histogram box = std::move(boxes[pick]);
    const int axis = Spread(box).first;
    std::sort(box.begin(), box.end(), [axis](const auto& a, const auto& b) {
      const int ca = Channel(a.first, axis), cb = Channel(b.first, axis);
      return ca != cb ? ca < cb : a.first < b.first;
    });
    std::size_t total = 0, half = 0, cut = 1;
    for (const auto& entry : box) total += entry.second;
    for (std::size_t i = 0; i + 1 < box.size(); ++i) {
      half += box[i].second;
      cut = i + 1;
      if (2 * half >= total) break;
    }
    boxes[pick] = Histogram(box.begin(), box.begin() + static_cast<std::ptrdiff_t>(cut));
    boxes.emplace_back(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
  }
  std::vector<Rgb> palette;
  for (const Histogram& box : boxes) palette.push_back(Mean(box));
  return palette;
}

// Deterministic: histograms and palettes are kept sorted, ties go to the lower palette index.
Indexed Quantise(const std::vector<Rgb>& pixels, std::size_t budget, Rgb keep) {
  std::map<Rgb, std::size_t> counts;
  for (Rgb p : pixels) ++counts[p];
  Indexed out;
  if (counts.size() <= budget) {
    for (const auto& entry : counts) out.palette.push_back(entry.first);
  } else {
    const bool has_keep = counts.erase(keep) > 0;
    out.palette = MedianCut(Histogram(counts.begin(), counts.end()), budget - (has_keep ? 1 : 0));
    std::erase(out.palette, keep);
    if (has_keep) out.palette.push_back(keep);
    std::sort(out.palette.begin(), out.palette.end());
    out.palette.erase(std::unique(out.palette.begin(), out.palette.end()), out.palette.end());
  }
  std::map<Rgb, std::uint8_t> nearest;
  for (Rgb p : pixels) {
    auto [it, fresh] = nearest.try_emplace(p, 0);
    if (!fresh) {
      out.index.push_back(it->second);
      continue;
    }
    long best = -1;
    for (std::size_t i = 0; i < out.palette.size(); ++i) {
      const Rgb q = out.palette[i];
      if ((q == keep) != (p == keep)) continue;
      long d = 0;
      for (int c = 0; c < 3; ++c) {
        const long e = Channel(p, c) - Channel(q, c);
        d += e * e;
      }
      if (best < 0 || d < best) best = d, it->second = static_cast<std::uint8_t>(i);
    }
    out.index.push_back(it->second);
  }
  return out;
}

Bytes EncodeIndexed(const Canvas& canvas, int bits, int palette_size, Rgb keep) {
  const int w = canvas.Width(), h = canvas.Height();
  std::vector<Rgb> pixels;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t bgr[3];
      PutOpaque(canvas, x, y, false, bgr);
      pixels.push_back(static_cast<Rgb>(bgr[2]) << 16 | static_cast<Rgb>(bgr[1]) << 8 | bgr[0]);
    }
  }
  const Indexed q = Quantise(pixels, static_cast<std::size_t>(palette_size), keep);
  const int stride = ((w * bits + 7) / 8 + 3) & ~3;
  const auto image_size = static_cast<std::uint32_t>(stride * h);
  const auto palette_bytes = static_cast<std::uint32_t>(4 * palette_size);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + palette_bytes + image_size);
  Put32(out, 0);
  Put32(out, 14 + 40 + palette_bytes);
  PutInfoHeader(out, w, h, bits, image_size, static_cast<std::uint32_t>(palette_size));
  for (int i = 0; i < palette_size; ++i) {
    const Rgb c =
        i < static_cast<int>(q.palette.size()) ? q.palette[static_cast<std::size_t>(i)] : 0;
    Put32(out, c);  // B, G, R, 0 in file order
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < w; ++x) {
      const std::uint8_t i = q.index[static_cast<std::size_t>(y * w + x)];
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = i;
      } else {
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 ? i : i << 4);
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
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

Bytes EncodeBmp8(const Canvas& canvas, int palette_size) {
  return EncodeIndexed(canvas, 8, std::clamp(palette_size, 2, 256), 0xFF00FF);
}

Bytes EncodeBmp4(const Canvas& canvas) {
  return EncodeIndexed(canvas, 4, 16, 0xFFFFFF);
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
