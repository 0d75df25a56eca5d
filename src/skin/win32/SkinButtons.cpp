// The button-like skinners: push buttons of ours and of dialogs, check boxes, radio buttons and
// the windowless speed button.
#include "skin/win32/SkinControl.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "skin/SkinDraw.h"
#include "skin/SkinRules.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Graphics.h"
#include "ui/StdCtrls.h"

namespace brevlo::skin {
namespace {

constexpr UINT_PTR HotTimerId = 0x534B48;
constexpr UINT HotTimerMs = 138;

// Frame `index` (0-based) of a glyph strip of square-ish frames, keyed by its top-left pixel.
void DrawGlyph(const PixelView& view, HBITMAP glyph, int frame, int x, int y) {
  BITMAP info{};
  if (glyph == nullptr || GetObjectA(glyph, sizeof info, &info) == 0 || info.bmHeight <= 0) return;
  const int frames = std::max(1L, info.bmWidth / std::max(1L, info.bmHeight));
  if (frame >= frames) frame = 0;
  const int w = info.bmWidth / frames;
  const int h = info.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = info.bmWidth;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<Pixel> bits(static_cast<std::size_t>(info.bmWidth) * h);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, glyph, 0, h, bits.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != h) return;
  TskBitmap picture(w, h);
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      picture.Set(col, row,
                  bits[static_cast<std::size_t>(row) * info.bmWidth + frame * w + col] & 0xFFFFFF);
    }
  }
  Blit(view, Rect{x, y, x + w, y + h}, picture, Rect{0, 0, w, h},
       Transparency::Of(picture.At(0, 0)));
}

SIZE GlyphSize(HBITMAP glyph) {
  BITMAP info{};
  if (glyph == nullptr || GetObjectA(glyph, sizeof info, &info) == 0 || info.bmHeight <= 0) {
    return SIZE{0, 0};
  }
  const LONG frames = std::max(1L, info.bmWidth / info.bmHeight);
  return SIZE{info.bmWidth / frames, info.bmHeight};
}

std::string WindowTextUtf8(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, wide.data(), length + 1);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), got, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), got, text.data(), bytes, nullptr, nullptr);
  return text;
}

bool PointInClient(HWND hwnd, LPARAM lParam) {
  RECT r;
  GetClientRect(hwnd, &r);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&r, p) != FALSE;
}

// Whether the window holding a control is the active one: its wrapper knows best.
bool FormActive(HWND control) {
  HWND root = GetAncestor(control, GA_ROOT);
  switch (SendMessageA(root, SKM_ISACTIVE, 0, 0)) {
    case 1:
      return true;
    case 2:
      return false;
    default:
      return GetActiveWindow() == root;
  }
}

}  // namespace

COLORREF SkinColor(const TskSkinEngine* engine, const char* name, COLORREF fallback) {
  const int color = engine->Reader().GetInt(name);
  return color < 0 ? fallback : static_cast<COLORREF>(color);
}

Pixel SkinPixel(const TskSkinEngine* engine, const char* name, COLORREF fallback) {
  return ColorToPixel(static_cast<int>(SkinColor(engine, name, fallback)));
}

Pixel FormPixel(const TskSkinEngine* engine) {
  return ColorToPixel(static_cast<int>(ui::ColorToRgb(engine->FormBackgroundColor())));
}

// ---- the push-button face ----

void TskButtonFace::Load(const TskSkinEngine* engine, int dpi) {
  dpi_ = dpi;
  for (int i = 0; i < 3; ++i) {
    frames_[i].Clear();
    GetScaledImageFrame(engine->Reader(), "ButtonImage", frames_[i], 3, i + 1, dpi);
  }
  transparent_ = engine->Reader().GetBool("ButtonTransparentBool");
  background_ = ui::ColorToRgb(engine->FormBackgroundColor());
}

