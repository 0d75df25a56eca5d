#include "skin/win32/SkinControl.h"

#include <commctrl.h>

#include <cstring>
#include <string_view>

#include "skin/SkinRules.h"
#include "skin/win32/SkinEngine.h"
#include "skin/win32/SkinWindow.h"
#include "ui/Controls.h"
#include "ui/Dpi.h"
#include "ui/Subclass.h"

namespace brevlo::skin {
namespace {
constexpr UINT_PTR SkinnerSubclassId = 0x534B4E43;
}  // namespace

void PaintOnWindow(HWND hwnd, const std::function<void(HDC)>& paint) {
  if (hwnd == nullptr || !IsWindowVisible(hwnd)) return;
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;
  paint(dc);
  ReleaseDC(hwnd, dc);
}

bool PaintsItself(ui::TMessage& message, HWND hwnd, const std::function<void(HDC)>& paint) {
  if (message.Msg == WM_ERASEBKGND) {
    message.Result = 1;
    return true;
  }
  if (message.Msg == WM_PRINTCLIENT) {
    if (message.WParam != 0) paint(reinterpret_cast<HDC>(message.WParam));
    message.Result = 0;
    return true;
  }
  if (message.Msg != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc != nullptr) paint(dc);
  EndPaint(hwnd, &ps);
  message.Result = 0;
  return true;
}

bool HoverOnly(UINT msg) {
  return msg == ui::CM_MOUSEENTER || msg == ui::CM_MOUSELEAVE;
}

TskSkinControl::TskSkinControl(TskSkinWindow* window, TskSkinEngine* engine)
    : window_(window), engine_(engine) {}

TskSkinControl::~TskSkinControl() {
  *alive_ = false;
}

bool TskSkinControl::Start() {
  if (!Hook()) return false;
  Init();
  Reapply();
  return true;
}

int TskSkinControl::Dpi() const {
  return window_ != nullptr ? window_->Dpi() : ui::WindowDpi(ControlHandle());
}

bool TskSkinControl::Filtering() const {
  return !engine_->Destroying() && engine_->Enabled();
}

void TskSkinControl::RepaintIfEnabled() {
  if (engine_->Enabled()) Paint();
}

void TskSkinControl::PostProcess(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case SKM_REPAINT:
    case ui::CM_ENABLEDCHANGED:
    case ui::CM_TEXTCHANGED:
      RepaintIfEnabled();
      break;
    case WM_KEYDOWN:
      if (message.WParam == VK_SPACE || message.WParam == VK_RETURN) state_ |= Pressed;
      RepaintIfEnabled();
      KeyDown(message.WParam);
      break;
    case WM_KEYUP:
      if (message.WParam == VK_SPACE || message.WParam == VK_RETURN) state_ &= ~Pressed;
      RepaintIfEnabled();
      KeyUp(message.WParam);
      break;
    case WM_LBUTTONDOWN:
      state_ |= Pressed;
      RepaintIfEnabled();
      MouseDown();
      break;
    case WM_LBUTTONUP:
      state_ &= ~Pressed;
      RepaintIfEnabled();
      MouseUp();
      break;
    case SKM_ISSKINNED:
      message.Result = 1;
      break;
    case ui::CM_MOUSEENTER:
      state_ |= Hot;
      RepaintIfEnabled();
      MouseEnter();
      break;
    case ui::CM_MOUSELEAVE:
      state_ &= ~(Hot | Pressed);
      RepaintIfEnabled();
      MouseLeave();
      break;
    default:
      break;
  }
}

TskSkinControlOwn::TskSkinControlOwn(TskSkinWindow* window, TskSkinEngine* engine,
                                     ui::TControl* control)
    : TskSkinControl(window, engine), control_(control) {}

TskSkinControlOwn::~TskSkinControlOwn() {
  TskSkinControlOwn::Unhook();
}

bool TskSkinControlOwn::Hook() {
  if (control_ == nullptr) return false;
  hook_ = control_->ChainWindowProc(
      [this](ui::TMessage& message, const ui::TWndNext& next) {
        if (!Filtering()) {
          next(message);
          return;
        }
        // Handlers run by either step may free the form, and this skinner with it.
        const std::shared_ptr<bool> alive = alive_;
        const bool pass = PreFilter(message);
        if (!*alive) return;
        // A false from next: this skinner was let go meanwhile and may be gone.
        if (pass && !next(message)) return;
        if (!detached_) PostProcess(message);
      },
      [this] { ControlGone(); });
  engine_->RegisterSkinner(this);
  return true;
}

void TskSkinControlOwn::Unhook() {
  if (control_ == nullptr) return;
  engine_->UnregisterSkinner(this);
  hook_.Unchain();
  control_ = nullptr;
}

void TskSkinControlOwn::ControlGone() {
  // What the skinner laid over the control (painted panels) goes with it.
  Release();
  detached_ = true;
  engine_->UnregisterSkinner(this);
  control_ = nullptr;
}

bool TskSkinControlOwn::Filtering() const {
  return control_ != nullptr && TskSkinControl::Filtering() &&
         control_->Tag != engine_->DisabledTag;
}

RECT TskSkinControlOwn::PaintRect() const {
  return control_ != nullptr ? control_->ClientRect() : RECT{};
}

HWND TskSkinControlOwn::ControlHandle() const {
  auto* windowed = dynamic_cast<ui::TWinControl*>(control_);
  return windowed != nullptr && windowed->HandleAllocated() ? windowed->Handle() : nullptr;
}

