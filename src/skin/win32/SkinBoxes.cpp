// The skinners of boxes and bars: group boxes, status bars, progress bars, combo boxes, tab
// controls and tool bars.
#include "skin/win32/SkinControl.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

#include "skin/SkinDraw.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Graphics.h"

namespace brevlo::skin {
namespace {

void FrameGdi(HDC dc, RECT r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  ::FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

void FillGdi(HDC dc, RECT r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  ::FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void ArrowGdi(HDC dc, int x, int y, int depth, COLORREF color) {
  for (const Rect& span : ArrowSpans(x, y, ArrowDirection::Down, depth)) {
    FillGdi(dc, RECT{span.left, span.top, span.right, span.bottom}, color);
  }
}

}  // namespace

// ---- group boxes ----

bool TskSkinGroupBox::PreFilter(ui::TMessage& message) {
  return !PaintsItself(message, ControlHandle(), [this](HDC dc) { PaintOn(dc); });
}

void TskSkinGroupBox::PostProcess(ui::TMessage& message) {
  // Nothing of a group box looks different under the mouse or while pressed.
  switch (message.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case ui::CM_MOUSEENTER:
    case ui::CM_MOUSELEAVE:
      return;
    default:
      TskSkinControl::PostProcess(message);
  }
}

void TskSkinGroupBox::Paint() {
  PaintOnWindow(ControlHandle(), [this](HDC dc) { PaintOn(dc); });
}

void TskSkinGroupBox::PaintOn(HDC target) {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || control_ == nullptr) return;
  RECT r;
  GetClientRect(hwnd, &r);
  // Face, frame, caption and labels are put together off screen and reach it in one copy.
  if (!dib_.Resize(r.right, r.bottom)) return;
  HDC dc = dib_.Dc();
  const COLORREF color = ui::ColorToRgb(control_->EffectiveColor());
  FillGdi(dc, r, color);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  SIZE zero{};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  FrameGdi(dc, RECT{0, zero.cy / 2 - 1, r.right, r.bottom},
           SkinColor(engine_, "ControlBorderColor", RGB(104, 104, 104)));
  const std::wstring text = Utf8ToWide(control_->Caption());
  if (!text.empty()) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const bool rightToLeft = (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    const int x = rightToLeft ? r.right - size.cx - 8 : 8;
    RECT textRect{x, 0, x + size.cx, size.cy};
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, color);
    SetTextColor(dc, IsEnabled() ? ui::ColorToRgb(control_->Font.Color) : RGB(128, 128, 128));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_NOCLIP);
  }
  SelectObject(dc, oldFont);
  // Labels inside have no window: the box draws them, over its own face.
  if (auto* box = dynamic_cast<ui::TWinControl*>(control_)) box->PaintControls(dc, nullptr);
  dib_.CopyTo(target, 0, 0);
}

// ---- status bars ----

void TskSkinStatusBar::Reapply() {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || control_ == nullptr) return;
  // The bar draws its own background: tell it the colour it took from its parent. A themed bar
  // draws the theme's instead, so it goes without its theme while skinned.
  const bool skinned = engine_->Enabled();
  SetControlTheme(hwnd, skinned);
  SendMessageA(hwnd, SB_SETBKCOLOR, 0,
               skinned ? static_cast<LPARAM>(ui::ColorToRgb(control_->EffectiveColor()))
                       : static_cast<LPARAM>(CLR_DEFAULT));
}

void TskSkinStatusBar::Release() {
  if (HWND hwnd = ControlHandle(); hwnd != nullptr) {
    SetControlTheme(hwnd, false);
    SendMessageA(hwnd, SB_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT));
  }
  TskSkinControlOwn::Release();
}

