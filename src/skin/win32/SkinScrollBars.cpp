// Two-colour borders of edit-like controls and the painted scroll bars laid over the
// platform's.
#include "skin/win32/SkinControl.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "skin/SkinDraw.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Graphics.h"

namespace brevlo::skin {
namespace {

constexpr int ArrowLength = 16;
constexpr int ThumbBreadth = 16;
constexpr char PanelClass[] = "TskSkinInternalScrollBar";

void BlitWhole(const PixelView& view, Rect dest, const TskBitmap* image) {
  if (image == nullptr || image->Empty()) return;
  Blit(view, dest, *image, Rect{0, 0, image->Width(), image->Height()}, Transparency::Of(Magenta));
}

// A scroll bar of w x h as the skin draws it; the thumb's extent is counted from the bar's
// leading edge, as the platform reports it.
void PaintScrollPicture(const TskSkinEngine* engine, TskDib& dib, HDC dc, int w, int h,
                        bool vertical, const SCROLLBARINFO& info, int dpi) {
  if (!dib.Resize(w, h)) return;
  const PixelView view = dib.View();
  FillRect(view, Rect{0, 0, w, h},
           SkinPixel(engine, "ScrollBarBackgroundColor", RGB(203, 203, 203)));
  const TskSkinScrollBtnRes& set = engine->AtDpi(dpi).scrollSet;
  // Never longer than the platform's own arrow buttons, which take the presses: a bar the
  // platform has not scaled keeps its arrows where they are.
  const int platformArrow = GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL);
  const int arrow = std::min(ScaleLength(ArrowLength, dpi), std::max(platformArrow, ArrowLength));
  const int thumb = ScaleLength(ThumbBreadth, dpi);
  const bool disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
  if (vertical) {
    BlitWhole(view, Rect{0, 0, w, arrow}, set.Upright(1));
    BlitWhole(view, Rect{0, h - arrow, w, h}, set.Upright(4));
    if (!disabled && info.xyThumbBottom > info.xyThumbTop) {
      const int breadth = std::min(w, thumb);
      const int x = (w - breadth) / 2;
      DrawThreeV(view, set.TurnedThumb(), Rect{x, info.xyThumbTop, x + breadth, info.xyThumbBottom},
                 true);
    }
  } else {
    BlitWhole(view, Rect{0, 0, arrow, h}, set.Turned(1));
    BlitWhole(view, Rect{w - arrow, 0, w, h}, set.Turned(4));
    if (!disabled && info.xyThumbBottom > info.xyThumbTop) {
      const int breadth = std::min(h, thumb);
      const int y = (h - breadth) / 2;
      DrawThreeH(view, set.UprightThumb(),
                 Rect{info.xyThumbTop, y, info.xyThumbBottom, y + breadth}, false);
    }
  }
  dib.CopyTo(dc, 0, 0);
}

bool RegisterPanelClass() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TskSkinInternalScrollBar::Proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = PanelClass;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

// ---- borders ----

bool TskSkinBorderWinControl::Bordered() const {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || control_ == nullptr) return false;
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
  return ((style & WS_BORDER) != 0 || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0) &&
         !TskSkinEngine::UnborderedClasses().Contains(control_->ClassName());
}

void TskSkinBorderWinControl::PostProcess(ui::TMessage& message) {
  TskSkinControl::PostProcess(message);
  if (!detached_ && message.Msg == WM_NCPAINT) RepaintIfEnabled();
}

void TskSkinBorderWinControl::Paint() {
  if (!Bordered()) return;
  DrawEditBorder(ControlHandle(), SkinColor(engine_, "ControlBorderColor", RGB(104, 104, 104)),
                 SkinColor(engine_, "ControlBackgroundColor", RGB(238, 238, 238)));
}

void TskSkinBorderWinControl::Repaint() {
  // The border is in the frame, which a plain invalidation leaves alone.
  if (HWND hwnd = ControlHandle(); hwnd != nullptr) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
}

