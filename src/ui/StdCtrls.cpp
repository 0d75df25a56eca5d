#include "ui/StdCtrls.h"

#include "ui/Builder.h"

#include <commctrl.h>
#include <windowsx.h>

namespace brevlo::ui {
void TCustomControl::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = OwnWindowClass("BrevloControl", false);
  params.style |= WS_CLIPCHILDREN;
}

void TCustomControl::Paint(TCanvas& canvas, const RECT& clip) {
  canvas.FillRect(clip, EffectiveColor());
  PaintControls(canvas.Handle(), &clip);
}

void TCustomControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      message.Result = 1;  // painted with the rest, in one step
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      // Off-screen first, so stacked labels and pictures never flicker.
      const RECT& clip = ps.rcPaint;
      const int w = clip.right - clip.left;
      const int h = clip.bottom - clip.top;
      if (w > 0 && h > 0) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SetViewportOrgEx(memory, -clip.left, -clip.top, nullptr);
        TCanvas canvas(memory);
        Paint(canvas, clip);
        SetViewportOrgEx(memory, 0, 0, nullptr);
        BitBlt(dc, clip.left, clip.top, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
      }
      EndPaint(Handle(), &ps);
      message.Result = 0;
      return;
    }
    default:
      TWinControl::WndProc(message);
  }
}

void TCustomPanel::CreateParamsFor(CreateParams& params) {
  TCustomControl::CreateParamsFor(params);
  params.exStyle |= WS_EX_CONTROLPARENT;  // Tab goes on into the controls it holds
}

void TCustomPanel::Paint(TCanvas& canvas, const RECT& clip) {
  TCustomControl::Paint(canvas, clip);
  if (Bevel) {
    RECT r = ClientRect();
    DrawEdge(canvas.Handle(), &r, BDR_RAISEDINNER, BF_RECT);
  }
}

void TCustomLabel::SetCaption(const std::string& text) {
  Invalidate();
  caption_ = text;
  AdjustSize();
  Invalidate();
  Notify(CM_TEXTCHANGED);
}

void TCustomLabel::FontChanged() {
  Font.Changed();
  AdjustSize();
  Invalidate();
}

void TCustomLabel::AdjustSize() {
  if (!AutoSize) return;
  HDC dc = GetDC(nullptr);
  TCanvas canvas(dc);
  SIZE size = canvas.TextExtent(caption_.empty() ? std::string(" ") : caption_, Font);
  ReleaseDC(nullptr, dc);
  width_ = caption_.empty() ? 0 : size.cx;
  height_ = size.cy;
}

RECT TCustomLabel::PaintBounds() const {
  RECT r = BoundsRect();
  if (AutoSize) r.right += Height() / 2 + 2;
  return r;
}

void TCustomLabel::Paint(TCanvas& canvas) {
  if (!Transparent) {
    canvas.FillRect(RECT{0, 0, Width(), Height()}, EffectiveColor());
  }
  canvas.TextOut(0, 0, caption_, Font, true);
}

void TImage::PictureChanged() {
  if (AutoSize && !Picture.Empty()) {
    width_ = Scaled(Picture.Width());
    height_ = Scaled(Picture.Height());
  }
  scaled_.Clear();
  scaledFrom_ = nullptr;
  Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
  if (Picture.Empty()) return;
  const int w = Stretch ? Width() : Scaled(Picture.Width());
  const int h = Stretch ? Height() : Scaled(Picture.Height());
  if (Dpi() != DesignDpi && (w != Picture.Width() || h != Picture.Height())) {
    // The platform's stretch may step pixels; ours is smooth at any factor.
    if (scaledFrom_ != Picture.Handle() || scaled_.Width() != w || scaled_.Height() != h) {
      scaledFrom_ = scaled_.AssignScaled(Picture.Handle(), w, h) ? Picture.Handle() : nullptr;
    }
    if (scaledFrom_ != nullptr) {
      canvas.Draw(0, 0, scaled_.Handle());
      return;
    }
  }
  if (Stretch) {
    canvas.StretchDraw(RECT{0, 0, Width(), Height()}, Picture.Handle());
  } else {
    canvas.Draw(0, 0, Picture.Handle());
  }
}

