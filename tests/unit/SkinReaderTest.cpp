// The skin file reader against files laid out byte by byte here, the pictures it decodes and
// turns, and the built-in skin read back.
#include "skin/SkinReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/portable/PortablePlatform.h"
#include "skin/SkinColors.h"
#include "skin/SkinEmbed.h"
#include "skin/SkinRes.h"
#include "support/ScratchFolder.h"

using namespace brevlo::skin;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put32(Bytes& b, std::size_t at, std::int64_t v) {
  if (b.size() < at + 4) b.resize(at + 4, 0);
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

// One entry header at `at`: name, kind, data offset, size, next.
void PutHeader(Bytes& b, std::size_t at, const std::string& name, std::uint8_t kind,
               std::int64_t data, std::int64_t size, std::int64_t next) {
  if (b.size() < at + 77) b.resize(at + 77, 0);
  std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(at), 64, 0);
  std::memcpy(&b[at], name.data(), std::min<std::size_t>(name.size(), 64));
  b[at + 64] = kind;
  Put32(b, at + 65, data);
  Put32(b, at + 69, size);
  Put32(b, at + 73, next);
}

Bytes FileHeader() {
  Bytes b(24, 0);
  std::memcpy(b.data(), "BrevloSkin", 10);
  Put32(b, 12, 24);
  Put32(b, 16, 1);
  Put32(b, 20, 24);
  return b;
}

// A BMP of `depth` 8 (palette entry i is blue i) or 24 bits from a picture of 0x00RRGGBB.
Bytes Bmp(const TskBitmap& pic, int depth, bool topDown = false) {
  const int w = pic.Width(), h = pic.Height();
  const int stride = ((w * depth + 31) / 32) * 4;
  const int palette = depth == 8 ? 256 * 4 : 0;
  Bytes b(14 + 40 + palette + static_cast<std::size_t>(stride) * h, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, static_cast<std::int64_t>(b.size()));
  Put32(b, 10, 54 + palette);
  Put32(b, 14, 40);
  Put32(b, 18, w);
  Put32(b, 22, topDown ? -h : h);
  b[26] = 1, b[28] = static_cast<std::uint8_t>(depth);
  for (int i = 0; depth == 8 && i < 256; ++i) b[54 + i * 4] = static_cast<std::uint8_t>(i);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row =
        &b[54 + palette + static_cast<std::size_t>(stride) * (topDown ? y : h - 1 - y)];
    for (int x = 0; x < w; ++x) {
      const Pixel p = pic.At(x, y);
      if (depth == 8)
        row[x] = static_cast<std::uint8_t>(PixelBlue(p));
      else
        row[x * 3] = PixelBlue(p), row[x * 3 + 1] = PixelGreen(p), row[x * 3 + 2] = PixelRed(p);
    }
  }
  return b;
}

