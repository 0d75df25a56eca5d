#include "ui/Forms.h"

#include "ui/Builder.h"

#include <commctrl.h>

#include <algorithm>

namespace brevlo::ui {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
DWORD StyleFor(TBorderStyle border, unsigned icons) {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (border) {
    case TBorderStyle::None:
      style |= WS_POPUP;
      break;
    case TBorderStyle::Single:
      style |= WS_CAPTION | WS_BORDER;
      break;
    case TBorderStyle::Sizeable:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TBorderStyle::Dialog:
    case TBorderStyle::ToolWindow:
      style |= WS_CAPTION | DS_MODALFRAME;
      break;
  }
  if (border != TBorderStyle::None && (icons & biSystemMenu) != 0) {
    style |= WS_SYSMENU;
    if (border != TBorderStyle::Dialog && border != TBorderStyle::ToolWindow) {
      if ((icons & biMinimize) != 0) style |= WS_MINIMIZEBOX;
      if ((icons & biMaximize) != 0) style |= WS_MAXIMIZEBOX;
    }
  }
  return style;
}

DWORD ExStyleFor(TBorderStyle border) {
  if (border == TBorderStyle::Dialog) return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  if (border == TBorderStyle::ToolWindow) return WS_EX_TOOLWINDOW;
  return WS_EX_WINDOWEDGE;
}
}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  ParentColor = false;
  Color = clBtnFace;
  if (Screen != nullptr) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (Screen != nullptr) Screen->RemoveForm(this);
}

void TCustomForm::CreateParamsFor(CreateParams& params) {
  params.className = OwnWindowClass("BrevloForm", true);
  params.style = StyleFor(BorderStyle, BorderIcons);
  params.exStyle = ExStyleFor(BorderStyle);
  // Secondary windows stay above the main window and go with it.
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  params.parent =
      (main != nullptr && main != this && main->HandleAllocated()) ? main->Handle() : nullptr;
  RECT r{0, 0, clientWidth_, clientHeight_};
  AdjustWindowRectEx(&r, params.style, FALSE, params.exStyle);
  params.x = left_;
  params.y = top_;
  params.width = r.right - r.left;
  params.height = r.bottom - r.top;
  width_ = params.width;
  height_ = params.height;
}

void TCustomForm::SetClientSize(int width, int height) {
  designClient_ = SIZE{UnscaleByDpi(width, Dpi()), UnscaleByDpi(height, Dpi())};
  ResizeClient(width, height);
}

