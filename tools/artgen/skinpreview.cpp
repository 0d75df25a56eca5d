// Previews of the built-in skin, composed from the encoded images the way the program draws
// them, so that what is judged is what ships.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "canvas.h"
#include "font.h"
#include "skinart.h"

namespace brevlo::artgen {
namespace {

constexpr std::uint32_t kKey = 0xFF00FF;
constexpr std::uint32_t kBack = 0xF1F1F1;
constexpr std::uint32_t kBorder = 0x264379;
constexpr std::uint32_t kControlBorder = 0x686868;
constexpr std::uint32_t kControlBack = 0xEEEEEE;
constexpr std::uint32_t kTrack = 0xCBCBCB;

struct Pixels {
  int w = 0, h = 0;
  std::vector<std::uint32_t> rgb;

  Pixels() = default;
  Pixels(int width, int height, std::uint32_t fill = 0)
      : w(width), h(height), rgb(static_cast<std::size_t>(width * height), fill) {}
  std::uint32_t& At(int x, int y) { return rgb[static_cast<std::size_t>(y * w + x)]; }
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y * w + x)]; }
};

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
  return v;
}

// Reads the uncompressed bottom-up BMPs this generator writes (4, 8 or 24 bits per pixel).
Pixels Decode(const Bytes& bmp) {
  const std::size_t offset = Le(bmp, 10, 4);
  const int w = static_cast<int>(Le(bmp, 18, 4)), h = static_cast<int>(Le(bmp, 22, 4));
  const int bits = static_cast<int>(Le(bmp, 28, 2));
  const int stride = ((w * bits + 7) / 8 + 3) & ~3;
  Pixels p(w, h);
  for (int y = 0; y < h; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>((h - 1 - y) * stride);
    for (int x = 0; x < w; ++x) {
      if (bits == 24) {
        p.At(x, y) = Le(bmp, row + static_cast<std::size_t>(3 * x), 3);
        continue;
      }
      std::uint32_t index = bmp[row + static_cast<std::size_t>(x * bits / 8)];
      if (bits == 4) index = x % 2 ? index & 0xF : index >> 4;
      p.At(x, y) = Le(bmp, 54 + 4 * index, 3);
    }
  }
  return p;
}

Pixels Crop(const Pixels& p, int x0, int y0, int w, int h) {
  Pixels out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.At(x, y) = p.At(x0 + x, y0 + y);
  return out;
}

Pixels Frame(const Pixels& p, int count, int index) {
  const int fw = p.w / count;
  return Crop(p, (index - 1) * fw, 0, fw, p.h);
}

Pixels TurnLeft(const Pixels& p) {
  Pixels out(p.h, p.w);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) out.At(y, p.w - 1 - x) = p.At(x, y);
  return out;
}

Pixels TurnRight(const Pixels& p) {
  Pixels out(p.h, p.w);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) out.At(p.h - 1 - y, x) = p.At(x, y);
  return out;
}

// Stretches the source rectangle s over the destination rectangle d, nearest neighbour.
void Stretch(Pixels& dst, const Pixels& src, Rect s, Rect d, bool keyed) {
  const int sw = s.x1 - s.x0, sh = s.y1 - s.y0, dw = d.x1 - d.x0, dh = d.y1 - d.y0;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  for (int y = std::max(d.y0, 0); y < std::min(d.y1, dst.h); ++y) {
    const int sy = s.y0 + static_cast<int>((y - d.y0 + 0.5) * sh / dh);
    for (int x = std::max(d.x0, 0); x < std::min(d.x1, dst.w); ++x) {
      const std::uint32_t c = src.At(s.x0 + static_cast<int>((x - d.x0 + 0.5) * sw / dw), sy);
      if (!keyed || c != kKey) dst.At(x, y) = c;
    }
  }
}

void Draw(Pixels& dst, const Pixels& src, int x, int y, bool keyed) {
  Stretch(dst, src, {0, 0, src.w, src.h}, {x, y, x + src.w, y + src.h}, keyed);
}

void FillRect(Pixels& dst, Rect r, std::uint32_t c) {
  for (int y = std::max(r.y0, 0); y < std::min(r.y1, dst.h); ++y)
    for (int x = std::max(r.x0, 0); x < std::min(r.x1, dst.w); ++x) dst.At(x, y) = c;
}

void FrameRect(Pixels& dst, Rect r, std::uint32_t c) {
  FillRect(dst, {r.x0, r.y0, r.x1, r.y0 + 1}, c);
  FillRect(dst, {r.x0, r.y1 - 1, r.x1, r.y1}, c);
  FillRect(dst, {r.x0, r.y0, r.x0 + 1, r.y1}, c);
  FillRect(dst, {r.x1 - 1, r.y0, r.x1, r.y1}, c);
}

