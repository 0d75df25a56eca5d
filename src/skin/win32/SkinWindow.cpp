#include "skin/win32/SkinWindow.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <string>

#include "skin/SkinColors.h"
#include "skin/SkinRules.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Dpi.h"
#include "ui/Menus.h"
#include "ui/Subclass.h"

namespace brevlo::skin {
namespace {
constexpr UINT_PTR WindowSubclassId = 0x534B4E57;
// Far from the small numbers forms give their own timers.
constexpr UINT_PTR kIconMenuTimer = 0x534B4931;
constexpr UINT_PTR kOtherFormsTimer = 0x534B4932;
// What the theme sends to paint its caption and frame, outside WM_NCPAINT.
constexpr UINT kThemeDrawCaption = 0x00AE;
constexpr UINT kThemeDrawFrame = 0x00AF;

// With visual styles or composition the platform paints its caption on activation and on text
// changes whatever WM_NCACTIVATE is told; these settings leave caption, icon and frame to us.
// Systems without them have nothing that paints behind our back.
void LeaveFrameToUs(HWND hwnd, bool ours) {
  using ThemeAttribute = HRESULT(WINAPI*)(HWND, WINDOWTHEMEATTRIBUTETYPE, PVOID, DWORD);
  using DwmAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const auto themeAttribute =
      reinterpret_cast<ThemeAttribute>(SystemProc("uxtheme.dll", "SetWindowThemeAttribute"));
  static const auto dwmAttribute =
      reinterpret_cast<DwmAttribute>(SystemProc("dwmapi.dll", "DwmSetWindowAttribute"));
  if (themeAttribute != nullptr) {
    WTA_OPTIONS options{};
    options.dwMask = WTNCA_NODRAWCAPTION | WTNCA_NODRAWICON;
    options.dwFlags = ours ? options.dwMask : 0;
    themeAttribute(hwnd, WTA_NONCLIENT, &options, sizeof options);
  }
  if (dwmAttribute != nullptr) {
    const DWORD policy = ours ? DWMNCRP_DISABLED : DWMNCRP_USEWINDOWSTYLE;
    dwmAttribute(hwnd, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
  }
}
}  // namespace

std::string WindowClassName(HWND hwnd) {
  char name[68] = {};  // class names of more than 67 characters are not told apart
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

TskSkinWindow::TskSkinWindow(TskSkinEngine* engine, bool dialog)
    : engine_(engine), dialog_(dialog) {}

TskSkinWindow::~TskSkinWindow() {
  *alive_ = false;
}

void TskSkinWindow::Setup(HWND hwnd) {
  // Asked once: the platform tells a window of any later change with WM_DPICHANGED.
  if (hwnd != nullptr) dpi_ = ui::WindowDpi(hwnd);
  skinWanted_ = engine_->Enabled();
  Attach(hwnd);
  AttachControls();
  SetSkinWanted(engine_->Enabled());
}

void TskSkinWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  freeing_ = true;
  SetSkinWanted(false);
  DetachControls();
  Detach();
}

void TskSkinWindow::SetSkinWanted(bool wanted) {
  skinWanted_ = wanted;
  // A menu asked for by a click on the icon does not come up over a frame that is no more ours.
  if (HWND hwnd = WindowHandle(); hwnd != nullptr && !wanted) KillTimer(hwnd, kIconMenuTimer);
  if (started_) {
    const std::shared_ptr<bool> alive = alive_;
    ApplySkinState();
    if (!*alive) return;
    if (HWND hwnd = WindowHandle(); hwnd != nullptr) LeaveFrameToUs(hwnd, FrameDrawn());
    if (wanted) SetRegion();
    return;
  }
  HWND hwnd = WindowHandle();
  if ((hwnd != nullptr && IsWindowVisible(hwnd)) || StartsHidden()) Start();
}

void TskSkinWindow::Start() {
  BeforeStart();
  started_ = true;
  SetSkinWanted(skinWanted_);
  notYetStarted_ = false;
}

void TskSkinWindow::AddSkinner(std::unique_ptr<TskSkinControl> skinner) {
  if (skinner != nullptr && skinner->Start()) skinners_.push_back(std::move(skinner));
}

void TskSkinWindow::ReapplySkinners() {
  for (auto& skinner : skinners_) {
    if (skinner->Detached()) continue;
    skinner->Reapply();
    skinner->Repaint();
  }
}

void TskSkinWindow::DetachControls() {
  // Newest first, so that each control's chain unwinds the way it was built.
  while (!skinners_.empty()) {
    std::unique_ptr<TskSkinControl> skinner = std::move(skinners_.back());
    skinners_.pop_back();
    skinner->Release();
    // Painted later, by the control's own handling once the skinner is gone.
    skinner->Repaint();
    skinner->Unhook();
  }
}

void TskSkinWindow::ShowCaption(bool shown) {
  captionShown_ = shown;
  RecalcFrame();
  PaintFrame();
}

void TskSkinWindow::ShowBorder(bool shown) {
  borderShown_ = shown;
  RecalcFrame();
  PaintFrame();
}

void TskSkinWindow::RecalcFrame() {
  if (HWND hwnd = WindowHandle(); hwnd != nullptr) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

int TskSkinWindow::Dpi() const {
  return dpi_ > 0 ? dpi_ : ui::WindowDpi(WindowHandle());
}

FrameMetrics TskSkinWindow::Metrics() const {
  const FrameAtDpi& frame = engine_->AtDpi(Dpi()).frame;
  FrameMetrics metrics;
  metrics.dpi = frame.dpi;
  metrics.captionHeight = captionShown_ ? frame.captionHeight : 0;
  metrics.borderWidth = frame.borderWidth;
  metrics.bottomBorderHeight = frame.bottomBorderHeight;
  metrics.platformFrameHeight = platformFrameHeight_;
  metrics.menuBarHeight = MenuBarHeight();
  metrics.borderShown = borderShown_;
  return metrics;
}

bool TskSkinWindow::FrameDrawn() const {
  return started_ && skinWanted_ && engine_->Enabled() && WindowHandle() != nullptr;
}

int TskSkinWindow::CaptionBitmapLeft() const {
  // A skin without side images has its caption between the border lines.
  const FrameAtDpi& frame = engine_->AtDpi(Dpi()).frame;
  return frame.art.rightBorder.Empty() ? frame.borderWidth : 0;
}

CaptionLayout TskSkinWindow::LayOut(int bitmapWidth, bool minimized) const {
  const int dpi = Dpi();
  const FrameArt& art = engine_->AtDpi(dpi).frame.art;
  CaptionInput in;
  in.dpi = dpi;
  in.width = bitmapWidth;
  in.buttonWidth = art.ButtonWidth();
  in.buttonHeight = art.ButtonHeight();
  in.buttonTop = art.buttonTop;
  in.leftOffset = art.buttonLeftOffset;
  in.rightOffset = art.buttonRightOffset;
  in.minimized = minimized;
  HWND hwnd = WindowHandle();
  in.maximized = hwnd != nullptr && IsZoomed(hwnd);
  in.icon = HasIcon();
  in.close = HasCloseButton();
  in.maximize = HasMaximizeButton();
  in.minimize = HasMinimizeButton();
  in.help = HasHelpButton();
  return LayOutCaption(in);
}

CaptionLayout TskSkinWindow::CaptionLayoutNow() const {
  HWND hwnd = WindowHandle();
  RECT window{};
  if (hwnd != nullptr) GetWindowRect(hwnd, &window);
  const int left = CaptionBitmapLeft();
  CaptionLayout layout =
      LayOut(window.right - window.left - 2 * left, hwnd != nullptr && IsIconic(hwnd));
  auto shift = [left](Rect& r) {
    if (!r.Empty()) r.left += left, r.right += left;
  };
  shift(layout.icon);
  for (CaptionButton& button : layout.buttons) shift(button.rect);
  layout.textLeft += left;
  layout.textRight += left;
  return layout;
}

namespace {

COLORREF PixelColor(Pixel p) {
  return RGB(PixelRed(p), PixelGreen(p), PixelBlue(p));
}

void Fill(HDC dc, const Rect& r, COLORREF color) {
  const RECT rect{r.left, r.top, r.right, r.bottom};
  HBRUSH brush = CreateSolidBrush(color);
  ::FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// One font per scale for the program's life: the platform's caption font does not change under
// it. The platform gives it at the system's scale.
HFONT CaptionFont(int dpi) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[dpi];
  if (font == nullptr) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    metrics.lfCaptionFont.lfHeight = MulDiv(metrics.lfCaptionFont.lfHeight, dpi, ui::SystemDpi());
    font = CreateFontIndirectW(&metrics.lfCaptionFont);
  }
  return font;
}

// Loaded at each size it is drawn at, rather than stretched from the smallest.
HICON ProgramIcon(int size) {
  static std::map<int, HICON> icons;
  HICON& icon = icons[size];
  if (icon == nullptr) {
    icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
  }
  return icon;
}

}  // namespace

void TskSkinWindow::PaintFrame() {
  HWND hwnd = WindowHandle();
  // A hidden window is painted when it is shown.
  if (!FrameDrawn() || !IsWindowVisible(hwnd)) return;
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  if (width <= 0 || height <= 0) return;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  const bool minimized = IsIconic(hwnd) != FALSE;
  const FrameMetrics metrics = Metrics();
  const Rect client = ClientFromWindow({0, 0, width, height}, metrics);
  if (!minimized) ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  hotButton_ = CaptionButtonKind::None;
  canMaximize_ = maximizeItemEnabled_ = minimizeItemEnabled_ = closeItemEnabled_ = false;
  bool minimizedImage = false;
  if (captionShown_ && metrics.CaptionBand() > 0)
    PaintCaption(dc, width, minimized, minimizedImage);
  if (!minimizedImage) PaintBorders(dc, width, height);
  ReleaseDC(hwnd, dc);
}

void TskSkinWindow::PaintCaption(HDC dc, int width, bool minimized, bool& minimizedImage) {
  HWND hwnd = WindowHandle();
  const int dpi = Dpi();
  const FrameAtDpi& atDpi = engine_->AtDpi(dpi).frame;
  const FrameArt& art = atDpi.art;
  const int left = CaptionBitmapLeft();
  const int bitmapWidth = width - 2 * left;
  if (bitmapWidth <= 0 || !captionDib_.Resize(bitmapWidth, Metrics().CaptionBand())) return;
  const PixelView view = captionDib_.View();
  skin::FillRect(view, {0, 0, view.width, view.height}, art.caption.background);
  minimizedImage = ComposeCaption(view, art.caption, minimized, dialog_,
                                  borderShown_ ? atDpi.borderWidth : 0, dpi);

  const CaptionLayout layout = LayOut(bitmapWidth, minimized);
  RECT window;
  GetWindowRect(hwnd, &window);
  // Where the mouse was for the message in hand: the cursor may be further on by now.
  const DWORD at = GetMessagePos();
  const POINT cursor{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  HWND under = WindowFromPoint(cursor);
  if (under != nullptr && GetAncestor(under, GA_ROOT) == hwnd) {
    hotButton_ = skin::HotButton(layout, cursor.x - window.left - left, cursor.y - window.top);
  }
  const Transparency key =
      art.buttonsTransparent ? Transparency::Of(Magenta) : Transparency::None();
  for (const CaptionButton& button : layout.buttons) {
    const int frame = button.Frame(hotButton_ == button.kind, mouseDown_);
    if (frame >= 1 && frame <= static_cast<int>(art.buttons.size())) {
      const TskBitmap& image = art.buttons[static_cast<std::size_t>(frame - 1)];
      Blit(view, button.rect, image, {0, 0, image.Width(), image.Height()}, key);
    }
    switch (button.kind) {
      case CaptionButtonKind::Close:
        closeItemEnabled_ = true;
        break;
      case CaptionButtonKind::MaxRestore:
        canMaximize_ = maximizeItemEnabled_ = true;
        break;
      case CaptionButtonKind::Minimize:
        minimizeItemEnabled_ = true;
        break;
      default:
        break;
    }
  }

  HDC memory = captionDib_.Dc();
  if (!layout.icon.Empty()) {
    const int size = layout.icon.Width();
    HICON icon = IconHandle();
    if (icon == nullptr) icon = ProgramIcon(size);
    if (icon != nullptr) {
      DrawIconEx(memory, layout.icon.left, layout.icon.top, icon, size, size, 0, nullptr,
                 DI_NORMAL);
    }
  }
  wchar_t buffer[260] = {};
  const int length = GetWindowTextW(hwnd, buffer, 260);
  if (length > 0) {
    const HGDIOBJ oldFont = SelectObject(memory, CaptionFont(dpi));
    auto measure = [memory](std::wstring_view text) {
      SIZE size{};
      GetTextExtentPoint32W(memory, text.data(), static_cast<int>(text.size()), &size);
      return static_cast<int>(size.cx);
    };
    const std::wstring shown =
        ShortenCaption(std::wstring(buffer, static_cast<std::size_t>(length)),
                       layout.textRight - layout.textLeft, measure);
    SIZE letter{};
    GetTextExtentPoint32W(memory, L"H", 1, &letter);
    const int x = engine_->CaptionTextLeft != -1 ? ScaleLength(engine_->CaptionTextLeft, dpi)
                                                 : layout.textLeft;
    const int y = engine_->CaptionTextTop != -1
                      ? ScaleLength(engine_->CaptionTextTop, dpi)
                      : layout.top + (ScaleLength(16, dpi) - letter.cy) / 2;
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory,
                 active_ ? engine_->CaptionTextColor() : GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    // Never over the buttons, however narrow the window.
    int clipRight = view.width;
    for (const CaptionButton& button : layout.buttons)
      clipRight = std::min(clipRight, button.rect.left);
    const RECT clip{x, 0, std::max(x, clipRight), view.height};
    ExtTextOutW(memory, x, y, ETO_CLIPPED, &clip, shown.data(), static_cast<UINT>(shown.size()),
                nullptr);
    SelectObject(memory, oldFont);
  }
  captionDib_.CopyTo(dc, left, 0);
}

void TskSkinWindow::PaintBorders(HDC dc, int width, int height) {
  const FrameArt& art = engine_->AtDpi(Dpi()).frame.art;
  const std::vector<BorderPiece> pieces =
      BorderPieces(width, height, Metrics(), !art.leftBorder.Empty(), !art.rightBorder.Empty(),
                   !art.bottomBorder.Empty());
  for (const BorderPiece& piece : pieces) {
    using Kind = BorderPiece::Kind;
    const TskBitmap* image = nullptr;
    switch (piece.kind) {
      case Kind::BorderColor:
        Fill(dc, piece.dest, PixelColor(art.borderColor));
        continue;
      case Kind::Background:
        Fill(dc, piece.dest, PixelColor(art.caption.background));
        continue;
      case Kind::MenuBar:
        Fill(dc, piece.dest, static_cast<COLORREF>(MenuBarColor(engine_->Reader())));
        continue;
      case Kind::LeftImage:
        image = &art.leftBorder;
        break;
      case Kind::RightImage:
        image = &art.rightBorder;
        break;
      case Kind::BottomImage:
        image = &art.bottomBorder;
        break;
    }
    TskDib strip(piece.dest.Width(), piece.dest.Height());
    if (strip.Empty()) continue;
    const PixelView view = strip.View();
    const Rect whole{0, 0, view.width, view.height};
    if (piece.kind == Kind::BottomImage) {
      // The window shows through the magenta of the bottom image.
      BitBlt(strip.Dc(), 0, 0, view.width, view.height, dc, piece.dest.left, piece.dest.top,
             SRCCOPY);
      DrawThreeH(strip.View(), *image, whole, false);
    } else {
      Blit(view, whole, *image, {0, 0, image->Width(), image->Height()}, Transparency::None());
    }
    strip.CopyTo(dc, piece.dest.left, piece.dest.top);
  }
}

void TskSkinWindow::SetRegion() {
  HWND hwnd = WindowHandle();
  if (hwnd == nullptr || !WantsRegion() || engine_->Designing() || settingRegion_) return;
  RECT window;
  GetWindowRect(hwnd, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  if (width == regionWidth_ && height == regionHeight_) return;
  const FrameArt& art = engine_->AtDpi(Dpi()).frame.art;
  HRGN region = nullptr;
  for (const RegionHalf& half : RegionHalves(width, height, art.topCorner, art.bottomCorner)) {
    HRGN piece = CreateRoundRectRgn(half.roundRect.left, half.roundRect.top, half.roundRect.right,
                                    half.roundRect.bottom, half.diameter, half.diameter);
    HRGN keep = CreateRectRgn(half.keep.left, half.keep.top, half.keep.right, half.keep.bottom);
    CombineRgn(piece, piece, keep, RGN_AND);
    DeleteObject(keep);
    if (region == nullptr) {
      region = piece;
    } else {
      CombineRgn(region, region, piece, RGN_OR);
      DeleteObject(piece);
    }
  }
  // Setting a region may size the window again; that must not set it a second time.
  settingRegion_ = true;
  if (SetWindowRgn(hwnd, region, TRUE) != 0) {
    regionWidth_ = width;
    regionHeight_ = height;
  } else {
    DeleteObject(region);
  }
  settingRegion_ = false;
}

void TskSkinWindow::RemoveRegion() {
  regionWidth_ = regionHeight_ = -1;
  if (HWND hwnd = WindowHandle(); hwnd != nullptr) SetWindowRgn(hwnd, nullptr, TRUE);
}

void TskSkinWindow::Command(CaptionButtonKind button) {
  HWND hwnd = WindowHandle();
  if (hwnd == nullptr) return;
  WPARAM command = 0;
  switch (button) {
    case CaptionButtonKind::SystemMenu:
      ShowSystemMenu(nullptr);
      return;
    case CaptionButtonKind::Close:
      command = SC_CLOSE;
      break;
    case CaptionButtonKind::MaxRestore:
      if (IsZoomed(hwnd) || IsIconic(hwnd)) {
        command = SC_RESTORE;
      } else if (canMaximize_) {
        command = SC_MAXIMIZE;
      }
      break;
    case CaptionButtonKind::Minimize:
      command = SC_MINIMIZE;
      break;
    case CaptionButtonKind::Help:
      command = SC_CONTEXTHELP;
      break;
    case CaptionButtonKind::None:
      break;
  }
  if (command != 0) PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

void TskSkinWindow::ShowSystemMenu(const POINT* at) {
  HWND hwnd = WindowHandle();
  if (hwnd == nullptr) return;
  POINT point{};
  if (at != nullptr) {
    point = *at;
  } else {
    ClientToScreen(hwnd, &point);
    point.x = std::max<LONG>(point.x, 0);
  }
  engine_->PopupSystemMenu(this, point);
}

bool TskSkinWindow::CallDefaultQuietly(ui::TMessage& message) {
  // The platform paints its own caption when the text or icon changes; with the caption style
  // off for that moment it only stores them.
  HWND hwnd = WindowHandle();
  if ((message.Msg != WM_SETTEXT && message.Msg != WM_SETICON) || !FrameDrawn()) {
    return CallDefault(message);
  }
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  if ((style & WS_CAPTION) != WS_CAPTION) return CallDefault(message);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~LONG_PTR{WS_DLGFRAME});
  const bool stays = CallDefault(message);
  if (IsWindow(hwnd)) {
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_DLGFRAME);
  }
  return stays;
}

HitCode TskSkinWindow::HitAt(POINT screen) const {
  HWND hwnd = WindowHandle();
  RECT window;
  GetWindowRect(hwnd, &window);
  const auto style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const bool sizeable = (style & WS_THICKFRAME) != 0 && !IsZoomed(hwnd);
  return HitTest(window.right - window.left, window.bottom - window.top, Metrics(), sizeable,
                 IsIconic(hwnd) != FALSE, screen.x - window.left, screen.y - window.top);
}

bool TskSkinWindow::FrameMessage(ui::TMessage& message) {
  HWND hwnd = WindowHandle();
  if (message.Msg == WM_TIMER && message.WParam == kIconMenuTimer) {
    KillTimer(hwnd, kIconMenuTimer);
    // Not over a dialog that came up in the meantime.
    if (FrameDrawn() && IsWindowEnabled(hwnd) && GetActiveWindow() == hwnd) {
      ShowSystemMenu(nullptr);
    }
    message.Result = 0;
    return true;
  }
  if (!FrameDrawn()) return false;
  switch (message.Msg) {
    case WM_NCPAINT:
      PaintFrame();
      message.Result = 0;
      return true;
    case WM_NCHITTEST:
      message.Result = HitAt({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
      return true;
    case WM_NCLBUTTONDOWN:
      mouseDown_ = true;
      PaintFrame();
      pressedButton_ = hotButton_;
      // A press on a button, or on the caption of a maximised window, drags nothing.
      if (message.WParam == HTCAPTION &&
          (hotButton_ != CaptionButtonKind::None || IsZoomed(hwnd))) {
        message.WParam = HTNOWHERE;
      }
      return false;
    case WM_NCLBUTTONDBLCLK:
      PaintFrame();
      if (message.WParam == HTCAPTION && hotButton_ == CaptionButtonKind::None) {
        Command(CaptionButtonKind::MaxRestore);
        mouseDown_ = false;
        PaintFrame();
        message.Result = 0;
        return true;
      }
      if (hotButton_ == CaptionButtonKind::SystemMenu) {
        KillTimer(hwnd, kIconMenuTimer);
        Command(CaptionButtonKind::Close);
        mouseDown_ = false;
        message.Result = 0;
        return true;
      }
      // On a button the second press counts as a press of its own: it may follow a first one
      // that was let go elsewhere.
      mouseDown_ = hotButton_ != CaptionButtonKind::None;
      pressedButton_ = hotButton_;
      message.WParam = HTNOWHERE;
      return false;
    case WM_CTLCOLORDLG:
      message.Result = reinterpret_cast<LRESULT>(engine_->BackgroundBrush());
      return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      // The system menu is drawn by its owner, which a foreign window knows nothing of.
      const bool drawn =
          message.WParam == 0 &&
          (message.Msg == WM_MEASUREITEM
               ? ui::TMenuItem::DispatchMeasure(
                     reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam))
               : ui::TMenuItem::DispatchDraw(reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)));
      if (drawn) message.Result = TRUE;
      return drawn;
    }
    case WM_CONTEXTMENU: {
      // From the frame, the platform would show its own system menu; ours is up already.
      const POINT at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      if (message.LParam == -1 || HitAt(at) == HitClient) return false;
      message.Result = 0;
      return true;
    }
    case WM_SYSCOMMAND:
      if ((message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam == ' ') {
        ShowSystemMenu(nullptr);  // Alt+Space
        message.Result = 0;
        return true;
      }
      return false;
    case WM_NCACTIVATE:
      // -1: the platform records the state without painting its own caption.
      message.LParam = -1;
      return false;
    case kThemeDrawCaption:
    case kThemeDrawFrame:
      message.Result = 0;
      return true;
    default:
      return false;
  }
}

void TskSkinWindow::AfterDefault(ui::TMessage& message, const RECT& proposed) {
  switch (message.Msg) {
    case WM_DPICHANGED:
      // A window that did not size itself still gets its frame at the new scale.
      regionWidth_ = -1;
      RecalcFrame();
      SetRegion();
      if (HWND hwnd = WindowHandle(); hwnd != nullptr) {
        RedrawWindow(hwnd, nullptr, nullptr,
                     RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      break;
    case WM_ACTIVATE:
      active_ = LOWORD(message.WParam) != WA_INACTIVE;
      PaintFrame();
      break;
    case WM_NCACTIVATE:
      active_ = message.WParam != FALSE;
      PaintFrame();
      break;
    case WM_NCCALCSIZE: {
      if (!FrameDrawn() || platformFrameHeight_ <= 0 || message.LParam == 0) break;
      const Rect client = ClientFromWindow(
          {proposed.left, proposed.top, proposed.right, proposed.bottom}, Metrics());
      const RECT rect{client.left, client.top, client.right, client.bottom};
      if (message.WParam != FALSE) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam);
        params->rgrc[0] = params->rgrc[1] = params->rgrc[2] = rect;
        message.Result = WVR_VALIDRECTS;
      } else {
        *reinterpret_cast<RECT*>(message.LParam) = rect;
        message.Result = 0;
      }
      break;
    }
    case WM_NCMOUSEMOVE:
      if (message.WParam == HTCAPTION) {
        PaintFrame();
        if (mouseDown_ && hotButton_ == CaptionButtonKind::None) {
          mouseDown_ = false;
          PaintFrame();
        }
      } else if (hotButton_ != CaptionButtonKind::None) {
        PaintFrame();
      }
      if (!leaveTracked_ && FrameDrawn()) {
        // So that a button the mouse leaves for the client area or another window cools down.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, WindowHandle(), 0};
        leaveTracked_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_NCMOUSELEAVE:
      leaveTracked_ = false;
      mouseDown_ = false;
      if (hotButton_ != CaptionButtonKind::None) PaintFrame();
      break;
    case WM_NCLBUTTONUP: {
      // Only a release on the button pressed, not one after a press elsewhere or after the
      // second press of a double click.
      const bool pressed = mouseDown_;
      mouseDown_ = false;
      PaintFrame();
      if (!FrameDrawn() || !pressed || hotButton_ != pressedButton_) break;
      if (hotButton_ == CaptionButtonKind::SystemMenu) {
        // A menu up at once would swallow the second click of a double click, which closes.
        SetTimer(WindowHandle(), kIconMenuTimer, GetDoubleClickTime(), nullptr);
      } else {
        Command(hotButton_);
      }
      break;
    }
    case WM_NCLBUTTONDOWN:
      // A drag or a resize ran its own loop, which took the release.
      if (message.WParam != HTNOWHERE) mouseDown_ = false;
      break;
    case WM_NCRBUTTONDOWN:
      PaintFrame();
      if (message.WParam == HTCAPTION && hotButton_ == CaptionButtonKind::None && FrameDrawn()) {
        const POINT at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        ShowSystemMenu(&at);
      }
      break;
    case WM_SETTEXT:
    case WM_SETICON:
    case ui::CM_TEXTCHANGED:
      PaintFrame();
      break;
    case SKM_ISACTIVE:
      message.Result = active_ ? 1 : 2;
      break;
    case SKM_ISSKINNED:
      message.Result = 1;
      break;
    case SKM_MENUBARHEIGHT:
      message.Result = MenuBarHeight();
      break;
    default:
      break;
  }
}

void TskSkinWindow::HandleMessage(ui::TMessage& message) {
  const std::shared_ptr<bool> alive = alive_;
  if (message.Msg == WM_PAINT && !started_ && !StartsHidden()) {
    Start();
    if (!*alive) return;
  }
  if (message.Msg == 0) return;
  if (message.Msg == WM_TIMER && message.WParam == kOtherFormsTimer) {
    KillTimer(WindowHandle(), kOtherFormsTimer);
    if (engine_->SkinAllForms()) engine_->SkinAllFormsNow();
    message.Result = 0;
    return;
  }
  if (message.Msg == WM_SETTINGCHANGE || message.Msg == WM_SYSCOLORCHANGE) {
    engine_->SystemLookChanged();
    if (!*alive) return;
  }
  if (message.Msg == WM_DPICHANGED && LOWORD(message.WParam) > 0) {
    // Before the window's own handling, which sizes it at the new scale through our frame; and
    // while the skin is off too, so that it comes back at the right scale.
    const int from = Dpi();
    dpi_ = LOWORD(message.WParam);
    platformFrameHeight_ = MulDiv(platformFrameHeight_, dpi_, from);
    ScaleChanged(from, dpi_);
  }
  if (!engine_->Enabled()) {
    CallDefault(message);
    return;
  }
  if (FrameMessage(message) || !*alive) return;
  RECT proposed{};
  if (message.Msg == WM_NCCALCSIZE && message.LParam != 0) {
    proposed = *reinterpret_cast<const RECT*>(message.LParam);
  }
  // PreFilter may have let the window go (and this wrapper with it).
  if (!PreFilter(message)) return;
  if (!CallDefaultQuietly(message) || !*alive) return;
  switch (message.Msg) {
    case WM_DESTROY:
    case WM_ACTIVATEAPP:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case ui::CM_RELEASE:
      return;
    default:
      break;
  }
  PostProcess(message);
  if (!*alive) return;
  AfterDefault(message, proposed);
}

// ---- the program's own forms ----

TskSkinWindowOwn::TskSkinWindowOwn(TskSkinEngine* engine, ui::TCustomForm* form, bool dialog)
    : TskSkinWindow(engine, dialog), form_(form) {}

TskSkinWindowOwn::~TskSkinWindowOwn() {
  Shutdown();
}

HWND TskSkinWindowOwn::WindowHandle() const {
  return form_ != nullptr && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

bool TskSkinWindowOwn::MinMaxAllowed() const {
  return form_ != nullptr && (form_->BorderIcons & ui::biSystemMenu) != 0 &&
         form_->BorderStyle != ui::TBorderStyle::Dialog &&
         form_->BorderStyle != ui::TBorderStyle::ToolWindow;
}

bool TskSkinWindowOwn::HasIcon() const {
  return form_ != nullptr &&
         (form_->BorderStyle == ui::TBorderStyle::Single ||
          form_->BorderStyle == ui::TBorderStyle::Sizeable) &&
         (form_->BorderIcons & ui::biSystemMenu) != 0;
}

bool TskSkinWindowOwn::HasCloseButton() const {
  return form_ != nullptr && (form_->BorderIcons & ui::biSystemMenu) != 0;
}

bool TskSkinWindowOwn::HasMaximizeButton() const {
  return MinMaxAllowed() && (form_->BorderIcons & ui::biMaximize) != 0;
}

bool TskSkinWindowOwn::HasMinimizeButton() const {
  return MinMaxAllowed() && (form_->BorderIcons & ui::biMinimize) != 0;
}

bool TskSkinWindowOwn::HasHelpButton() const {
  return form_ != nullptr && (form_->BorderIcons & ui::biHelp) != 0;
}

bool TskSkinWindowOwn::WantsRegion() const {
  return form_ != nullptr && form_->Parent() == nullptr &&
         form_->BorderStyle != ui::TBorderStyle::None;
}

void TskSkinWindowOwn::Attach(HWND) {
  hook_ = form_->ChainWindowProc(
      [this](ui::TMessage& message, const ui::TWndNext& next) {
        const ui::TWndNext* outer = next_;
        next_ = &next;
        const std::shared_ptr<bool> alive = alive_;
        HandleMessage(message);
        if (*alive) next_ = outer;
      },
      [this] { FormGone(); });
  captionShown_ = form_->Parent() == nullptr && form_->BorderStyle != ui::TBorderStyle::None;
  borderShown_ = form_->BorderStyle != ui::TBorderStyle::None;
}

void TskSkinWindowOwn::Detach() {
  hook_.Unchain();
  // The platform's frame again, for a form that stays.
  if (form_ != nullptr && !form_->Destroying()) RecalcFrame();
}

void TskSkinWindowOwn::FormGone() {
  // The form is on its way out: nothing of it may be touched any more.
  form_ = nullptr;
  engine_->WindowGone(this);
}

bool TskSkinWindowOwn::CallDefault(ui::TMessage& message) {
  if (next_ == nullptr) {
    message.Result = 0;
    return true;
  }
  const std::shared_ptr<bool> alive = alive_;
  const bool chained = (*next_)(message);
  return chained && *alive;
}

void TskSkinWindowOwn::BeforeStart() {
  if (form_ == nullptr) return;
  savedClientWidth_ = form_->ClientWidth();
  savedClientHeight_ = form_->ClientHeight();
  savedColor_ = form_->Color;
  RECT window{};
  if (form_->HandleAllocated()) GetWindowRect(form_->Handle(), &window);
  // The top of the platform's frame, less its bottom edge.
  platformFrameHeight_ =
      std::max<int>(window.bottom - window.top - savedClientHeight_ - 4, ScaleLength(23, Dpi()));
}

void TskSkinWindowOwn::ScaleChanged(int from, int to) {
  savedClientWidth_ = MulDiv(savedClientWidth_, to, from);
  savedClientHeight_ = MulDiv(savedClientHeight_, to, from);
}

void TskSkinWindowOwn::ApplySkinState() {
  // A form on its way out keeps what it has.
  const bool staying = form_ != nullptr && !form_->Destroying() && form_->HandleAllocated();
  // The colour first: controls that take their parent's colour read it when reapplied.
  if (staying) form_->Color = skinWanted_ ? engine_->FormBackgroundColor() : savedColor_;
  if (!freeing_) ReapplySkinners();
  if (!staying) return;
  HWND hwnd = form_->Handle();
  // A maximised or minimised window has the size of its state, not the one it is given.
  const bool maximized = IsZoomed(hwnd) != FALSE || IsIconic(hwnd) != FALSE;
  if (skinWanted_) {
    if (form_->MinHeight == 0) {
      form_->MinHeight = MenuBarHeight() + 6;
      minHeightSet_ = true;
    }
    const int minWidth = engine_->AtDpi(Dpi()).frame.art.minWidth;
    if (form_->MinWidth == 0 && !dialog_ && minWidth > 0) {
      form_->MinWidth = minWidth;
      minWidthSet_ = true;
    }
    RecalcFrame();
    if (!maximized) form_->SetClientSize(savedClientWidth_, savedClientHeight_ + MenuBarHeight());
    for (auto* component : form_->Components()) {
      auto* menu = dynamic_cast<ui::TPopupMenu*>(component);
      if (menu != nullptr && menu->Tag != engine_->DisabledTag) engine_->OwnerDrawMenu(menu);
    }
  } else {
    if ((form_->BorderIcons & ui::biSystemMenu) != 0 &&
        form_->BorderStyle != ui::TBorderStyle::None) {
      SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_SYSMENU);
    }
    if (minHeightSet_) form_->MinHeight = 0;
    if (minWidthSet_) form_->MinWidth = 0;
    minHeightSet_ = minWidthSet_ = false;
    RemoveRegion();
    RecalcFrame();
    if (!maximized) form_->SetClientSize(savedClientWidth_, savedClientHeight_);
  }
  form_->Invalidate();
}

void TskSkinWindowOwn::FitMaximized() {
  HWND hwnd = form_->Handle();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  // The side borders go just off the work area, as the platform's own do.
  RECT area = monitor.rcWork;
  area.bottom -= 1;
  const int side = ScaleLength(FrameMetrics::MinimumSide, Dpi());
  InflateRect(&area, side, side);
  RECT window;
  GetWindowRect(hwnd, &window);
  // The resize comes back here; a window kept smaller must not loop.
  if (!fitting_ && (window.right - window.left < area.right - area.left ||
                    window.bottom - window.top < area.bottom - area.top)) {
    fitting_ = true;
    SetWindowPos(hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    fitting_ = false;
  }
  if (engine_->AtDpi(Dpi()).frame.art.topCorner > 0) form_->MinHeight = ScaleLength(66, Dpi());
}

void TskSkinWindowOwn::PostProcess(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_SHOWWINDOW:
      if (message.WParam != FALSE && !firstShowDone_ && ui::Application != nullptr &&
          ui::Application->MainForm() == form_) {
        firstShowDone_ = true;
        // The other forms are hidden until asked for: they take the skin once the main window
        // is up and painted (timers come after paints) rather than keep it from showing.
        if (engine_->SkinAllForms()) SetTimer(form_->Handle(), kOtherFormsTimer, 0, nullptr);
      }
      break;
    case WM_SIZE:
      if (!FrameDrawn() || form_ == nullptr) break;
      if (message.WParam == SIZE_MAXIMIZED) FitMaximized();
      // Every size: a region cut for the old one would crop or leave out the frame.
      SetRegion();
      break;
    case WM_PARENTNOTIFY:
      if (LOWORD(message.WParam) == WM_CREATE && form_ != nullptr) {
        captionShown_ = form_->Parent() == nullptr && form_->BorderStyle != ui::TBorderStyle::None;
        borderShown_ = form_->BorderStyle != ui::TBorderStyle::None;
        PaintFrame();
      }
      break;
    default:
      break;
  }
}

void TskSkinWindowOwn::AttachControls() {
  VisitComponents(form_);
}

void TskSkinWindowOwn::VisitComponents(ui::TComponent* owner) {
  // A copy: skinners are no components, but a visit may still make some (panels of painted
  // scroll bars, for instance).
  const std::vector<ui::TComponent*> components = owner->Components();
  for (auto* component : components) {
    if (auto* control = dynamic_cast<ui::TControl*>(component)) VisitControl(control);
  }
}

void TskSkinWindowOwn::VisitControl(ui::TControl* control) {
  if (engine_->Designing() || !control->WindowProc) return;
  if (ControlTagExcluded(control->Tag, engine_->DisabledTag)) return;
  const std::string className = control->ClassName();
  if (className == "TskSkinInternalScrollBar" || className == "TskSkinInternalComboButton") {
    return;
  }
  // One skinner per control, however often a form is visited.
  if (engine_->SkinnerOf(control) != nullptr) return;
  if (auto* windowed = dynamic_cast<ui::TWinControl*>(control);
      windowed != nullptr && windowed->HandleAllocated() &&
      SendMessageA(windowed->Handle(), SKM_ISSKINNED, 0, 0) == 1) {
    return;
  }
  if (OwnClassExcluded(className)) return;
  if (TskSkinEngine::ExcludedClasses().Contains(className) || control->Parent() == nullptr) {
    return;
  }
  if (auto* embedded = dynamic_cast<ui::TCustomForm*>(control)) {
    if (!embedded->Name.empty()) {
      embedded->ParentColor = false;
      embedded->Color = engine_->FormBackgroundColor();
      VisitComponents(embedded);
    }
    return;
  }
  const char* skinnerClass =
      ProgramSkinnerFor([control](const char* name) { return control->InheritsFrom(name); });
  if (skinnerClass == nullptr) return;
  std::unique_ptr<TskSkinControlOwn> skinner = MakeOwnSkinner(skinnerClass, this, engine_, control);
  if (skinner == nullptr || !skinner->Start()) return;
  if (skinner->WantsParentColor()) control->ParentColor = true;
  skinners_.push_back(std::move(skinner));
  if (className != "TDBLookupComboBox") VisitComponents(control);
}

// ---- foreign windows ----

TskSkinWindowWnd::TskSkinWindowWnd(TskSkinEngine* engine, HWND hwnd, bool dialog)
    : TskSkinWindow(engine, dialog), hwnd_(hwnd) {}

TskSkinWindowWnd::~TskSkinWindowWnd() {
  Shutdown();
}

void TskSkinWindowWnd::Attach(HWND) {
  hooked_ = ui::Subclass(hwnd_, Proc, WindowSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void TskSkinWindowWnd::Detach() {
  if (!hooked_) return;
  hooked_ = false;
  if (!IsWindow(hwnd_)) return;
  ui::Unsubclass(hwnd_, Proc, WindowSubclassId);
  if (!dying_) RecalcFrame();
}

LRESULT CALLBACK TskSkinWindowWnd::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR refData) {
  auto* self = reinterpret_cast<TskSkinWindowWnd*>(refData);
  if (msg == WM_NCDESTROY) {
    // Normally gone with WM_DESTROY; never left behind in a window that is no more.
    self->dying_ = true;
    self->engine_->UnskinWindow(hwnd);
    return ui::DefSubclass(hwnd, msg, wParam, lParam);
  }
  ui::TMessage message{msg, wParam, lParam, 0};
  self->HandleMessage(message);
  return message.Result;
}

bool TskSkinWindowWnd::CallDefault(ui::TMessage& message) {
  const std::shared_ptr<bool> alive = alive_;
  message.Result = ui::DefSubclass(hwnd_, message.Msg, message.WParam, message.LParam);
  return *alive;
}

bool TskSkinWindowWnd::PreFilter(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      if (!erased_) {
        erased_ = true;
        eraseStyle_ = GetWindowLongPtrA(hwnd_, GWL_STYLE);
      }
      return true;
    case WM_DESTROY: {
      // The window's own clean-up runs first; then the engine lets go of it.
      dying_ = true;
      HWND hwnd = hwnd_;
      TskSkinEngine* engine = engine_;
      if (CallDefault(message)) engine->UnskinWindow(hwnd);
      return false;
    }
    case WM_SYSCOMMAND:
      // A dialog closes as its Cancel would close it, so that it answers as it expects to; one
      // that cannot be closed (a Yes/No box) is not.
      if ((message.WParam & 0xFFF0) == SC_CLOSE && FrameDrawn()) {
        if (HasCloseButton()) PostMessageW(hwnd_, WM_COMMAND, IDCANCEL, 0);
        message.Result = 0;
        return false;
      }
      return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      if (!FrameDrawn()) return true;
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      // Read-only and disabled edits ask as statics do; see-through, their text would pile up
      // as it scrolls.
      if (message.Msg == WM_CTLCOLORSTATIC &&
          lstrcmpiA(WindowClassName(reinterpret_cast<HWND>(message.LParam)).c_str(), "Edit") == 0) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ui::ColorToRgb(engine_->FormBackgroundColor()));
      } else {
        SetBkMode(dc, TRANSPARENT);
      }
      message.Result = reinterpret_cast<LRESULT>(engine_->BackgroundBrush());
      return false;
    }
    default:
      return true;
  }
}

void TskSkinWindowWnd::BeforeStart() {
  startStyle_ = GetWindowLongPtrA(hwnd_, GWL_STYLE);
  RECT window{};
  RECT client{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  startClientWidth_ = client.right;
  startClientHeight_ = client.bottom;
  // The top of the platform's frame only, as for our forms, so that both get one caption band.
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  platformFrameHeight_ = origin.y - window.top;
}

bool TskSkinWindowWnd::HasCloseButton() const {
  if ((GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_SYSMENU) == 0) return false;
  // A box that asks Yes/No or Abort/Retry/Ignore has no answer for a close; the platform
  // disables it there, and where it does not, a close would answer a Cancel never offered.
  if (dialog_ && GetDlgItem(hwnd_, IDCANCEL) == nullptr &&
      (GetDlgItem(hwnd_, IDYES) != nullptr || GetDlgItem(hwnd_, IDABORT) != nullptr)) {
    return false;
  }
  // As on the platform: none where the window's menu has no Close or has it disabled.
  HMENU menu = GetSystemMenu(hwnd_, FALSE);
  const UINT state = menu != nullptr ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : ~0u;
  return state != ~0u && (state & (MF_DISABLED | MF_GRAYED)) == 0;
}

int TskSkinWindowWnd::ExtraHeight() const {
  const FrameMetrics metrics = Metrics();
  return metrics.CaptionBand() + metrics.menuBarHeight + metrics.Bottom() - platformFrameHeight_;
}

void TskSkinWindowWnd::ApplySkinState() {
  if (!freeing_) ReapplySkinners();
  if (dying_ && menu_ != nullptr && IsWindow(hwnd_)) {
    SetMenu(hwnd_, menu_);  // goes with the window
    menu_ = nullptr;
  }
  if (dying_ || !IsWindow(hwnd_) || skinWanted_ == skinned_) return;
  skinned_ = skinWanted_;
  RECT window{};
  RECT client{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  constexpr UINT Flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
  if (skinWanted_) {
    if (HMENU menu = GetMenu(hwnd_); menu != nullptr) {
      menu_ = menu;
      SetMenu(hwnd_, nullptr);
    }
    // The client keeps its size inside the skin's frame, so nothing of the dialog is cut off.
    int skinnedWidth = 0;
    int skinnedHeight = 0;
    WindowSizeForClient(Metrics(), client.right, client.bottom, skinnedWidth, skinnedHeight);
    grownWidth_ = skinnedWidth - width;
    grownHeight_ = skinnedHeight - height;
    SetWindowPos(hwnd_, nullptr, 0, 0, skinnedWidth, skinnedHeight, Flags);
  } else {
    // Only the frame's bits: the state bits (visible, disabled, minimised) are the window's now.
    constexpr LONG_PTR Frame =
        WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const LONG_PTR recorded = (erased_ ? eraseStyle_ : startStyle_) | (startStyle_ & WS_SYSMENU);
    SetWindowLongPtrW(hwnd_, GWL_STYLE,
                      (GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~Frame) | (recorded & Frame));
    if (menu_ != nullptr) {
      SetMenu(hwnd_, menu_);
      menu_ = nullptr;
    }
    RemoveRegion();
    SetWindowPos(hwnd_, nullptr, 0, 0, width - grownWidth_, height - grownHeight_, Flags);
    grownWidth_ = grownHeight_ = 0;
  }
}

void TskSkinWindowWnd::PostProcess(ui::TMessage& message) {
  if (message.Msg != WM_SIZE || !FrameDrawn()) return;
  if (message.WParam != SIZE_MAXIMIZED && !onceEnlarged_) {
    // A dialog that widens itself to a layout of its own keeps the height it asked for.
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int extra = ExtraHeight();
    if (client.bottom < startClientHeight_ && client.right * 2 > startClientWidth_ * 3 &&
        extra > 0) {
      onceEnlarged_ = true;
      RECT window{};
      GetWindowRect(hwnd_, &window);
      grownHeight_ += extra;
      SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left,
                   window.bottom - window.top + extra, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  SetRegion();
}

void TskSkinWindowWnd::AttachControls() {
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const auto style = static_cast<unsigned>(GetWindowLongPtrA(child, GWL_STYLE));
    if ((style & WS_CHILD) == 0 || SendMessageA(child, SKM_ISSKINNED, 0, 0) == 1) continue;
    const std::string key = ForeignClassKey(WindowClassName(child), style);
    if (key.empty()) continue;
    HWND target = child;
    if (key == "COMBOBOXEX32") {
      target = GetWindow(child, GW_CHILD);
      if (target == nullptr) continue;
    }
    if (engine_->SkinnerOf(target) != nullptr) continue;
    const char* skinnerClass = ForeignSkinnerFor(key);
    if (skinnerClass == nullptr) continue;
    AddSkinner(MakeWndSkinner(skinnerClass, this, engine_, target));
  }
}

}  // namespace brevlo::skin