void TCustomForm::ResizeClient(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  if (HandleAllocated()) {
    // The frame the window has now, which may be drawn and measured by someone else than the
    // platform, not the one its style would give.
    RECT window;
    RECT client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    SetWindowPos(Handle(), nullptr, 0, 0, width + frameWidth, height + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TCustomForm::CreateWnd() {
  ChangeDpi(SystemDpi());
  TCustomControl::CreateWnd();
  if (HandleAllocated()) ChangeDpi(WindowDpi(Handle()));
}

void TCustomForm::PlaceAtDpi() {
  // A window keeps its place on the screen; only its size follows the scale.
  ResizeClient(Scaled(designClient_.cx), Scaled(designClient_.cy));
}

int TCustomForm::ClientWidth() const {
  return HandleAllocated() ? ClientRect().right : clientWidth_;
}

int TCustomForm::ClientHeight() const {
  return HandleAllocated() ? ClientRect().bottom : clientHeight_;
}

void TCustomForm::RecalcFrame() {
  if (HandleAllocated()) {
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TCustomForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  RECT window;
  GetWindowRect(Handle(), &window);
  const int w = window.right - window.left;
  const int h = window.bottom - window.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (Position == TPosition::MainFormCenter && Application != nullptr &&
      Application->MainForm() != nullptr && Application->MainForm() != this) {
    GetWindowRect(Application->MainForm()->Handle(), &area);
  } else if (Position == TPosition::Designed) {
    return;
  }
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  x = std::max(0, x);
  y = std::max(0, y);
  left_ = x;
  top_ = y;
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::Show() {
  Handle();
  PlaceOnFirstShow();
  ApplyTabOrder();
  visible_ = true;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  if (OnShow) OnShow(this);
}

void TCustomForm::Hide() {
  visible_ = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

bool TCustomForm::Showing() const {
  return HandleAllocated() && IsWindowVisible(const_cast<TCustomForm*>(this)->Handle());
}

void TCustomForm::Close() {
  const bool isMain = Application != nullptr && Application->MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::Free : TCloseAction::Hide;
  if (OnClose) OnClose(this, action);
  switch (action) {
    case TCloseAction::None:
      return;
    case TCloseAction::Hide:
      Hide();
      if (isMain && Application != nullptr) Application->Terminate();
      return;
    case TCloseAction::Free:
      Hide();
      if (isMain && Application != nullptr) Application->Terminate();
      return;
  }
}

// A button of this form that can be pressed now, the default or the cancel one.
TButton* TCustomForm::DialogButton(bool cancel) {
  for (TComponent* component : Components()) {
    auto* button = dynamic_cast<TButton*>(component);
    if (button == nullptr || !(cancel ? button->Cancel : button->Default)) continue;
    if (button->HandleAllocated() && IsWindowVisible(button->Handle()) &&
        IsWindowEnabled(button->Handle())) {
      return button;
    }
  }
  return nullptr;
}

void TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    // The dialog manager asks for the button that Enter presses, then sends its command.
    case DM_GETDEFID:
      if (TButton* button = DialogButton(false)) {
        message.Result = MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
      } else {
        message.Result = 0;
      }
      return;
    // Escape and Enter, from the dialog manager. No control of ours has the numbers of Cancel
    // and OK, and it finds only the form's own children by number, not a panel's.
    case WM_COMMAND:
      if (message.LParam == 0 && HIWORD(message.WParam) == BN_CLICKED) {
        const UINT command = LOWORD(message.WParam);
        TButton* button = DialogButton(command == IDCANCEL);
        if (button != nullptr && (command == IDCANCEL || command == IDOK ||
                                  command == static_cast<UINT>(GetDlgCtrlID(button->Handle())))) {
          button->Click();
          message.Result = 0;
          return;
        }
      }
      TCustomControl::WndProc(message);
      return;
    case WM_GETDLGCODE:
      message.Result = 0;
      return;
    case WM_DPICHANGED: {
      // Where the platform suggests, then the client at the new scale inside whatever frame
      // the window has there.
      const auto* suggested = reinterpret_cast<const RECT*>(message.LParam);
      SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      left_ = suggested->left;
      top_ = suggested->top;
      ChangeDpi(HIWORD(message.WParam));
      message.Result = 0;
      return;
    }
    case WM_GETMINMAXINFO: {
      TCustomControl::WndProc(message);
      auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
      if (MinWidth > 0) info->ptMinTrackSize.x = MinWidth;
      if (MinHeight > 0) info->ptMinTrackSize.y = MinHeight;
      message.Result = 0;
      return;
    }
    default:
      TCustomControl::WndProc(message);
  }
}

TCustomForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (auto* f : forms_) {
    if (f->HandleAllocated() && f->Handle() == active) return f;
  }
  return nullptr;
}

void TScreen::RemoveForm(TCustomForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

TApplication::TApplication() : TComponent(nullptr) {
  Application = this;
  if (Screen == nullptr) Screen = new TScreen();
}

TApplication::~TApplication() {
  // Forms are components of the application and go first.
  while (!Components().empty()) delete Components().back();
  if (Application == this) Application = nullptr;
  delete Screen;
  Screen = nullptr;
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                           ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                           ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
}

HWND TApplication::FrontWindow() const {
  HWND active = GetActiveWindow();
  if (active != nullptr && IsWindowVisible(active)) return active;
  if (mainForm_ != nullptr && mainForm_->HandleAllocated() &&
      IsWindowVisible(mainForm_->Handle())) {
    return mainForm_->Handle();
  }
  return nullptr;
}

int TApplication::MessageDlg(const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxA(FrontWindow(), text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowError(const std::string& text) {
  MessageBoxA(FrontWindow(), text.c_str(), Title.c_str(), MB_OK | MB_ICONERROR);
}

bool TApplication::DispatchOne(MSG& msg) {
  if (msg.message == WM_KEYDOWN && OnKeyDown) {
    WORD key = static_cast<WORD>(msg.wParam);
    OnKeyDown(key, 0);
    if (key == 0) return true;
  }
  // Tab between controls and Alt+letter accelerators, in whichever of our forms is in front.
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root != nullptr && Screen != nullptr) {
    for (auto* f : Screen->Forms()) {
      if (f->HandleAllocated() && f->Handle() == root) {
        if (IsDialogMessageA(root, &msg)) return true;
        break;
      }
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

bool TApplication::HandleMessage() {
  MSG msg;
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got <= 0) {
    terminated_ = true;
    return false;
  }
  return DispatchOne(msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchOne(msg);
  }
}

void TApplication::Terminate() {
  if (!terminated_) {
    terminated_ = true;
    PostQuitMessage(0);
  }
}

void TApplication::CreatePendingForms() {
  running_ = true;
  std::vector<std::function<void()>> pending;
  pending.swap(pendingForms_);
  for (auto& create : pending) create();
}

void TApplication::Run() {
  terminated_ = false;
  if (mainForm_ != nullptr) {
    mainForm_->Show();
    if (mainForm_->HandleAllocated()) UpdateWindow(mainForm_->Handle());
  }
  CreatePendingForms();
  while (!terminated_ && HandleMessage()) {
  }
}

}  // namespace brevlo::ui