void TskButtonFace::Paint(HDC target, int width, int height, unsigned state, bool focused,
                          bool enabled, const std::string& text, HFONT font, COLORREF textColor,
                          HBITMAP glyph) {
  if (!dib_.Resize(width, height)) return;
  const bool pressed = (state & TskSkinControl::Pressed) != 0;
  const PixelView view = dib_.View();
  const Rect all{0, 0, width, height};
  FillRect(view, all, ColorToPixel(static_cast<int>(background_)));
  const int frame = pressed ? 2 : (state & TskSkinControl::Hot) != 0 && enabled ? 1 : 0;
  DrawNineGrid(view, frames_[frame], all, transparent_);
  RECT textRect{0, 0, width, height};
  if (glyph != nullptr) {
    // Glyph left of the text, the pair centred, four pixels apart.
    const SIZE g = GlyphSize(glyph);
    SIZE t{0, 0};
    if (!text.empty()) {
      HGDIOBJ old = SelectObject(dib_.Dc(), font);
      const std::wstring wide = Utf8ToWide(text);
      GetTextExtentPoint32W(dib_.Dc(), wide.c_str(), static_cast<int>(wide.size()), &t);
      SelectObject(dib_.Dc(), old);
    }
    const int total = g.cx + (t.cx > 0 ? 4 + t.cx : 0);
    const int x = (width - total) / 2 + (pressed ? 1 : 0);
    const int y = (height - g.cy) / 2 + (pressed ? 1 : 0);
    DrawGlyph(dib_.View(), glyph, enabled ? 0 : 1, x, y);
    textRect.left = x + g.cx + 4 - (pressed ? 1 : 0);
    textRect.right = textRect.left + t.cx;
  }
  if (focused) {
    RECT f{5, 5, width - 5, height - 5};
    if (pressed) OffsetRect(&f, 1, 1);
    SetTextColor(dib_.Dc(), RGB(0, 0, 0));
    SetBkColor(dib_.Dc(), RGB(255, 255, 255));
    DrawFocusRect(dib_.Dc(), &f);
  }
  DrawCaption(target, dib_, text, textRect, font, textColor, enabled, pressed);
}

// ---- push buttons, ours and dialogs' ----

template <typename Variant>
bool TskPushSkinner<Variant>::PreFilter(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN:
      // The platform's button never sees Space or Enter go down: the click is ours to make.
      if (message.WParam == VK_SPACE) spaceDown_ = true;
      if (message.WParam == VK_RETURN) enterDown_ = true;
      return message.WParam != VK_SPACE && message.WParam != VK_RETURN;
    case WM_KILLFOCUS:
      // A key held while the focus moves on clicks nothing and leaves no pressed face.
      spaceDown_ = enterDown_ = false;
      this->state_ &= ~TskSkinControl::Pressed;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      this->state_ |= TskSkinControl::Pressed;
      lastMouse_ = message.LParam;
      Paint();
      return false;
    case WM_LBUTTONUP:
      lastMouse_ = message.LParam;
      return true;
    case WM_PAINT:
    case WM_ERASEBKGND:
      PaintsItself(message, this->ControlHandle(), [this](HDC dc) { PaintAtDpi(dc); });
      return false;
    default:
      return true;
  }
}

template <typename Variant>
void TskPushSkinner<Variant>::PostProcess(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
      return;  // painted already
    case WM_LBUTTONDBLCLK:
      // A quick second press is a press like any other.
      MouseDown();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETSTYLE:
    case BM_SETSTATE:
    case WM_UPDATEUISTATE:  // the platform's button draws itself again for keyboard cues
      Paint();
      return;
    default:
      Variant::PostProcess(message);
  }
}

template <typename Variant>
void TskPushSkinner<Variant>::Paint() {
  PaintOnWindow(this->ControlHandle(), [this](HDC dc) { PaintAtDpi(dc); });
}

template <typename Variant>
void TskPushSkinner<Variant>::MouseDown() {
  if (TakePress()) clickStarted_ = true;
}

template <typename Variant>
void TskPushSkinner<Variant>::MouseUp() {
  if (!clickStarted_) return;
  clickStarted_ = false;
  HWND hwnd = this->ControlHandle();
  if (hwnd != nullptr && PointInClient(hwnd, lastMouse_)) Clicked();
}

template <typename Variant>
void TskPushSkinner<Variant>::KeyUp(WPARAM key) {
  if (key != VK_SPACE || !spaceDown_) return;
  spaceDown_ = false;
  HWND hwnd = this->ControlHandle();
  if (hwnd == nullptr || GetFocus() != hwnd || !this->IsEnabled()) return;
  this->state_ &= ~TskSkinControl::Pressed;
  Paint();
  Clicked();
}

template class TskPushSkinner<TskSkinControlOwn>;
template class TskPushSkinner<TskSkinControlWnd>;

void TskSkinButton::PostProcess(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      // Enter is the focused button's own, not the form's: it comes back as a character.
      if (const auto* msg = reinterpret_cast<const MSG*>(message.LParam);
          msg != nullptr && ((msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) ||
                             (msg->message == WM_CHAR && msg->wParam == '\r'))) {
        message.Result |= DLGC_WANTMESSAGE;
      }
      return;
    case WM_CHAR: {
      // Only the character that follows an Enter this button saw go down: not Ctrl+M, nor a
      // later one after Ctrl+Enter.
      const bool enter = std::exchange(enterDown_, false);
      if ((message.WParam == '\r' || message.WParam == 0) && enter) {
        state_ &= ~Pressed;
        Paint();
        Clicked();
      }
      return;
    }
    default:
      TskPushSkinner::PostProcess(message);
  }
}