// ---- the painted panels ----

bool TskSkinInternalScrollBar::BarOnScreen(HWND control, bool vertical, SCROLLBARINFO& info) {
  info = SCROLLBARINFO{};
  info.cbSize = sizeof info;
  return IsWindow(control) && IsWindowVisible(control) &&
         GetScrollBarInfo(control, vertical ? OBJID_VSCROLL : OBJID_HSCROLL, &info) &&
         (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0 &&
         !IsRectEmpty(&info.rcScrollBar);
}

TskSkinInternalScrollBar::TskSkinInternalScrollBar(const TskSkinEngine* engine, HWND control,
                                                   bool vertical)
    : engine_(engine), control_(control), vertical_(vertical) {
  if (!RegisterPanelClass()) return;
  // A child window covers a child's bar; a pop-up (a drop-down tree) needs a pop-up above it.
  const bool child = (GetWindowLongPtrA(control, GWL_STYLE) & WS_CHILD) != 0;
  HWND parent = child ? GetParent(control) : control;
  hwnd_ = CreateWindowExA(child ? 0 : WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PanelClass, "",
                          (child ? WS_CHILD : WS_POPUP) | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                          nullptr, GetModuleHandleA(nullptr), this);
}

TskSkinInternalScrollBar::~TskSkinInternalScrollBar() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, 0, 0);
    DestroyWindow(hwnd_);
  }
}

void TskSkinInternalScrollBar::Hide() {
  if (hwnd_ != nullptr && IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  painted_ = false;
}

void TskSkinInternalScrollBar::Update(int dpi) {
  if (hwnd_ == nullptr) return;
  if (dpi != dpi_) painted_ = false;
  dpi_ = dpi;
  SCROLLBARINFO info{};
  if (!BarOnScreen(control_, vertical_, info)) {
    Hide();
    return;
  }
  RECT place = info.rcScrollBar;
  if ((GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&place), 2);
  }
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if ((GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&now), 2);
  }
  const bool shown = IsWindowVisible(hwnd_) != FALSE;
  if (!shown || !EqualRect(&now, &place)) {
    SetWindowPos(hwnd_, HWND_TOP, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    painted_ = false;
  }
  if (painted_ && std::memcmp(&info, &info_, sizeof info) == 0) return;
  info_ = info;
  HDC dc = GetDC(hwnd_);
  if (dc == nullptr) return;
  PaintOn(dc);
  ReleaseDC(hwnd_, dc);
}

void TskSkinInternalScrollBar::PaintOn(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  PaintScrollPicture(engine_, dib_, dc, r.right, r.bottom, vertical_, info_, dpi_);
  painted_ = true;
}

