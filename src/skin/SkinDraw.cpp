#include "skin/SkinDraw.h"

#include <algorithm>

namespace brevlo::skin {

namespace {

void Add(std::vector<Piece>& out, Rect source, Rect dest, bool corner) {
  if (!source.Empty() && !dest.Empty()) out.push_back({source, dest, corner});
}

// Sizes of the two outer pieces along one axis: unchanged when they fit, otherwise each cut to
// its half of the destination.
std::pair<int, int> OuterSizes(int first, int last, int room) {
  if (room >= first + last) return {first, last};
  const int a = std::min(first, room / 2);
  return {a, std::min(last, room - a)};
}

}  // namespace

std::vector<Piece> NineGridPieces(int w, int h, Rect d) {
  std::vector<Piece> out;
  if (w <= 0 || h <= 0 || d.Empty()) return out;
  const int hw = w / 2, hh = h / 2;
  const int midLeft = hw, midRight = std::min(w - hw + 1, w);
  // At least one middle row, so that an even height still has edges and a centre.
  const int midTop = std::min(hh, h - 1), midBottom = std::min(std::max(h - hh, hh + 1), h);
  const int rightWidth = std::max(hw - 1, 0), bottomHeight = std::max(hh - 1, 0);
  const auto [lw, rw] = OuterSizes(hw, rightWidth, d.Width());
  const auto [th, bh] = OuterSizes(hh, bottomHeight, d.Height());
  const int x1 = d.left + lw, x2 = d.right - rw, y1 = d.top + th, y2 = d.bottom - bh;

  Add(out, {0, 0, lw, th}, {d.left, d.top, x1, y1}, true);
  Add(out, {w - rw, 0, w, th}, {x2, d.top, d.right, y1}, true);
  Add(out, {0, h - bh, lw, h}, {d.left, y2, x1, d.bottom}, true);
  Add(out, {w - rw, h - bh, w, h}, {x2, y2, d.right, d.bottom}, true);
  Add(out, {midLeft, 0, midRight, th}, {x1, d.top, x2, y1}, false);
  Add(out, {midLeft, h - bh, midRight, h}, {x1, y2, x2, d.bottom}, false);
  Add(out, {0, midTop, lw, midBottom}, {d.left, y1, x1, y2}, false);
  Add(out, {w - rw, midTop, w, midBottom}, {x2, y1, d.right, y2}, false);
  Add(out, {midLeft, midTop, midRight, midBottom}, {x1, y1, x2, y2}, false);
  return out;
}

std::vector<Piece> ThreeHPieces(int w, int h, Rect d) {
  std::vector<Piece> out;
  const int c = w / 3;
  if (c <= 0 || h <= 0 || d.Empty()) return out;
  if (d.Width() < c) {
    Add(out, {0, 0, d.Width(), h}, d, false);
    return out;
  }
  Add(out, {0, 0, c, h}, {d.left, d.top, d.left + c, d.bottom}, false);
  Add(out, {2 * c, 0, 3 * c, h}, {d.right - c, d.top, d.right, d.bottom}, false);
  Add(out, {c, 0, 2 * c, h}, {d.left + c, d.top, d.right - c, d.bottom}, false);
  return out;
}

std::vector<Piece> ThreeVPieces(int w, int h, Rect d) {
  std::vector<Piece> out;
  const int c = h / 3;
  if (c <= 0 || w <= 0 || d.Empty() || d.left < 0) return out;
  if (d.Height() < c) {
    Add(out, {0, 0, w, d.Height()}, d, false);
    return out;
  }
  Add(out, {0, 0, w, c}, {d.left, d.top, d.right, d.top + c}, false);
  Add(out, {0, 2 * c, w, 3 * c}, {d.left, d.bottom - c, d.right, d.bottom}, false);
  Add(out, {0, c, w, 2 * c}, {d.left, d.top + c, d.right, d.bottom - c}, false);
  return out;
}

std::vector<Rect> ArrowSpans(int x, int y, ArrowDirection direction, int depth) {
  std::vector<Rect> out;
  const int across = 2 * depth - 1;
  for (int i = 0; i < depth; ++i) {
    switch (direction) {
      case ArrowDirection::Down:
        out.push_back({x + i, y + i, x + across - i, y + i + 1});
        break;
      case ArrowDirection::Up:
        out.push_back({x + depth - 1 - i, y + i, x + depth + i, y + i + 1});
        break;
      case ArrowDirection::Left:
        out.push_back({x + i, y + depth - 1 - i, x + i + 1, y + depth + i});
        break;
      case ArrowDirection::Right:
        out.push_back({x + i, y + i, x + i + 1, y + across - i});
        break;
    }
  }
  return out;
}

void Blit(const PixelView& view, Rect dest, const TskBitmap& source, Rect s,
          Transparency transparency) {
  if (dest.Empty() || s.Empty() || s.left < 0 || s.top < 0 || s.right > source.Width() ||
      s.bottom > source.Height()) {
    return;
  }
  const int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, view.height);
  const int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, view.width);
  // Each destination pixel takes the source pixel under its centre.
  const long long dw = 2LL * dest.Width(), dh = 2LL * dest.Height();
  for (int y = y0; y < y1; ++y) {
    const int sy = s.top + static_cast<int>((2LL * (y - dest.top) + 1) * s.Height() / dh);
    for (int x = x0; x < x1; ++x) {
      const int sx = s.left + static_cast<int>((2LL * (x - dest.left) + 1) * s.Width() / dw);
      const Pixel p = source.At(sx, sy);
      if (!transparency.key || p != *transparency.key) view.At(x, y) = p;
    }
  }
}

