#pragma once

// Control skinners: each sits in front of one control's message handling and, where the skin
// has something to say, paints it. A skinner lets go of its control when destroyed, and when
// the control goes first it simply stops.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "skin/SkinBitmap.h"
#include "skin/win32/SkinPaint.h"
#include "ui/Controls.h"

namespace brevlo::skin {

class TskSkinEngine;
class TskSkinWindow;

class TskSkinControl : public ui::TObject {
  BREVLO_CLASS(TskSkinControl, ui::TObject)
 public:
  TskSkinControl(TskSkinWindow* window, TskSkinEngine* engine);
  ~TskSkinControl() override;
  TskSkinControl(const TskSkinControl&) = delete;
  TskSkinControl& operator=(const TskSkinControl&) = delete;

  enum StateBits : unsigned { Hot = 1, Pressed = 2 };

  // Hooks the control, then Init and Reapply. False when there was nothing to hook.
  bool Start();
  // Called once after hooking and on every skin change.
  virtual void Reapply() {}
  virtual void Init() {}
  // Before destruction: no post-step runs after this.
  virtual void Release() { detached_ = true; }
  // The control's client rectangle, or the whole window of a foreign control.
  virtual RECT PaintRect() const = 0;
  virtual HWND ControlHandle() const = 0;
  virtual bool IsEnabled() const = 0;
  virtual bool WantsParentColor() const { return false; }
  // The control or window this skinner is registered under.
  virtual const void* Key() const = 0;
  // Gives the control its own handling back; safe to call twice.
  virtual void Unhook() = 0;
  virtual void Repaint() = 0;

  unsigned State() const { return state_; }
  bool Detached() const { return detached_; }
  // The scale the control is drawn at: its window's.
  int Dpi() const;
  TskSkinEngine* Engine() const { return engine_; }
  TskSkinWindow* Window() const { return window_; }

 protected:
  virtual bool Hook() = 0;
  // False: the control's own handling is skipped.
  virtual bool PreFilter(ui::TMessage& /*message*/) { return true; }
  virtual void PostProcess(ui::TMessage& message);
  virtual void Paint() {}
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  virtual void MouseDown() {}
  virtual void MouseUp() {}
  virtual void KeyDown(WPARAM /*key*/) {}
  virtual void KeyUp(WPARAM /*key*/) {}
  // Whether skin handling applies to this message at all.
  virtual bool Filtering() const;
  void RepaintIfEnabled();

  TskSkinWindow* window_;
  TskSkinEngine* engine_;
  unsigned state_ = 0;
  bool detached_ = false;
  // Read after a call that may have destroyed this skinner.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A control of ours, through the hook chain of its message handling.
class TskSkinControlOwn : public TskSkinControl {
  BREVLO_CLASS(TskSkinControlOwn, TskSkinControl)
 public:
  TskSkinControlOwn(TskSkinWindow* window, TskSkinEngine* engine, ui::TControl* control);
  ~TskSkinControlOwn() override;
  ui::TControl* Control() const { return control_; }
  RECT PaintRect() const override;
  HWND ControlHandle() const override;
  bool IsEnabled() const override;
  const void* Key() const override { return control_; }
  void Unhook() override;
  void Repaint() override;

 protected:
  bool Hook() override;
  bool Filtering() const override;
  ui::TControl* control_;

 private:
  void ControlGone();
  ui::THookHandle hook_;
};

// A child window of a foreign window, through the platform's subclass chain.
class TskSkinControlWnd : public TskSkinControl {
  BREVLO_CLASS(TskSkinControlWnd, TskSkinControl)
 public:
  TskSkinControlWnd(TskSkinWindow* window, TskSkinEngine* engine, HWND hwnd);
  ~TskSkinControlWnd() override;
  RECT PaintRect() const override;
  HWND ControlHandle() const override { return hwnd_; }
  bool IsEnabled() const override;
  const void* Key() const override { return hwnd_; }
  void Unhook() override;
  void Repaint() override;

