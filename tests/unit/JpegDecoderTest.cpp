// The thumbnail decoder against good, odd and broken JPEG data.
#include "platform/JpegDecoder.h"

#include <gtest/gtest.h>

#include "support/JpegWriter.h"

using namespace brevlo::platform;
using brevlo::testing::MakeCmykJpeg;
using brevlo::testing::MakeJpeg;

namespace {
std::array<int, 3> Pixel(const Thumbnail& t, int x, int y) {
  const auto* p = t.bgr.data() + (y * ThumbnailWidth + x) * 3;
  return {p[2], p[1], p[0]};
}
JpegResult Decode(const std::vector<std::uint8_t>& bytes, Thumbnail& out) {
  return DecodeJpegThumbnail(bytes.data(), bytes.size(), out);
}
}  // namespace

TEST(JpegDecoder, StretchesAnySizeToEightyBySixty) {
  for (auto [w, h] : {std::pair{160, 120}, {80, 60}, {17, 9}, {1000, 100}, {640, 480}}) {
    Thumbnail t;
    ASSERT_TRUE(Decode(MakeJpeg(w, h, 255, 0, 0), t).ok) << w << "x" << h;
    // The gradient runs left to right: dark at the left edge, bright at the right.
    EXPECT_LT(Pixel(t, 0, 30)[0], Pixel(t, 79, 30)[0]) << w << "x" << h;
    EXPECT_GT(Pixel(t, 79, 59)[0], 200) << w << "x" << h;
    EXPECT_LT(Pixel(t, 79, 59)[2], 40) << w << "x" << h;
  }
}

TEST(JpegDecoder, DecodesAtTheSizeOfTheScreensScale) {
  // 125 %, 150 %, 200 % and an odd size whose rows are no multiple of four bytes.
  for (auto [tw, th] : {std::pair{100, 75}, {120, 90}, {160, 120}, {81, 61}}) {
    for (auto [w, h] : {std::pair{160, 120}, {640, 480}}) {
      Thumbnail t(tw, th);
      ASSERT_TRUE(Decode(MakeJpeg(w, h, 255, 0, 0), t).ok) << w << "x" << h;
      ASSERT_EQ(t.bgr.size(), static_cast<std::size_t>(tw * th * 3));
      const auto at = [&](int x, int y) {
        const auto* p = t.bgr.data() + (y * tw + x) * 3;
        return std::array<int, 3>{p[2], p[1], p[0]};
      };
      EXPECT_LT(at(0, th / 2)[0], at(tw / 2, th / 2)[0]) << tw << " from " << w;
      EXPECT_LT(at(tw / 2, th / 2)[0], at(tw - 1, th / 2)[0]) << tw << " from " << w;
      EXPECT_GT(at(tw - 1, th - 1)[0], 200) << tw << " from " << w;
      EXPECT_LT(at(tw - 1, th - 1)[2], 40) << tw << " from " << w;
    }
  }
}

TEST(JpegDecoder, ProgressiveGreyAndCmykDecode) {
  Thumbnail t;
  ASSERT_TRUE(Decode(MakeJpeg(320, 240, 0, 0, 255, true), t).ok);
  EXPECT_GT(Pixel(t, 70, 30)[2], 200);
  ASSERT_TRUE(Decode(MakeJpeg(200, 150, 255, 0, 0, false, true), t).ok);
  const auto grey = Pixel(t, 70, 30);
  EXPECT_EQ(grey[0], grey[1]);
  EXPECT_EQ(grey[1], grey[2]);
  ASSERT_TRUE(Decode(MakeCmykJpeg(100, 100), t).ok);
  const auto cyan = Pixel(t, 40, 30);
  EXPECT_LT(cyan[0], 40);
  EXPECT_GT(cyan[1], 200);
  EXPECT_GT(cyan[2], 200);
}

TEST(JpegDecoder, HugeImagesDecodeAtReducedScale) {
  Thumbnail t;
  // 8000 x 6000 decodes at 1/8: 1000 x 750, a few megabytes.
  ASSERT_TRUE(Decode(MakeJpeg(8000, 6000, 0, 255, 0), t).ok);
  EXPECT_GT(Pixel(t, 79, 30)[1], 200);
}

TEST(JpegDecoder, BrokenDataFailsWithTheDecodersNumber) {
  Thumbnail t;
  EXPECT_FALSE(DecodeJpegThumbnail(nullptr, 0, t).ok);
  const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  const JpegResult notJpeg = Decode(text, t);
  EXPECT_FALSE(notJpeg.ok);
  EXPECT_NE(notJpeg.errorCode, 0);
  EXPECT_EQ(JpegErrorText(notJpeg.errorCode), "JPEG error #" + std::to_string(notJpeg.errorCode));
  auto good = MakeJpeg(160, 120, 1, 2, 3);
  // Cut inside the header: nothing to show.
  EXPECT_FALSE(Decode(std::vector<std::uint8_t>(good.begin(), good.begin() + 20), t).ok);
  // Cut inside the picture data: the decoder fills the rest and still gives a picture.
  auto big = MakeJpeg(640, 480, 1, 2, 3);
  const JpegResult cut =
      Decode(std::vector<std::uint8_t>(big.begin(), big.begin() + big.size() * 4 / 5), t);
  EXPECT_TRUE(cut.ok) << cut.errorCode << " of " << big.size();
}
