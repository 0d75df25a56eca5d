#pragma once

// Skinned-window wrappers: one per top-level window the engine takes over. A wrapper sits in
// front of the window's message handling, gives each of the window's controls a skinner, and
// shows or drops the skin as the engine asks.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/SkinFrame.h"
#include "skin/win32/SkinControl.h"
#include "skin/win32/SkinPaint.h"
#include "ui/Forms.h"

namespace brevlo::skin {

class TskSkinEngine;

// A window's class name as the platform reports it.
std::string WindowClassName(HWND hwnd);

class TskSkinWindow : public ui::TObject {
  BREVLO_CLASS(TskSkinWindow, ui::TObject)
 public:
  TskSkinWindow(TskSkinEngine* engine, bool dialog);
  ~TskSkinWindow() override;
  TskSkinWindow(const TskSkinWindow&) = delete;
  TskSkinWindow& operator=(const TskSkinWindow&) = delete;

  // Hooks the window, gives its controls skinners and starts when it can.
  void Setup(HWND hwnd);
  // Lets go of the controls and the window; the wrapper can then be deleted. Safe twice.
  void Shutdown();

  void SetSkinWanted(bool wanted);
  bool SkinWanted() const { return skinWanted_; }
  bool Started() const { return started_; }
  bool Active() const { return active_; }
  bool IsDialog() const { return dialog_; }
  bool CaptionShown() const { return captionShown_; }
  bool BorderShown() const { return borderShown_; }
  const std::vector<std::unique_ptr<TskSkinControl>>& Skinners() const { return skinners_; }

  void ShowCaption(bool shown);
  void ShowBorder(bool shown);
  // The frame's sizes for this window now.
  FrameMetrics Metrics() const;
  // The dots per inch the window is drawn at: the last WM_DPICHANGED's, else the window's own.
  int Dpi() const;
  // What the last frame paint offered, for the system menu.
  bool CanMaximize() const { return canMaximize_; }
  bool MaximizeItemEnabled() const { return maximizeItemEnabled_; }
  bool MinimizeItemEnabled() const { return minimizeItemEnabled_; }
  bool CloseItemEnabled() const { return closeItemEnabled_; }
  CaptionButtonKind HotButton() const { return hotButton_; }
  bool MouseDown() const { return mouseDown_; }
  // The caption's layout for the window's present size and state, in window coordinates.
  CaptionLayout CaptionLayoutNow() const;

  virtual HWND WindowHandle() const = 0;
  virtual HICON IconHandle() const { return nullptr; }
  virtual bool WantsRegion() const { return true; }
  virtual bool HasIcon() const { return false; }
  virtual bool HasCloseButton() const { return true; }
  virtual bool HasMaximizeButton() const { return false; }
  virtual bool HasMinimizeButton() const { return false; }
  virtual bool HasHelpButton() const { return false; }
  virtual int MenuBarHeight() const { return 0; }
  virtual bool StartsHidden() const { return false; }

 protected:
  virtual void ApplySkinState() = 0;
  // The window's handling behind the wrapper. False: the wrapper went meanwhile.
  virtual bool CallDefault(ui::TMessage& message) = 0;
  virtual void BeforeStart() {}
  // The window is now drawn at another scale: sizes kept from the old one follow.
  virtual void ScaleChanged(int /*from*/, int /*to*/) {}
  virtual void AttachControls() = 0;
  virtual bool PreFilter(ui::TMessage& /*message*/) { return true; }
  virtual void PostProcess(ui::TMessage& /*message*/) {}
  virtual void Attach(HWND hwnd) = 0;
  virtual void Detach() = 0;

  void HandleMessage(ui::TMessage& message);
  void Start();
  void PaintFrame();
  void SetRegion();
  void RemoveRegion();
  // Makes the platform ask for the frame again, keeping the window's outer size.
  void RecalcFrame();
  // Started, the skin wanted and the engine able to draw it.
  bool FrameDrawn() const;
  // Each skinner re-reads the skin and its control is repainted; one that fails stops nothing.
  void ReapplySkinners();
  void DetachControls();
  void AddSkinner(std::unique_ptr<TskSkinControl> skinner);