// Column x of the picture carries x in blue, so a cut frame tells where it came from.
TskBitmap Ramp(int w, int h) {
  TskBitmap pic(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pic.Set(x, y, MakePixel(y, 0, x));
  return pic;
}

class SkinReaderTest : public ::testing::Test {
 protected:
  std::string Save(const std::string& name, const Bytes& bytes) {
    const auto path = scratch.Path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  brevlo::testing::ScratchFolder scratch{"brevlo-skin"};
  brevlo::platform::StdFileSystem files;
};

// Entries laid out as a skin file holds them: an image, integers (one duplicate, one of an
// unknown kind between), a flag, a 64-character name, and a terminator whose other fields look
// like a real entry.
Bytes HandMadeSkin(const Bytes& image) {
  Bytes b = FileHeader();
  std::size_t at = 24;
  auto entry = [&](const std::string& name, std::uint8_t kind, const Bytes& data) {
    const std::size_t dataAt = at + 77, next = dataAt + data.size();
    PutHeader(b, at, name, kind, static_cast<std::int64_t>(dataAt),
              static_cast<std::int64_t>(data.size()), static_cast<std::int64_t>(next));
    b.insert(b.end(), data.begin(), data.end());
    at = next;
  };
  entry("ButtonImage", 0, image);
  entry("FormBackgroundColor", 1, {241, 241, 241, 0});
  entry("Mystery", 7, {1, 2, 3});
  entry("FORMBACKGROUNDCOLOR", 1, {1, 0, 0, 0});
  entry("ButtonTransparentBool", 2, {1});
  entry(std::string(64, 'N'), 1, {42, 0, 0, 0});
  PutHeader(b, at, "Trap", 1, 24 + 77 + static_cast<std::int64_t>(image.size()), 4, 0);
  return b;
}

}  // namespace

TEST_F(SkinReaderTest, ReadsTheTablesOfAFileLaidOutByHand) {
  const Bytes image = Bmp(Ramp(252, 23), 24);
  const Bytes file = HandMadeSkin(image);
  TskSkinReader reader(files, Save("hand.skn", file));
  int loaded = 0;
  reader.OnLoaded = [&loaded](TskSkinReader&) { ++loaded; };
  ASSERT_TRUE(reader.Ready());
  EXPECT_EQ(reader.Tables().images.size(), 1u);
  EXPECT_EQ(reader.Tables().integers.size(), 3u);  // the terminator is never an entry
  EXPECT_EQ(reader.Tables().flags.size(), 1u);
  EXPECT_EQ(reader.GetInt("formbackgroundcolor"), 0xF1F1F1);  // first of the name wins
  EXPECT_EQ(reader.GetInt(std::string(64, 'n')), 42);
  EXPECT_EQ(reader.GetInt("Trap"), -1);
  EXPECT_EQ(reader.GetInt("Mystery"), -1);
  EXPECT_TRUE(reader.GetBool("buttontransparentbool"));
  EXPECT_FALSE(reader.GetBool("TitleBarButtonTransparentBool"));

  TskBitmap frame;
  ASSERT_TRUE(reader.GetImageFrame("ButtonImage", frame, 3, 2));
  ASSERT_EQ(frame.Width(), 84);
  ASSERT_EQ(frame.Height(), 23);
  EXPECT_EQ(PixelBlue(frame.At(0, 5)), 84);
  EXPECT_EQ(PixelBlue(frame.At(83, 22)), 167);
  EXPECT_EQ(PixelRed(frame.At(83, 22)), 22);
  EXPECT_FALSE(reader.GetImageFrame("FormBottomBorderImage", frame, 3, 1));
  EXPECT_TRUE(frame.Empty());

  // The writer lays the same entries out byte for byte alike.
  SkinFileWriter writer;
  writer.AddImage("ButtonImage", image);
  writer.AddInteger("FormBackgroundColor", 0xF1F1F1);
  writer.AddRaw("Mystery", 7, {1, 2, 3});
  writer.AddInteger("FORMBACKGROUNDCOLOR", 1);
  writer.AddFlag("ButtonTransparentBool", true);
  writer.AddInteger(std::string(70, 'N'), 42);
  Bytes expected = file;
  PutHeader(expected, expected.size() - 77, "", 2, 0, 0, 0);
  EXPECT_EQ(writer.Bytes(), expected);

  // A missing file after a good load: not Ready, old tables kept, nothing answered from them.
  EXPECT_EQ(reader.Load(Save("x", {}) + ".gone"), TskSkinReader::LoadResult::NoFile);
  EXPECT_FALSE(reader.Ready());
  EXPECT_EQ(reader.Tables().integers.size(), 3u);
  EXPECT_EQ(reader.GetInt("FormBackgroundColor"), -1);
  EXPECT_EQ(loaded, 0);
}

TEST_F(SkinReaderTest, AFileThatCannotBeReadWholeChangesNothing) {
  const Bytes good = HandMadeSkin(Bmp(Ramp(6, 2), 8));
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
  };
  const Case cases[] = {
      {"cut short", [](Bytes& b) { b.resize(b.size() - 10); }},
      {"next points back", [](Bytes& b) { Put32(b, 24 + 73, 24); }},
      {"next inside its own header", [](Bytes& b) { Put32(b, 24 + 73, 24 + 40); }},
      {"next past the end",
       [](Bytes& b) { Put32(b, 24 + 73, static_cast<std::int64_t>(b.size())); }},
      {"image size past the end", [](Bytes& b) { Put32(b, 24 + 69, 0x7FFFFFF0); }},
      {"negative data offset", [](Bytes& b) { Put32(b, 24 + 65, -5); }},
      {"header size below 24", [](Bytes& b) { Put32(b, 12, 20); }},
      {"first entry past the end", [](Bytes& b) { Put32(b, 20, 1 << 30); }},
      {"only part of a header", [](Bytes& b) { b.resize(20); }},
  };
  for (const Case& c : cases) {
    TskSkinReader reader(files, Save("good.skn", good));
    ASSERT_TRUE(reader.Ready());
    Bytes bad = good;
    c.spoil(bad);
    bool fired = false;
    reader.OnLoaded = [&fired](TskSkinReader&) { fired = true; };
    EXPECT_EQ(reader.Load(Save("bad.skn", bad)), TskSkinReader::LoadResult::ReadFailure) << c.what;
    EXPECT_TRUE(reader.Ready()) << c.what;
    EXPECT_FALSE(fired) << c.what;
    EXPECT_EQ(reader.GetInt("FormBackgroundColor"), 0xF1F1F1) << c.what;
    EXPECT_EQ(reader.Tables().images.size(), 1u) << c.what;
  }
}