void FillRect(const PixelView& view, Rect r, Pixel color) {
  const int y0 = std::max(r.top, 0), y1 = std::min(r.bottom, view.height);
  const int x0 = std::max(r.left, 0), x1 = std::min(r.right, view.width);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) view.At(x, y) = color;
  }
}

void FrameRect(const PixelView& view, Rect r, Pixel color) {
  if (r.Empty()) return;
  FillRect(view, {r.left, r.top, r.right, r.top + 1}, color);
  FillRect(view, {r.left, r.bottom - 1, r.right, r.bottom}, color);
  FillRect(view, {r.left, r.top, r.left + 1, r.bottom}, color);
  FillRect(view, {r.right - 1, r.top, r.right, r.bottom}, color);
}

void DrawNineGrid(const PixelView& view, const TskBitmap& image, Rect dest, bool transparent) {
  for (const Piece& p : NineGridPieces(image.Width(), image.Height(), dest)) {
    const bool keyed = transparent || !p.corner;
    Blit(view, p.dest, image, p.source, keyed ? Transparency::Of(Magenta) : Transparency::None());
  }
}

void DrawThreeH(const PixelView& view, const TskBitmap& image, Rect dest, bool keyFromCorner) {
  if (image.Empty()) return;
  const Transparency t = Transparency::Of(keyFromCorner ? image.At(0, 0) : Magenta);
  for (const Piece& p : ThreeHPieces(image.Width(), image.Height(), dest)) {
    Blit(view, p.dest, image, p.source, t);
  }
}

void DrawThreeV(const PixelView& view, const TskBitmap& image, Rect dest, bool transparent) {
  const Transparency t = transparent ? Transparency::Of(Magenta) : Transparency::None();
  for (const Piece& p : ThreeVPieces(image.Width(), image.Height(), dest)) {
    Blit(view, p.dest, image, p.source, t);
  }
}

void DrawArrow(const PixelView& view, int x, int y, bool enabled, ArrowDirection direction) {
  if (!enabled) {
    for (const Rect& r : ArrowSpans(x + 1, y + 1, direction)) {
      FillRect(view, r, MakePixel(255, 255, 255));
    }
  }
  const Pixel ink = enabled ? MakePixel(0, 0, 0) : MakePixel(128, 128, 128);
  for (const Rect& r : ArrowSpans(x, y, direction)) FillRect(view, r, ink);
}

void DrawEditBorder(const PixelView& view, Pixel border, Pixel inner) {
  FrameRect(view, {0, 0, view.width, view.height}, border);
  FrameRect(view, {1, 1, view.width - 1, view.height - 1}, inner);
}

}  // namespace brevlo::skin