bool TskSkinButton::TakePress() {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || !FormActive(hwnd)) return false;
  if (IsWindowEnabled(hwnd) && IsWindowVisible(hwnd)) SetFocus(hwnd);
  return true;
}

void TskSkinButton::Clicked() {
  if (control_ != nullptr) control_->Click();
}

void TskSkinButton::PaintOn(HDC dc) {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || control_ == nullptr) return;
  RECT r;
  GetClientRect(hwnd, &r);
  auto* bitBtn = dynamic_cast<ui::TBitBtn*>(control_);
  face_.Paint(dc, r.right, r.bottom, state_, GetFocus() == hwnd, IsEnabled(), control_->Caption(),
              reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)),
              ui::ColorToRgb(control_->Font.Color), bitBtn != nullptr ? bitBtn->Glyph : nullptr);
}

TskSkinWndButton::~TskSkinWndButton() {
  if (IsWindow(hwnd_)) KillTimer(hwnd_, HotTimerId);
  if (font_ != nullptr) DeleteObject(font_);
}

void TskSkinWndButton::Reapply() {
  if (!engine_->Enabled()) {
    // Nothing reads the hot timer while the skin is off.
    KillTimer(hwnd_, HotTimerId);
    state_ = 0;
  }
  TskPushSkinner::Reapply();
  if (font_ == nullptr) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMenuFont);
    }
  }
}

bool TskSkinWndButton::PreFilter(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      // No mouse-leave comes from a dialog: a timer watches for the cursor to go.
      if ((state_ & Hot) == 0) {
        state_ |= Hot;
        Paint();
        SetTimer(hwnd_, HotTimerId, HotTimerMs, nullptr);
      }
      return true;
    case WM_TIMER: {
      if (message.WParam != HotTimerId) return true;
      RECT r;
      POINT p;
      GetWindowRect(hwnd_, &r);
      GetCursorPos(&p);
      if (!PtInRect(&r, p)) {
        KillTimer(hwnd_, HotTimerId);
        state_ &= ~(Hot | Pressed);
        clickStarted_ = false;
        Paint();
      }
      return false;
    }
    case WM_ERASEBKGND:
      return true;  // the platform's own, then the face again
    default:
      return TskPushSkinner::PreFilter(message);
  }
}

void TskSkinWndButton::PostProcess(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_TIMER:
      return;
    case WM_ERASEBKGND:
      Paint();
      return;
    default:
      TskPushSkinner::PostProcess(message);
  }
}

bool TskSkinWndButton::TakePress() {
  SetFocus(hwnd_);
  return true;
}

void TskSkinWndButton::Clicked() {
  PostMessageA(GetParent(hwnd_), WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd_)), BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd_));
}

void TskSkinWndButton::PaintOn(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  face_.Paint(dc, r.right, r.bottom, state_, GetFocus() == hwnd_, IsEnabled(),
              WindowTextUtf8(hwnd_), font_, GetSysColor(COLOR_BTNTEXT), nullptr);
}

// ---- check boxes and radio buttons ----

void TskCheckMark::Load(const TskSkinEngine* engine, bool radio, int dpi) {
  dpi_ = dpi;
  for (int i = 0; i < 4; ++i) {
    frames_[i].Clear();
    GetScaledImageFrame(engine->Reader(), radio ? "RadioButtonImage" : "CheckBoxImage", frames_[i],
                        4, i + 1, dpi);
  }
  transparent_ = radio;
}

void TskCheckMark::Paint(const TskSkinEngine* engine, bool radio, int dpi, HWND hwnd, COLORREF fill,
                         bool enabled) {
  if (hwnd == nullptr || !IsWindowVisible(hwnd)) return;
  if (dpi != dpi_) Load(engine, radio, dpi);
  const bool checked = SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  const TskBitmap& frame = frames_[(enabled ? 0 : 2) + (checked ? 0 : 1)];
  if (frame.Empty()) return;
  const int w = std::max(ScaleLength(13, dpi), frame.Width());
  const int h = std::max(ScaleLength(13, dpi), frame.Height());
  if (!dib_.Resize(w, h)) return;
  const PixelView view = dib_.View();
  FillRect(view, Rect{0, 0, w, h}, ColorToPixel(static_cast<int>(fill)));
  Blit(view, Rect{0, 0, frame.Width(), frame.Height()}, frame,
       Rect{0, 0, frame.Width(), frame.Height()},
       transparent_ ? Transparency::Of(Magenta) : Transparency::None());
  RECT client;
  GetClientRect(hwnd, &client);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
  const bool textLeft = (style & BS_LEFTTEXT) != 0 || (exStyle & WS_EX_RIGHT) != 0;
  const bool rightToLeft = (exStyle & WS_EX_RTLREADING) != 0;
  const int x = textLeft == rightToLeft ? 0 : client.right - frame.Width() - 1;
  HDC dc = GetDC(hwnd);
  dib_.CopyTo(dc, x, (client.bottom - h) / 2);
  ReleaseDC(hwnd, dc);
}

