#pragma once

// Control skinners: each sits in front of one control's message handling and, where the skin
// has something to say, paints it. A skinner lets go of its control when destroyed, and when
// the control goes first it simply stops.

#include <windows.h>

#include <memory>

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

 private:
  void ControlGone();
  ui::TControl* control_;
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

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR refData);
  HWND hwnd_;
  bool hooked_ = false;
};

// The members of the family, one per kind of control. Their painting comes with the skinned
// controls; until then each hooks its control, answers the engine's questions and passes the
// rest on.
#define BREVLO_SKINNER(Name, Base) \
  class Name : public Base {       \
    BREVLO_CLASS(Name, Base)       \
   public:                         \
    using Base::Base;              \
  };
#define BREVLO_SKINNER_PARENT_COLOR(Name, Base)             \
  class Name : public Base {                                \
    BREVLO_CLASS(Name, Base)                                \
   public:                                                  \
    using Base::Base;                                       \
    bool WantsParentColor() const override { return true; } \
  };

BREVLO_SKINNER(TskSkinButton, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinCheckBox, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinRadioButton, TskSkinControlOwn)
BREVLO_SKINNER_PARENT_COLOR(TskSkinGroupBox, TskSkinControlOwn)
BREVLO_SKINNER_PARENT_COLOR(TskSkinPanel, TskSkinControlOwn)
BREVLO_SKINNER_PARENT_COLOR(TskSkinStatusBar, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinProgressBar, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinComboBox, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinBorderWinControl, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinScrollWinControl, TskSkinBorderWinControl)
BREVLO_SKINNER(TskSkinGrid, TskSkinScrollWinControl)
BREVLO_SKINNER(TskSkinScrollBar, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinSpeedButton, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinTabControl, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinTrackBar, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinUpDown, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinToolBar, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinDateTimePicker, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinFrame, TskSkinControlOwn)
BREVLO_SKINNER(TskSkinWndButton, TskSkinControlWnd)
BREVLO_SKINNER(TskSkinWndCheckBox, TskSkinControlWnd)
BREVLO_SKINNER(TskSkinWndRadioButton, TskSkinControlWnd)
BREVLO_SKINNER(TskSkinWndComboBox, TskSkinControlWnd)
BREVLO_SKINNER(TskSkinWndTabControl, TskSkinControlWnd)
BREVLO_SKINNER(TskSkinWndToolbarWindow32, TskSkinControlWnd)

#undef BREVLO_SKINNER
#undef BREVLO_SKINNER_PARENT_COLOR

// A skinner of the named class for a control of ours or a foreign window; null for a name
// that is no such class.
std::unique_ptr<TskSkinControlOwn> MakeOwnSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, ui::TControl* control);
std::unique_ptr<TskSkinControlWnd> MakeWndSkinner(const char* className, TskSkinWindow* window,
                                                  TskSkinEngine* engine, HWND hwnd);

}  // namespace brevlo::skin