  TskSkinEngine* engine_;
  bool dialog_;
  bool captionShown_ = true;
  bool borderShown_ = true;
  bool notYetStarted_ = true;
  bool freeing_ = false;
  bool active_ = true;
  bool skinWanted_ = false;
  bool started_ = false;
  bool shutDown_ = false;
  int platformFrameHeight_ = 0;
  int dpi_ = 0;  // 0 until the window is known
  bool canMaximize_ = false;
  bool maximizeItemEnabled_ = false;
  bool minimizeItemEnabled_ = false;
  bool closeItemEnabled_ = false;
  bool mouseDown_ = false;
  CaptionButtonKind pressedButton_ = CaptionButtonKind::None;
  CaptionButtonKind hotButton_ = CaptionButtonKind::None;
  std::vector<std::unique_ptr<TskSkinControl>> skinners_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

 private:
  // Steps taken before the window's own handling; true when the message is answered.
  bool FrameMessage(ui::TMessage& message);
  HitCode HitAt(POINT screen) const;
  void AfterDefault(ui::TMessage& message, const RECT& proposed);
  // The window's handling, with the platform kept from painting its caption meanwhile.
  bool CallDefaultQuietly(ui::TMessage& message);
  void Command(CaptionButtonKind button);
  void ShowSystemMenu(const POINT* at);
  int CaptionBitmapLeft() const;
  CaptionLayout LayOut(int bitmapWidth, bool minimized) const;
  void PaintCaption(HDC dc, int width, bool minimized, bool& minimizedImage);
  void PaintBorders(HDC dc, int width, int height);
  TskDib captionDib_;
  int regionWidth_ = -1;
  int regionHeight_ = -1;
  bool settingRegion_ = false;
  bool leaveTracked_ = false;
};

// One of the program's own forms, through the hook chain of its message handling.
class TskSkinWindowOwn : public TskSkinWindow {
  BREVLO_CLASS(TskSkinWindowOwn, TskSkinWindow)
 public:
  TskSkinWindowOwn(TskSkinEngine* engine, ui::TCustomForm* form, bool dialog);
  ~TskSkinWindowOwn() override;
  ui::TCustomForm* Form() const { return form_; }

  HWND WindowHandle() const override;
  bool HasIcon() const override;
  bool HasCloseButton() const override;
  bool HasMaximizeButton() const override;
  bool HasMinimizeButton() const override;
  bool HasHelpButton() const override;
  bool WantsRegion() const override;
  bool StartsHidden() const override { return true; }

 protected:
  void ApplySkinState() override;
  bool CallDefault(ui::TMessage& message) override;
  void BeforeStart() override;
  void ScaleChanged(int from, int to) override;
  void AttachControls() override;
  void PostProcess(ui::TMessage& message) override;
  void Attach(HWND hwnd) override;
  void Detach() override;

 private:
  void VisitComponents(ui::TComponent* owner);
  void VisitControl(ui::TControl* control);
  void FormGone();
  bool MinMaxAllowed() const;
  void FitMaximized();

  ui::TCustomForm* form_;
  ui::THookHandle hook_;
  const ui::TWndNext* next_ = nullptr;  // of the message being handled
  int savedClientWidth_ = 0;
  int savedClientHeight_ = 0;
  ui::TColor savedColor_ = ui::clBtnFace;
  bool firstShowDone_ = false;
  bool fitting_ = false;
  bool minWidthSet_ = false;
  bool minHeightSet_ = false;
};

// A window of someone else (a message box, a standard dialog), through the platform's
// subclass chain.
class TskSkinWindowWnd : public TskSkinWindow {
  BREVLO_CLASS(TskSkinWindowWnd, TskSkinWindow)
 public:
  TskSkinWindowWnd(TskSkinEngine* engine, HWND hwnd, bool dialog);
  ~TskSkinWindowWnd() override;
  HWND WindowHandle() const override { return hwnd_; }
  bool HasCloseButton() const override;

 protected:
  void ApplySkinState() override;
  bool CallDefault(ui::TMessage& message) override;
  void BeforeStart() override;
  void AttachControls() override;
  bool PreFilter(ui::TMessage& message) override;
  void PostProcess(ui::TMessage& message) override;
  void Attach(HWND hwnd) override;
  void Detach() override;

 private:
  // How much taller the skin's frame is than the platform's was.
  int ExtraHeight() const;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR refData);
  HWND hwnd_;
  bool hooked_ = false;
  bool erased_ = false;
  LONG_PTR startStyle_ = 0;
  LONG_PTR eraseStyle_ = 0;
  int startClientWidth_ = 0;
  int startClientHeight_ = 0;
  HMENU menu_ = nullptr;
  int grownWidth_ = 0;  // what the skin added to the window, taken off again without it
  int grownHeight_ = 0;
  bool onceEnlarged_ = false;
  bool skinned_ = false;
  bool dying_ = false;
};

}  // namespace brevlo::skin