LRESULT CALLBACK TskSkinInternalScrollBar::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrA(
        hwnd, 0,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<TskSkinInternalScrollBar*>(GetWindowLongPtrA(hwnd, 0));
  if (self == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const WPARAM hit = self->vertical_ ? HTVSCROLL : HTHSCROLL;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc != nullptr) self->PaintOn(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      // A child panel activates its form as the bar would; the drop-down's must not.
      if ((GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0) break;
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The platform tracks the press on its own bar, under ours, and scrolls.
      ReleaseCapture();
      if (IsWindow(self->control_)) {
        SendMessageA(self->control_, WM_NCLBUTTONDOWN, hit, static_cast<LPARAM>(GetMessagePos()));
      }
      return 0;
    case WM_LBUTTONUP:
      if (IsWindow(self->control_)) {
        SendMessageA(self->control_, WM_NCLBUTTONUP, hit, static_cast<LPARAM>(GetMessagePos()));
      }
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return IsWindow(self->control_) ? SendMessageA(self->control_, msg, wParam, lParam) : 0;
    case WM_NCDESTROY:
      self->hwnd_ = nullptr;
      SetWindowLongPtrA(hwnd, 0, 0);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- controls with scroll bars ----

bool TskSkinScrollWinControl::WantsBars() const {
  HWND hwnd = ControlHandle();
  if (!engine_->DrawScrollBar || hwnd == nullptr || control_ == nullptr) return false;
  if (std::strcmp(control_->ClassName(), "TSpinEdit") == 0 ||
      control_->InheritsFrom("TCustomMaskEdit")) {
    return false;
  }
  return !control_->InheritsFrom("TCustomEdit") ||
         (GetWindowLongPtrA(hwnd, GWL_STYLE) & ES_MULTILINE) != 0;
}

void TskSkinScrollWinControl::Reapply() {
  if (engine_->Enabled() && WantsBars()) {
    UpdateBars();
  } else {
    vertical_.reset();
    horizontal_.reset();
  }
}

void TskSkinScrollWinControl::Release() {
  vertical_.reset();
  horizontal_.reset();
  TskSkinBorderWinControl::Release();
}

void TskSkinScrollWinControl::UpdateBars() {
  if (!engine_->Enabled() || !WantsBars()) return;
  HWND hwnd = ControlHandle();
  // A panel is a window of its own, made only once its bar first shows: most lists start empty.
  // A control that made itself a new window gets new panels.
  for (auto* panel : {&vertical_, &horizontal_}) {
    const bool vertical = panel == &vertical_;
    if (*panel != nullptr && ((*panel)->Handle() == nullptr || (*panel)->Control() != hwnd)) {
      panel->reset();
    }
    if (*panel == nullptr) {
      SCROLLBARINFO info;
      if (!TskSkinInternalScrollBar::BarOnScreen(hwnd, vertical, info)) continue;
      *panel = std::make_unique<TskSkinInternalScrollBar>(engine_, hwnd, vertical);
    }
    (*panel)->Update(Dpi());
  }
}

void TskSkinScrollWinControl::PostProcess(ui::TMessage& message) {
  TskSkinBorderWinControl::PostProcess(message);
  if (detached_ || !engine_->Enabled()) return;
  switch (message.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_KEYUP:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      UpdateBars();
      break;
    default:
      break;
  }
}

void TskSkinScrollWinControl::Paint() {
  TskSkinBorderWinControl::Paint();
  UpdateBars();
}

// ---- scroll bar controls ----

void TskSkinScrollBar::Reapply() {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr) return;
  if (!engine_->Enabled() || !engine_->DrawScrollBar) {
    GiveBackTabStop();
    return;
  }
  // A painted bar is worked with the mouse only.
  const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
  if ((style & WS_TABSTOP) != 0) {
    SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~WS_TABSTOP);
    tookTabStop_ = true;
  }
}

void TskSkinScrollBar::GiveBackTabStop() {
  HWND hwnd = ControlHandle();
  if (!tookTabStop_ || hwnd == nullptr) return;
  SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | WS_TABSTOP);
  tookTabStop_ = false;
}

void TskSkinScrollBar::Release() {
  GiveBackTabStop();
  TskSkinControlOwn::Release();
}

void TskSkinScrollBar::PostProcess(ui::TMessage& message) {
  TskSkinControl::PostProcess(message);
  if (detached_) return;
  switch (message.Msg) {
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
    case WM_NCPAINT:
      RepaintIfEnabled();
      break;
    default:
      break;
  }
}

void TskSkinScrollBar::Paint() {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || !engine_->DrawScrollBar || !IsWindowVisible(hwnd)) return;
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!GetScrollBarInfo(hwnd, OBJID_CLIENT, &info)) return;
  RECT r;
  GetWindowRect(hwnd, &r);
  const bool vertical = (GetWindowLongPtrA(hwnd, GWL_STYLE) & SBS_VERT) != 0;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  TskDib dib;
  PaintScrollPicture(engine_, dib, dc, r.right - r.left, r.bottom - r.top, vertical, info, Dpi());
  ReleaseDC(hwnd, dc);
}

}  // namespace brevlo::skin