void FocusRect(Pixels& dst, Rect r) {
  for (int x = r.x0; x < r.x1; ++x) {
    if ((x - r.x0) % 2 == 0) dst.At(x, r.y0) = dst.At(x, r.y1 - 1) = 0;
  }
  for (int y = r.y0; y < r.y1; ++y) {
    if ((y - r.y0) % 2 == 0) dst.At(r.x0, y) = dst.At(r.x1 - 1, y) = 0;
  }
}

// Corners unscaled (cut to their quarter of a smaller rectangle), edges and centre stretched
// from the image's middle column and row; the right and bottom pieces are one pixel narrower.
void NineGrid(Pixels& dst, const Pixels& img, Rect r, bool keyed_corners) {
  const int hw = img.w / 2, hh = img.h / 2;
  const int dw = r.x1 - r.x0, dh = r.y1 - r.y0;
  const int l = std::min(hw, dw / 2), rr = std::min(hw - 1, dw - l);
  const int t = std::min(hh, dh / 2), b = std::min(hh - 1, dh - t);
  const Rect mid_cols{hw, 0, img.w - hw + 1, 0}, mid_rows{0, hh, 0, img.h - hh};
  const int cx0 = r.x0 + l, cx1 = r.x1 - rr, cy0 = r.y0 + t, cy1 = r.y1 - b;
  Stretch(dst, img, {0, 0, l, t}, {r.x0, r.y0, cx0, cy0}, keyed_corners);
  Stretch(dst, img, {img.w - rr, 0, img.w, t}, {cx1, r.y0, r.x1, cy0}, keyed_corners);
  Stretch(dst, img, {0, img.h - b, l, img.h}, {r.x0, cy1, cx0, r.y1}, keyed_corners);
  Stretch(dst, img, {img.w - rr, img.h - b, img.w, img.h}, {cx1, cy1, r.x1, r.y1}, keyed_corners);
  Stretch(dst, img, {mid_cols.x0, 0, mid_cols.x1, t}, {cx0, r.y0, cx1, cy0}, true);
  Stretch(dst, img, {mid_cols.x0, img.h - b, mid_cols.x1, img.h}, {cx0, cy1, cx1, r.y1}, true);
  Stretch(dst, img, {0, mid_rows.y0, l, mid_rows.y1}, {r.x0, cy0, cx0, cy1}, true);
  Stretch(dst, img, {img.w - rr, mid_rows.y0, img.w, mid_rows.y1}, {cx1, cy0, r.x1, cy1}, true);
  Stretch(dst, img, {mid_cols.x0, mid_rows.y0, mid_cols.x1, mid_rows.y1}, {cx0, cy0, cx1, cy1},
          true);
}

void ThreeH(Pixels& dst, const Pixels& img, Rect r) {
  const int part = img.w / 3, h = r.y1 - r.y0;
  if (r.x1 - r.x0 < part) {
    Stretch(dst, img, {0, 0, r.x1 - r.x0, img.h}, {r.x0, r.y0, r.x1, r.y0 + h}, true);
    return;
  }
  Stretch(dst, img, {0, 0, part, img.h}, {r.x0, r.y0, r.x0 + part, r.y1}, true);
  Stretch(dst, img, {part, 0, 2 * part, img.h}, {r.x0 + part, r.y0, r.x1 - part, r.y1}, true);
  Stretch(dst, img, {2 * part, 0, 3 * part, img.h}, {r.x1 - part, r.y0, r.x1, r.y1}, true);
}

void ThreeV(Pixels& dst, const Pixels& img, Rect r) {
  const int part = img.h / 3;
  Stretch(dst, img, {0, 0, img.w, part}, {r.x0, r.y0, r.x1, r.y0 + part}, true);
  Stretch(dst, img, {0, part, img.w, 2 * part}, {r.x0, r.y0 + part, r.x1, r.y1 - part}, true);
  Stretch(dst, img, {0, 2 * part, img.w, 3 * part}, {r.x0, r.y1 - part, r.x1, r.y1}, true);
}

Canvas ToCanvas(const Pixels& p) {
  Canvas c(p.w, p.h);
  c.FillAll(
      [&p](double x, double y) { return Hex(p.At(static_cast<int>(x), static_cast<int>(y))); });
  return c;
}

void Save(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) std::fprintf(stderr, "artgen: cannot write %s\n", file.string().c_str());
}

