#include "artwork.h"

#include <algorithm>
#include <string_view>

#include "canvas.h"
#include "font.h"
#include "skinart.h"
#include "skinfile.h"

namespace brevlo::artgen {
namespace {

using namespace shape;

const Color kWhite = Hex(0xFFFFFF);
const Color kNavy = Hex(0x0A2A5E);
const Color kBlue = Hex(0x1B5FB4);
const Color kTeal = Hex(0x14A3A8);
const Color kAqua = Hex(0x7FE3DC);

double Smooth(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The title strip in main-window coordinates: the logo covers x 0..120 and the stretched
// background 120..461, so one painter keeps the seam invisible. Text sits over all of it, so it
// stays light; the colour lives in two thin swooshes along the bottom edge.
Color TitleStrip(double x, double y) {
  Color c = Mix(kWhite, Hex(0xE3EDF6), Smooth(y / 69));
  const double glow = std::max(0.0, 1 - ((x - 60) * (x - 60) + (y - 34) * (y - 34)) / (75 * 75));
  c = Mix(c, Hex(0xCDEFF0), glow * glow * 0.55);
  // The links reach down to y 66 up to about x 330, so the swoosh only rises after them.
  const double rise = Smooth((x - 320) / 141);
  const double upper = 65 - 8 * rise;
  c = Mix(c, Mix(kAqua, kTeal, Smooth((y - upper) / 6)), std::clamp(y - upper, 0.0, 1.0) * 0.55);
  const double lower = 67.2 - 2.5 * rise;
  c = Mix(c, Mix(kBlue, kNavy, Smooth(x / 461)), std::clamp(y - lower, 0.0, 1.0) * 0.9);
  return c;
}

struct MarkStyle {
  double aspect = 0.46;  // body height / width
  bool controls = true;
  bool shadow = true;
};

// The brand mark: a wide-screen handheld whose screen shows a play symbol.
void DrawMark(Canvas& c, double cx, double cy, double w, const MarkStyle& style = {}) {
  const double h = w * style.aspect;
  const double x0 = cx - w / 2, y0 = cy - h / 2, x1 = cx + w / 2, y1 = cy + h / 2;
  const Shape body = Box(x0, y0, x1, y1, h * 0.36);
  if (style.shadow) {
    c.Fill(Box(x0 + w * 0.02, y0 + h * 0.12, x1 - w * 0.02, y1 + h * 0.1, h * 0.36),
           paint::Solid(Hex(0x06183A, 0.45)), 1, w * 0.07);
  }
  c.Fill(body, paint::Linear({cx, y0}, {cx, y1}, {{0, Hex(0x3A86D6)}, {0.5, kBlue}, {1, kNavy}}));
  c.Fill(Intersect(body, Circle(cx, y0 - w * 1.2 + h * 0.45, w * 1.2)),
         paint::Linear({cx, y0}, {cx, cy}, {{0, Hex(0xFFFFFF, 0.35)}, {1, Hex(0xFFFFFF, 0.05)}}));
  c.Fill(Outline(body, std::max(1.0, w * 0.012)), paint::Solid(Hex(0x082048, 0.6)));

  const double sw = style.controls ? w * 0.56 : w * 0.7;
  const double sh = std::min(sw * 9 / 16, h * 0.72);
  const double bezel = std::max(1.0, w * 0.018);
  c.Fill(Box(cx - sw / 2 - bezel, cy - sh / 2 - bezel, cx + sw / 2 + bezel, cy + sh / 2 + bezel,
             bezel * 1.5),
         paint::Solid(Hex(0x061737)));
  c.Fill(Box(cx - sw / 2, cy - sh / 2, cx + sw / 2, cy + sh / 2, bezel),
         paint::Radial({cx - sw * 0.1, cy - sh * 0.3}, sw * 0.75,
                       {{0, Hex(0x9BF0E8)}, {0.45, Hex(0x1DB3B3)}, {1, Hex(0x0A5F86)}}));
  c.Fill(Intersect(
             Box(cx - sw / 2, cy - sh / 2, cx + sw / 2, cy + sh / 2, bezel),
             Polygon({{cx - sw, cy - sh}, {cx + sw * 0.15, cy - sh}, {cx - sw * 0.25, cy + sh}})),
         paint::Solid(Hex(0xFFFFFF, 0.12)));

  const double t = sh * 0.56;
  const double r = std::max(0.6, t * 0.08);
  const std::vector<Point> play = {
      {cx - t * 0.36, cy - t / 2 + r}, {cx - t * 0.36, cy + t / 2 - r}, {cx + t * 0.5, cy}};
  std::vector<Point> drop;
  for (const Point& p : play) drop.push_back({p.x + t * 0.04, p.y + t * 0.07});
  c.Fill(Polygon(drop, r), paint::Solid(Hex(0x043047, 0.35)), 1, std::max(1.0, t * 0.12));
  c.Fill(Polygon(play, r),
         paint::Linear({cx, cy - t / 2}, {cx, cy + t / 2}, {{0, kWhite}, {1, Hex(0xDDF3F6)}}));

  if (!style.controls) return;
  const double px = x0 + (cx - sw / 2 - bezel - x0) * 0.5, arm = w * 0.05, thick = w * 0.018;
  const Color key = Hex(0xB9D6F2);
  c.Fill(Union(Box(px - arm, cy - thick, px + arm, cy + thick, thick * 0.6),
               Box(px - thick, cy - arm, px + thick, cy + arm, thick * 0.6)),
         paint::Solid(key), 0.9);
  const double bx = x1 - (px - x0), step = w * 0.038, dot = w * 0.017;
  const Color buttons[] = {Hex(0x7FE3DC), Hex(0xF2C14E), Hex(0xF07A6A), Hex(0xB9D6F2)};
  const Point at[] = {{bx, cy - step}, {bx + step, cy}, {bx, cy + step}, {bx - step, cy}};
  for (int i = 0; i < 4; ++i) c.Fill(Circle(at[i].x, at[i].y, dot), paint::Solid(buttons[i]));
}

Canvas Logo() {
  Canvas c(120, 69);
  c.FillAll([](double x, double y) { return TitleStrip(x, y); });
  DrawMark(c, 58, 33, 100);
  return c;
}

Canvas TitleBack() {
  Canvas c(341, 69);
  c.FillAll([](double x, double y) { return TitleStrip(x + 120, y); });
  return c;
}

// Banners share one layout: a picture on the left, the maker, the product and a slogan.
struct Banner {
  Color top, bottom;
  std::string_view maker, product, slogan;
};

Canvas BannerBase(const Banner& b) {
  Canvas c(200, 69);
  c.FillAll(paint::Linear({0, 0}, {60, 120}, {{0, b.top}, {1, b.bottom}}));
  c.Fill(Circle(150, -150, 205), paint::Solid(Hex(0xFFFFFF, 0.07)));
  c.Fill(Outline(Box(0, 0, 200, 69), 2), paint::Solid(Hex(0x000000, 0.25)));
  const double x = 66;
  TextStyle small{1, 1, 1.4};
  DrawText(c, b.maker, x, 8, small, paint::Solid(Hex(0xFFFFFF, 0.75)));
  TextStyle big{2, 1.25, 0.9};
  big.cell = std::min(2.0, (200 - x - 10) / TextWidth(b.product, {1, 1.25, 0.9}));
  DrawText(c, b.product, x + 1, 21 + 1, big, paint::Solid(Hex(0x000000, 0.35)), 1, 2);
  DrawText(c, b.product, x, 21, big, paint::Solid(kWhite));
  DrawText(c, b.slogan, x, 48, small, paint::Solid(Hex(0xFFFFFF, 0.9)));
  return c;
}

Canvas BannerConverter() {
  Canvas c = BannerBase(
      {Hex(0x1662C4), Hex(0x0C9FA0), "HALVORN", "Video Converter", "Any video to MP4, fast"});
  c.Fill(Box(12, 14, 52, 56, 5), paint::Solid(Hex(0x000000, 0.3)), 1, 4);
  c.Fill(Box(10, 12, 50, 54, 4), paint::Solid(Hex(0x14222F)));
  for (int i = 0; i < 5; ++i) {
    c.Fill(Box(13, 15.5 + i * 8, 17, 19.5 + i * 8, 1), paint::Solid(Hex(0xE8F0F6)));
    c.Fill(Box(43, 15.5 + i * 8, 47, 19.5 + i * 8, 1), paint::Solid(Hex(0xE8F0F6)));
  }
  c.Fill(Box(20, 16, 40, 50, 2),
         paint::Linear({20, 16}, {40, 50}, {{0, Hex(0x9BF0E8)}, {1, Hex(0x2C7FD0)}}));
  const Shape arrow =
      Polygon({{24, 29}, {32, 29}, {32, 24}, {41, 33}, {32, 42}, {32, 37}, {24, 37}}, 0.8);
  c.Fill(arrow, paint::Solid(Hex(0x000000, 0.3)), 1, 2.5);
  c.Fill(arrow, paint::Linear({0, 24}, {0, 42}, {{0, Hex(0xFFD36B)}, {1, Hex(0xF28A1E)}}));
  return c;
}

Canvas BannerRipper() {
  Canvas c =
      BannerBase({Hex(0x3A2A8C), Hex(0x1B3E9A), "HALVORN", "DVD Ripper", "Back up your discs"});
  c.Fill(Circle(32, 36, 22), paint::Solid(Hex(0x000000, 0.35)), 1, 5);
  c.Fill(Circle(31, 34, 21), paint::Linear({10, 13}, {52, 55},
                                           {{0, Hex(0xF4F7FB)},
                                            {0.3, Hex(0xB8C6D8)},
                                            {0.5, Hex(0xE9D7F7)},
                                            {0.7, Hex(0xA7E8E4)},
                                            {1, Hex(0x8C9BB4)}}));
  c.Fill(Intersect(Circle(31, 34, 21), Polygon({{31, 34}, {8, 8}, {31, 0}})),
         paint::Solid(Hex(0xFFFFFF, 0.35)));
  c.Fill(Intersect(Circle(31, 34, 21), Polygon({{31, 34}, {54, 60}, {31, 70}})),
         paint::Solid(Hex(0xFFFFFF, 0.3)));
  c.Fill(Outline(Circle(31, 34, 21), 1), paint::Solid(Hex(0x1B1F4A, 0.5)));
  c.Fill(Circle(31, 34, 7.5), paint::Solid(Hex(0xC9D3E2)));
  c.Fill(Outline(Circle(31, 34, 7.5), 1), paint::Solid(Hex(0x1B1F4A, 0.3)));
  c.Fill(Circle(31, 34, 3.5),
         paint::Linear({0, 26}, {0, 42}, {{0, Hex(0x3A2A8C)}, {1, Hex(0x2A3590)}}));
  return c;
}

Canvas BannerAudio() {
  Canvas c =
      BannerBase({Hex(0x0B6B5C), Hex(0x0E4D7A), "HALVORN", "Audio Studio", "Record, edit and mix"});
  const double heights[] = {14, 26, 36, 22, 30, 16};
  for (int i = 0; i < 6; ++i) {
    const double x = 10 + i * 7.2, h = heights[i];
    c.Fill(Box(x + 1, 53 - h, x + 6, 55, 2.5), paint::Solid(Hex(0x000000, 0.25)), 1, 2.5);
    c.Fill(Box(x, 52 - h, x + 5, 52, 2.5),
           paint::Linear({0, 16}, {0, 52},
                         {{0, Hex(0xF6E27A)}, {0.5, Hex(0x9BE58A)}, {1, Hex(0x3CC7B0)}}));
  }
  c.Fill(Box(8, 55, 54, 56.5, 0.75), paint::Solid(Hex(0xFFFFFF, 0.6)));
  return c;
}

Canvas BannerWebsite() {
  Canvas c(200, 69);
  c.FillAll(paint::Linear({0, 0}, {80, 120}, {{0, Hex(0xF08A24)}, {1, Hex(0xD2452A)}}));
  c.Fill(Circle(150, -150, 205), paint::Solid(Hex(0xFFFFFF, 0.08)));
  const Shape globe = Circle(170, 40, 36);
  const Paint line = paint::Solid(Hex(0xFFFFFF, 0.28));
  c.Fill(globe, paint::Solid(Hex(0xFFFFFF, 0.08)));
  c.Fill(Outline(globe, 3), line);
  c.Fill(
      Intersect(globe, Outline(Intersect(Circle(130.7, 40, 53.3), Circle(209.3, 40, 53.3)), 2.5)),
      line);
  c.Fill(Intersect(globe, Box(168.8, 0, 171.2, 80)), line);
  c.Fill(Intersect(globe, Box(130, 38.8, 210, 41.2)), line);
  c.Fill(Intersect(globe, Box(130, 20.8, 210, 23.2)), line);
  c.Fill(Intersect(globe, Box(130, 56.8, 210, 59.2)), line);
  c.Fill(Outline(Box(0, 0, 200, 69), 2), paint::Solid(Hex(0x000000, 0.25)));
  const TextStyle small{1, 1, 1.4};
  DrawText(c, "FREE TOOLS FOR YOUR VIDEOS", 12, 9, small, paint::Solid(Hex(0xFFFFFF, 0.85)));
  const TextStyle big{1.5, 1.3, 0.9};
  DrawText(c, "www.halvorn.example", 13, 24, big, paint::Solid(Hex(0x000000, 0.3)), 1, 2);
  DrawText(c, "www.halvorn.example", 12, 23, big, paint::Solid(kWhite));
  const double pill = TextWidth("Visit us now!", small) + 14;
  c.Fill(Box(13, 46, 13 + pill, 59, 6.5), paint::Solid(Hex(0x000000, 0.3)), 1, 2.5);
  c.Fill(Box(12, 45, 12 + pill, 58, 6.5), paint::Solid(Hex(0xFFFFFF, 0.95)));
  DrawText(c, "Visit us now!", 19, 48, small, paint::Solid(Hex(0xC8432A)));
  return c;
}

// The About window's light background; its labels start 19 pixels in from the left.
Canvas AboutBack() {
  Canvas c(386, 167);
  c.FillAll([](double x, double y) {
    Color col = Mix(kWhite, Hex(0xE3EDF6), Smooth(y / 167));
    const double s = Smooth(x / 386);
    const double upper = 157 - 8 * s;
    col = Mix(col, Mix(kAqua, kTeal, Smooth((y - upper) / 6)),
              std::clamp(y - upper, 0.0, 1.0) * 0.55);
    const double lower = 163.5 - 4 * s;
    return Mix(col, Mix(kBlue, kNavy, s), std::clamp(y - lower, 0.0, 1.0) * 0.9);
  });
  const Paint mark = paint::Solid(Hex(0x1B5FB4));
  c.Fill(Outline(Circle(300, 76, 56), 7), mark, 0.06);
  c.Fill(Polygon({{284, 52}, {284, 100}, {326, 76}}, 4), mark, 0.06);
  return c;
}

// The About window's dark side strip, so the light background beside it reads as a page.
Canvas AboutSide() {
  Canvas c(117, 167);
  c.FillAll(
      paint::Linear({0, 0}, {40, 167}, {{0, Hex(0x1F63B8)}, {0.6, Hex(0x0E3877)}, {1, kNavy}}));
  c.Fill(Circle(10, 20, 40), paint::Solid(Hex(0x7FE3DC, 0.08)), 1, 30);
  c.Fill(Circle(100, 150, 50), paint::Solid(Hex(0x14A3A8, 0.25)), 1, 40);
  c.Fill(Outline(Circle(58, 60, 52), 1), paint::Solid(Hex(0xFFFFFF, 0.07)));
  c.Fill(Outline(Circle(58, 60, 40), 1), paint::Solid(Hex(0xFFFFFF, 0.05)));
  DrawMark(c, 58, 60, 96);
  const TextStyle title{2, 1.25, 0.9};
  const double tx = (117 - TextWidth("Brevlo", title)) / 2;
  DrawText(c, "Brevlo", tx + 1, 108, title, paint::Solid(Hex(0x000000, 0.35)), 1, 2);
  DrawText(c, "Brevlo", tx, 107, title, paint::Solid(kWhite));
  const TextStyle small{1, 1, 1.4};
  DrawText(c, "PSP VIDEO", (117 - TextWidth("PSP VIDEO", small)) / 2, 131, small,
           paint::Solid(Hex(0x7FE3DC)));
  c.Fill(Box(115, 0, 117, 167), paint::Linear({0, 0}, {0, 167}, {{0, kAqua}, {1, kTeal}}));
  return c;
}

// Thumbnail for videos without one: a neutral film frame with a play symbol.
Canvas DefaultPreview() {
  Canvas c(160, 120);
  c.FillAll(paint::Radial({80, 60}, 110, {{0, Hex(0x6B7682)}, {1, Hex(0x2A3038)}}));
  c.Fill(Box(-4, 24, 164, 98), paint::Solid(Hex(0x000000, 0.4)), 1, 6);
  c.Fill(Box(-4, 22, 164, 96),
         paint::Linear({0, 22}, {0, 96}, {{0, Hex(0x22272E)}, {1, Hex(0x171A1F)}}));
  for (int i = 0; i < 12; ++i) {
    const double x = 3 + i * 14;
    c.Fill(Box(x, 26, x + 7, 31, 1.5), paint::Solid(Hex(0xC9D1DA)));
    c.Fill(Box(x, 87, x + 7, 92, 1.5), paint::Solid(Hex(0xC9D1DA)));
  }
  c.Fill(Box(30, 35, 130, 83, 2),
         paint::Linear({30, 35}, {130, 83}, {{0, Hex(0x7C8A99)}, {1, Hex(0x3F4954)}}));
  c.Fill(Box(30, 35, 130, 59, 2), paint::Solid(Hex(0xFFFFFF, 0.07)));
  c.Fill(Circle(80, 60, 15), paint::Solid(Hex(0x000000, 0.35)), 1, 5);
  c.Fill(Circle(80, 59, 15), paint::Solid(Hex(0xFFFFFF, 0.92)));
  c.Fill(Polygon({{75, 51}, {75, 67}, {89, 59}}, 1), paint::Solid(Hex(0x3F4954)));
  return c;
}

Canvas Icon(int size) {
  Canvas c(size, size);
  const MarkStyle style{0.78, size >= 32, size >= 48};
  DrawMark(c, size / 2.0, size / 2.0 - (style.shadow ? size * 0.03 : 0),
           size - (size >= 48 ? 2 : 0.5), style);
  return c;
}

}  // namespace

std::vector<std::pair<std::string, Bytes>> RenderAll() {
  return {
      {"Logo.bmp", EncodeBmp(Logo())},
      {"TitleBack.bmp", EncodeBmp(TitleBack())},
      {"Banner0.bmp", EncodeBmp(BannerConverter())},
      {"Banner1.bmp", EncodeBmp(BannerRipper())},
      {"Banner2.bmp", EncodeBmp(BannerAudio())},
      {"Banner3.bmp", EncodeBmp(BannerWebsite())},
      {"AboutSide.bmp", EncodeBmp(AboutSide())},
      {"AboutBack.bmp", EncodeBmp(AboutBack())},
      {"DefaultPreview.THM", EncodeJpeg(DefaultPreview(), 90)},
      {"Brevlo.ico", EncodeIco({Icon(16), Icon(32), Icon(48)})},
      {"Brevlo.skn", RenderSkinFile()},
      {"SkinMenuChecked.bmp", RenderMenuCheck()},
  };
}

}  // namespace brevlo::artgen