bool TskSkinControlOwn::IsEnabled() const {
  return control_ != nullptr && control_->Enabled();
}

void TskSkinControlOwn::Repaint() {
  if (control_ != nullptr) control_->Invalidate();
}

TskSkinControlWnd::TskSkinControlWnd(TskSkinWindow* window, TskSkinEngine* engine, HWND hwnd)
    : TskSkinControl(window, engine), hwnd_(hwnd) {}

TskSkinControlWnd::~TskSkinControlWnd() {
  TskSkinControlWnd::Unhook();
}

bool TskSkinControlWnd::Hook() {
  if (hwnd_ == nullptr || !IsWindow(hwnd_)) return false;
  if (!ui::Subclass(hwnd_, Proc, SkinnerSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hooked_ = true;
  engine_->RegisterSkinner(this);
  return true;
}

void TskSkinControlWnd::Unhook() {
  if (!hooked_) return;
  hooked_ = false;
  engine_->UnregisterSkinner(this);
  // The subclass chain lets go of one link in any order, also of the one running.
  if (IsWindow(hwnd_)) ui::Unsubclass(hwnd_, Proc, SkinnerSubclassId);
}

RECT TskSkinControlWnd::PaintRect() const {
  RECT r{};
  if (GetWindowRect(hwnd_, &r)) return RECT{0, 0, r.right - r.left, r.bottom - r.top};
  return RECT{};
}

bool TskSkinControlWnd::IsEnabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}

void TskSkinControlWnd::Repaint() {
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK TskSkinControlWnd::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<TskSkinControlWnd*>(refData);
  if (msg == WM_NCDESTROY) {
    // The window goes before its skinner: nothing of ours stays in its chain.
    self->detached_ = true;
    self->Unhook();
    return ui::DefSubclass(hwnd, msg, wParam, lParam);
  }
  if (!self->Filtering()) return ui::DefSubclass(hwnd, msg, wParam, lParam);
  ui::TMessage message{msg, wParam, lParam, 0};
  const std::shared_ptr<bool> alive = self->alive_;
  if (self->PreFilter(message)) {
    message.Result = ui::DefSubclass(hwnd, msg, wParam, lParam);
    if (!*alive) return message.Result;
  }
  if (!self->detached_) self->PostProcess(message);
  return message.Result;
}

namespace {
template <typename T>
std::unique_ptr<TskSkinControlOwn> MakeOwn(TskSkinWindow* w, TskSkinEngine* e, ui::TControl* c) {
  return std::make_unique<T>(w, e, c);
}
template <typename T>
std::unique_ptr<TskSkinControlWnd> MakeWnd(TskSkinWindow* w, TskSkinEngine* e, HWND h) {
  return std::make_unique<T>(w, e, h);
}

struct OwnMaker {
  const char* name;
  std::unique_ptr<TskSkinControlOwn> (*make)(TskSkinWindow*, TskSkinEngine*, ui::TControl*);
};
struct WndMaker {
  const char* name;
  std::unique_ptr<TskSkinControlWnd> (*make)(TskSkinWindow*, TskSkinEngine*, HWND);
};

constexpr OwnMaker OwnMakers[] = {
    {"TskSkinButton", MakeOwn<TskSkinButton>},
    {"TskSkinCheckBox", MakeOwn<TskSkinCheckBox>},
    {"TskSkinRadioButton", MakeOwn<TskSkinRadioButton>},
    {"TskSkinGroupBox", MakeOwn<TskSkinGroupBox>},
    {"TskSkinPanel", MakeOwn<TskSkinPanel>},
    {"TskSkinStatusBar", MakeOwn<TskSkinStatusBar>},
    {"TskSkinProgressBar", MakeOwn<TskSkinProgressBar>},
    {"TskSkinComboBox", MakeOwn<TskSkinComboBox>},
    {"TskSkinBorderWinControl", MakeOwn<TskSkinBorderWinControl>},
    {"TskSkinScrollWinControl", MakeOwn<TskSkinScrollWinControl>},
    {"TskSkinScrollBar", MakeOwn<TskSkinScrollBar>},
    {"TskSkinSpeedButton", MakeOwn<TskSkinSpeedButton>},
};

constexpr WndMaker WndMakers[] = {
    {"TskSkinWndButton", MakeWnd<TskSkinWndButton>},
    {"TskSkinWndCheckBox", MakeWnd<TskSkinWndCheckBox>},
    {"TskSkinWndRadioButton", MakeWnd<TskSkinWndRadioButton>},
    {"TskSkinWndComboBox", MakeWnd<TskSkinWndComboBox>},
    {"TskSkinWndTabControl", MakeWnd<TskSkinWndTabControl>},
    {"TskSkinWndToolbarWindow32", MakeWnd<TskSkinWndToolbarWindow32>},
};
}  // namespace

std::unique_ptr<TskSkinControlOwn> MakeOwnSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, ui::TControl* control) {
  for (const auto& maker : OwnMakers) {
    if (std::strcmp(maker.name, className) == 0) return maker.make(window, engine, control);
  }
  return nullptr;
}

std::unique_ptr<TskSkinControlWnd> MakeWndSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, HWND hwnd) {
  for (const auto& maker : WndMakers) {
    if (std::strcmp(maker.name, className) == 0) return maker.make(window, engine, hwnd);
  }
  return nullptr;
}

}  // namespace brevlo::skin
