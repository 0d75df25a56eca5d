// The skin carried in the program, loaded as the program loads it, and drawn on a real DIB.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"
#include "skin/SkinReader.h"
#include "skin/win32/BuiltInSkin.h"
#include "skin/win32/SkinPaint.h"

using namespace brevlo::skin;

namespace {

class SkinDataTest : public ::testing::Test {
 protected:
  brevlo::platform::Win32FileSystem files;
  TskSkinReader reader{files};
};

}  // namespace

TEST_F(SkinDataTest, BuiltInSkinLoadsThroughATemporaryFileThatIsGoneAfterwards) {
  std::string used;
  bool presentWhileLoading = false;
  ASSERT_TRUE(LoadBuiltInSkin([&](const std::string& path) {
    used = path;
    presentWhileLoading = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    reader.Load(path);
  }));
  EXPECT_TRUE(presentWhileLoading);
  EXPECT_EQ(GetFileAttributesA(used.c_str()), INVALID_FILE_ATTRIBUTES) << used;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  EXPECT_EQ(used.rfind(temp, 0), 0u) << used;
  // "{8-4-4-4-12}.skn"
  ASSERT_EQ(used.size(), std::string(temp).size() + 38 + 4) << used;
  EXPECT_EQ(used[std::string(temp).size()], '{');
  EXPECT_EQ(used.substr(used.size() - 5), "}.skn");
  ASSERT_TRUE(reader.Ready());
  EXPECT_EQ(reader.Tables().images.size(), 21u);
}

TEST_F(SkinDataTest, ButtonFaceNineGriddedOntoADib) {
  const std::vector<std::uint8_t> bytes = BuiltInSkinBytes();
  ASSERT_EQ(reader.LoadFromMemory(bytes.data(), bytes.size()), TskSkinReader::LoadResult::Loaded);
  TskBitmap face;
  ASSERT_TRUE(reader.GetImageFrame("ButtonImage", face, 3, 2));
  ASSERT_EQ(face.Width(), 84);
  const Pixel ground = ColorToPixel(reader.GetInt("FormBackgroundColor"));
  TskDib dib(118, 25);
  ASSERT_FALSE(dib.Empty());
  FillRect(dib.View(), {0, 0, 118, 25}, ground);
  DrawNineGrid(dib.View(), face, {0, 0, 118, 25}, reader.GetBool("ButtonTransparentBool"));
  const PixelView view = dib.View();
  int magenta = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 118; ++x) magenta += view.At(x, y) == Magenta;
  EXPECT_EQ(magenta, 0);  // where each piece lands is the native drawing test's
  // GDI reads the same colours from the DIB as the pixel view wrote.
  const Pixel middle = view.At(59, 12);
  EXPECT_EQ(GetPixel(dib.Dc(), 59, 12),
            RGB(PixelRed(middle), PixelGreen(middle), PixelBlue(middle)));

  // The caption goes onto the face and the face to the target in one copy; grey when disabled.
  for (bool enabled : {true, false}) {
    FillRect(dib.View(), {0, 0, 118, 25}, ground);
    DrawNineGrid(dib.View(), face, {0, 0, 118, 25}, true);
    const std::vector<Pixel> before(view.pixels, view.pixels + 118 * 25);
    TskDib target(118, 25);
    DrawCaption(target.Dc(), dib, "Copy", {0, 0, 118, 25},
                static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), RGB(0, 0, 0), enabled, false);
    int black = 0, grey = 0, different = 0;
    const PixelView copied = target.View(), drawn = dib.View();
    for (int y = 0; y < 25; ++y) {
      for (int x = 0; x < 118; ++x) {
        if (drawn.At(x, y) == before[static_cast<std::size_t>(y) * 118 + x]) continue;
        black += drawn.At(x, y) == MakePixel(0, 0, 0);
        grey += drawn.At(x, y) == MakePixel(128, 128, 128);
        different += copied.At(x, y) != drawn.At(x, y);
      }
    }
    EXPECT_EQ(different, 0);
    EXPECT_EQ(black > 0, enabled);
    EXPECT_EQ(grey > 0, !enabled);
  }
}