void TSpeedButton::Paint(TCanvas& canvas) {
  RECT r{0, 0, Width(), Height()};
  DrawFrameControl(canvas.Handle(), &r, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (Down ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
  SIZE size = canvas.TextExtent(caption_, Font);
  canvas.TextOut((Width() - size.cx) / 2, (Height() - size.cy) / 2, caption_, Font, true);
}

void TButton::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "BUTTON";
  params.style |= WS_TABSTOP | (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
    Click();
    message.Result = 0;
    return;
  }
  TButtonControl::WndProc(message);
}

void TCheckableButton::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "BUTTON";
  params.style |= WS_TABSTOP | ButtonStyle();
}

void TCheckableButton::AfterCreate() {
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckableButton::Checked() const {
  if (!HandleAllocated()) return checked_;
  return SendMessageA(const_cast<TCheckableButton*>(this)->Handle(), BM_GETCHECK, 0, 0) ==
         BST_CHECKED;
}

void TCheckableButton::SetChecked(bool checked) {
  checked_ = checked;
  if (HandleAllocated()) {
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void TCheckableButton::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
    checked_ = Checked();
    Click();
    message.Result = 0;
    return;
  }
  TButtonControl::WndProc(message);
}

void TScrollBar::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "SCROLLBAR";
  params.style |= WS_TABSTOP | (Vertical ? SBS_VERT : SBS_HORZ);
}

void TCustomMemo::CreateParamsFor(CreateParams& params) {
  TCustomEdit::CreateParamsFor(params);
  params.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  Color = clWindow;
  ParentColor = false;
}

void TCustomEdit::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "EDIT";
  params.style |= WS_TABSTOP | ES_AUTOHSCROLL | (ReadOnly ? ES_READONLY : 0);
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND:
      if (HIWORD(message.WParam) == EN_CHANGE && OnChange) OnChange(this);
      message.Result = 0;
      return;
    case WM_GETDLGCODE: {
      // Enter belongs to the edit when someone listens for key presses; Tab still moves on.
      TWinControl::WndProc(message);
      const auto* msg = reinterpret_cast<const MSG*>(message.LParam);
      if (OnKeyPress && msg != nullptr &&
          ((msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) ||
           (msg->message == WM_CHAR && msg->wParam == '\r'))) {
        message.Result |= DLGC_WANTMESSAGE;
      }
      return;
    }
    default:
      TWinControl::WndProc(message);
  }
}

void TCustomGroupBox::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "BUTTON";
  params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
  params.exStyle |= WS_EX_CONTROLPARENT;  // Tab goes on into the controls it holds
}

void TCustomGroupBox::WndProc(TMessage& message) {
  if (message.Msg == WM_PAINT && !Controls().empty()) {
    // The frame first, then the windowless children over it.
    TWinControl::WndProc(message);
    HDC dc = GetDC(Handle());
    PaintControls(dc, nullptr);
    ReleaseDC(Handle(), dc);
    return;
  }
  if (message.Msg == WM_ERASEBKGND) {
    // The system leaves a group box's inside unpainted; ours holds other controls.
    RECT r;
    GetClientRect(Handle(), &r);
    TCanvas(reinterpret_cast<HDC>(message.WParam)).FillRect(r, EffectiveColor());
    message.Result = 1;
    return;
  }
  if (message.Msg == WM_NCHITTEST) {
    // A group box says "transparent" to hit tests; ours hosts clickable children.
    message.Result = HTCLIENT;
    return;
  }
  TWinControl::WndProc(message);
}

void TCustomComboBox::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = "COMBOBOX";
  params.style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
  params.height = 200;  // room for the drop-down list
}

void TCustomComboBox::AfterCreate() {
  for (const auto& item : Items) {
    SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

int TCustomComboBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  return static_cast<int>(
      SendMessageA(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index) {
  itemIndex_ = index;
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomComboBox::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    if (HIWORD(message.WParam) == CBN_SELCHANGE) {
      itemIndex_ = ItemIndex();
      if (OnChange) OnChange(this);
    }
    message.Result = 0;
    return;
  }
  TWinControl::WndProc(message);
}

}  // namespace brevlo::ui