 protected:
  bool Hook() override;
  HWND hwnd_;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR refData);
  bool hooked_ = false;
};

// A skin colour, or the fallback when the skin has none.
COLORREF SkinColor(const TskSkinEngine* engine, const char* name, COLORREF fallback);
Pixel SkinPixel(const TskSkinEngine* engine, const char* name, COLORREF fallback);
Pixel FormPixel(const TskSkinEngine* engine);
// Paints on the window's DC, when the window is shown.
void PaintOnWindow(HWND hwnd, const std::function<void(HDC)>& paint);
// For a control the skin paints whole: WM_PAINT painted through BeginPaint, WM_PRINTCLIENT on
// the DC it brings and WM_ERASEBKGND answered. False for any other message.
bool PaintsItself(ui::TMessage& message, HWND hwnd, const std::function<void(HDC)>& paint);
// The mouse coming or going, after which a control without a hot look needs no paint.
bool HoverOnly(UINT msg);

// The three-state face of push buttons: frames of `ButtonImage`, drawn off screen with the
// focus rectangle and the caption, then copied in one piece.
class TskButtonFace {
 public:
  void Load(const TskSkinEngine* engine, int dpi);
  // Loads again when the control has moved to another scale.
  void Follow(const TskSkinEngine* engine, int dpi) {
    if (dpi != dpi_) Load(engine, dpi);
  }
  void Paint(HDC target, int width, int height, unsigned state, bool focused, bool enabled,
             const std::string& text, HFONT font, COLORREF textColor, HBITMAP glyph);

 private:
  TskBitmap frames_[3];
  bool transparent_ = true;
  COLORREF background_ = 0;
  int dpi_ = 0;
  TskDib dib_;
};

// What push buttons of ours and of dialogs share: the face, and the rules that make a click
// of a press, Space or a focus change.
template <typename Variant>
class TskPushSkinner : public Variant {
 public:
  using Variant::Variant;
  void Reapply() override { face_.Load(this->engine_, this->Dpi()); }
  void Init() override { clickStarted_ = false; }

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;
  void MouseDown() override;
  void MouseUp() override;
  void MouseLeave() override { clickStarted_ = false; }
  void KeyUp(WPARAM key) override;
  // Whether a press may start a click; the button takes the focus then when it can.
  virtual bool TakePress() = 0;
  // May free the form and the skinner with it.
  virtual void Clicked() = 0;
  virtual void PaintOn(HDC dc) = 0;
  void PaintAtDpi(HDC dc) {
    face_.Follow(this->engine_, this->Dpi());
    PaintOn(dc);
  }

  TskButtonFace face_;
  bool clickStarted_ = false;
  bool spaceDown_ = false;
  bool enterDown_ = false;
  LPARAM lastMouse_ = 0;
};
extern template class TskPushSkinner<TskSkinControlOwn>;
extern template class TskPushSkinner<TskSkinControlWnd>;

// The push button: drawn whole from the skin, clicked by the skinner itself.
class TskSkinButton : public TskPushSkinner<TskSkinControlOwn> {
  BREVLO_CLASS(TskSkinButton, TskSkinControlOwn)
 public:
  using TskPushSkinner::TskPushSkinner;

 protected:
  void PostProcess(ui::TMessage& message) override;
  bool TakePress() override;
  void Clicked() override;
  void PaintOn(HDC dc) override;
};

// The box of a check box or radio button, laid over the platform's own drawing.
class TskCheckMark {
 public:
  void Load(const TskSkinEngine* engine, bool radio, int dpi);
  // Loads again first when the control has moved to another scale.
  void Paint(const TskSkinEngine* engine, bool radio, int dpi, HWND hwnd, COLORREF fill,
             bool enabled);
  // Messages after which the platform has drawn its own box again.
  static bool Repaints(UINT msg);

 private:
  TskBitmap frames_[4];
  bool transparent_ = false;
  int dpi_ = 0;
  TskDib dib_;
};

// What check boxes and radio buttons of ours and of dialogs share.
template <typename Variant>
class TskCheckSkinner : public Variant {
 public:
  using Variant::Variant;
  void Reapply() override { mark_.Load(this->engine_, Radio(), this->Dpi()); }

 protected:
  void PostProcess(ui::TMessage& message) override {
    Variant::PostProcess(message);
    if (TskCheckMark::Repaints(message.Msg)) this->RepaintIfEnabled();
  }
  void Paint() override {
    mark_.Paint(this->engine_, Radio(), this->Dpi(), this->ControlHandle(), Fill(),
                this->IsEnabled());
  }
  virtual bool Radio() const { return false; }
  // The colour around the box.
  virtual COLORREF Fill() const = 0;
  TskCheckMark mark_;
};

class TskSkinCheckBox : public TskCheckSkinner<TskSkinControlOwn> {
  BREVLO_CLASS(TskSkinCheckBox, TskSkinControlOwn)
 public:
  using TskCheckSkinner::TskCheckSkinner;

