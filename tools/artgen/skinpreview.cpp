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
#include "skin/SkinBitmap.h"
#include "skin/SkinDraw.h"
#include "skinart.h"

namespace brevlo::artgen {
namespace {

constexpr std::uint32_t kKey = 0xFF00FF;
constexpr std::uint32_t kBack = 0xF1F1F1;
constexpr std::uint32_t kBorder = 0x264379;
constexpr std::uint32_t kControlBorder = 0x686868;
constexpr std::uint32_t kControlBack = 0xEEEEEE;
constexpr std::uint32_t kTrack = 0xCBCBCB;

// Drawn with the skin library itself, so that what is judged is exactly what the program draws.
using Pixels = skin::TskBitmap;
using SRect = skin::Rect;

Pixels Decode(const Bytes& bmp) {
  Pixels p;
  p.LoadFromBmp(bmp.data(), bmp.size());
  return p;
}

Pixels Frame(const Pixels& p, int count, int index) {
  return skin::CutFrame(p, count, index);
}

Pixels TurnLeft(Pixels p) {
  skin::RotateLeft(p);
  return p;
}

Pixels TurnRight(Pixels p) {
  skin::RotateRight(p);
  return p;
}

void Stretch(Pixels& dst, const Pixels& src, SRect s, SRect d, bool keyed) {
  skin::Blit(dst.View(), d, src, s,
             keyed ? skin::Transparency::Of(kKey) : skin::Transparency::None());
}

void Draw(Pixels& dst, const Pixels& src, int x, int y, bool keyed) {
  Stretch(dst, src, {0, 0, src.Width(), src.Height()}, {x, y, x + src.Width(), y + src.Height()},
          keyed);
}

void FillRect(Pixels& dst, SRect r, std::uint32_t c) {
  skin::FillRect(dst.View(), r, c);
}
void FrameRect(Pixels& dst, SRect r, std::uint32_t c) {
  skin::FrameRect(dst.View(), r, c);
}

void FocusRect(Pixels& dst, SRect r) {
  for (int x = r.left; x < r.right; x += 2) {
    dst.Set(x, r.top, 0);
    dst.Set(x, r.bottom - 1, 0);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    dst.Set(r.left, y, 0);
    dst.Set(r.right - 1, y, 0);
  }
}

void NineGrid(Pixels& dst, const Pixels& img, SRect r, bool keyedCorners) {
  skin::DrawNineGrid(dst.View(), img, r, keyedCorners);
}
void ThreeH(Pixels& dst, const Pixels& img, SRect r) {
  skin::DrawThreeH(dst.View(), img, r, false);
}
void ThreeV(Pixels& dst, const Pixels& img, SRect r) {
  skin::DrawThreeV(dst.View(), img, r, true);
}

Canvas ToCanvas(const Pixels& p) {
  Canvas c(p.Width(), p.Height());
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

void LabelCentred(Canvas& c, std::string_view text, SRect r, std::uint32_t rgb = 0) {
  Label(c, text, (r.left + r.right - TextWidth(text, kText)) / 2, (r.top + r.bottom - 7) / 2, rgb);
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
  Draw(p, right, p.Width() - right.Width(), y, false);
  Draw(p, left, 0, y, false);
  Stretch(p, client, {0, 0, client.Width(), client.Height()},
          {left.Width(), y, p.Width() - right.Width(), y + client.Height()}, false);
  int x = p.Width() - 4 - 17;
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

void PushButton(Pixels& p, const Skin& skin, SRect r, int state, bool focused) {
  NineGrid(p, Frame(skin["ButtonImage"], 3, state + 1), r, true);
  if (focused) {
    const int d = state == 2 ? 1 : 0;
    FocusRect(p, {r.left + 5 + d, r.top + 5 + d, r.right - 5 + d, r.bottom - 5 + d});
  }
}

void ButtonText(Canvas& c, std::string_view text, SRect r, int state) {
  const int d = state == 2 ? 1 : 0;
  LabelCentred(c, text, {r.left + d, r.top + d, r.right + d, r.bottom + d});
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
  std::vector<std::pair<SRect, int>> faces;
  for (int row = 0; row < 5; ++row) {
    for (int state = 0; state < 3; ++state) {
      const SRect r{10 + 140 * state, 10 + 35 * row, 10 + 140 * state + sizes[row].w,
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

void VerticalScrollBar(Pixels& p, const Skin& skin, SRect r, int thumb0, int thumb1, int state) {
  FillRect(p, r, kTrack);
  const Pixels& buttons = skin["ScrollBarButtonImage"];
  Stretch(p, Frame(buttons, 6, 1 + state), {0, 0, 16, 22}, {r.left, r.top, r.right, r.top + 16},
          false);
  Stretch(p, Frame(buttons, 6, 4), {0, 0, 16, 22}, {r.left, r.bottom - 16, r.right, r.bottom},
          false);
  ThreeV(p, TurnRight(skin["ScrollBarSliderImage"]),
         {r.left, thumb0, r.left + std::min(16, r.right - r.left), thumb1});
}

void HorizontalScrollBar(Pixels& p, const Skin& skin, SRect r, int thumb0, int thumb1, int state) {
  FillRect(p, r, kTrack);
  const Pixels& buttons = skin["ScrollBarButtonImage"];
  Stretch(p, TurnLeft(Frame(buttons, 6, 1)), {0, 0, 22, 16}, {r.left, r.top, r.left + 16, r.bottom},
          false);
  Stretch(p, TurnLeft(Frame(buttons, 6, 4 + state)), {0, 0, 22, 16},
          {r.right - 16, r.top, r.right, r.bottom}, false);
  ThreeH(p, skin["ScrollBarSliderImage"],
         {thumb0, r.top, thumb1, r.top + std::min(16, r.bottom - r.top)});
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

void ProgressBar(Pixels& p, const Skin& skin, SRect r, int percent) {
  FillRect(p, r, kBack);
  const Pixels& bar = skin["ProgressBarImage"];
  Stretch(p, bar, {0, 0, bar.Width(), bar.Height()},
          {r.left, r.top, r.left + (r.right - r.left) * percent / 100, r.bottom}, false);
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
        if (check.At(x, y) != 0xFFFFFF) p.Set(4 + x, 3 + 22 * row + y, check.At(x, y));
      }
    }
  }
  Canvas c = ToCanvas(p);
  Label(c, "Show thumbnails", 28, 7);
  Label(c, "Show thumbnails", 28, 29, 0xFFFFFF);
  return c;
}

void EditBorder(Pixels& p, SRect r) {
  FrameRect(p, r, kControlBorder);
  FrameRect(p, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kControlBack);
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
  const SRect list{12, 34, 430, 262};
  FillRect(p, list, 0xFFFFFF);
  EditBorder(p, list);
  FillRect(p, {14, 60, 411, 77}, 0x336ABC);
  VerticalScrollBar(p, skin, {list.right - 19, list.top + 2, list.right - 2, list.bottom - 2}, 70,
                    130, 1);

  // Buttons down the right.
  const SRect b1{446, 34, 564, 59}, b2{446, 67, 521, 92}, b3{446, 100, 521, 125},
      b4{446, 133, 521, 158};
  PushButton(p, skin, b1, 0, true);
  PushButton(p, skin, b2, 1, false);
  PushButton(p, skin, b3, 2, false);
  PushButton(p, skin, b4, 0, false);

  // Tabs over a page holding check boxes, radio buttons and a track bar.
  const Pixels& tabs = skin["TabControlTabImage"];
  const SRect page{446, 188, 656, 316};
  FrameRect(p, page, kControlBorder);
  ThreeH(p, Frame(tabs, 2, 2), {520, page.top - 17 + 1, 590, page.top + 1});
  ThreeH(p, Frame(tabs, 2, 1), {448, page.top - 17, 520, page.top + 1});
  FillRect(p, {449, page.top, 519, page.top + 1}, kBack);
  for (int i = 0; i < 4; ++i) {
    Draw(p, Frame(skin["CheckBoxImage"], 4, i + 1), 456, 196 + 20 * i, false);
    Draw(p, Frame(skin["RadioButtonImage"], 4, i + 1), 556, 196 + 20 * i, true);
  }
  const Pixels& track = skin["TrackBarBarImage"];
  const SRect channel{460, 289, 640, 294};
  ThreeH(p, track, channel);
  Draw(p, skin["TrackBarSliderImage"], 520, 282, false);
  for (int x = channel.left + 8; x <= channel.right - 8; x += 20)
    FillRect(p, {x, 304, x + 1, 307}, 0);

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
  Label(c, "Settings", 468, page.top - 12);
  Label(c, "Others", 534, page.top - 11);
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