void TskSkinStatusBar::Paint() {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr || control_ == nullptr ||
      (GetWindowLongPtrA(hwnd, GWL_STYLE) & SBARS_SIZEGRIP) == 0) {
    return;
  }
  PaintOnWindow(hwnd, [this, hwnd](HDC dc) {
    RECT r;
    GetClientRect(hwnd, &r);
    const RECT grip{r.right - 16, r.bottom - 15, r.right, r.bottom};
    FillGdi(dc, RECT{grip.left - 1, grip.top - 1, r.right, r.bottom},
            ui::ColorToRgb(control_->EffectiveColor()));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_INACTIVECAPTION));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int i = 0; i < 4; ++i) {
      const int d = 3 + 4 * i;
      MoveToEx(dc, r.right - 1, r.bottom - 1 - d, nullptr);
      LineTo(dc, r.right - 1 - d, r.bottom - 1);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  });
}

// ---- progress bars ----

void TskSkinProgressBar::Reapply() {
  image_.Clear();
  dpi_ = Dpi();
  GetScaledImage(engine_->Reader(), "ProgressBarImage", image_, dpi_);
  HWND hwnd = ControlHandle();
  vertical_ = hwnd != nullptr && (GetWindowLongPtrA(hwnd, GWL_STYLE) & PBS_VERTICAL) != 0;
  if (vertical_) RotateLeft(image_);
}

bool TskSkinProgressBar::PreFilter(ui::TMessage& message) {
  return !PaintsItself(message, ControlHandle(), [this](HDC dc) { PaintOn(dc); });
}

void TskSkinProgressBar::PostProcess(ui::TMessage& message) {
  if (message.Msg == WM_PAINT || message.Msg == WM_ERASEBKGND) return;
  TskSkinControl::PostProcess(message);
}

void TskSkinProgressBar::Paint() {
  PaintOnWindow(ControlHandle(), [this](HDC dc) { PaintOn(dc); });
}

void TskSkinProgressBar::PaintOn(HDC dc) {
  HWND hwnd = ControlHandle();
  if (hwnd == nullptr) return;
  if (Dpi() != dpi_) Reapply();
  RECT r;
  GetClientRect(hwnd, &r);
  if (!dib_.Resize(r.right, r.bottom)) return;
  const PixelView view = dib_.View();
  FillRect(view, Rect{0, 0, r.right, r.bottom}, FormPixel(engine_));
  const long long low = SendMessageA(hwnd, PBM_GETRANGE, TRUE, 0);
  const long long high = SendMessageA(hwnd, PBM_GETRANGE, FALSE, 0);
  const long long position = std::clamp<long long>(SendMessageA(hwnd, PBM_GETPOS, 0, 0), low, high);
  if (high > low && !image_.Empty()) {
    const Rect source{0, 0, image_.Width(), image_.Height()};
    if (vertical_) {
      const auto done = static_cast<int>((position - low) * r.bottom / (high - low));
      Blit(view, Rect{0, r.bottom - done, r.right, r.bottom}, image_, source, Transparency::None());
    } else {
      const auto done = static_cast<int>((position - low) * r.right / (high - low));
      Blit(view, Rect{0, 0, done, r.bottom}, image_, source, Transparency::None());
    }
  }
  dib_.CopyTo(dc, 0, 0);
}

// ---- combo boxes ----

