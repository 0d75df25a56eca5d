// Thumbnails written straight into an image list's own bitmap: every place of its grid must
// read back exactly the picture that went in, as one blitted in by the system does.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/ComCtrls.h"
#include "ui/Graphics.h"

using namespace brevlo;

namespace {

constexpr int W = 80;
constexpr int H = 60;

// A picture that tells its rows, its columns and its index apart.
std::vector<std::uint8_t> Picture(int index) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(W) * H * 3);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * W + x) * 3];
      p[0] = static_cast<std::uint8_t>(x * 3);
      p[1] = static_cast<std::uint8_t>(y * 4);
      p[2] = static_cast<std::uint8_t>(index * 20 + 7);
    }
  }
  return bgr;
}

// An image of the list as top-down rows of blue, green, red bytes.
std::vector<std::uint8_t> ReadBack(const ui::TImageList& images, int index) {
  HBITMAP bitmap = images.CopyBitmap(index);
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(W) * H * 3);
  if (bitmap == nullptr) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = W;
  info.bmiHeader.biHeight = -H;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, H, bgr.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return rows == H ? bgr : std::vector<std::uint8_t>{};
}

TEST(ImageList, PicturesPutInPlaceReadBackAsBlittedOnesOrAreLeftToReplace) {
  constexpr int count = 11;  // more places than one row of the list's grid holds
  ui::TImageList direct(nullptr, W, H);
  ui::TImageList blitted(nullptr, W, H);
  direct.SetCount(count);
  blitted.SetCount(count);
  ui::TBitmap scratch;
  for (int i = 0; i < count; ++i) {
    const auto picture = Picture(i);
    ASSERT_TRUE(direct.SetPixels24(i, picture.data(), W * 3)) << i;
    ASSERT_TRUE(scratch.SetPixels24(W, H, picture.data(), W * 3));
    ASSERT_TRUE(blitted.Replace(i, scratch.Handle()));
  }
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(ReadBack(direct, i), Picture(i)) << i;
    EXPECT_EQ(ReadBack(blitted, i), Picture(i)) << i;
  }

  // A masked list and places outside the list are left to Replace.
  const auto picture = Picture(1);
  ui::TImageList masked(nullptr, W, H, true);
  masked.SetCount(2);
  EXPECT_FALSE(masked.SetPixels24(0, picture.data(), W * 3));
  EXPECT_FALSE(direct.SetPixels24(count, picture.data(), W * 3));
  EXPECT_FALSE(direct.SetPixels24(-1, picture.data(), W * 3));
}

}  // namespace
