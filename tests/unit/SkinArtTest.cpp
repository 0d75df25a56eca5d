// The built-in skin's artwork as the generator draws it: strips, transparency, the caption's
// border and the encoder's palettes.
#include "artgen/skinart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "skin/SkinBitmap.h"

using namespace brevlo::artgen;

namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kBorder = 0x264379;

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

// Decoded by the program's own reader, after the header was checked against the file's size.
struct Bmp {
  int w = 0, h = 0, bits = 0;
  brevlo::skin::TskBitmap pixels;
  std::uint32_t At(int x, int y) const { return pixels.At(x, y); }
  const std::vector<std::uint32_t>& Rgb() const { return pixels.Pixels(); }
};

Bmp Parse(const Bytes& b) {
  EXPECT_EQ(Le(b, 2, 4), b.size());
  const std::uint32_t colours = Le(b, 46, 4);
  EXPECT_EQ(Le(b, 10, 4), 54 + 4 * colours);
  Bmp p;
  EXPECT_TRUE(p.pixels.LoadFromBmp(b.data(), b.size()));
  p.w = p.pixels.Width();
  p.h = p.pixels.Height();
  p.bits = p.pixels.SourceDepth();
  const int stride = ((p.w * p.bits + 7) / 8 + 3) & ~3;
  EXPECT_EQ(b.size(), 54 + 4 * colours + static_cast<std::size_t>(stride * p.h));
  return p;
}

struct Expected {
  const char* name;
  int w, h, bits;
  int frames;            // equal strips the readers cut the image into
  int flat_x0, flat_x1;  // columns of every strip that are stretched along x, so all alike
  bool keyed;            // magenta outside the shape, in every strip's top-left corner
};

const Expected kCatalogue[] = {
    {"ButtonImage", 252, 23, 8, 3, 5, 79, true},
    {"CheckBoxImage", 60, 17, 8, 4, 0, 0, false},
    {"RadioButtonImage", 64, 17, 8, 4, 0, 0, true},
    {"TitleBarButtonImage", 306, 17, 8, 18, 0, 0, true},
    {"TitleBarLeftImage", 48, 23, 8, 1, 0, 0, false},
    {"TitleBarClientImage", 49, 23, 8, 1, 0, 49, false},
    {"TitleBarRightImage", 48, 23, 8, 1, 0, 47, false},
    {"ProgressBarImage", 13, 10, 8, 1, 0, 13, false},
    {"TrackBarBarImage", 45, 5, 8, 1, 15, 30, false},
    {"TrackBarSliderImage", 11, 20, 8, 1, 0, 0, false},
    {"TrackBarSliderVImage", 19, 11, 8, 1, 0, 0, false},
    {"ScrollBarButtonImage", 96, 22, 8, 6, 0, 0, false},
    {"ScrollBarSliderImage", 33, 16, 8, 1, 11, 22, false},
    {"CheckListBoxImage", 40, 11, 8, 4, 0, 0, false},
    {"ScrollButtonImage", 72, 18, 8, 4, 0, 0, false},
    {"TabControlTabImage", 36, 17, 8, 2, 6, 12, true},
    {"TabControlBarImage", 17, 7, 8, 1, 0, 17, false},
    {"SideChannelHandleImage", 7, 84, 8, 1, 0, 0, false},
    {"SideChannelBarImage", 1, 21, 8, 1, 0, 1, false},
    {"TitleBarMinimizedImage", 1, 21, 8, 1, 0, 1, false},
    {"FormLeftBorderImage", 1, 21, 24, 1, 0, 1, false},
};

TEST(SkinArt, EveryImageOfTheCatalogueInOrderSizeAndDepth) {
  const std::vector<SkinImage> images = RenderSkinImages();
  ASSERT_EQ(images.size(), std::size(kCatalogue));
  std::size_t total = 0;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Expected& e = kCatalogue[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(images[i].name, e.name);
    const Bmp p = Parse(images[i].bmp);
    EXPECT_EQ(p.w, e.w);
    EXPECT_EQ(p.h, e.h);
    EXPECT_EQ(p.bits, e.bits);
    total += images[i].bmp.size();
    const int fw = p.w / e.frames;
    for (int f = 0; f < e.frames; ++f) {
      EXPECT_EQ(p.At(f * fw, 0) == kMagenta, e.keyed) << "strip " << f;
      for (int y = 0; y < p.h; ++y) {
        for (int x = f * fw + e.flat_x0; x < f * fw + e.flat_x1; ++x)
          ASSERT_EQ(p.At(x, y), p.At(f * fw + e.flat_x0, y)) << "strip " << f << " row " << y;
      }
    }
  }
  // With 48 entry headers of 77 bytes, the 24-byte file header, 24 integers and 2 flags, the
  // skin file comes to 45876 bytes.
  EXPECT_EQ(24 + 48 * 77 + 24 * 4 + 2 + total, 45876u);
}

