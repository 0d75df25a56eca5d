// Where a skinned frame puts client, caption, buttons and borders, what a point is over, and how
// a caption too long for its room is shortened.
#include "skin/SkinFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brevlo::skin;

namespace {

// The built-in skin on the main window: a 23-pixel caption, a 1-pixel border line.
FrameMetrics MainWindow() {
  FrameMetrics m;
  m.captionHeight = 23;
  m.borderWidth = 1;
  m.platformFrameHeight = 23;
  return m;
}

}  // namespace

TEST(SkinFrameTest, ClientAreaAndWindowSizeAgree) {
  FrameMetrics dialog = MainWindow();
  dialog.platformFrameHeight = 29;  // a foreign dialog's whole platform frame, taller than ours
  FrameMetrics bare = MainWindow();
  bare.captionHeight = 0;
  bare.borderShown = false;
  FrameMetrics frameless = MainWindow();
  frameless.platformFrameHeight = 0;
  FrameMetrics thick = MainWindow();
  thick.borderWidth = 6;
  thick.bottomBorderHeight = 8;
  const struct {
    const char* name;
    FrameMetrics metrics;
    Rect client;
  } cases[] = {
      {"main window", MainWindow(), {104, 73, 765, 589}},
      {"caption as tall as the platform's", dialog, {104, 79, 765, 589}},
      {"no caption, no border", bare, {100, 50, 769, 593}},
      {"had no frame", frameless, {100, 50, 769, 593}},
      {"thick borders", thick, {106, 73, 763, 585}},
  };
  for (const auto& c : cases) {
    const Rect client = ClientFromWindow({100, 50, 769, 593}, c.metrics);
    EXPECT_EQ(client, c.client) << c.name;
    if (c.metrics.platformFrameHeight == 0) continue;
    int w = 0, h = 0;
    WindowSizeForClient(c.metrics, client.Width(), client.Height(), w, h);
    EXPECT_EQ(w, 669) << c.name;
    EXPECT_EQ(h, 543) << c.name;
  }
  // A window smaller than its frame has an empty client, never a negative one.
  EXPECT_TRUE(ClientFromWindow({0, 0, 5, 10}, MainWindow()).Empty());
}

TEST(SkinFrameTest, CaptionButtonsRightToLeftAndTheHotOne) {
  using K = CaptionButtonKind;
  CaptionInput main;
  main.width = 669;
  main.buttonWidth = main.buttonHeight = 17;
  main.buttonTop = 4;
  main.leftOffset = 2;
  main.rightOffset = -4;
  main.icon = main.close = main.minimize = true;
  CaptionInput dialog = main;
  dialog.width = 400;
  dialog.icon = dialog.minimize = false;
  dialog.buttonTop = 2;  // too close to the edge: moved down to 4
  CaptionInput zoomed = main;
  zoomed.maximize = zoomed.maximized = zoomed.help = true;
  CaptionInput minimized = dialog;
  minimized.width = 160;
  minimized.minimized = true;
  struct Want {
    K kind;
    Rect rect;
    int normal;
  };
  const struct {
    const char* name;
    CaptionInput in;
    Rect icon;
    std::vector<Want> buttons;
    int textLeft, textRight;
  } cases[] = {
      {"main window",
       main,
       {6, 4, 22, 20},
       {{K::Close, {648, 4, 665, 21}, 16}, {K::Minimize, {629, 4, 646, 21}, 13}},
       24,
       610},
      {"dialog", dialog, {}, {{K::Close, {379, 4, 396, 21}, 16}}, 2, 360},
      {"maximised, with help",
       zoomed,
       {6, 4, 22, 20},
       {{K::Close, {648, 4, 665, 21}, 16},
        {K::MaxRestore, {629, 4, 646, 21}, 10},
        {K::Minimize, {610, 4, 627, 21}, 13},
        {K::Help, {591, 4, 608, 21}, 4}},
       24,
       591},
      {"minimised", minimized, {}, {{K::Close, {138, 6, 155, 23}, 16}}, 2, 119},
  };
  for (const auto& c : cases) {
    const CaptionLayout layout = LayOutCaption(c.in);
    EXPECT_EQ(layout.icon, c.icon) << c.name;
    ASSERT_EQ(layout.buttons.size(), c.buttons.size()) << c.name;
    for (std::size_t i = 0; i < c.buttons.size(); ++i) {
      EXPECT_EQ(layout.buttons[i].kind, c.buttons[i].kind) << c.name << " " << i;
      EXPECT_EQ(layout.buttons[i].rect, c.buttons[i].rect) << c.name << " " << i;
      EXPECT_EQ(layout.buttons[i].Frame(false, true), c.buttons[i].normal) << c.name;
      EXPECT_EQ(layout.buttons[i].Frame(true, false), c.buttons[i].normal + 1) << c.name;
      EXPECT_EQ(layout.buttons[i].Frame(true, true), c.buttons[i].normal + 2) << c.name;
    }
    EXPECT_EQ(layout.textLeft, c.textLeft) << c.name;
    EXPECT_EQ(layout.textRight, c.textRight) << c.name;
  }

  const CaptionLayout layout = LayOutCaption(main);
  const struct {
    int x, y;
    K hot;
  } points[] = {{6, 4, K::SystemMenu}, {21, 19, K::SystemMenu}, {22, 10, K::None},
                {650, 10, K::Close},   {664, 20, K::Close},     {647, 10, K::None},
                {629, 4, K::Minimize}, {628, 10, K::None},      {650, 21, K::None},
                {300, 10, K::None}};
  for (const auto& p : points) {
    EXPECT_EQ(HotButton(layout, p.x, p.y), p.hot) << p.x << "," << p.y;
  }
}

