#include "skin/SkinFrame.h"

#include <algorithm>

#include "skin/SkinScale.h"

namespace brevlo::skin {

namespace {

constexpr int CornerGrip = 16;  // how far from a corner a sizing edge sizes both ways

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

int FrameMetrics::MinimumSideAtDpi() const {
  return ScaleLength(MinimumSide, dpi);
}

int FrameMetrics::Side() const {
  return borderShown ? std::max(borderWidth, MinimumSideAtDpi()) : 0;
}

int FrameMetrics::Bottom() const {
  if (!borderShown) return 0;
  return bottomBorderHeight > 0 ? bottomBorderHeight : Side();
}

int FrameMetrics::CaptionBand() const {
  if (captionHeight <= 0 || maximizedMdiChild) return 0;
  return std::max(captionHeight, platformFrameHeight);
}

Rect ClientFromWindow(Rect window, const FrameMetrics& metrics) {
  // A window that had no frame of its own keeps none.
  if (metrics.platformFrameHeight <= 0) return window;
  Rect client{window.left + metrics.Side(), window.top + metrics.CaptionBand(),
              window.right - metrics.Side(), window.bottom - metrics.Bottom()};
  // A window smaller than its frame has an empty client inside it.
  client.left = std::min(client.left, window.right);
  client.top = std::min(client.top, window.bottom);
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);
  return client;
}

void WindowSizeForClient(const FrameMetrics& metrics, int clientWidth, int clientHeight,
                         int& windowWidth, int& windowHeight) {
  windowWidth = clientWidth + 2 * metrics.Side();
  windowHeight = clientHeight + metrics.CaptionBand() + metrics.Bottom();
}

int CaptionButton::Frame(bool hot, bool mouseDown) const {
  if (!hot) return normalFrame;
  return mouseDown ? pressedFrame : hotFrame;
}

CaptionLayout LayOutCaption(const CaptionInput& in) {
  auto at = [&in](int length) { return ScaleLength(length, in.dpi); };
  CaptionLayout layout;
  int top = in.buttonTop;
  if (in.minimized) {
    top = std::max((at(26) - in.buttonHeight) / 2, 0);
    if (in.buttonHeight + top < at(22)) top += at(2);
  } else if (top < at(4)) {
    top = at(4);
  }
  layout.top = top;
  int x0 = std::max(in.leftOffset, 0);
  if (in.icon) {
    layout.icon = {x0 + at(4), top, x0 + at(4) + at(16), top + at(16)};
    x0 += at(22);
  }
  int x =
      in.minimized ? in.width - in.buttonWidth - at(5) : in.width + in.rightOffset - in.buttonWidth;
  auto place = [&](CaptionButtonKind kind, int normal, bool moves) {
    layout.buttons.push_back({kind,
                              {x, top, x + in.buttonWidth, top + in.buttonHeight},
                              normal,
                              normal + 1,
                              normal + 2});
    if (moves) x -= in.buttonWidth + at(2);
  };
  if (in.close) place(CaptionButtonKind::Close, 16, true);
  if (in.maximize) place(CaptionButtonKind::MaxRestore, in.maximized ? 10 : 7, true);
  if (in.minimize) place(CaptionButtonKind::Minimize, 13, true);
  if (in.help) place(CaptionButtonKind::Help, 4, false);
  layout.textLeft = x0;
  layout.textRight = x;
  return layout;
}

CaptionButtonKind HotButton(const CaptionLayout& layout, int x, int y) {
  if (Inside(layout.icon, x, y)) return CaptionButtonKind::SystemMenu;
  for (const CaptionButton& button : layout.buttons) {
    if (Inside(button.rect, x, y)) return button.kind;
  }
  return CaptionButtonKind::None;
}

std::wstring ShortenCaption(const std::wstring& text, int room,
                            const std::function<int(std::wstring_view)>& width) {
  if (text.empty() || width(text) <= room) return text;
  const std::wstring_view all(text);
  auto fits = [&](std::size_t n) { return width(std::wstring(all.substr(0, n)) + L"...") < room; };
  // The width of a start grows with its length: the longest that fits is found by halving.
  std::size_t lo = 1;
  std::size_t hi = text.size() - 1;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (fits(mid)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  // Never half a character: a start ending on the first of a surrogate pair loses it.
  std::size_t n = lo;
  if (n > 1 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return std::wstring(all.substr(0, n)) + L"...";
}

HitCode HitTest(int width, int height, const FrameMetrics& metrics, bool sizeable, bool minimized,
                int x, int y) {
  if (x < 0 || y < 0 || x >= width || y >= height) return HitNowhere;
  if (minimized) return HitCaption;
  const Rect client = ClientFromWindow({0, 0, width, height}, metrics);
  if (Inside(client, x, y)) return HitClient;
  if (sizeable && metrics.borderShown) {
    const int side = metrics.Side();
    const bool top = y < side;
    const bool bottom = y >= height - std::max(metrics.Bottom(), 1);
    const bool left = x < side;
    const bool right = x >= width - side;
    const int grip = ScaleLength(CornerGrip, metrics.dpi);
    const bool nearLeft = x < grip;
    const bool nearRight = x >= width - grip;
    const bool nearTop = y < grip;
    const bool nearBottom = y >= height - grip;
    if ((top && nearLeft) || (left && nearTop)) return HitTopLeft;
    if ((top && nearRight) || (right && nearTop)) return HitTopRight;
    if ((bottom && nearLeft) || (left && nearBottom)) return HitBottomLeft;
    if ((bottom && nearRight) || (right && nearBottom)) return HitBottomRight;
    if (top) return HitTop;
    if (bottom) return HitBottom;
    if (left) return HitLeft;
    if (right) return HitRight;
  }
  if (y < client.top) return HitCaption;
  return HitBorder;
}

bool ComposeCaption(const PixelView& view, const CaptionArt& art, bool minimized, bool dialog,
                    int inset, int dpi) {
  const Rect whole{0, 0, view.width, view.height};
  if (minimized && !art.minimized.Empty()) {
    Blit(view, whole, art.minimized, {0, 0, art.minimized.Width(), art.minimized.Height()},
         Transparency::None());
    return true;
  }
  int right = view.width;
  if (!art.right.Empty()) {
    right = view.width - art.right.Width();
    Blit(view, {right, 0, view.width, art.right.Height()}, art.right,
         {0, 0, art.right.Width(), art.right.Height()}, Transparency::None());
  }
  int left = 0;
  if (!art.left.Empty()) {
    const TskBitmap* image = &art.left;
    TskBitmap narrow;
    const int w = art.left.Width();
    const int end = ScaleLength(25, dpi);
    if ((minimized || dialog) && right < w && w > 2 * end) {
      // The first 25 columns and the last 25, so that a short caption keeps both ends.
      narrow = TskBitmap(2 * end, art.left.Height());
      for (int y = 0; y < art.left.Height(); ++y) {
        for (int x = 0; x < end; ++x) {
          narrow.Set(x, y, art.left.At(x, y));
          narrow.Set(end + x, y, art.left.At(w - end + x, y));
        }
      }
      image = &narrow;
    }
    left = image->Width();
    Blit(view, {0, 0, left, image->Height()}, *image, {0, 0, image->Width(), image->Height()},
         Transparency::None());
  }
  const int clientHeight = art.client.Height();
  if (left < right && !art.client.Empty()) {
    Blit(view, {left, 0, right, clientHeight}, art.client, {0, 0, art.client.Width(), clientHeight},
         Transparency::None());
  }
  if (clientHeight < view.height) {
    FillRect(view, {inset, clientHeight, view.width - inset, view.height}, art.background);
  }
  return false;
}

std::vector<BorderPiece> BorderPieces(int width, int height, const FrameMetrics& metrics,
                                      bool leftImage, bool rightImage, bool bottomImage) {
  std::vector<BorderPiece> pieces;
  if (!metrics.borderShown) return pieces;
  using Kind = BorderPiece::Kind;
  const int b = metrics.borderWidth;
  const int bottom = metrics.bottomBorderHeight > 0 ? metrics.bottomBorderHeight : b;
  // The side images start where the caption images end, so that a caption band taller than
  // its images still has its border line.
  const int imageTop = metrics.maximizedMdiChild ? 0 : std::max(metrics.captionHeight, 0);
  if (b > 0) {
    pieces.push_back(leftImage ? BorderPiece{Kind::LeftImage, {0, imageTop, b, height - bottom}}
                               : BorderPiece{Kind::BorderColor, {0, 0, b, height}});
    pieces.push_back(
        rightImage ? BorderPiece{Kind::RightImage, {width - b, imageTop, width, height - bottom}}
                   : BorderPiece{Kind::BorderColor, {width - b, 0, width, height}});
  }
  if (bottom > 0) {
    pieces.push_back(
        {bottomImage ? Kind::BottomImage : Kind::BorderColor, {0, height - bottom, width, height}});
  }
  const int side = metrics.MinimumSideAtDpi();
  if (b < side) {
    const int captionBottom = metrics.CaptionBand();
    const int bandTop = captionBottom + metrics.menuBarHeight;
    pieces.push_back({Kind::Background, {b, bandTop, side, height - b}});
    pieces.push_back({Kind::Background, {width - side, bandTop, width - b, height - b}});
    pieces.push_back({Kind::Background, {b, height - side, width - b, height - b}});
    if (metrics.menuBarHeight > 0) {
      pieces.push_back({Kind::MenuBar, {b, captionBottom, side, bandTop + 1}});
      pieces.push_back({Kind::MenuBar, {width - side, captionBottom, width - b, bandTop + 1}});
    }
  }
  std::erase_if(pieces, [](const BorderPiece& piece) { return piece.dest.Empty(); });
  return pieces;
}

FrameArt LoadFrameArt(const TskSkinReader& reader, int dpi) {
  FrameArt art;
  GetScaledImage(reader, "TitleBarLeftImage", art.caption.left, dpi);
  GetScaledImage(reader, "TitleBarClientImage", art.caption.client, dpi);
  GetScaledImage(reader, "TitleBarRightImage", art.caption.right, dpi);
  GetScaledImage(reader, "TitleBarMinimizedImage", art.caption.minimized, dpi);
  TskBitmap strip;
  if (reader.GetImage("TitleBarButtonImage", strip)) {
    for (int i = 1; i <= 18; ++i) art.buttons.push_back(ScaleBitmap(CutFrame(strip, 18, i), dpi));
    if (art.buttons.front().Empty()) art.buttons.clear();
  }
  art.buttonsTransparent = reader.GetBool("TitleBarButtonTransparentBool");
  if (GetScaledImage(reader, "FormLeftBorderImage", art.leftBorder, dpi)) {
    art.rightBorder = art.leftBorder;
    RotateHalf(art.rightBorder);
  }
  GetScaledImage(reader, "FormBottomBorderImage", art.bottomBorder, dpi);
  art.borderColor = ColorToPixel(std::max(reader.GetInt("FormBorderColor"), 0));
  art.buttonTop = ScaleLength(reader.GetInt("TitleBarButtonTopInt"), dpi);
  art.buttonLeftOffset = ScaleLength(reader.GetInt("TitleBarButtonLeftOffsetInt"), dpi);
  art.buttonRightOffset = ScaleLength(reader.GetInt("TitleBarButtonRightOffsetInt"), dpi);
  art.topCorner = ScaleLength(std::max(reader.GetInt("FormRoundCornerInt"), 0), dpi);
  art.bottomCorner = ScaleLength(std::max(reader.GetInt("FormBottomRoundCornerInt"), 0), dpi);
  art.minWidth = ScaleLength(reader.GetInt("FormMinWidthInt"), dpi);
  return art;
}

FrameAtDpi LoadFrameAtDpi(const TskSkinReader& reader, int dpi) {
  FrameAtDpi frame;
  frame.dpi = dpi;
  frame.art = LoadFrameArt(reader, dpi);
  frame.captionHeight = frame.art.caption.left.Height();
  TskBitmap probe;
  frame.borderWidth = reader.GetImage("FormLeftBorderImage", probe)
                          ? frame.art.leftBorder.Width()
                          : ScaleLength(std::max(reader.GetInt("FormBorderWidthInt"), 0), dpi);
  frame.bottomBorderHeight = frame.art.bottomBorder.Height();
  return frame;
}

std::vector<RegionHalf> RegionHalves(int width, int height, int topCorner, int bottomCorner) {
  const int half = height / 2;
  const Rect round{0, 0, width + 1, height + 1};
  return {{round, std::max(topCorner, 0), {0, 0, width + 1, half}},
          {round, std::max(bottomCorner, 0), {0, half, width + 1, height + 1}}};
}

}  // namespace brevlo::skin
