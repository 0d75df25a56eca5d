#include "skin/win32/SkinWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "skin/SkinRules.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Menus.h"

namespace brevlo::skin {
namespace {
constexpr UINT_PTR WindowSubclassId = 0x534B4E57;
}  // namespace

std::string WindowClassName(HWND hwnd) {
  char name[68] = {};  // class names of more than 67 characters are not told apart
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

TskSkinWindow::TskSkinWindow(TskSkinEngine* engine, bool dialog)
    : engine_(engine), dialog_(dialog) {}

TskSkinWindow::~TskSkinWindow() {
  *alive_ = false;
}

void TskSkinWindow::Setup(HWND hwnd) {
  skinWanted_ = engine_->Enabled();
  Attach(hwnd);
  AttachControls();
  SetSkinWanted(engine_->Enabled());
}

void TskSkinWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  freeing_ = true;
  SetSkinWanted(false);
  DetachControls();
  Detach();
}

void TskSkinWindow::SetSkinWanted(bool wanted) {
  skinWanted_ = wanted;
  if (started_) {
    ApplySkinState();
    return;
  }
  HWND hwnd = WindowHandle();
  if ((hwnd != nullptr && IsWindowVisible(hwnd)) || StartsHidden()) Start();
}

void TskSkinWindow::Start() {
  BeforeStart();
  started_ = true;
  SetSkinWanted(skinWanted_);
  notYetStarted_ = false;
}

void TskSkinWindow::AddSkinner(std::unique_ptr<TskSkinControl> skinner) {
  if (skinner != nullptr && skinner->Start()) skinners_.push_back(std::move(skinner));
}

void TskSkinWindow::ReapplySkinners() {
  for (auto& skinner : skinners_) {
    if (skinner->Detached()) continue;
    skinner->Reapply();
    skinner->Repaint();
  }
}

void TskSkinWindow::DetachControls() {
  // Newest first, so that each control's chain unwinds the way it was built.
  while (!skinners_.empty()) {
    std::unique_ptr<TskSkinControl> skinner = std::move(skinners_.back());
    skinners_.pop_back();
    skinner->Release();
    skinner->Unhook();
  }
}

void TskSkinWindow::HandleMessage(ui::TMessage& message) {
  const std::shared_ptr<bool> alive = alive_;
  if (message.Msg == WM_PAINT && !started_ && !StartsHidden()) {
    Start();
    if (!*alive) return;
  }
  if (!engine_->Enabled()) {
    CallDefault(message);
    return;
  }
  // PreFilter may have let the window go (and this wrapper with it).
  if (!PreFilter(message)) return;
  if (!CallDefault(message) || !*alive) return;
  switch (message.Msg) {
    case WM_DESTROY:
    case WM_ACTIVATEAPP:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case ui::CM_RELEASE:
      return;
    default:
      break;
  }
  PostProcess(message);
  if (!*alive) return;
  switch (message.Msg) {
    case WM_ACTIVATE:
      active_ = LOWORD(message.WParam) != WA_INACTIVE;
      break;
    case WM_NCACTIVATE:
      active_ = message.WParam != FALSE;
      break;
    case SKM_ISACTIVE:
      message.Result = active_ ? 1 : 2;
      break;
    case SKM_ISSKINNED:
      message.Result = 1;
      break;
    case SKM_MENUBARHEIGHT:
      message.Result = MenuBarHeight();
      break;
    default:
      break;
  }
}

// ---- the program's own forms ----

TskSkinWindowOwn::TskSkinWindowOwn(TskSkinEngine* engine, ui::TCustomForm* form, bool dialog)
    : TskSkinWindow(engine, dialog), form_(form) {}

TskSkinWindowOwn::~TskSkinWindowOwn() {
  Shutdown();
}

HWND TskSkinWindowOwn::WindowHandle() const {
  return form_ != nullptr && form_->HandleAllocated() ? form_->Handle() : nullptr;
}

bool TskSkinWindowOwn::MinMaxAllowed() const {
  return form_ != nullptr && (form_->BorderIcons & ui::biSystemMenu) != 0 &&
         form_->BorderStyle != ui::TBorderStyle::Dialog &&
         form_->BorderStyle != ui::TBorderStyle::ToolWindow;
}

bool TskSkinWindowOwn::HasIcon() const {
  return form_ != nullptr &&
         (form_->BorderStyle == ui::TBorderStyle::Single ||
          form_->BorderStyle == ui::TBorderStyle::Sizeable) &&
         (form_->BorderIcons & ui::biSystemMenu) != 0;
}

bool TskSkinWindowOwn::HasCloseButton() const {
  return form_ != nullptr && (form_->BorderIcons & ui::biSystemMenu) != 0;
}

bool TskSkinWindowOwn::HasMaximizeButton() const {
  return MinMaxAllowed() && (form_->BorderIcons & ui::biMaximize) != 0;
}

bool TskSkinWindowOwn::HasMinimizeButton() const {
  return MinMaxAllowed() && (form_->BorderIcons & ui::biMinimize) != 0;
}

void TskSkinWindowOwn::Attach(HWND) {
  hook_ = form_->ChainWindowProc(
      [this](ui::TMessage& message, const ui::TWndNext& next) {
        const ui::TWndNext* outer = next_;
        next_ = &next;
        const std::shared_ptr<bool> alive = alive_;
        HandleMessage(message);
        if (*alive) next_ = outer;
      },
      [this] { FormGone(); });
  captionShown_ = form_->Parent() == nullptr && form_->BorderStyle != ui::TBorderStyle::None;
  borderShown_ = form_->BorderStyle != ui::TBorderStyle::None;
}

void TskSkinWindowOwn::Detach() {
  hook_.Unchain();
}

void TskSkinWindowOwn::FormGone() {
  // The form is on its way out: nothing of it may be touched any more.
  form_ = nullptr;
  engine_->WindowGone(this);
}

bool TskSkinWindowOwn::CallDefault(ui::TMessage& message) {
  if (next_ == nullptr) {
    message.Result = 0;
    return true;
  }
  const std::shared_ptr<bool> alive = alive_;
  const bool chained = (*next_)(message);
  return chained && *alive;
}

void TskSkinWindowOwn::BeforeStart() {
  if (form_ == nullptr) return;
  savedClientWidth_ = form_->ClientWidth();
  savedClientHeight_ = form_->ClientHeight();
}

void TskSkinWindowOwn::ApplySkinState() {
  if (!freeing_) ReapplySkinners();
  if (form_ == nullptr || !skinWanted_) return;
  for (auto* component : form_->Components()) {
    auto* menu = dynamic_cast<ui::TPopupMenu*>(component);
    if (menu != nullptr && menu->Tag != engine_->DisabledTag) engine_->OwnerDrawMenu(menu);
  }
}

void TskSkinWindowOwn::PostProcess(ui::TMessage& message) {
  if (message.Msg == WM_SHOWWINDOW && message.WParam != FALSE && !firstShowDone_ &&
      ui::Application != nullptr && ui::Application->MainForm() == form_) {
    firstShowDone_ = true;
    if (engine_->SkinAllForms()) engine_->SkinAllFormsNow();
  }
}

void TskSkinWindowOwn::AttachControls() {
  VisitComponents(form_);
}

void TskSkinWindowOwn::VisitComponents(ui::TComponent* owner) {
  // A copy: skinners are no components, but a visit may still make some (panels of painted
  // scroll bars, for instance).
  const std::vector<ui::TComponent*> components = owner->Components();
  for (auto* component : components) {
    if (auto* control = dynamic_cast<ui::TControl*>(component)) VisitControl(control);
  }
}

void TskSkinWindowOwn::VisitControl(ui::TControl* control) {
  if (engine_->Designing() || !control->WindowProc) return;
  if (ControlTagExcluded(control->Tag, engine_->DisabledTag)) return;
  const std::string className = control->ClassName();
  if (className == "TskSkinInternalScrollBar" || className == "TskSkinInternalComboButton") {
    return;
  }
  // One skinner per control, however often a form is visited.
  if (engine_->SkinnerOf(control) != nullptr) return;
  if (auto* windowed = dynamic_cast<ui::TWinControl*>(control);
      windowed != nullptr && windowed->HandleAllocated() &&
      SendMessageA(windowed->Handle(), SKM_ISSKINNED, 0, 0) == 1) {
    return;
  }
  if (OwnClassExcluded(className)) return;
  if (TskSkinEngine::ExcludedClasses().Contains(className) || control->Parent() == nullptr) {
    return;
  }
  if (auto* embedded = dynamic_cast<ui::TCustomForm*>(control)) {
    if (!embedded->Name.empty()) {
      embedded->ParentColor = false;
      embedded->Color = engine_->FormBackgroundColor();
      VisitComponents(embedded);
    }
    return;
  }
  const char* skinnerClass =
      ProgramSkinnerFor([control](const char* name) { return control->InheritsFrom(name); });
  if (skinnerClass == nullptr) return;
  std::unique_ptr<TskSkinControlOwn> skinner = MakeOwnSkinner(skinnerClass, this, engine_, control);
  if (skinner == nullptr || !skinner->Start()) return;
  if (skinner->WantsParentColor()) control->ParentColor = true;
  skinners_.push_back(std::move(skinner));
  if (className != "TDBLookupComboBox") VisitComponents(control);
}

// ---- foreign windows ----

TskSkinWindowWnd::TskSkinWindowWnd(TskSkinEngine* engine, HWND hwnd, bool dialog)
    : TskSkinWindow(engine, dialog), hwnd_(hwnd) {}

TskSkinWindowWnd::~TskSkinWindowWnd() {
  Shutdown();
}

void TskSkinWindowWnd::Attach(HWND) {
  hooked_ =
      SetWindowSubclass(hwnd_, Proc, WindowSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void TskSkinWindowWnd::Detach() {
  if (!hooked_) return;
  hooked_ = false;
  if (IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, Proc, WindowSubclassId);
}

LRESULT CALLBACK TskSkinWindowWnd::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR refData) {
  auto* self = reinterpret_cast<TskSkinWindowWnd*>(refData);
  if (msg == WM_NCDESTROY) {
    // Normally gone with WM_DESTROY; never left behind in a window that is no more.
    self->engine_->UnskinWindow(hwnd);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  ui::TMessage message{msg, wParam, lParam, 0};
  self->HandleMessage(message);
  return message.Result;
}

bool TskSkinWindowWnd::CallDefault(ui::TMessage& message) {
  const std::shared_ptr<bool> alive = alive_;
  message.Result = DefSubclassProc(hwnd_, message.Msg, message.WParam, message.LParam);
  return *alive;
}

bool TskSkinWindowWnd::PreFilter(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      if (!erased_) {
        erased_ = true;
        eraseStyle_ = GetWindowLongPtrA(hwnd_, GWL_STYLE);
      }
      return true;
    case WM_DESTROY: {
      // The window's own clean-up runs first; then the engine lets go of it.
      HWND hwnd = hwnd_;
      TskSkinEngine* engine = engine_;
      if (CallDefault(message)) engine->UnskinWindow(hwnd);
      return false;
    }
    default:
      return true;
  }
}

void TskSkinWindowWnd::BeforeStart() {
  startStyle_ = GetWindowLongPtrA(hwnd_, GWL_STYLE);
  RECT window{};
  RECT client{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  startClientWidth_ = client.right;
  startClientHeight_ = client.bottom;
  platformFrameHeight_ = (window.bottom - window.top) - client.bottom;
}

void TskSkinWindowWnd::ApplySkinState() {
  if (!freeing_) ReapplySkinners();
}

void TskSkinWindowWnd::AttachControls() {
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const auto style = static_cast<unsigned>(GetWindowLongPtrA(child, GWL_STYLE));
    if ((style & WS_CHILD) == 0 || SendMessageA(child, SKM_ISSKINNED, 0, 0) == 1) continue;
    const std::string key = ForeignClassKey(WindowClassName(child), style);
    if (key.empty()) continue;
    HWND target = child;
    if (key == "COMBOBOXEX32") {
      target = GetWindow(child, GW_CHILD);
      if (target == nullptr) continue;
    }
    if (engine_->SkinnerOf(target) != nullptr) continue;
    const char* skinnerClass = ForeignSkinnerFor(key);
    if (skinnerClass == nullptr) continue;
    AddSkinner(MakeWndSkinner(skinnerClass, this, engine_, target));
  }
}

}  // namespace brevlo::skin
