// Telling interlaced frames from whole ones in a source that does not say which it holds.
#include "media/PictureChain.h"

#include <gtest/gtest.h>

#include <vector>

namespace brevlo {
namespace {

using media::FieldJudge;
using media::Luma;

constexpr int Width = 96, Height = 48;

// A white bar, 24 wide, on black; the top field's lines show it at topX, the bottom field's at bottomX.
std::vector<std::uint8_t> Bar(int topX, int bottomX) {
  std::vector<std::uint8_t> picture(Width * Height, 16);
  for (int y = 0; y < Height; ++y) {
    const int x0 = y % 2 == 0 ? topX : bottomX;
    for (int x = x0; x < x0 + 24 && x < Width; ++x) picture[y * Width + x] = 235;
  }
  return picture;
}

// A smooth slope with fine detail, the same in both fields: a whole picture.
std::vector<std::uint8_t> Slope(int shift) {
  std::vector<std::uint8_t> picture(Width * Height);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      picture[y * Width + x] = static_cast<std::uint8_t>(16 + (x * 3 + y * 2 + shift) % 200);
    }
  }
  return picture;
}

TEST(FieldJudge, FindsFieldsAndTheirOrderAndKeepsItsMindThroughStills) {
  struct Case {
    const char* name;
    int topStep, bottomStep;  // where the bar is in each field, frame by frame: step * frame
    int bottomLead;           // how far ahead of the top field the bottom one shows it
    bool interlaced, topFirst;
  };
  const Case cases[] = {
      {"top field first, moving right", 16, 16, 8, true, true},
      {"bottom field first, moving right", 16, 16, -8, true, false},
      {"still: no verdict, whole by default", 0, 0, 0, false, true},
  };
  for (const Case& c : cases) {
    FieldJudge judge;
    std::vector<std::uint8_t> before;
    FieldJudge::Verdict verdict;
    for (int frame = 0; frame < 3; ++frame) {
      const int top = 8 + frame * c.topStep;
      const auto picture = Bar(top, top + c.bottomLead);
      const Luma now{picture.data(), Width, Width, Height};
      const Luma then{before.data(), Width, Width, Height};
      verdict = judge.Judge(now, before.empty() ? nullptr : &then);
      before = picture;
    }
    EXPECT_EQ(verdict.interlaced, c.interlaced) << c.name;
    EXPECT_EQ(verdict.topFirst, c.topFirst) << c.name;
  }
  // Whole pictures in motion are never taken for fields; one frame of doubt does not turn a
  // judge that has seen fields for a while.
  FieldJudge whole;
  for (int frame = 0; frame < 5; ++frame) {
    const auto picture = Slope(frame * 7);
    EXPECT_FALSE(whole.Judge({picture.data(), Width, Width, Height}, nullptr).interlaced) << frame;
  }
  FieldJudge fields;
  for (int frame = 0; frame < 4; ++frame) {
    const auto picture = Bar(8 + frame * 4, 20 + frame * 4);
    fields.Judge({picture.data(), Width, Width, Height}, nullptr);
  }
  const auto still = Slope(0);
  EXPECT_TRUE(fields.Judge({still.data(), Width, Width, Height}, nullptr).interlaced);
}

}  // namespace
}  // namespace brevlo
