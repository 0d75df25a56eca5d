// Which piece of a skin picture lands where, and the pixels that result.
#include "skin/SkinDraw.h"

#include <gtest/gtest.h>

using namespace brevlo::skin;

TEST(SkinDrawTest, PiecesOfNineGridThreePartsAndArrows) {
  struct Case {
    const char* what;
    std::vector<Piece> got, want;
  };
  const Case cases[] = {
      {"button face 84x23 into 118x25",
       NineGridPieces(84, 23, {0, 0, 118, 25}),
       {{{0, 0, 42, 11}, {0, 0, 42, 11}, true},
        {{43, 0, 84, 11}, {77, 0, 118, 11}, true},
        {{0, 13, 42, 23}, {0, 15, 42, 25}, true},
        {{43, 13, 84, 23}, {77, 15, 118, 25}, true},
        {{42, 0, 43, 11}, {42, 0, 77, 11}, false},
        {{42, 13, 43, 23}, {42, 15, 77, 25}, false},
        {{0, 11, 42, 12}, {0, 11, 42, 15}, false},
        {{43, 11, 84, 12}, {77, 11, 118, 15}, false},
        {{42, 11, 43, 12}, {42, 11, 77, 15}, false}}},
      {"smaller than the corners: each cut to its quarter, outer part kept",
       NineGridPieces(84, 23, {10, 5, 40, 15}),
       {{{0, 0, 15, 5}, {10, 5, 25, 10}, true},
        {{69, 0, 84, 5}, {25, 5, 40, 10}, true},
        {{0, 18, 15, 23}, {10, 10, 25, 15}, true},
        {{69, 18, 84, 23}, {25, 10, 40, 15}, true}}},
      {"even height keeps a middle row",
       NineGridPieces(4, 4, {0, 0, 4, 6}),
       {{{0, 0, 2, 2}, {0, 0, 2, 2}, true},
        {{3, 0, 4, 2}, {3, 0, 4, 2}, true},
        {{0, 3, 2, 4}, {0, 5, 2, 6}, true},
        {{3, 3, 4, 4}, {3, 5, 4, 6}, true},
        {{2, 0, 3, 2}, {2, 0, 3, 2}, false},
        {{2, 3, 3, 4}, {2, 5, 3, 6}, false},
        {{0, 2, 2, 3}, {0, 2, 2, 5}, false},
        {{3, 2, 4, 3}, {3, 2, 4, 5}, false},
        {{2, 2, 3, 3}, {2, 2, 3, 5}, false}}},
      {"thumb along a bar",
       ThreeHPieces(33, 16, {0, 0, 100, 16}),
       {{{0, 0, 11, 16}, {0, 0, 11, 16}, false},
        {{22, 0, 33, 16}, {89, 0, 100, 16}, false},
        {{11, 0, 22, 16}, {11, 0, 89, 16}, false}}},
      {"narrower than a column",
       ThreeHPieces(33, 16, {5, 0, 12, 16}),
       {{{0, 0, 7, 16}, {5, 0, 12, 16}, false}}},
      {"turned thumb",
       ThreeVPieces(16, 33, {0, 0, 16, 50}),
       {{{0, 0, 16, 11}, {0, 0, 16, 11}, false},
        {{0, 22, 16, 33}, {0, 39, 16, 50}, false},
        {{0, 11, 16, 22}, {0, 11, 16, 39}, false}}},
      {"negative left edge", ThreeVPieces(16, 33, {-1, 0, 15, 50}), {}},
      {"empty picture", NineGridPieces(0, 23, {0, 0, 10, 10}), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

  const std::vector<Rect> down = {{0, 0, 7, 1}, {1, 1, 6, 2}, {2, 2, 5, 3}, {3, 3, 4, 4}};
  EXPECT_EQ(ArrowSpans(0, 0, ArrowDirection::Down), down);
  const std::vector<Rect> right = {{5, 5, 6, 12}, {6, 6, 7, 11}, {7, 7, 8, 10}, {8, 8, 9, 9}};
  EXPECT_EQ(ArrowSpans(5, 5, ArrowDirection::Right), right);
}

TEST(SkinDrawTest, NineGridPixelsAndTransparency) {
  // Every pixel of the picture is distinct; its four outermost corners are magenta.
  TskBitmap face(84, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 84; ++x) face.Set(x, y, MakePixel(x, y, 7));
  for (auto [x, y] : {std::pair{0, 0}, {83, 0}, {0, 22}, {83, 22}}) face.Set(x, y, Magenta);
  const Pixel ground = MakePixel(241, 241, 241);
  for (bool transparent : {true, false}) {
    TskBitmap canvas(118, 25, ground);
    DrawNineGrid(canvas.View(), face, {0, 0, 118, 25}, transparent);
    EXPECT_EQ(canvas.At(0, 0), transparent ? ground : Magenta);
    EXPECT_EQ(canvas.At(117, 24), transparent ? ground : Magenta);
    EXPECT_EQ(canvas.At(1, 0), face.At(1, 0));
    EXPECT_EQ(canvas.At(116, 24), face.At(82, 22));
    EXPECT_EQ(canvas.At(60, 0), face.At(42, 0));    // top edge stretched from column 42
    EXPECT_EQ(canvas.At(0, 13), face.At(0, 11));    // left edge from row 11
    EXPECT_EQ(canvas.At(60, 13), face.At(42, 11));  // centre
  }
  // Edges always leave magenta out, and a blit never writes outside the view.
  TskBitmap keyed(3, 3, Magenta);
  TskBitmap small(4, 4, ground);
  DrawNineGrid(small.View(), keyed, {-2, -2, 8, 8}, false);
  EXPECT_EQ(small.At(2, 2), ground);

  TskBitmap arrow(9, 6, ground);
  DrawArrow(arrow.View(), 0, 0, false);
  EXPECT_EQ(arrow.At(0, 0), MakePixel(128, 128, 128));
  EXPECT_EQ(arrow.At(7, 1), MakePixel(255, 255, 255));  // the white copy shows right of it
  EXPECT_EQ(arrow.At(8, 0), ground);
  TskBitmap edit(5, 4, ground);
  DrawEditBorder(edit.View(), MakePixel(104, 104, 104), MakePixel(238, 238, 238));
  EXPECT_EQ(edit.At(4, 3), MakePixel(104, 104, 104));
  EXPECT_EQ(edit.At(3, 2), MakePixel(238, 238, 238));
  EXPECT_EQ(edit.At(2, 2), MakePixel(238, 238, 238));
}