 protected:
  COLORREF Fill() const override;
};

class TskSkinRadioButton : public TskSkinCheckBox {
  BREVLO_CLASS(TskSkinRadioButton, TskSkinCheckBox)
 public:
  using TskSkinCheckBox::TskSkinCheckBox;

 protected:
  bool PreFilter(ui::TMessage& message) override;
  bool Radio() const override { return true; }
};

class TskSkinGroupBox : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinGroupBox, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  bool WantsParentColor() const override { return true; }

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  void PaintOn(HDC dc);
  TskDib dib_;
};

// Paints nothing: the panel only takes its parent's colour.
class TskSkinPanel : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinPanel, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  bool WantsParentColor() const override { return true; }
};

class TskSkinStatusBar : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinStatusBar, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  bool WantsParentColor() const override { return true; }
  void Reapply() override;
  void Release() override;

 protected:
  void Paint() override;
};

class TskSkinProgressBar : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinProgressBar, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  void Reapply() override;

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  void PaintOn(HDC dc);
  TskBitmap image_;
  bool vertical_ = false;
  int dpi_ = 0;
  TskDib dib_;
};

// Frames, button and arrow of a drop-down combo box over the platform's drawing.
void PaintComboBox(const TskSkinEngine* engine, HWND combo, bool enabled, int dpi);
// The platform's face of a drop-down combo box and our parts on it, drawn off screen and copied
// once: to `target`, or without one as the answer to WM_PAINT. False for a combo box of another
// kind, left to the platform.
bool PaintComboBoxWhole(const TskSkinEngine* engine, HWND combo, bool enabled, int dpi, TskDib& dib,
                        HDC target);
// Messages after which the platform has drawn those parts again.
bool ComboRepaints(UINT msg);

// What combo boxes of ours and of dialogs share.
template <typename Variant>
class TskComboSkinner : public Variant {
 public:
  using Variant::Variant;

 protected:
  bool PreFilter(ui::TMessage& message) override {
    // The platform's own face is asked for by a print, which must reach it.
    const bool print = message.Msg == WM_PRINTCLIENT && message.WParam != 0 && !printing_;
    if ((message.Msg == WM_PAINT && message.WParam == 0) || print) {
      printing_ = true;
      const bool painted =
          PaintComboBoxWhole(this->engine_, this->ControlHandle(), this->IsEnabled(), this->Dpi(),
                             dib_, print ? reinterpret_cast<HDC>(message.WParam) : nullptr);
      printing_ = false;
      if (painted) {
        message.Result = 0;
        return false;
      }
    }
    return Variant::PreFilter(message);
  }
  void PostProcess(ui::TMessage& message) override {
    // A paint is whole already, and the mouse changes nothing of ours.
    if (message.Msg == WM_PAINT || HoverOnly(message.Msg)) return;
    Variant::PostProcess(message);
    if (ComboRepaints(message.Msg)) this->RepaintIfEnabled();
  }
  void Paint() override {
    PaintComboBox(this->engine_, this->ControlHandle(), this->IsEnabled(), this->Dpi());
  }
  TskDib dib_;
  bool printing_ = false;
};

class TskSkinComboBox : public TskComboSkinner<TskSkinControlOwn> {
  BREVLO_CLASS(TskSkinComboBox, TskSkinControlOwn)
 public:
  using TskComboSkinner::TskComboSkinner;
};

class TskSkinBorderWinControl : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinBorderWinControl, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  void Repaint() override;

 protected:
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;
  bool Bordered() const;
};

