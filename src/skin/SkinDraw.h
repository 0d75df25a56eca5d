#pragma once

#include <optional>
#include <vector>

#include "skin/SkinBitmap.h"

namespace brevlo::skin {

// Half-open: right and bottom are one past the last pixel.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// One piece of a picture and where it lands; a corner piece is copied unscaled.
struct Piece {
  Rect source;
  Rect dest;
  bool corner = false;
  friend bool operator==(const Piece&, const Piece&) = default;
};

// A picture of w x h drawn into `dest` without distorting its corners. With hw = w / 2 and
// hh = h / 2 the left and top pieces are hw and hh wide, the right and bottom ones a pixel
// narrower; a destination smaller than the corners gets each corner cut to its quarter.
// Edges and centre are stretched from the middle columns and rows. Empty pieces are left out.
std::vector<Piece> NineGridPieces(int w, int h, Rect dest);
// Three equal columns: first at the left, third at the right, the second stretched between; a
// destination narrower than a column gets only the first, cut to its width.
std::vector<Piece> ThreeHPieces(int w, int h, Rect dest);
// The same with three equal rows; nothing for a destination with a negative left edge.
std::vector<Piece> ThreeVPieces(int w, int h, Rect dest);

enum class ArrowDirection { Down, Up, Left, Right };
// The filled triangle of a drop-down or scroll arrow: 2 * depth - 1 across and depth deep (7 and
// 4 at 96 dots per inch), its broad side at (x, y) for down, as one-pixel-thick spans.
std::vector<Rect> ArrowSpans(int x, int y, ArrowDirection direction, int depth = 4);

// How a blit leaves pixels out.
struct Transparency {
  std::optional<Pixel> key;  // pixels of this colour are not drawn
  static Transparency None() { return {}; }
  static Transparency Of(Pixel p) { return {p}; }
};

// Nearest-neighbour stretch (centre sampling) of a source rectangle into a destination
// rectangle, clipped to the view; the same pixels on every platform, unlike the platform's own
// stretching modes.
void Blit(const PixelView& view, Rect dest, const TskBitmap& source, Rect sourceRect,
          Transparency transparency);
void FillRect(const PixelView& view, Rect r, Pixel color);
// A one-pixel frame just inside r.
void FrameRect(const PixelView& view, Rect r, Pixel color);

// The shared drawing operations of the skinned controls, on pixels.
void DrawNineGrid(const PixelView& view, const TskBitmap& image, Rect dest, bool transparent);
void DrawThreeH(const PixelView& view, const TskBitmap& image, Rect dest, bool keyFromCorner);
void DrawThreeV(const PixelView& view, const TskBitmap& image, Rect dest, bool transparent);
// Black when enabled; grey over a white copy one pixel down and right when disabled.
void DrawArrow(const PixelView& view, int x, int y, bool enabled,
               ArrowDirection direction = ArrowDirection::Down);
// A frame in the border colour around the whole view and one in the inner colour inside it.
void DrawEditBorder(const PixelView& view, Pixel border, Pixel inner);

}  // namespace brevlo::skin
