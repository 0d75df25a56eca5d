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
      {"thick borders", thick, {106, 73, 763, 585}},
  };
  for (const auto& c : cases) {
    const Rect client = ClientFromWindow({100, 50, 769, 593}, c.metrics);
    EXPECT_EQ(client, c.client) << c.name;
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
  CaptionInput minimized = dialog;
  minimized.width = 160;
  minimized.minimized = true;
  struct Want {
    K kind;
    Rect rect;
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
       {{K::Close, {648, 4, 665, 21}}, {K::Minimize, {629, 4, 646, 21}}},
       24,
       610},
      {"dialog", dialog, {}, {{K::Close, {379, 4, 396, 21}}}, 2, 360},
      {"minimised", minimized, {}, {{K::Close, {138, 6, 155, 23}}}, 2, 119},
  };
  for (const auto& c : cases) {
    const CaptionLayout layout = LayOutCaption(c.in);
    EXPECT_EQ(layout.icon, c.icon) << c.name;
    ASSERT_EQ(layout.buttons.size(), c.buttons.size()) << c.name;
    for (std::size_t i = 0; i < c.buttons.size(); ++i) {
      EXPECT_EQ(layout.buttons[i].kind, c.buttons[i].kind) << c.name << " " << i;
      EXPECT_EQ(layout.buttons[i].rect, c.buttons[i].rect) << c.name << " " << i;
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

TEST(SkinFrameTest, RegionHalvesRoundOnlyTheOuterCorners) {
  const std::vector<RegionHalf> halves = RegionHalves(100, 51, 9, -3);  // below 0 is square
  ASSERT_EQ(halves.size(), 2u);
  const RegionHalf want[] = {{{0, 0, 101, 52}, 9, {0, 0, 101, 25}},
                             {{0, 0, 101, 52}, 0, {0, 25, 101, 52}}};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(halves[i].roundRect, want[i].roundRect) << i;
    EXPECT_EQ(halves[i].diameter, want[i].diameter) << i;
    EXPECT_EQ(halves[i].keep, want[i].keep) << i;
  }
}