class Skin {
 public:
  Skin() {
    for (const SkinImage& image : RenderSkinImages()) images_[image.name] = Decode(image.bmp);
  }
  const Pixels& operator[](const std::string& name) const { return images_.at(name); }

 private:
  std::map<std::string, Pixels> images_;
};

const TextStyle kText{1, 1, 1};

void Label(Canvas& c, std::string_view text, double x, double y, std::uint32_t rgb = 0) {
  DrawText(c, text, x, y, kText, paint::Solid(Hex(rgb)));
}

void LabelCentred(Canvas& c, std::string_view text, Rect r, std::uint32_t rgb = 0) {
  Label(c, text, (r.x0 + r.x1 - TextWidth(text, kText)) / 2, (r.y0 + r.y1 - 7) / 2, rgb);
}

// Caption buttons from right to left, as the frame lays them out.
enum Button { kClose = 16, kMaximise = 7, kRestore = 10, kMinimise = 13, kHelp = 4 };

struct CaptionState {
  std::vector<Button> buttons;
  int hot = -1;  // index into buttons
  bool pressed = false;
};

void DrawCaption(Pixels& p, const Skin& skin, int y, const CaptionState& s) {
  const Pixels& left = skin["TitleBarLeftImage"];
  const Pixels& right = skin["TitleBarRightImage"];
  const Pixels& client = skin["TitleBarClientImage"];
  Draw(p, right, p.w - right.w, y, false);
  Draw(p, left, 0, y, false);
  Stretch(p, client, {0, 0, client.w, client.h}, {left.w, y, p.w - right.w, y + client.h}, false);
  int x = p.w - 4 - 17;
  for (std::size_t i = 0; i < s.buttons.size(); ++i) {
    int frame = s.buttons[i];
    if (static_cast<int>(i) == s.hot) frame += s.pressed ? 2 : 1;
    Draw(p, Frame(skin["TitleBarButtonImage"], 18, frame), x, y + 4, true);
    x -= 17 + 2;
  }
}

// A stand-in for the program's icon at (6, 4) and the caption text at x 24.
void DecorateCaption(Canvas& c, double y, std::string_view title) {
  c.Fill(shape::Box(7, y + 5, 21, y + 19, 3),
         paint::Linear({0, y + 5}, {0, y + 19}, {{0, Hex(0x3A86D6)}, {1, Hex(0x0A2A5E)}}));
  c.Fill(shape::Polygon({{11.5, y + 8.5}, {11.5, y + 15.5}, {17.5, y + 12}}, 0.3),
         paint::Solid(Hex(0xFFFFFF)));
  Label(c, title, 24, y + 8);
}

Canvas CaptionPreview(const Skin& skin) {
  const std::vector<CaptionState> rows = {
      {{kClose, kMinimise}},
      {{kClose, kMinimise}, 1},
      {{kClose, kMinimise}, 0},
      {{kClose, kMinimise}, 0, true},
      {{kClose, kMaximise, kMinimise, kHelp}, 1},
      {{kClose, kRestore, kMinimise, kHelp}, 3},
      {{kClose, kRestore, kMinimise, kHelp}, 2, true},
  };
  Pixels p(669, static_cast<int>(rows.size()) * 29, kBack);
  for (std::size_t i = 0; i < rows.size(); ++i)
    DrawCaption(p, skin, static_cast<int>(i) * 29, rows[i]);
  Canvas c = ToCanvas(p);
  for (std::size_t i = 0; i < rows.size(); ++i)
    DecorateCaption(c, static_cast<double>(i) * 29, "Brevlo");
  return c;
}

void PushButton(Pixels& p, const Skin& skin, Rect r, int state, bool focused) {
  NineGrid(p, Frame(skin["ButtonImage"], 3, state + 1), r, true);
  if (focused) {
    const int d = state == 2 ? 1 : 0;
    FocusRect(p, {r.x0 + 5 + d, r.y0 + 5 + d, r.x1 - 5 + d, r.y1 - 5 + d});
  }
}

void ButtonText(Canvas& c, std::string_view text, Rect r, int state) {
  const int d = state == 2 ? 1 : 0;
  LabelCentred(c, text, {r.x0 + d, r.y0 + d, r.x1 + d, r.y1 + d});
}