TEST(SkinArt, CaptionMeetsTheWindowBorderAndHasNoTransparentPixels) {
  const std::vector<SkinImage> images = RenderSkinImages();
  for (int i : {4, 5, 6}) {
    const Bmp p = Parse(images[static_cast<std::size_t>(i)].bmp);
    SCOPED_TRACE(images[static_cast<std::size_t>(i)].name);
    for (int x = 0; x < p.w; ++x) EXPECT_EQ(p.At(x, 0), kBorder);
    for (std::uint32_t c : p.Rgb()) EXPECT_NE(c, kMagenta);
    // The icon's and the text's background stays light enough for black caption text.
    for (int y = 2; y < 22; ++y) EXPECT_GT(p.At(p.w / 2, y) & 0xFF, 0xC0u) << y;
  }
  const Bmp left = Parse(images[4].bmp), right = Parse(images[6].bmp);
  for (int y = 0; y < 23; ++y) {
    EXPECT_EQ(left.At(0, y), kBorder);
    EXPECT_EQ(right.At(47, y), kBorder);
  }
  const Bmp border = Parse(images[20].bmp);
  for (std::uint32_t c : border.Rgb()) EXPECT_EQ(c, kBorder);
}

// Squeezed from 22 rows to 16, Wine keeps rows 1 and 12 where sampling through pixel centres keeps
// 2 and 13: the buttons look the same either way only when those rows are equal.
TEST(SkinArt, ScrollBarButtonsSurviveTheSqueezeEitherWay) {
  const Bmp p = Parse(RenderSkinImages()[11].bmp);
  for (int x = 0; x < p.w; ++x) {
    EXPECT_EQ(p.At(x, 1), p.At(x, 2)) << x;
    EXPECT_EQ(p.At(x, 12), p.At(x, 13)) << x;
  }
}

TEST(SkinArt, MenuCheckIsADarkGlyphOnWhite) {
  const Bmp p = Parse(RenderMenuCheck());
  EXPECT_EQ(p.w, 16);
  EXPECT_EQ(p.h, 16);
  EXPECT_EQ(p.bits, 4);
  for (int i : {0, 15}) EXPECT_EQ(p.At(i, i), 0xFFFFFFu);
  int dark = 0;
  for (std::uint32_t c : p.Rgb()) dark += (c & 0xFF) < 0x60;
  EXPECT_GT(dark, 12);
}

// The encoder keeps few colours exactly, quantises many, and never loses or invents magenta.
TEST(SkinArt, PalettisedEncoderKeepsMagentaExact) {
  struct Case {
    int colours;  // distinct grey levels besides magenta
    int palette;
  };
  for (const Case& c : {Case{5, 8}, Case{250, 16}, Case{600, 256}}) {
    Canvas canvas(c.colours, 2);
    canvas.FillAll([](double x, double y) {
      return y < 1 ? Hex(0xFF00FF) : Hex(static_cast<std::uint32_t>(x) * 0x010101 % 0x1000000);
    });
    const Bmp p = Parse(EncodeBmp8(canvas, c.palette));
    std::set<std::uint32_t> seen;
    for (int x = 0; x < p.w; ++x) {
      EXPECT_EQ(p.At(x, 0), kMagenta);
      EXPECT_NE(p.At(x, 1), kMagenta);
      if (c.colours < c.palette) {
        EXPECT_EQ(p.At(x, 1), (static_cast<std::uint32_t>(x) * 0x010101u) % 0x1000000u);
      }
      seen.insert(p.At(x, 1));
    }
    EXPECT_LE(seen.size(), static_cast<std::size_t>(c.palette - 1));
  }
}

}  // namespace
