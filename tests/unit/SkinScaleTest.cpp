// The skin at other screen scales: lengths, smoothed pictures whose magenta stays exact, the
// frame's metrics and the menu's item sizes, and the sets kept per scale.
#include "skin/SkinScale.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/portable/PortablePlatform.h"
#include "skin/SkinAtDpi.h"
#include "skin/SkinMenuLayout.h"

using namespace brevlo::skin;

namespace {

const Pixel M = Magenta;
const Pixel B = MakePixel(0, 0, 0);
const Pixel W = MakePixel(255, 255, 255);

TskBitmap Row(const std::vector<Pixel>& pixels) {
  TskBitmap out(static_cast<int>(pixels.size()), 1);
  for (int x = 0; x < out.Width(); ++x) out.Set(x, 0, pixels[static_cast<std::size_t>(x)]);
  return out;
}

const TskSkinReader& BuiltIn() {
  static brevlo::platform::StdFileSystem files;
  static TskSkinReader reader(files);
  if (!reader.Ready()) {
    std::ifstream in(std::string(BREVLO_SOURCE_DIR) + "/res/art/Brevlo.skn", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    reader.LoadFromMemory(bytes.data(), bytes.size());
  }
  return reader;
}

}  // namespace

TEST(SkinScaleTest, LengthsRoundToTheNearestPixelAndKeepTheAbsentMark) {
  const struct {
    int value, dpi, want;
  } cases[] = {{23, 96, 23},  {23, 120, 29}, {23, 144, 35}, {23, 192, 46}, {1, 144, 2},
               {-4, 144, -6}, {-3, 144, -5}, {0, 144, 0},   {-1, 144, -1}, {16, 120, 20}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleLength(c.value, c.dpi), c.want) << c.value << " at " << c.dpi;
  }
}

TEST(SkinScaleTest, PicturesAreSmoothedAndMagentaIsNeverMixed) {
  const Pixel grey = MakePixel(128, 128, 128);
  const struct {
    const char* what;
    std::vector<Pixel> source;
    int width;
    std::vector<Pixel> want;
  } cases[] = {
      {"150 %: the middle pixel is the average, not a copy", {W, B}, 3, {W, grey, B}},
      {"150 %: half magenta stays drawn, in its own colour", {M, B}, 3, {M, B, B}},
      {"150 %: a lone dark pixel between magenta keeps its colour",
       {M, B, M, M},
       6,
       {M, B, B, M, M, M}},
      {"200 %: whole factors repeat pixels", {W, M, B}, 6, {W, W, M, M, B, B}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResizeBitmap(Row(c.source), c.width, 1), Row(c.want)) << c.what;
  }
}

TEST(SkinScaleTest, EveryBuiltInPictureScalesWithoutMagentaFringesAndUnchangedAt96) {
  const TskSkinReader& reader = BuiltIn();
  ASSERT_TRUE(reader.Ready());
  for (const SkinImageEntry& entry : reader.Tables().images) {
    TskBitmap original;
    ASSERT_TRUE(reader.GetImage(entry.name, original)) << entry.name;
    TskBitmap same;
    ASSERT_TRUE(GetScaledImage(reader, entry.name, same, 96));
    EXPECT_EQ(same, original) << entry.name;
    for (const int dpi : {120, 144, 192}) {
      TskBitmap scaled;
      ASSERT_TRUE(GetScaledImage(reader, entry.name, scaled, dpi));
      EXPECT_EQ(scaled.Width(), ScaleLength(original.Width(), dpi)) << entry.name;
      EXPECT_EQ(scaled.Height(), ScaleLength(original.Height(), dpi)) << entry.name;
      int fringe = 0, keyed = 0, keyedBefore = 0;
      for (const Pixel p : scaled.Pixels()) {
        keyed += p == M;
        // Pinkish pixels that are not the key: magenta mixed into a neighbour.
        fringe += p != M && PixelRed(p) > 200 && PixelBlue(p) > 200 && PixelGreen(p) < 120;
      }
      for (const Pixel p : original.Pixels()) keyedBefore += p == M;
      EXPECT_EQ(fringe, 0) << entry.name << " at " << dpi;
      // The see-through part grows with the area, give or take its outline.
      const double area = dpi * dpi / (96.0 * 96.0);
      EXPECT_NEAR(keyed, keyedBefore * area, 2.0 * (original.Width() + original.Height()) + 1)
          << entry.name << " at " << dpi;
    }
  }
}