// A painted picture of one of a control's scroll bars, laid over the platform's bar; presses on
// it go to the control as presses on its bar, so the platform still does the scrolling.
class TskSkinInternalScrollBar {
 public:
  TskSkinInternalScrollBar(const TskSkinEngine* engine, HWND control, bool vertical);
  ~TskSkinInternalScrollBar();
  TskSkinInternalScrollBar(const TskSkinInternalScrollBar&) = delete;
  TskSkinInternalScrollBar& operator=(const TskSkinInternalScrollBar&) = delete;
  // Follows the platform's bar: placed, shown and painted at its control's scale, or hidden.
  void Update(int dpi);
  void Hide();
  HWND Handle() const { return hwnd_; }
  HWND Control() const { return control_; }
  bool Vertical() const { return vertical_; }
  // Whether the platform shows the control's bar, and where.
  static bool BarOnScreen(HWND control, bool vertical, SCROLLBARINFO& info);
  // The panels' window procedure; the panel comes with the creation parameter.
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void PaintOn(HDC dc);
  const TskSkinEngine* engine_;
  HWND control_;
  bool vertical_;
  HWND hwnd_ = nullptr;
  SCROLLBARINFO info_{};
  bool painted_ = false;
  int dpi_ = 96;
  TskDib dib_;
};

class TskSkinScrollWinControl : public TskSkinBorderWinControl {
  BREVLO_CLASS(TskSkinScrollWinControl, TskSkinBorderWinControl)
 public:
  using TskSkinBorderWinControl::TskSkinBorderWinControl;
  void Reapply() override;
  void Release() override;
  const TskSkinInternalScrollBar* Bar(bool vertical) const {
    return (vertical ? vertical_ : horizontal_).get();
  }

 protected:
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  bool WantsBars() const;
  void UpdateBars();
  std::unique_ptr<TskSkinInternalScrollBar> vertical_;
  std::unique_ptr<TskSkinInternalScrollBar> horizontal_;
};

class TskSkinScrollBar : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinScrollBar, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;
  void Reapply() override;
  void Release() override;

 protected:
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  void GiveBackTabStop();
  bool tookTabStop_ = false;
};

// A windowless button: painted on its parent's paint, with the canvas that comes with it.
class TskSkinSpeedButton : public TskSkinControlOwn {
  BREVLO_CLASS(TskSkinSpeedButton, TskSkinControlOwn)
 public:
  using TskSkinControlOwn::TskSkinControlOwn;

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  void PaintOn(HDC dc);
};

// Buttons of message boxes and standard dialogs.
class TskSkinWndButton : public TskPushSkinner<TskSkinControlWnd> {
  BREVLO_CLASS(TskSkinWndButton, TskSkinControlWnd)
 public:
  using TskPushSkinner::TskPushSkinner;
  ~TskSkinWndButton() override;
  void Reapply() override;

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  bool TakePress() override;
  void Clicked() override;
  void PaintOn(HDC dc) override;

 private:
  HFONT font_ = nullptr;
};

class TskSkinWndCheckBox : public TskCheckSkinner<TskSkinControlWnd> {
  BREVLO_CLASS(TskSkinWndCheckBox, TskSkinControlWnd)
 public:
  using TskCheckSkinner::TskCheckSkinner;

 protected:
  COLORREF Fill() const override;
};

class TskSkinWndRadioButton : public TskSkinWndCheckBox {
  BREVLO_CLASS(TskSkinWndRadioButton, TskSkinWndCheckBox)
 public:
  using TskSkinWndCheckBox::TskSkinWndCheckBox;

 protected:
  bool Radio() const override { return true; }
};

class TskSkinWndComboBox : public TskComboSkinner<TskSkinControlWnd> {
  BREVLO_CLASS(TskSkinWndComboBox, TskSkinControlWnd)
 public:
  using TskComboSkinner::TskComboSkinner;
};

class TskSkinWndTabControl : public TskSkinControlWnd {
  BREVLO_CLASS(TskSkinWndTabControl, TskSkinControlWnd)
 public:
  using TskSkinControlWnd::TskSkinControlWnd;

 protected:
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Paint() override;

 private:
  void PaintOn(HDC dc);
  TskDib dib_;
};

// Only makes the tool bar flat and transparent; the platform draws it.
class TskSkinWndToolbarWindow32 : public TskSkinControlWnd {
  BREVLO_CLASS(TskSkinWndToolbarWindow32, TskSkinControlWnd)
 public:
  using TskSkinControlWnd::TskSkinControlWnd;
  void Reapply() override;
  void Release() override;

 private:
  void Restore();
  LRESULT savedStyle_ = -1;
};

// A skinner of the named class for a control of ours or a foreign window; null for a name
// that is no such class.
std::unique_ptr<TskSkinControlOwn> MakeOwnSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, ui::TControl* control);
std::unique_ptr<TskSkinControlWnd> MakeWndSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, HWND hwnd);

}  // namespace brevlo::skin
