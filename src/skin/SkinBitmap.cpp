#include "skin/SkinBitmap.h"

#include <cstdlib>

namespace brevlo::skin {

namespace {

std::uint32_t U16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t S32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}

// Large enough for any skin picture, small enough that a forged header cannot exhaust memory.
constexpr std::int64_t MaxPixels = 16 * 1024 * 1024;

}  // namespace

TskBitmap::TskBitmap(int width, int height, Pixel fill)
    : width_(width > 0 && height > 0 ? width : 0),
      height_(width > 0 && height > 0 ? height : 0),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

bool TskBitmap::LoadFromBmp(const std::uint8_t* data, std::size_t size) {
  Clear();
  constexpr std::size_t FileHeader = 14;
  if (data == nullptr || size < FileHeader + 40 || data[0] != 'B' || data[1] != 'M') return false;
  const std::uint32_t bitsOffset = U32(data + 10);
  const std::uint32_t infoSize = U32(data + 14);
  if (infoSize < 40 || infoSize > size - FileHeader) return false;
  const std::int32_t width = S32(data + 18);
  const std::int32_t rawHeight = S32(data + 22);
  const std::uint32_t depth = U16(data + 28);
  const std::uint32_t compression = U32(data + 30);
  std::uint32_t colorsUsed = U32(data + 46);
  if (compression != 0 || width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
  const bool topDown = rawHeight < 0;
  const std::int64_t height = std::llabs(static_cast<std::int64_t>(rawHeight));
  if (static_cast<std::int64_t>(width) * height > MaxPixels) return false;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return false;

  std::vector<Pixel> palette;
  if (depth <= 8) {
    const std::uint32_t full = 1u << depth;
    if (colorsUsed == 0 || colorsUsed > full) colorsUsed = full;
    const std::size_t at = FileHeader + infoSize;
    if (at + static_cast<std::size_t>(colorsUsed) * 4 > size) return false;
    for (std::uint32_t i = 0; i < colorsUsed; ++i) {
      const std::uint8_t* q = data + at + i * 4;
      palette.push_back(MakePixel(q[2], q[1], q[0]));
    }
  }
  const std::size_t stride = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
  if (bitsOffset > size || stride * static_cast<std::size_t>(height) > size - bitsOffset) {
    return false;
  }

  TskBitmap out(width, static_cast<int>(height));
  for (int y = 0; y < out.height_; ++y) {
    const int fileRow = topDown ? y : out.height_ - 1 - y;
    const std::uint8_t* row = data + bitsOffset + stride * static_cast<std::size_t>(fileRow);
    for (int x = 0; x < width; ++x) {
      Pixel p = 0;
      if (depth == 24 || depth == 32) {
        const std::uint8_t* q = row + static_cast<std::size_t>(x) * (depth / 8);
        p = MakePixel(q[2], q[1], q[0]);
      } else {
        const std::size_t bit = static_cast<std::size_t>(x) * depth;
        const unsigned shift = 8 - depth - (bit % 8);
        const unsigned index = (row[bit / 8] >> shift) & ((1u << depth) - 1);
        // An index past a short palette reads as black, as the platform's loader shows it.
        p = index < palette.size() ? palette[index] : 0;
      }
      out.Set(x, y, p);
    }
  }
  out.sourceDepth_ = static_cast<int>(depth);
  *this = std::move(out);
  return true;
}

TskBitmap CutFrame(const TskBitmap& source, int count, int index) {
  if (count <= 0 || index < 1 || index > count) return {};
  const int frameWidth = source.Width() / count;
  TskBitmap out(frameWidth, source.Height());
  const int x0 = (index - 1) * frameWidth;
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) out.Set(x, y, source.At(x0 + x, y));
  }
  return out;
}

namespace {

// Maps every source pixel through `to`, which answers its place in a result of the given size.
template <typename F>
void Turn(TskBitmap& bitmap, int newWidth, int newHeight, F to) {
  TskBitmap out(newWidth, newHeight);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const auto [nx, ny] = to(x, y);
      out.Set(nx, ny, bitmap.At(x, y));
    }
  }
  bitmap = std::move(out);
}

}  // namespace

void RotateLeft(TskBitmap& b) {
  const int w = b.Width();
  Turn(b, b.Height(), w, [w](int x, int y) { return std::pair{y, w - 1 - x}; });
}

void RotateHalf(TskBitmap& b) {
  const int w = b.Width(), h = b.Height();
  Turn(b, w, h, [w, h](int x, int y) { return std::pair{w - 1 - x, h - 1 - y}; });
}

void RotateRight(TskBitmap& b) {
  const int h = b.Height();
  Turn(b, h, b.Width(), [h](int x, int y) { return std::pair{h - 1 - y, x}; });
}

}  // namespace brevlo::skin