namespace {

bool DropDownCombo(HWND combo) {
  return combo != nullptr && IsWindowVisible(combo) &&
         (GetWindowLongPtrA(combo, GWL_STYLE) & 3) != CBS_SIMPLE;
}

// Our parts on a DC whose origin lies at `at` of the combo box's window.
void PaintComboParts(const TskSkinEngine* engine, HWND combo, const COMBOBOXINFO& info,
                     bool enabled, int dpi, HDC dc, POINT at) {
  const COLORREF border = SkinColor(engine, "ControlBorderColor", RGB(104, 104, 104));
  RECT window;
  GetWindowRect(combo, &window);
  POINT origin{0, 0};
  ClientToScreen(combo, &origin);
  const int dx = origin.x - window.left - at.x;
  const int dy = origin.y - window.top - at.y;
  RECT all{-at.x, -at.y, window.right - window.left - at.x, window.bottom - window.top - at.y};
  FrameGdi(dc, all, border);
  InflateRect(&all, -1, -1);
  FrameGdi(dc, all, SkinColor(engine, "ControlBackgroundColor", RGB(238, 238, 238)));
  RECT button = info.rcButton;
  OffsetRect(&button, dx, dy);
  if (!IsRectEmpty(&button)) {
    FillGdi(dc, button, ui::ColorToRgb(engine->FormBackgroundColor()));
    FillGdi(dc, RECT{button.left, button.top, button.left + 1, button.bottom}, border);
    const int depth = ScaleLength(4, dpi);
    const int x = (button.left + button.right) / 2 - (2 * depth - 1) / 2;
    const int y = (button.top + button.bottom) / 2 - depth / 2;
    if (enabled) {
      ArrowGdi(dc, x, y, depth, RGB(0, 0, 0));
    } else {
      ArrowGdi(dc, x + 1, y + 1, depth, RGB(255, 255, 255));
      ArrowGdi(dc, x, y, depth, RGB(128, 128, 128));
    }
  }
}

}  // namespace

void PaintComboBox(const TskSkinEngine* engine, HWND combo, bool enabled, int dpi) {
  if (!DropDownCombo(combo)) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(combo, &info)) return;
  HDC dc = GetWindowDC(combo);
  if (dc == nullptr) return;
  PaintComboParts(engine, combo, info, enabled, dpi, dc, POINT{0, 0});
  ReleaseDC(combo, dc);
  const COLORREF border = SkinColor(engine, "ControlBorderColor", RGB(104, 104, 104));
  if (info.hwndList != nullptr && SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0) {
    RECT list;
    GetWindowRect(info.hwndList, &list);
    HDC listDc = GetWindowDC(info.hwndList);
    if (listDc != nullptr) {
      FrameGdi(listDc, RECT{0, 0, list.right - list.left, list.bottom - list.top}, border);
      ReleaseDC(info.hwndList, listDc);
    }
  }
}

bool PaintComboBoxWhole(const TskSkinEngine* engine, HWND combo, bool enabled, int dpi, TskDib& dib,
                        HDC target) {
  if (!DropDownCombo(combo)) return false;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  RECT client;
  if (!GetComboBoxInfo(combo, &info) || !GetClientRect(combo, &client)) return false;
  PAINTSTRUCT ps;
  HDC dc = target != nullptr ? target : BeginPaint(combo, &ps);
  if (dc != nullptr && dib.Resize(client.right, client.bottom)) {
    SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT);
    RECT window;
    GetWindowRect(combo, &window);
    POINT origin{0, 0};
    ClientToScreen(combo, &origin);
    PaintComboParts(engine, combo, info, enabled, dpi, dib.Dc(),
                    POINT{origin.x - window.left, origin.y - window.top});
    // The edit of a drop-down paints itself.
    for (HWND child = GetWindow(combo, GW_CHILD); child != nullptr && target == nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, combo, reinterpret_cast<POINT*>(&r), 2);
      ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    dib.CopyTo(dc, 0, 0);
  }
  if (target == nullptr) EndPaint(combo, &ps);
  return true;
}

bool ComboRepaints(UINT msg) {
  return msg == WM_NCPAINT || msg == WM_SETFOCUS || msg == WM_KILLFOCUS || msg == CB_SETCURSEL ||
         msg == WM_CTLCOLORLISTBOX;
}

// ---- tab controls of dialogs ----

bool TskSkinWndTabControl::PreFilter(ui::TMessage& message) {
  return !PaintsItself(message, hwnd_, [this](HDC dc) { PaintOn(dc); });
}

