#pragma once

// Skinned-window wrappers: one per top-level window the engine takes over. A wrapper sits in
// front of the window's message handling, gives each of the window's controls a skinner, and
// shows or drops the skin as the engine asks.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/win32/SkinControl.h"
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

  virtual HWND WindowHandle() const = 0;
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
  virtual void AttachControls() = 0;
  virtual bool PreFilter(ui::TMessage& /*message*/) { return true; }
  virtual void PostProcess(ui::TMessage& /*message*/) {}
  virtual void Attach(HWND hwnd) = 0;
  virtual void Detach() = 0;

  void HandleMessage(ui::TMessage& message);
  void Start();
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
  std::vector<std::unique_ptr<TskSkinControl>> skinners_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
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
  bool StartsHidden() const override { return true; }

 protected:
  void ApplySkinState() override;
  bool CallDefault(ui::TMessage& message) override;
  void BeforeStart() override;
  void AttachControls() override;
  void PostProcess(ui::TMessage& message) override;
  void Attach(HWND hwnd) override;
  void Detach() override;

 private:
  void VisitComponents(ui::TComponent* owner);
  void VisitControl(ui::TControl* control);
  void FormGone();
  bool MinMaxAllowed() const;

  ui::TCustomForm* form_;
  ui::THookHandle hook_;
  const ui::TWndNext* next_ = nullptr;  // of the message being handled
  int savedClientWidth_ = 0;
  int savedClientHeight_ = 0;
  bool firstShowDone_ = false;
};

// A window of someone else (a message box, a standard dialog), through the platform's
// subclass chain.
class TskSkinWindowWnd : public TskSkinWindow {
  BREVLO_CLASS(TskSkinWindowWnd, TskSkinWindow)
 public:
  TskSkinWindowWnd(TskSkinEngine* engine, HWND hwnd, bool dialog);
  ~TskSkinWindowWnd() override;
  HWND WindowHandle() const override { return hwnd_; }

 protected:
  void ApplySkinState() override;
  bool CallDefault(ui::TMessage& message) override;
  void BeforeStart() override;
  void AttachControls() override;
  bool PreFilter(ui::TMessage& message) override;
  void Attach(HWND hwnd) override;
  void Detach() override;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR refData);
  HWND hwnd_;
  bool hooked_ = false;
  bool erased_ = false;
  LONG_PTR startStyle_ = 0;
  LONG_PTR eraseStyle_ = 0;
  int startClientWidth_ = 0;
  int startClientHeight_ = 0;
  int platformFrameHeight_ = 0;
};

}  // namespace brevlo::skin