Canvas ButtonsPreview(const Skin& skin) {
  struct Size {
    int w, h;
    std::string_view text;
  };
  const Size sizes[] = {{75, 25, "OK"},
                        {118, 25, "Send to PSP"},
                        {130, 25, "Choose folder..."},
                        {90, 23, "Cancel"},
                        {84, 23, "Native"}};
  Pixels p(10 + 3 * 140, 10 + 5 * 35, kBack);
  std::vector<std::pair<Rect, int>> faces;
  for (int row = 0; row < 5; ++row) {
    for (int state = 0; state < 3; ++state) {
      const Rect r{10 + 140 * state, 10 + 35 * row, 10 + 140 * state + sizes[row].w,
                   10 + 35 * row + sizes[row].h};
      PushButton(p, skin, r, state, row == 0 || state == 0);
      faces.push_back({r, state});
    }
  }
  Canvas c = ToCanvas(p);
  for (std::size_t i = 0; i < faces.size(); ++i)
    ButtonText(c, sizes[i / 3].text, faces[i].first, faces[i].second);
  return c;
}

void VerticalScrollBar(Pixels& p, const Skin& skin, Rect r, int thumb0, int thumb1, int state) {
  FillRect(p, r, kTrack);
  const Pixels& buttons = skin["ScrollBarButtonImage"];
  Stretch(p, Frame(buttons, 6, 1 + state), {0, 0, 16, 22}, {r.x0, r.y0, r.x1, r.y0 + 16}, false);
  Stretch(p, Frame(buttons, 6, 4), {0, 0, 16, 22}, {r.x0, r.y1 - 16, r.x1, r.y1}, false);
  ThreeV(p, TurnRight(skin["ScrollBarSliderImage"]),
         {r.x0, thumb0, r.x0 + std::min(16, r.x1 - r.x0), thumb1});
}

void HorizontalScrollBar(Pixels& p, const Skin& skin, Rect r, int thumb0, int thumb1, int state) {
  FillRect(p, r, kTrack);
  const Pixels& buttons = skin["ScrollBarButtonImage"];
  Stretch(p, TurnLeft(Frame(buttons, 6, 1)), {0, 0, 22, 16}, {r.x0, r.y0, r.x0 + 16, r.y1}, false);
  Stretch(p, TurnLeft(Frame(buttons, 6, 4 + state)), {0, 0, 22, 16}, {r.x1 - 16, r.y0, r.x1, r.y1},
          false);
  ThreeH(p, skin["ScrollBarSliderImage"], {thumb0, r.y0, thumb1, r.y0 + std::min(16, r.y1 - r.y0)});
}

Canvas ScrollBarPreview(const Skin& skin) {
  Pixels p(300, 220, kBack);
  VerticalScrollBar(p, skin, {10, 10, 27, 210}, 40, 110, 0);
  VerticalScrollBar(p, skin, {37, 10, 54, 210}, 26, 60, 1);
  VerticalScrollBar(p, skin, {64, 10, 81, 210}, 140, 194, 2);
  HorizontalScrollBar(p, skin, {91, 10, 291, 27}, 140, 230, 0);
  HorizontalScrollBar(p, skin, {91, 37, 291, 54}, 107, 140, 1);
  HorizontalScrollBar(p, skin, {91, 64, 291, 81}, 210, 274, 2);
  return ToCanvas(p);
}

void ProgressBar(Pixels& p, const Skin& skin, Rect r, int percent) {
  FillRect(p, r, kBack);
  const Pixels& bar = skin["ProgressBarImage"];
  Stretch(p, bar, {0, 0, bar.w, bar.h}, {r.x0, r.y0, r.x0 + (r.x1 - r.x0) * percent / 100, r.y1},
          false);
}

Canvas ProgressPreview(const Skin& skin) {
  Pixels p(220, 38, kBack);
  ProgressBar(p, skin, {10, 10, 210, 28}, 50);
  return ToCanvas(p);
}

// Checked menu items, plain and selected: white in the check mark is transparent.
Canvas MenuPreview() {
  const Pixels check = Decode(RenderMenuCheck());
  Pixels p(160, 44, kBack);
  FillRect(p, {0, 22, 160, 44}, 0x336ABC);
  for (int row = 0; row < 2; ++row) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (check.At(x, y) != 0xFFFFFF) p.At(4 + x, 3 + 22 * row + y) = check.At(x, y);
      }
    }
  }
  Canvas c = ToCanvas(p);
  Label(c, "Show thumbnails", 28, 7);
  Label(c, "Show thumbnails", 28, 29, 0xFFFFFF);
  return c;
}

void EditBorder(Pixels& p, Rect r) {
  FrameRect(p, r, kControlBorder);
  FrameRect(p, {r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1}, kControlBack);
}