TEST(SkinBitmapTest, DecodesBothDepthsBothWaysAndTurns) {
  TskBitmap pic(3, 2);  // a b c / d e f
  const Pixel v[] = {10, 20, 30, 40, 50, 60};
  for (int i = 0; i < 6; ++i) pic.Set(i % 3, i / 3, MakePixel(0, 0, v[i]));
  for (int depth : {8, 24}) {
    for (bool topDown : {false, true}) {
      const Bytes bmp = Bmp(pic, depth, topDown);
      TskBitmap read;
      ASSERT_TRUE(read.LoadFromBmp(bmp.data(), bmp.size()));
      EXPECT_EQ(read.SourceDepth(), depth);
      EXPECT_EQ(read.Pixels(), pic.Pixels()) << depth << topDown;
      EXPECT_FALSE(read.LoadFromBmp(bmp.data(), bmp.size() - 1));
      EXPECT_TRUE(read.Empty());
    }
  }
  auto blues = [](const TskBitmap& b) {
    std::vector<int> out{b.Width(), b.Height()};
    for (Pixel p : b.Pixels()) out.push_back(PixelBlue(p));
    return out;
  };
  TskBitmap left = pic, half = pic, right = pic;
  RotateLeft(left);
  RotateHalf(half);
  RotateRight(right);
  EXPECT_EQ(blues(left), (std::vector<int>{2, 3, 30, 60, 20, 50, 10, 40}));
  EXPECT_EQ(blues(half), (std::vector<int>{3, 2, 60, 50, 40, 30, 20, 10}));
  EXPECT_EQ(blues(right), (std::vector<int>{2, 3, 40, 10, 50, 20, 60, 30}));
}

TEST(SkinColorsTest, FallbacksFollowTheStyleCode) {
  struct Case {
    int style;
    bool ownColors;
    int menuBar, caption;
  };
  const int background = RgbColor(241, 241, 241);
  const Case cases[] = {
      {StyleTeal, false, RgbColor(51, 103, 153), 0},
      {StyleBlue, false, RgbColor(59, 91, 172), RgbColor(255, 255, 255)},
      {StyleNavy, false, RgbColor(59, 91, 172), 0},
      {StyleLight, false, background, 0},
      {0x60000, false, background, RgbColor(255, 255, 255)},
      {StyleBlue, true, RgbColor(214, 211, 206), RgbColor(1, 2, 3)},
  };
  brevlo::testing::ScratchFolder scratch{"brevlo-skin"};
  brevlo::platform::StdFileSystem files;
  for (const Case& c : cases) {
    SkinFileWriter w;
    w.AddInteger("FormBackgroundColor", background);
    w.AddInteger("ControlFontColor", c.style);
    if (c.ownColors) {
      w.AddInteger("MenuMenuBarColor", RgbColor(214, 211, 206));
      w.AddInteger("TitleBarFontColor", RgbColor(1, 2, 3));
    }
    TskSkinReader reader(files);
    const Bytes bytes = w.Bytes();
    ASSERT_EQ(reader.LoadFromMemory(bytes.data(), bytes.size()), TskSkinReader::LoadResult::Loaded);
    EXPECT_EQ(MenuBarColor(reader), c.menuBar) << std::hex << c.style;
    EXPECT_EQ(CaptionTextColor(reader), c.caption) << std::hex << c.style;
  }
}

