#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevlo::skin {

// A pixel is 0x00RRGGBB: the memory layout of a 32-bit top-down DIB on little-endian machines,
// so a view can point straight into a DIB section's bits.
using Pixel = std::uint32_t;

constexpr Pixel MakePixel(int r, int g, int b) {
  return (static_cast<Pixel>(r & 0xFF) << 16) | (static_cast<Pixel>(g & 0xFF) << 8) |
         static_cast<Pixel>(b & 0xFF);
}
constexpr int PixelRed(Pixel p) {
  return static_cast<int>((p >> 16) & 0xFF);
}
constexpr int PixelGreen(Pixel p) {
  return static_cast<int>((p >> 8) & 0xFF);
}
constexpr int PixelBlue(Pixel p) {
  return static_cast<int>(p & 0xFF);
}

// Skin colours are stored with red in the lowest byte (a COLORREF).
constexpr Pixel ColorToPixel(int color) {
  return MakePixel(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline constexpr Pixel Magenta = MakePixel(255, 0, 255);

// Writable pixels owned by someone else (a bitmap below or a DIB section); rows top first.
struct PixelView {
  Pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // in pixels

  Pixel& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * stride + x]; }
};

// A decoded skin picture, top row first.
class TskBitmap {
 public:
  TskBitmap() = default;
  TskBitmap(int width, int height, Pixel fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Bits per pixel of the file it was decoded from (0 when made in memory).
  int SourceDepth() const { return sourceDepth_; }

  Pixel At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  void Set(int x, int y, Pixel p) { pixels_[static_cast<std::size_t>(y) * width_ + x] = p; }
  PixelView View() { return {pixels_.data(), width_, height_, width_}; }
  const std::vector<Pixel>& Pixels() const { return pixels_; }

  void Clear() { *this = TskBitmap(); }
  // Accepts uncompressed Windows BMP files of 1, 4, 8, 24 and 32 bits per pixel, bottom-up or
  // top-down. Anything else, or a file cut short, leaves the bitmap empty and answers false.
  bool LoadFromBmp(const std::uint8_t* data, std::size_t size);

  friend bool operator==(const TskBitmap&, const TskBitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  int sourceDepth_ = 0;
  std::vector<Pixel> pixels_;
};

// Frame `index` (1-based) of `count` equal vertical strips; columns left over by the division
// are never used. An index outside 1..count, or no room for one column, gives an empty bitmap.
TskBitmap CutFrame(const TskBitmap& source, int count, int index);

// Turns in place: left is 90 degrees counter-clockwise, right 90 degrees clockwise.
void RotateLeft(TskBitmap& bitmap);
void RotateHalf(TskBitmap& bitmap);
void RotateRight(TskBitmap& bitmap);

}  // namespace brevlo::skin
