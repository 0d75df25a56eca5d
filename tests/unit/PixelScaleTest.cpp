// Scaling of 24-bit pictures: flat colours stay exact, edges get pixels in between, not steps.
#include "platform/PixelScale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using brevlo::platform::ScalePixels24;

namespace {
// One row of grey levels (three equal bytes a pixel) scaled to a row of another width and
// height, read back as the grey of its first row.
std::vector<int> ScaledRow(const std::vector<int>& grey, int width, int height = 1) {
  std::vector<std::uint8_t> src;
  for (int g : grey) src.insert(src.end(), 3, static_cast<std::uint8_t>(g));
  std::vector<std::uint8_t> dst(static_cast<std::size_t>(width) * 3 * height);
  ScalePixels24(src.data(), static_cast<int>(grey.size()), 1, static_cast<int>(src.size()),
                dst.data(), width, height, width * 3);
  std::vector<int> row;
  for (int x = 0; x < width; ++x) row.push_back(dst[static_cast<std::size_t>(x) * 3]);
  return row;
}
}  // namespace

TEST(PixelScale, FlatStaysExactSameSizeCopiesEdgesGoSmoothlyShrinkingAverages) {
  // The skin's see-through key must come out as it went in at every size.
  for (int width : {7, 10, 14, 3, 1}) {
    EXPECT_EQ(ScaledRow(std::vector<int>(7, 255), width, 3), std::vector<int>(width, 255));
  }
  EXPECT_EQ(ScaledRow({0, 0, 255, 255}, 4), (std::vector<int>{0, 0, 255, 255}));
  // At 150 % the edge between dark and bright gets a pixel in between, rising all the way.
  const std::vector<int> wide = ScaledRow({0, 0, 255, 255}, 6);
  EXPECT_LT(wide.front(), 10);
  EXPECT_GT(wide.back(), 245);
  int between = 0;
  for (std::size_t x = 1; x < wide.size(); ++x) {
    EXPECT_GE(wide[x], wide[x - 1]);
    between += wide[x] > 10 && wide[x] < 245;
  }
  EXPECT_GE(between, 1);
  // Halved, stripes become their average grey.
  for (int g : ScaledRow({0, 200, 0, 200, 0, 200, 0, 200}, 4)) EXPECT_NEAR(g, 100, 30);
}