TEST(SkinFrameTest, CaptionTextShortenedWithDots) {
  // Seven pixels a character, so "..." is 21.
  auto width = [](std::wstring_view text) { return static_cast<int>(text.size()) * 7; };
  const struct {
    std::wstring text;
    int room;
    std::wstring shown;
  } cases[] = {
      {L"abcdef", 42, L"abcdef"},  // exactly fits
      {L"abcdef", 41, L"ab..."},
      {L"abcdef", 35, L"a..."},  // "ab..." would touch the end of the room
      {L"abcdef", 3, L"a..."},   // never less than one character
      {L"", 0, L""},
      {std::wstring(L"a") + wchar_t(0xD83D) + wchar_t(0xDE00) + L"bcdef", 36, L"a..."},  // no half
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortenCaption(c.text, c.room, width), c.shown) << c.room;
  }
}

TEST(SkinFrameTest, HitCodesFollowTheDrawnFrame) {
  const FrameMetrics m = MainWindow();
  const struct {
    bool sizeable, minimized;
    int x, y;
    HitCode hit;
  } cases[] = {
      {false, false, 4, 23, HitClient},     {false, false, 650, 10, HitCaption},
      {false, false, 3, 300, HitBorder},    {false, false, 300, 539, HitBorder},
      {false, false, 0, 0, HitCaption},     {false, false, 669, 5, HitNowhere},
      {true, false, 0, 300, HitLeft},       {true, false, 668, 300, HitRight},
      {true, false, 300, 542, HitBottom},   {true, false, 300, 1, HitTop},
      {true, false, 2, 2, HitTopLeft},      {true, false, 666, 2, HitTopRight},
      {true, false, 0, 530, HitBottomLeft}, {true, false, 660, 541, HitBottomRight},
      {true, false, 300, 10, HitCaption},   {true, false, 10, 300, HitClient},
      {false, true, 300, 300, HitCaption},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HitTest(669, 543, m, c.sizeable, c.minimized, c.x, c.y), c.hit)
        << c.x << "," << c.y << (c.sizeable ? " sizeable" : "");
  }
}

TEST(SkinFrameTest, BorderStripsAndTheirInnerBand) {
  using K = BorderPiece::Kind;
  const std::vector<BorderPiece> pieces = BorderPieces(669, 543, MainWindow(), true, true, false);
  const std::vector<BorderPiece> want = {
      {K::LeftImage, {0, 23, 1, 542}},      {K::RightImage, {668, 23, 669, 542}},
      {K::BorderColor, {0, 542, 669, 543}}, {K::Background, {1, 23, 4, 542}},
      {K::Background, {665, 23, 668, 542}}, {K::Background, {1, 539, 668, 542}}};
  ASSERT_EQ(pieces.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(pieces[i].kind, want[i].kind) << i;
    EXPECT_EQ(pieces[i].dest, want[i].dest) << i;
  }
  // Without side images the lines run the full height; a border of 4 needs no inner band.
  FrameMetrics thick = MainWindow();
  thick.borderWidth = 4;
  const std::vector<BorderPiece> plain = BorderPieces(100, 80, thick, false, false, false);
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(plain[0].dest, (Rect{0, 0, 4, 80}));
}

TEST(SkinFrameTest, CaptionComposedFromTheTitleImages) {
  // Each left-image column is coloured by its index, so where a column lands shows which it is.
  CaptionArt art;
  art.left = TskBitmap(60, 3);
  for (int x = 0; x < 60; ++x) {
    for (int y = 0; y < 3; ++y) art.left.Set(x, y, MakePixel(x, 0, 0));
  }
  art.right = TskBitmap(10, 3, MakePixel(0, 0, 200));
  art.client = TskBitmap(1, 3, MakePixel(0, 100, 0));
  art.background = MakePixel(241, 241, 241);
  const Pixel unset = MakePixel(1, 2, 3);
  auto compose = [&](int width, bool minimized, bool dialog, bool& minimizedImage) {
    TskBitmap bitmap(width, 5, unset);
    minimizedImage = ComposeCaption(bitmap.View(), art, minimized, dialog, 1);
    return bitmap;
  };
  bool minimizedImage = true;
  // A dialog narrower than the left image keeps its first and last 25 columns.
  TskBitmap b = compose(40, false, true, minimizedImage);
  EXPECT_FALSE(minimizedImage);
  EXPECT_EQ(PixelRed(b.At(24, 0)), 24);
  EXPECT_EQ(PixelRed(b.At(25, 0)), 35);
  EXPECT_EQ(PixelRed(b.At(39, 2)), 49);
  EXPECT_EQ(b.At(0, 3), unset);  // the fill below stays inside the border
  EXPECT_EQ(b.At(1, 3), art.background);
  EXPECT_EQ(b.At(38, 4), art.background);
  // Any other window keeps the left image whole; the middle stretches between the ends.
  b = compose(40, false, false, minimizedImage);
  EXPECT_EQ(PixelRed(b.At(30, 0)), 30);
  b = compose(100, false, false, minimizedImage);
  EXPECT_EQ(b.At(60, 1), art.client.At(0, 1));
  EXPECT_EQ(b.At(89, 1), art.client.At(0, 1));
  EXPECT_EQ(b.At(90, 1), art.right.At(0, 1));
  // A minimised window with an image of its own shows that alone.
  art.minimized = TskBitmap(1, 2, MakePixel(9, 9, 9));
  b = compose(40, true, false, minimizedImage);
  EXPECT_TRUE(minimizedImage);
  EXPECT_EQ(b.At(20, 4), MakePixel(9, 9, 9));
}