void TskSkinWndTabControl::PostProcess(ui::TMessage& message) {
  if (message.Msg == WM_PAINT || message.Msg == WM_ERASEBKGND) return;
  TskSkinControl::PostProcess(message);
  if (message.Msg == TCM_SETCURSEL) RepaintIfEnabled();
}

void TskSkinWndTabControl::Paint() {
  PaintOnWindow(hwnd_, [this](HDC dc) { PaintOn(dc); });
}

void TskSkinWndTabControl::PaintOn(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  if (!dib_.Resize(r.right, r.bottom)) return;
  const PixelView view = dib_.View();
  const Pixel form = FormPixel(engine_);
  FillRect(view, Rect{0, 0, r.right, r.bottom}, form);
  RECT page = r;
  SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  InflateRect(&page, 2, 2);
  FrameRect(view, Rect{page.left, page.top, page.right, page.bottom},
            SkinPixel(engine_, "ControlBorderColor", RGB(104, 104, 104)));
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
  const bool vertical = (style & TCS_VERTICAL) != 0;
  const bool farSide = (style & TCS_BOTTOM) != 0;  // TCS_RIGHT for a vertical control
  const int orientation = vertical ? (farSide ? 3 : 1) : (farSide ? 2 : 0);
  // The bar along the page edge next to the tabs, after a line of the form's colour.
  const TskSkinTabRes& tabs = engine_->AtDpi(Dpi()).tabSet;
  const TskBitmap& bar = tabs.Get(TskSkinTabRes::Bar, orientation);
  if (!bar.Empty()) {
    Rect strip;
    if (!vertical) {
      const int top = farSide ? page.bottom - 2 - bar.Height() : page.top + 2;
      strip = Rect{page.left + 1, top, page.right - 1, top + bar.Height()};
    } else {
      const int left = farSide ? page.right - 2 - bar.Width() : page.left + 2;
      strip = Rect{left, page.top + 1, left + bar.Width(), page.bottom - 1};
    }
    Blit(view, strip, bar, Rect{0, 0, bar.Width(), bar.Height()}, Transparency::Of(Magenta));
  }
  const auto count = static_cast<int>(SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0));
  const auto selected = static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
  HDC textDc = dib_.Dc();
  HGDIOBJ oldFont =
      SelectObject(textDc, reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  SetBkMode(textDc, TRANSPARENT);
  SetTextColor(textDc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < count; ++i) {
    RECT tab;
    if (!SendMessageA(hwnd_, TCM_GETITEMRECT, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(&tab))) {
      continue;
    }
    const TskBitmap& image =
        tabs.Get(i == selected ? TskSkinTabRes::SelectedTab : TskSkinTabRes::OtherTab, orientation);
    const Rect dest{tab.left, tab.top, tab.right, tab.bottom};
    GdiFlush();
    if (vertical) {
      DrawThreeV(view, image, dest, true);
    } else {
      DrawThreeH(view, image, dest, false);
    }
    wchar_t text[260] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 259;
    SendMessageW(hwnd_, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    DrawTextW(textDc, text, -1, &tab, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  SelectObject(textDc, oldFont);
  dib_.CopyTo(dc, 0, 0);
}

// ---- tool bars of dialogs ----

void TskSkinWndToolbarWindow32::Reapply() {
  if (!engine_->Enabled()) {
    Restore();
    return;
  }
  if (savedStyle_ < 0) savedStyle_ = SendMessageA(hwnd_, TB_GETSTYLE, 0, 0);
  SendMessageA(hwnd_, TB_SETSTYLE, 0, savedStyle_ | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT);
}

void TskSkinWndToolbarWindow32::Restore() {
  if (savedStyle_ >= 0 && IsWindow(hwnd_)) SendMessageA(hwnd_, TB_SETSTYLE, 0, savedStyle_);
  savedStyle_ = -1;
}

void TskSkinWndToolbarWindow32::Release() {
  Restore();
  TskSkinControlWnd::Release();
}

}  // namespace brevlo::skin