// A window of the program's kind with every skinned part in place.
Canvas WindowPreview(const Skin& skin) {
  const int w = 669, h = 360;
  Pixels p(w, h, kBack);
  DrawCaption(p, skin, 0, {{kClose, kMinimise}, 1});
  FillRect(p, {0, 23, 1, h}, kBorder);
  FillRect(p, {w - 1, 23, w, h}, kBorder);
  FillRect(p, {0, h - 1, w, h}, kBorder);

  // The video list with its painted scroll bar.
  const Rect list{12, 34, 430, 262};
  FillRect(p, list, 0xFFFFFF);
  EditBorder(p, list);
  FillRect(p, {14, 60, 411, 77}, 0x336ABC);
  VerticalScrollBar(p, skin, {list.x1 - 19, list.y0 + 2, list.x1 - 2, list.y1 - 2}, 70, 130, 1);

  // Buttons down the right.
  const Rect b1{446, 34, 564, 59}, b2{446, 67, 521, 92}, b3{446, 100, 521, 125},
      b4{446, 133, 521, 158};
  PushButton(p, skin, b1, 0, true);
  PushButton(p, skin, b2, 1, false);
  PushButton(p, skin, b3, 2, false);
  PushButton(p, skin, b4, 0, false);

  // Tabs over a page holding check boxes, radio buttons and a track bar.
  const Pixels& tabs = skin["TabControlTabImage"];
  const Rect page{446, 188, 656, 316};
  FrameRect(p, page, kControlBorder);
  ThreeH(p, Frame(tabs, 2, 2), {520, page.y0 - 17 + 1, 590, page.y0 + 1});
  ThreeH(p, Frame(tabs, 2, 1), {448, page.y0 - 17, 520, page.y0 + 1});
  FillRect(p, {449, page.y0, 519, page.y0 + 1}, kBack);
  for (int i = 0; i < 4; ++i) {
    Draw(p, Frame(skin["CheckBoxImage"], 4, i + 1), 456, 196 + 20 * i, false);
    Draw(p, Frame(skin["RadioButtonImage"], 4, i + 1), 556, 196 + 20 * i, true);
  }
  const Pixels& track = skin["TrackBarBarImage"];
  const Rect channel{460, 289, 640, 294};
  ThreeH(p, track, channel);
  Draw(p, skin["TrackBarSliderImage"], 520, 282, false);
  for (int x = channel.x0 + 8; x <= channel.x1 - 8; x += 20) FillRect(p, {x, 304, x + 1, 307}, 0);

  ProgressBar(p, skin, {12, 290, 212, 308}, 50);
  HorizontalScrollBar(p, skin, {12, 320, 430, 337}, 60, 200, 0);

  Canvas c = ToCanvas(p);
  DecorateCaption(c, 0, "Brevlo - PSP videos");
  const char* rows[] = {"MAQ00001.MP4", "MAQ00002.MP4", "M4V00003.MP4", "Holiday clip.mp4"};
  for (int i = 0; i < 4; ++i) Label(c, rows[i], 20, 42 + 20 * i, i == 1 ? 0xFFFFFF : 0);
  ButtonText(c, "Send to PSP", b1, 0);
  ButtonText(c, "Rename", b2, 1);
  ButtonText(c, "Delete", b3, 2);
  ButtonText(c, "Close", b4, 0);
  Label(c, "Settings", 468, page.y0 - 12);
  Label(c, "Others", 534, page.y0 - 11);
  const char* checks[] = {"Thumbnails", "Ask first", "Locked", "Off"};
  const char* radios[] = {"Movie", "Video", "Locked", "Off"};
  for (int i = 0; i < 4; ++i) {
    Label(c, checks[i], 476, 201 + 20 * i, i < 2 ? 0 : 0x808080);
    Label(c, radios[i], 576, 201 + 20 * i, i < 2 ? 0 : 0x808080);
  }
  Label(c, "Copying MAQ00002.MP4", 12, 278);
  return c;
}

}  // namespace

void WriteSkinPreview(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (const SkinImage& image : RenderSkinImages()) Save(dir / (image.name + ".bmp"), image.bmp);
  Save(dir / "MenuCheck.bmp", RenderMenuCheck());
  const Skin skin;
  Save(dir / "preview-caption.bmp", EncodeBmp(CaptionPreview(skin)));
  Save(dir / "preview-buttons.bmp", EncodeBmp(ButtonsPreview(skin)));
  Save(dir / "preview-scrollbars.bmp", EncodeBmp(ScrollBarPreview(skin)));
  Save(dir / "preview-progress.bmp", EncodeBmp(ProgressPreview(skin)));
  Save(dir / "preview-menu.bmp", EncodeBmp(MenuPreview()));
  Save(dir / "preview-window.bmp", EncodeBmp(WindowPreview(skin)));
}

}  // namespace brevlo::artgen