TEST(SkinScaleTest, FrameMetricsScaleOncePerScaleAndColoursStay) {
  SkinScaleCache cache;
  cache.Reset(&BuiltIn(), MakePixel(1, 2, 3));
  const FrameAtDpi& base = cache.At(0).frame;
  EXPECT_EQ(base.captionHeight, 23);
  for (const int dpi : {120, 144, 192}) {
    const FrameAtDpi& f = cache.At(dpi).frame;
    EXPECT_EQ(&cache.At(dpi).frame, &f) << "made once";
    EXPECT_EQ(f.captionHeight, ScaleLength(base.captionHeight, dpi)) << dpi;
    EXPECT_EQ(f.borderWidth, ScaleLength(base.borderWidth, dpi)) << dpi;
    EXPECT_EQ(f.art.ButtonWidth(), ScaleLength(base.art.ButtonWidth(), dpi)) << dpi;
    EXPECT_EQ(f.art.buttonRightOffset, ScaleLength(-4, dpi));
    EXPECT_EQ(f.art.borderColor, base.art.borderColor) << "colours are never scaled";
    EXPECT_EQ(f.art.caption.background, MakePixel(1, 2, 3));
  }
  EXPECT_EQ(cache.Size(), 4u);
  cache.Reset(&BuiltIn(), 0);
  EXPECT_EQ(cache.Size(), 0u);

  // Nine-grid corners of the push button keep their share of the face.
  TskBitmap face, big;
  ASSERT_TRUE(GetScaledImageFrame(BuiltIn(), "ButtonImage", face, 3, 1, 96));
  ASSERT_TRUE(GetScaledImageFrame(BuiltIn(), "ButtonImage", big, 3, 1, 144));
  const auto corner = [](const TskBitmap& b) {
    return NineGridPieces(b.Width(), b.Height(), {0, 0, 200, 60}).front().source;
  };
  EXPECT_NEAR(corner(big).Width(), corner(face).Width() * 1.5, 1.0);
  EXPECT_NEAR(corner(big).Height(), corner(face).Height() * 1.5, 1.0);
}

TEST(SkinScaleTest, CaptionAndMenuConstantsFollowTheScale) {
  CaptionInput in;
  in.width = 1000;
  in.buttonWidth = in.buttonHeight = 26;
  in.buttonTop = 6;
  in.rightOffset = -6;
  in.icon = in.close = in.minimize = true;
  in.dpi = 144;
  const CaptionLayout layout = LayOutCaption(in);
  EXPECT_EQ(layout.icon, (Rect{6, 6, 30, 30}));
  ASSERT_EQ(layout.buttons.size(), 2u);
  EXPECT_EQ(layout.buttons[1].rect, (Rect{939, 6, 965, 32}));

  EXPECT_EQ(MeasureMenuItem(false, 100, 20, 144), (MenuItemSize{219, 32}));
  EXPECT_EQ(MeasureMenuItem(true, 0, 0, 192), (MenuItemSize{132, 10}));
  const MenuItemLayout item = LayOutMenuItem({0, 0, 300, 32}, false, 40, 24, 144);
  EXPECT_EQ(item.bitmap, (Rect{6, 5, 30, 29}));
  EXPECT_EQ(item.checkFrame, (Rect{4, 3, 31, 30}));
  EXPECT_EQ(ArrowSpans(0, 0, ArrowDirection::Down, 6).front(), (Rect{0, 0, 11, 1}));
}
