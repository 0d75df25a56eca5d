#include "skinart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string_view>

#include "canvas.h"
#include "font.h"

namespace brevlo::artgen {
namespace {

using namespace shape;

// Colours the skin itself names; the artwork is built around them.
const Color kBorder = Hex(0x264379);
const Color kBack = Hex(0xF1F1F1);
const Color kSelection = Hex(0x336ABC);
const Color kTrack = Hex(0xCBCBCB);
const Color kWhite = Hex(0xFFFFFF);
const Color kMagenta = Hex(0xFF00FF);

struct Face {
  Color top, bottom, border, glyph;
  double highlight;  // opacity of the white line inside the top border
};

// One family of states for every clickable face: cool grey at rest, selection blue under the
// mouse, a darker inverted gradient while pressed.
const Face kRest{Hex(0xFFFFFF), Hex(0xE1E7EF), Hex(0x8391A6), Hex(0x2C3E5C), 0.9};
const Face kHot{Hex(0xF8FBFF), Hex(0xCCDDF5), kSelection, Hex(0x1C3E78), 0.9};
const Face kPressedFace{Hex(0xB9CDEC), Hex(0xDBE5F5), kBorder, Hex(0x132D5C), 0};
const Face kCloseHot{Hex(0xF27376), Hex(0xD23A3F), Hex(0x9E2227), kWhite, 0.35};
const Face kCloseDown{Hex(0xB0262B), Hex(0xCB3B40), Hex(0x761418), kWhite, 0};
const Face kStates[] = {kRest, kHot, kPressedFace};

// Flat faces for the parts that are turned and squashed, where a gradient would change direction.
const Face kFlatRest{Hex(0xF5F7FA), Hex(0xF5F7FA), Hex(0x95A1B2), Hex(0x4A586D), 0};
const Face kFlatHot{Hex(0xE3EDFA), Hex(0xE3EDFA), kSelection, Hex(0x234A8C), 0};
const Face kFlatDown{Hex(0xC4D7F1), Hex(0xC4D7F1), kBorder, Hex(0x132D5C), 0};
const Face kFlatStates[] = {kFlatRest, kFlatHot, kFlatDown};

Paint Vertical(double y0, double y1, const Color& top, const Color& bottom) {
  return paint::Linear({0, y0}, {0, y1}, {{0, top}, {1, bottom}});
}

// The caption bar by row: the window's border line, a white highlight, a pale gradient that
// keeps black text crisp, and a separator above the client area.
Color Caption(double y) {
  if (y < 1) return kBorder;
  if (y < 2) return kWhite;
  if (y > 22) return Hex(0xB2C1D6);
  return Mix(Hex(0xF6F9FC), Hex(0xD8E2EF), (y - 2) / 20);
}

Paint CaptionAt(double dy) {
  return [dy](double, double y) { return Caption(y + dy); };
}

// An opaque copy of `art` over what it will be drawn on. Keyed images turn what the art leaves
// uncovered into magenta, which the skin's readers leave out.
Canvas Flatten(const Canvas& art, const Paint& under, bool keyed) {
  Canvas out(art.Width(), art.Height());
  out.FillAll([&](double x, double y) {
    const Color c = art.At(static_cast<int>(x), static_cast<int>(y));
    if (keyed && c.a < 0.04) return kMagenta;
    Color m = Mix(under(x, y), {c.r, c.g, c.b, 1}, c.a);
    m.a = 1;
    return m;
  });
  return out;
}

// Nearest-neighbour resampling through pixel centres.
Canvas Resample(const Canvas& src, int width, int height) {
  Canvas out(width, height);
  out.FillAll([&](double x, double y) {
    return src.At(static_cast<int>(x * src.Width() / width),
                  static_cast<int>(y * src.Height() / height));
  });
  return out;
}

void DrawFace(Canvas& c, double x0, double y0, double x1, double y1, double r, const Face& f) {
  c.Fill(Box(x0, y0, x1, y1, r), paint::Solid(f.border));
  c.Fill(Box(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(r - 1, 0.0)),
         Vertical(y0 + 1, y1 - 1, f.top, f.bottom));
  if (f.highlight > 0) {
    c.Fill(Intersect(Box(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(r - 1, 0.0)),
                     Box(x0, y0 + 1, x1, y0 + 2)),
           paint::Solid(kWhite), f.highlight);
  }
}

// A small solid arrow on a pixel grid, `cx` and `cy` on pixel boundaries at its centre.
enum class Dir { kUp, kDown, kLeft, kRight };

Shape Arrow(double cx, double cy, Dir d) {
  Shape s = Box(0, 0, 0, 0);
  for (int i = 0; i < 4; ++i) {
    const double n = 1 + i;
    Shape step = Box(0, 0, 0, 0);
    switch (d) {
      case Dir::kUp:
        step = Box(cx - n, cy - 2 + i, cx + n, cy - 1 + i);
        break;
      case Dir::kDown:
        step = Box(cx - n, cy + 1 - i, cx + n, cy + 2 - i);
        break;
      case Dir::kLeft:
        step = Box(cx - 2 + i, cy - n, cx - 1 + i, cy + n);
        break;
      case Dir::kRight:
        step = Box(cx + 1 - i, cy - n, cx + 2 - i, cy + n);
        break;
    }
    s = i == 0 ? step : Union(s, step);
  }
  return s;
}

// ---- Caption bar ----

Canvas CaptionStrip(int width) {
  Canvas c(width, 23);
  c.FillAll(CaptionAt(0));
  return c;
}

Canvas TitleBarLeft() {
  Canvas c = CaptionStrip(48);
  // A faint light behind the icon, and the brand's teal in the separator under it, fading out
  // before the seam with the stretched middle.
  c.Fill(Circle(14, 12, 7), paint::Solid(kWhite), Rect{1, 2, 48, 22}, 0.7, 9);
  c.Fill(Box(0, 22, 48, 23),
         paint::Linear({1, 0}, {46, 0},
                       {{0, Hex(0x14A3A8)}, {0.45, Hex(0x5D9BD0)}, {1, Caption(22.5)}}));
  c.Fill(Box(0, 0, 1, 23), paint::Solid(kBorder));
  return c;
}

Canvas TitleBarRight() {
  Canvas c = CaptionStrip(48);
  c.Fill(Box(47, 0, 48, 23), paint::Solid(kBorder));
  return c;
}

Canvas TitleBarMinimized() {
  Canvas c(1, 21);
  c.FillAll([](double, double y) {
    if (y > 20) return kBorder;
    return Caption(y < 1 ? 0.5 : 1 + (y - 1) * 21 / 19);
  });
  return c;
}

Canvas FormLeftBorder() {
  Canvas c(1, 21);
  c.FillAll(paint::Solid(kBorder));
  return c;
}

enum class Glyph { kNone, kHelp, kMaximise, kRestore, kMinimise, kClose };

Shape GlyphShape(Glyph g, double x, double y) {
  switch (g) {
    case Glyph::kHelp: {
      const double cx = x + 8.5, cy = y + 6.3, r = 2.5;
      const Shape arc = Subtract(Outline(Circle(cx, cy, r), 1.7), Box(x, cy, cx, y + 17));
      return Union(Union(arc, Capsule({cx, cy + r}, {cx, cy + r + 1.3}, 0.85)),
                   Circle(cx, y + 12.9, 1.05));
    }
    case Glyph::kMaximise:
      return Subtract(Box(x + 4, y + 4, x + 13, y + 12), Box(x + 5, y + 6, x + 12, y + 11));
    case Glyph::kRestore: {
      const Shape front = Box(x + 4, y + 6, x + 11, y + 13);
      const Shape back = Subtract(
          Subtract(Box(x + 6, y + 3, x + 13, y + 10), Box(x + 7, y + 5, x + 12, y + 9)), front);
      return Union(back, Subtract(front, Box(x + 5, y + 8, x + 10, y + 12)));
    }
    case Glyph::kMinimise:
      return Box(x + 5, y + 10, x + 12, y + 12);
    case Glyph::kClose:
      return Union(Capsule({x + 5.6, y + 5.6}, {x + 11.4, y + 11.4}, 0.95),
                   Capsule({x + 11.4, y + 5.6}, {x + 5.6, y + 11.4}, 0.95));
    case Glyph::kNone:
      break;
  }
  return Box(0, 0, 0, 0);
}

Canvas TitleBarButtons() {
  Canvas art(306, 17);
  const Glyph glyphs[] = {Glyph::kNone,    Glyph::kHelp,     Glyph::kMaximise,
                          Glyph::kRestore, Glyph::kMinimise, Glyph::kClose};
  for (int frame = 0; frame < 18; ++frame) {
    const Glyph g = glyphs[frame / 3];
    const int state = frame % 3;
    Face f = kStates[state];
    if (g == Glyph::kClose && state > 0) f = state == 1 ? kCloseHot : kCloseDown;
    const double x = 17.0 * frame;
    DrawFace(art, x, 0, x + 17, 17, 3.5, f);
    const double shift = state == 2 ? 1 : 0;
    art.Fill(GlyphShape(g, x + shift, shift), paint::Solid(f.glyph));
  }
  // Drawn at y 4 of the caption: its edges blend into the bar there.
  return Flatten(art, CaptionAt(4), true);
}

// ---- Push buttons, check boxes, radio buttons ----

Canvas PushButtons() {
  Canvas art(252, 23);
  for (int i = 0; i < 3; ++i) DrawFace(art, 84.0 * i, 0, 84.0 * i + 84, 23, 3, kStates[i]);
  return Flatten(art, paint::Solid(kBack), true);
}

struct Mark {
  Color top, bottom, border, tick;
};

Mark MarkStyle(bool checked, bool enabled) {
  if (checked && enabled) return {Hex(0x4C87DA), Hex(0x2C5EAE), kBorder, kWhite};
  if (checked) return {Hex(0xC7CDD5), Hex(0xBCC3CC), Hex(0xA6AEB9), Hex(0xF7F8FA)};
  if (enabled) return {kWhite, Hex(0xEAEFF5), Hex(0x6B7B91), kWhite};
  return {Hex(0xF5F5F5), Hex(0xEDEDED), Hex(0xBDC2C9), kWhite};
}

// Frames: enabled checked, enabled unchecked, disabled checked, disabled unchecked.
constexpr bool kChecked[] = {true, false, true, false};
constexpr bool kEnabled[] = {true, true, false, false};

Shape Tick(double x, double y, double s) {
  const Point a{x + 3.2 * s, y + 6.6 * s}, b{x + 5.6 * s, y + 9 * s}, c{x + 9.9 * s, y + 3.9 * s};
  return Union(Capsule(a, b, 0.95 * s), Capsule(b, c, 0.95 * s));
}

Canvas CheckBoxes() {
  Canvas c(60, 17);
  c.FillAll(paint::Solid(kBack));
  for (int i = 0; i < 4; ++i) {
    const double x = 15.0 * i;
    const Mark m = MarkStyle(kChecked[i], kEnabled[i]);
    c.Fill(Box(x + 1, 2, x + 14, 15, 2), paint::Solid(m.border));
    c.Fill(Box(x + 2, 3, x + 13, 14, 1), Vertical(3, 14, m.top, m.bottom));
    if (kChecked[i]) c.Fill(Tick(x + 1, 2, 1), paint::Solid(m.tick));
  }
  return c;
}

Canvas RadioButtons() {
  Canvas art(64, 17);
  for (int i = 0; i < 4; ++i) {
    const double cx = 16.0 * i + 7.5;
    const Mark m = MarkStyle(kChecked[i], kEnabled[i]);
    art.Fill(Circle(cx, 8.5, 6.5), paint::Solid(m.border));
    art.Fill(Circle(cx, 8.5, 5.5), Vertical(3, 14, m.top, m.bottom));
    if (kChecked[i]) art.Fill(Circle(cx, 8.5, 2.4), paint::Solid(m.tick));
  }
  return Flatten(art, paint::Solid(kBack), true);
}

Canvas CheckListBoxes() {
  Canvas c(40, 11);
  c.FillAll(paint::Solid(kWhite));
  for (int i = 0; i < 4; ++i) {
    const double x = 10.0 * i;
    const Mark m = MarkStyle(kChecked[i], kEnabled[i]);
    c.Fill(Box(x + 0.5, 1, x + 9.5, 10, 1.5), paint::Solid(m.border));
    c.Fill(Box(x + 1.5, 2, x + 8.5, 9, 0.5), Vertical(2, 9, m.top, m.bottom));
    if (kChecked[i]) c.Fill(Tick(x + 0.6, 1, 0.69), paint::Solid(m.tick));
  }
  return c;
}

// ---- Scroll bars ----

// The arrow buttons are squeezed from 16 x 22 into 16 x 16 squares, so they are drawn as squares
// and stretched to the stored height. Squeezing back gives the square again, row for row, both
// through pixel centres and with the rows Wine's StretchBlt keeps (0 1 3 4 6 7 8 10 11 12 14 15
// 17 18 19 21): the stored rows that either may pick instead of the other are equal.
Canvas ScrollBarButtons() {
  Canvas art(96, 16);
  for (int frame = 0; frame < 6; ++frame) {
    const Face& f = kFlatStates[frame % 3];
    const double x = 16.0 * frame;
    DrawFace(art, x, 0, x + 16, 16, 2, f);
    art.Fill(Arrow(x + 8, 8, frame < 3 ? Dir::kUp : Dir::kDown), paint::Solid(f.glyph));
  }
  return Resample(Flatten(art, paint::Solid(kTrack), false), 96, 22);
}

Canvas ScrollBarSlider() {
  Canvas art(33, 16);
  DrawFace(art, 1, 1, 32, 15, 3, kFlatRest);
  return Flatten(art, paint::Solid(kTrack), false);
}

Canvas ScrollButtons() {
  Canvas art(72, 18);
  const Dir dirs[] = {Dir::kUp, Dir::kDown, Dir::kLeft, Dir::kRight};
  for (int i = 0; i < 4; ++i) {
    const double x = 18.0 * i;
    DrawFace(art, x + 1, 1, x + 17, 17, 2, kFlatRest);
    art.Fill(Arrow(x + 9, 9, dirs[i]), paint::Solid(kFlatRest.glyph));
  }
  return Flatten(art, paint::Solid(kBack), false);
}

// ---- Progress, tabs, track bars, side channel ----

Canvas ProgressBar() {
  Canvas c(13, 10);
  c.FillAll(paint::Linear(
      {0, 0}, {0, 10},
      {{0, Hex(0x86AEE8)}, {0.12, Hex(0x6A98DD)}, {0.5, Hex(0x3E74C6)}, {1, Hex(0x2A5699)}}));
  return c;
}

Canvas TabControlTabs() {
  Canvas art(36, 17);
  // The selected tab stands taller and ends in the page's colour so that it joins the page.
  DrawFace(art, 0, 0, 18, 20, 3, {kWhite, kBack, Hex(0x7F8A9A), {}, 0});
  art.Fill(Intersect(Box(1, 1, 17, 20, 2), Box(0, 0, 18, 3)), paint::Solid(kSelection));
  DrawFace(art, 18, 2, 36, 20, 3, {Hex(0xEDF0F4), Hex(0xDCE1E8), Hex(0x9BA4B1), {}, 0.8});
  return Flatten(art, paint::Solid(kBack), true);
}

Canvas TabControlBar() {
  Canvas c(17, 7);
  c.FillAll(paint::Linear(
      {0, 0}, {0, 7},
      {{0, Hex(0xA9B4C3)}, {0.15, Hex(0xA9B4C3)}, {0.16, Hex(0xE2E8F0)}, {1, kBack}}));
  return c;
}

Canvas TrackBarBar() {
  Canvas art(45, 5);
  art.Fill(Box(0, 0, 45, 5, 2.5), paint::Solid(Hex(0x8E9AAB)));
  art.Fill(Box(1, 1, 44, 4, 1.5), Vertical(1, 4, Hex(0xC2CBD7), Hex(0xE6EAF0)));
  return Flatten(art, paint::Solid(kBack), true);
}

// The thumb of a track bar: a face like the buttons' with a point towards the ticks.
Canvas TrackBarThumb(bool vertical) {
  const int w = vertical ? 19 : 11, h = vertical ? 11 : 20;
  auto at = [vertical](double along, double across) {
    return vertical ? Point{along, across} : Point{across, along};
  };
  Canvas art(w, h);
  const std::vector<Point> outer = {at(1.5, 1.5), at(1.5, 9.5), at(13.6, 9.5), at(18.2, 5.5),
                                    at(13.6, 1.5)};
  const std::vector<Point> inner = {at(2.5, 2.5), at(2.5, 8.5), at(13.2, 8.5), at(16.9, 5.5),
                                    at(13.2, 2.5)};
  art.Fill(Polygon(outer, 1), paint::Solid(Hex(0x3F669F)));
  art.Fill(Polygon(inner, 0.5), paint::Linear({0, 0}, vertical ? Point{0, 11} : Point{11, 0},
                                              {{0, kWhite}, {1, Hex(0xD3E0F3)}}));
  return Flatten(art, paint::Solid(kBack), false);
}

Canvas SideChannelHandle() {
  Canvas art(7, 84);
  DrawFace(art, 0, 0, 7, 84, 2, kFlatRest);
  for (int i = 0; i < 4; ++i) {
    const double y = 36.5 + 3 * i;
    art.Fill(Box(2, y + 1, 5, y + 2), paint::Solid(kWhite));
    art.Fill(Box(2, y, 5, y + 1), paint::Solid(Hex(0x8391A6)));
  }
  return Flatten(art, paint::Solid(kBack), false);
}

Canvas SideChannelBar() {
  Canvas c(1, 21);
  c.FillAll(Vertical(0, 21, Hex(0xD6DFEB), kBack));
  return c;
}

struct Catalogue {
  const char* name;
  int palette;  // entries written, see RenderSkinImages
  Canvas (*draw)();
};

// The palettes add up to 4355 entries over the twenty 8-bit images, so that the built-in skin
// file is exactly 45876 bytes long.
const Catalogue kCatalogue[] = {
    {"ButtonImage", 256, PushButtons},
    {"CheckBoxImage", 256, CheckBoxes},
    {"RadioButtonImage", 256, RadioButtons},
    {"TitleBarButtonImage", 256, TitleBarButtons},
    {"TitleBarLeftImage", 256, TitleBarLeft},
    {"TitleBarClientImage", 256, [] { return CaptionStrip(49); }},
    {"TitleBarRightImage", 256, TitleBarRight},
    {"ProgressBarImage", 128, ProgressBar},
    {"TrackBarBarImage", 128, TrackBarBar},
    {"TrackBarSliderImage", 256, [] { return TrackBarThumb(false); }},
    {"TrackBarSliderVImage", 256, [] { return TrackBarThumb(true); }},
    {"ScrollBarButtonImage", 256, ScrollBarButtons},
    {"ScrollBarSliderImage", 256, ScrollBarSlider},
    {"CheckListBoxImage", 256, CheckListBoxes},
    {"ScrollButtonImage", 256, ScrollButtons},
    {"TabControlTabImage", 256, TabControlTabs},
    {"TabControlBarImage", 128, TabControlBar},
    {"SideChannelHandleImage", 256, SideChannelHandle},
    {"SideChannelBarImage", 64, SideChannelBar},
    {"TitleBarMinimizedImage", 67, TitleBarMinimized},
    {"FormLeftBorderImage", 0, FormLeftBorder},  // 24 bits per pixel
};

}  // namespace

std::vector<SkinImage> RenderSkinImages() {
  std::vector<SkinImage> out;
  for (const Catalogue& entry : kCatalogue) {
    const Canvas c = entry.draw();
    out.push_back({entry.name, entry.palette > 0 ? EncodeBmp8(c, entry.palette) : EncodeBmp(c)});
  }
  return out;
}

Bytes RenderMenuCheck() {
  Canvas art(16, 16);
  art.Fill(Union(Capsule({3.6, 8.4}, {6.6, 11.4}, 1.15), Capsule({6.6, 11.4}, {12.4, 4.6}, 1.15)),
           paint::Solid(Hex(0x1E2B42)));
  // Edges fade towards a colour between the plain and the selected item, so neither shows a
  // halo; the faintest become white, the transparent colour.
  Canvas flat(16, 16);
  flat.FillAll([&](double x, double y) {
    const Color c = art.At(static_cast<int>(x), static_cast<int>(y));
    if (c.a < 0.3) return kWhite;
    return Mix(Mix(kBack, kSelection, 0.5), {c.r, c.g, c.b, 1}, c.a);
  });
  return EncodeBmp4(flat);
}

}  // namespace brevlo::artgen
