// Where the parts of a skinned menu item go, left to right and mirrored, and how big it is.
#include "skin/SkinMenuLayout.h"

#include <gtest/gtest.h>

using namespace brevlo::skin;

TEST(SkinMenuLayoutTest, PartsLeftToRightAndTheirMirrorImages) {
  // 120 x 21 at (10, 40), as a menu's second row; shortcut text 30 wide.
  const Rect item{10, 40, 130, 61};
  const MenuItemLayout ltr = LayOutMenuItem(item, false, 30, 16);
  const MenuItemLayout want{
      {10, 40, 36, 61}, {36, 40, 130, 61}, {40, 42, 128, 43}, {40, 44, 130, 61}, {84, 44},
      {14, 43},         {12, 41, 31, 60},  {13, 42, 30, 59},  {14, 43},          {14, 43, 30, 59}};
  EXPECT_TRUE(ltr == want);

  // Mirrored, each part sits as far from the right edge as it did from the left; the image of a
  // wider list keeps its 4 pixels to the edge. The shortcut starts its width less 16 from the left.
  const MenuItemLayout rtl = LayOutMenuItem(item, true, 30, 24);
  auto mirror = [](Rect r) { return Rect{140 - r.right, r.top, 140 - r.left, r.bottom}; };
  const std::pair<Rect, Rect> parts[] = {{rtl.strip, mirror(ltr.strip)},
                                         {rtl.rest, mirror(ltr.rest)},
                                         {rtl.separatorLine, mirror(ltr.separatorLine)},
                                         {rtl.caption, mirror(ltr.caption)},
                                         {rtl.checkFrame, mirror(ltr.checkFrame)},
                                         {rtl.checkFill, mirror(ltr.checkFill)},
                                         {rtl.bitmap, mirror(ltr.bitmap)}};
  for (const auto& [got, expected] : parts) EXPECT_EQ(got, expected);
  EXPECT_EQ(rtl.check, (MenuPoint{110, 43}));
  EXPECT_EQ(rtl.image, (MenuPoint{102, 43}));
  EXPECT_EQ(rtl.shortCut, (MenuPoint{26, 44}));  // the mirror image of 84..114
}

TEST(SkinMenuLayoutTest, MeasuredSizes) {
  struct Case {
    bool separator;
    int caption, shortCut;
    MenuItemSize want;
  };
  const Case cases[] = {
      {false, 40, 0, {106, 21}}, {false, 40, 35, {141, 21}}, {true, 4, 0, {70, 5}}};
  for (const Case& c : cases) {
    EXPECT_EQ(MeasureMenuItem(c.separator, c.caption, c.shortCut), c.want) << c.caption;
  }
}