TEST(SkinEmbedTest, TemporaryNamesAndAFolderThatTakesNothing) {
  std::vector<std::string> taken = {"T\\{G}.skn", "T\\{G}1.skn"};
  auto exists = [&taken](const std::string& n) {
    return std::find(taken.begin(), taken.end(), n) != taken.end();
  };
  EXPECT_EQ(TemporarySkinName("T", "{G}", exists), "T\\{G}2.skn");
  EXPECT_EQ(TemporarySkinName("T\\", "{H}", exists), "T\\{H}.skn");

  int guids = 0, loads = 0;
  std::vector<std::string> removed;
  SkinEmbedHost host{[] { return std::string("T"); },
                     [&guids] { return "{" + std::to_string(++guids) + "}"; }, exists,
                     [](const std::string& n, const Bytes&) { return n == "T\\{3}.skn"; },
                     [&removed](const std::string& n) { removed.push_back(n); }};
  const auto load = [&loads](const std::string&) { ++loads; };
  EXPECT_TRUE(LoadEmbeddedSkin({1}, host, load));
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(removed, std::vector<std::string>{"T\\{3}.skn"});
  guids = 10;  // every later save fails: give up, load nothing
  EXPECT_FALSE(LoadEmbeddedSkin({1}, host, load));
  EXPECT_EQ(guids, 10 + MaxSkinSaveAttempts);
  EXPECT_EQ(loads, 1);
}

// The skin the program carries, as the generator wrote it.
TEST(BuiltInSkinTest, HoldsEveryElementAndReadsWhole) {
  std::ifstream in(std::string(BREVLO_SOURCE_DIR) + "/res/art/Brevlo.skn", std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  brevlo::platform::StdFileSystem files;
  TskSkinReader reader(files);
  ASSERT_EQ(reader.LoadFromMemory(bytes.data(), bytes.size()), TskSkinReader::LoadResult::Loaded);
  EXPECT_EQ(reader.Tables().images.size(), 21u);
  EXPECT_EQ(reader.Tables().integers.size(), 24u);
  EXPECT_EQ(reader.Tables().flags.size(), 2u);
  // Sizes and depths image by image are the generator's own test; here every image must decode
  // from the file as the program reads it.
  for (const auto& entry : reader.Tables().images) {
    TskBitmap b;
    EXPECT_TRUE(reader.GetImage(entry.name, b)) << entry.name;
  }
  TskBitmap border;
  ASSERT_TRUE(reader.GetImage("FormLeftBorderImage", border));
  EXPECT_EQ(border.SourceDepth(), 24);
  TskBitmap none;
  EXPECT_FALSE(reader.GetImage("FormBottomBorderImage", none));
  EXPECT_EQ(reader.GetInt("FormBorderColor"), RgbColor(38, 67, 121));
  EXPECT_EQ(reader.GetInt("TitleBarButtonRightOffsetInt"), -4);
  EXPECT_EQ(reader.GetInt("ControlFontColor"), StyleLight);
  EXPECT_EQ(MenuBarColor(reader), RgbColor(214, 211, 206));
  EXPECT_TRUE(reader.GetBool("ButtonTransparentBool"));
  EXPECT_TRUE(reader.GetBool("TitleBarButtonTransparentBool"));

  // The derived sets cut and turn from it.
  TskSkinScrollBtnRes scroll;
  scroll.SetReader(&reader);
  EXPECT_EQ(scroll.Upright(1)->Width(), 16);
  EXPECT_EQ(scroll.Turned(6)->Width(), 22);
  EXPECT_EQ(scroll.Upright(7), nullptr);
  EXPECT_EQ(scroll.TurnedThumb().Width(), 16);
  EXPECT_EQ(scroll.TurnedThumb().Height(), 33);
  TskSkinTabRes tabs;
  tabs.SetReader(&reader);
  EXPECT_EQ(tabs.Get(TskSkinTabRes::SelectedTab, 3).Width(), 17);
  EXPECT_EQ(tabs.Get(TskSkinTabRes::Bar, 2).Width(), 17);
  EXPECT_TRUE(tabs.Get(TskSkinTabRes::Bar, 4).Empty());
}
