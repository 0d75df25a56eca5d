// Scaling of 24-bit pictures: exact at the same size, flat colours kept, smooth in between.
#include "platform/PixelScale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using brevlo::platform::ScalePixels24;

namespace {
struct Picture {
  int width, height;
  std::vector<std::uint8_t> bytes;  // rows padded to four bytes, as a bitmap's are
  int Stride() const { return (width * 3 + 3) / 4 * 4; }
  std::uint8_t* At(int x, int y) { return bytes.data() + y * Stride() + x * 3; }
};

Picture Blank(int w, int h) {
  Picture p{w, h, {}};
  p.bytes.assign(static_cast<std::size_t>(p.Stride()) * h, 0);
  return p;
}

Picture Scaled(Picture& from, int w, int h) {
  Picture to = Blank(w, h);
  ScalePixels24(from.bytes.data(), from.width, from.height, from.Stride(), to.bytes.data(), w, h,
                to.Stride());
  return to;
}
}  // namespace

TEST(PixelScale, FlatColourStaysExactAtEverySize) {
  // Magenta is the skin's see-through key: a pixel off by one would show.
  const struct {
    int w, h, tw, th;
  } cases[] = {{7, 5, 7, 5}, {7, 5, 10, 7}, {7, 5, 14, 10}, {10, 7, 3, 2}, {1, 1, 5, 3}};
  for (const auto& c : cases) {
    Picture src = Blank(c.w, c.h);
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        src.At(x, y)[0] = 255;
        src.At(x, y)[2] = 255;
      }
    }
    Picture out = Scaled(src, c.tw, c.th);
    for (int y = 0; y < c.th; ++y) {
      for (int x = 0; x < c.tw; ++x) {
        ASSERT_EQ(out.At(x, y)[0], 255) << c.tw << "x" << c.th << " at " << x << "," << y;
        ASSERT_EQ(out.At(x, y)[1], 0) << c.tw << "x" << c.th << " at " << x << "," << y;
        ASSERT_EQ(out.At(x, y)[2], 255) << c.tw << "x" << c.th << " at " << x << "," << y;
      }
    }
  }
}

TEST(PixelScale, SameSizeIsACopyAndOneAndAHalfIsSmooth) {
  Picture src = Blank(4, 1);
  const std::uint8_t values[] = {0, 0, 255, 255};
  for (int x = 0; x < 4; ++x) src.At(x, 0)[1] = values[x];
  Picture same = Scaled(src, 4, 1);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(same.At(x, 0)[1], values[x]);
  // Six pixels from four: the edge between dark and bright gets pixels in between, not a step.
  Picture wide = Scaled(src, 6, 1);
  int between = 0;
  for (int x = 0; x < 6; ++x) {
    if (x > 0) {
      EXPECT_GE(wide.At(x, 0)[1], wide.At(x - 1, 0)[1]);
    }
    between += wide.At(x, 0)[1] > 10 && wide.At(x, 0)[1] < 245;
  }
  EXPECT_GE(between, 1);
  EXPECT_LT(wide.At(0, 0)[1], 10);
  EXPECT_GT(wide.At(5, 0)[1], 245);
}

TEST(PixelScale, ShrinkingKeepsTheMeanBrightness) {
  Picture src = Blank(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) src.At(x, y)[2] = (x + y) % 2 ? 200 : 0;  // a checkerboard
  }
  Picture half = Scaled(src, 4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(half.At(x, y)[2], 100, 30) << x << "," << y;
  }
}