bool TskCheckMark::Repaints(UINT msg) {
  return msg == BM_SETCHECK || msg == BM_SETSTATE || msg == WM_LBUTTONDBLCLK ||
         msg == WM_SETFOCUS || msg == WM_KILLFOCUS || msg == WM_UPDATEUISTATE;
}

COLORREF TskSkinCheckBox::Fill() const {
  return control_ != nullptr ? ui::ColorToRgb(control_->EffectiveColor()) : 0;
}

bool TskSkinRadioButton::PreFilter(ui::TMessage& message) {
  if (message.Msg == WM_LBUTTONDBLCLK) {
    if (control_ != nullptr && control_->OnDblClick) control_->OnDblClick(control_);
    return false;
  }
  if (message.Msg == WM_ERASEBKGND) {
    message.Result = 1;
    return false;
  }
  return true;
}

COLORREF TskSkinWndCheckBox::Fill() const {
  return ui::ColorToRgb(engine_->FormBackgroundColor());
}

// ---- speed buttons ----

bool TskSkinSpeedButton::PreFilter(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      // A windowless control gets its parent's DC, its origin at the control's corner.
      PaintOn(reinterpret_cast<HDC>(message.WParam));
      message.Result = 0;
      return false;
    case WM_ERASEBKGND:
      message.Result = 1;
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      state_ |= Pressed;
      return true;
    default:
      return true;
  }
}

void TskSkinSpeedButton::PostProcess(ui::TMessage& message) {
  if (message.Msg == WM_PAINT || message.Msg == WM_ERASEBKGND) return;
  TskSkinControl::PostProcess(message);
}

void TskSkinSpeedButton::Paint() {
  if (control_ != nullptr) control_->Invalidate();
}

void TskSkinSpeedButton::PaintOn(HDC dc) {
  auto* button = dynamic_cast<ui::TSpeedButton*>(control_);
  if (dc == nullptr || button == nullptr) return;
  const int w = button->Width();
  const int h = button->Height();
  TskDib dib;
  if (!dib.Resize(w, h)) return;
  const bool enabled = IsEnabled();
  const bool pressed = (state_ & Pressed) != 0 && enabled;
  const bool down = pressed || button->Down;
  const bool hot = (state_ & Hot) != 0 && enabled;
  const PixelView view = dib.View();
  const Rect all{0, 0, w, h};
  const Pixel border = SkinPixel(engine_, "ControlBorderColor", RGB(104, 104, 104));
  const Pixel form = FormPixel(engine_);
  if (down) {
    FillRect(view, all, SkinPixel(engine_, "ToolBarButtonDownBackgroundColor", RGB(241, 241, 241)));
    FrameRect(view, all, border);
  } else {
    FillRect(view, all, form);
    if (hot) FrameRect(view, all, border);
  }
  const int shift = pressed ? 1 : 0;
  HBITMAP glyph = button->Glyph();
  const SIZE g = GlyphSize(glyph);
  const std::string& text = button->Caption();
  RECT textRect{shift, shift, w + shift, h + shift};
  if (glyph != nullptr) {
    const int x = (text.empty() ? (w - g.cx) / 2 : 4) + shift;
    DrawGlyph(view, glyph, enabled ? 0 : 1, x, (h - g.cy) / 2 + shift);
    textRect.left = x + g.cx + 4;
  }
  if (!text.empty()) {
    const std::wstring wide = Utf8ToWide(text);
    HGDIOBJ old = SelectObject(dib.Dc(), button->Font.Handle());
    SetBkMode(dib.Dc(), TRANSPARENT);
    SetTextColor(dib.Dc(), enabled ? ui::ColorToRgb(button->Font.Color) : RGB(128, 128, 128));
    DrawTextW(dib.Dc(), wide.c_str(), static_cast<int>(wide.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dib.Dc(), old);
  }
  dib.CopyTo(dc, 0, 0);
}

}  // namespace brevlo::skin
