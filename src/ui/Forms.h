#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

namespace brevlo::ui {

enum class TBorderStyle { None, Single, Sizeable, Dialog, ToolWindow };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum class TPosition { Designed, ScreenCenter, MainFormCenter };
enum class TCloseAction { None, Hide, Free };

class TCustomForm : public TCustomControl {
  BREVLO_CLASS(TCustomForm, TCustomControl)
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  TBorderStyle BorderStyle = TBorderStyle::Sizeable;
  unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition Position = TPosition::Designed;
  std::string HelpFile;
  // The smallest window the user can size it to; 0: no limit.
  int MinWidth = 0;
  int MinHeight = 0;

  void SetClientSize(int width, int height);
  // The window's client size once it exists, so it follows a frame drawn by someone else.
  int ClientWidth() const;
  int ClientHeight() const;
  // Asks the window for its frame again, keeping its outer size.
  void RecalcFrame();

  void Show();
  void Hide();
  void Close();
  bool Showing() const;

  std::function<void(TObject*, TCloseAction&)> OnClose;
  TNotifyEvent OnShow;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  // Laid out at the screen's scale before its windows are made, at its monitor's after.
  void CreateWnd() override;
  void PlaceAtDpi() override;
  void WndProc(TMessage& message) override;

 private:
  void PlaceOnFirstShow();
  void ResizeClient(int width, int height);
  TButton* DialogButton(bool cancel);
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  SIZE designClient_{};
  bool placed_ = false;
};

class TForm : public TCustomForm {
  BREVLO_CLASS(TForm, TCustomForm)
 public:
  using TCustomForm::TCustomForm;
};

class TScreen {
 public:
  const std::vector<TCustomForm*>& Forms() const { return forms_; }
  TCustomForm* ActiveForm() const;
  void AddForm(TCustomForm* form) { forms_.push_back(form); }
  void RemoveForm(TCustomForm* form);

 private:
  std::vector<TCustomForm*> forms_;
};

class TApplication : public TComponent {
  BREVLO_CLASS(TApplication, TComponent)
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  // Forms after the main one, asked for before Run, start hidden: they are made once the main
  // window is shown and painted (or by CreatePendingForms), rather than keep it from showing.
  template <typename T>
  void CreateForm(T*& reference) {
    CreateForm(reference, [](TComponent* owner) { return new T(owner); });
  }
  // make(owner) makes the form, for forms that are handed more than their owner.
  template <typename T, typename Make>
  void CreateForm(T*& reference, Make make) {
    if (mainForm_ != nullptr && !running_) {
      pendingForms_.push_back([this, &reference, make] { reference = make(this); });
      return;
    }
    reference = make(this);
    if (mainForm_ == nullptr) mainForm_ = reference;
  }
  void CreatePendingForms();
  void Run();
  void ProcessMessages();
  bool HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  std::string Title;
  std::string HelpFile;
  // Seen before any window gets a key; set key to 0 to swallow it.
  std::function<void(WORD& key, UINT shift)> OnKeyDown;

  // Modal box owned by the window in front.
  int MessageDlg(const std::string& text, const std::string& caption, UINT flags);
  void ShowError(const std::string& text);
  HWND FrontWindow() const;

 private:
  bool DispatchOne(MSG& msg);
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  std::vector<std::function<void()>> pendingForms_;
};

extern TApplication* Application;
extern TScreen* Screen;

}  // namespace brevlo::ui
