#include "skin/win32/SkinEngine.h"

#include <algorithm>

#include "platform/win32/Win32Platform.h"
#include "skin/SkinColors.h"
#include "skin/win32/BuiltInSkin.h"
#include "skin/win32/SkinMenu.h"

namespace brevlo::skin {
namespace {

HHOOK CbtHook = nullptr;
TskSkinEngine* Hooking = nullptr;

bool AnswersSkinned(HWND hwnd) {
  return SendMessageA(hwnd, SKM_ISSKINNED, 0, 0) != 0;
}

std::string FolderOfProgram() {
  char path[MAX_PATH] = {};
  const DWORD got = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path, got);
  const std::size_t cut = text.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
}

std::string WindowsFolder(bool system) {
  char path[MAX_PATH] = {};
  const UINT got =
      system ? GetSystemDirectoryA(path, sizeof path) : GetWindowsDirectoryA(path, sizeof path);
  return got > 0 && got < sizeof path ? std::string(path, got) : std::string();
}

enum SystemItem { ItemMinimize = 0, ItemMaximize = 1, ItemClose = 3 };

bool AskHighContrast() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
}  // namespace

bool (*TskSkinEngine::SystemHighContrast)() = AskHighContrast;

TskSkinEngine* TskSkinEngine::HookingEngine() {
  return Hooking;
}

ClassNameList& TskSkinEngine::ActivationClasses() {
  static ClassNameList list({"TSelectDirDlg", "TForm"});
  return list;
}

ClassNameList& TskSkinEngine::UnborderedClasses() {
  static ClassNameList list({"TWizardForm"});
  return list;
}

ClassNameList& TskSkinEngine::ExcludedClasses() {
  static ClassNameList list;
  return list;
}

TskSkinEngine* TskSkinEngine::Create(ui::TComponent* owner, std::string& error,
                                     platform::IFileSystem* files) {
  if (dynamic_cast<ui::TCustomForm*>(owner) == nullptr) {
    error = "Must be placed on a Form";
    return nullptr;
  }
  for (auto* component : owner->Components()) {
    if (dynamic_cast<TskSkinEngine*>(component) != nullptr) {
      error = "One form can only catch one TskSkinEngine!";
      return nullptr;
    }
  }
  static platform::Win32FileSystem machineFiles;
  error.clear();
  return new TskSkinEngine(owner, files != nullptr ? *files : machineFiles);
}

TskSkinEngine::TskSkinEngine(ui::TComponent* owner, platform::IFileSystem& files)
    : ui::TComponent(owner), files_(files), ownReader_(files), current_(&ownReader_) {
  ownReader_.OnLoaded = [this](TskSkinReader&) { ApplySkin(); };
  highContrast_ = SystemHighContrast();
  BuildSystemMenu();
  if (CbtHook == nullptr && !Designing()) {
    CbtHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    if (CbtHook != nullptr) Hooking = this;
  }
}

TskSkinEngine::~TskSkinEngine() {
  MarkDestroying();
  if (Hooking == this) {
    UnhookWindowsHookEx(CbtHook);
    CbtHook = nullptr;
    Hooking = nullptr;
  }
  // Every window and control gets its own handling back before anything of ours goes.
  freeing_ = true;
  while (!windows_.empty()) DestroyWrapper(windows_.end() - 1);
  freeing_ = false;
  for (auto [menu, ref] : std::vector(drawnMenus_)) {
    if (*ref != nullptr) RestoreMenu(menu);
  }
  drawnMenus_.clear();
  if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
}

bool TskSkinEngine::Enabled() const {
  return active_ && !highContrast_ && current_->Ready() && !Designing();
}

void TskSkinEngine::SystemLookChanged() {
  const bool highContrast = SystemHighContrast();
  if (highContrast == highContrast_) return;
  highContrast_ = highContrast;
  if (Designing()) return;
  for (TskSkinWindow* window : WindowList()) window->SetSkinWanted(active_ && !highContrast_);
}

void TskSkinEngine::Loaded() {
  if (Designing()) return;
  if (builtIn_ && !SkinData.empty()) {
    LoadEmbeddedSkin(SkinData, Win32SkinEmbedHost(), [this](const std::string& path) {
      const std::string remembered = skinFile_;
      SetSkinFile(path);
      skinFile_ = remembered;
    });
  }
  if (auto* form = dynamic_cast<ui::TCustomForm*>(Owner())) SkinWindow(form->Handle(), false);
}

void TskSkinEngine::SetSkinFile(const std::string& fileName) {
  std::string found;
  if (!fileName.empty() && files_.FileExists(fileName)) {
    found = fileName;
  } else {
    for (const std::string& candidate : SkinFileCandidates(
             fileName, {FolderOfProgram(), WindowsFolder(false), WindowsFolder(true)})) {
      if (files_.FileExists(candidate)) {
        found = candidate;
        break;
      }
    }
    if (found.empty()) return;
  }
  skinFile_ = found;
  current_ = &ownReader_;
  ownReader_.Load(found);  // a skin that cannot be read leaves the platform's look
}

std::string TskSkinEngine::SetBuiltIn(bool builtIn) {
  const bool loading = Loading() || (Owner() != nullptr && Owner()->Loading());
  if (!Designing() && !loading) return "BuiltIn property only can be specified at design time!";
  if (Designing() && builtIn && !files_.FileExists(skinFile_)) {
    return "Please specify the SkinFile property first!";
  }
  builtIn_ = builtIn;
  return {};
}

void TskSkinEngine::SetActive(bool active) {
  active_ = active;
  if (Designing()) return;
  for (TskSkinWindow* window : WindowList()) window->SetSkinWanted(active && !highContrast_);
}

void TskSkinEngine::SetSkinAllForms(bool skinAllForms) {
  skinAllForms_ = skinAllForms;
  const bool loading = Loading() || (Owner() != nullptr && Owner()->Loading());
  if (Designing() || loading) return;
  if (skinAllForms) {
    SkinAllFormsNow();
  } else {
    UnskinOtherForms();
  }
}

void TskSkinEngine::SetSystemItemCaption(std::size_t index, std::string& field,
                                         const std::string& text) {
  field = text;
  const auto& items = sysMenu_->Items()->Items();
  if (items.size() > index) items[index]->Caption = text;
}

void TskSkinEngine::SetResSysMenuMin(const std::string& text) {
  SetSystemItemCaption(ItemMinimize, resSysMenuMin_, text);
}

void TskSkinEngine::SetResSysMenuMax(const std::string& text) {
  SetSystemItemCaption(ItemMaximize, resSysMenuMax_, text);
}

void TskSkinEngine::SetResSysMenuClose(const std::string& text) {
  SetSystemItemCaption(ItemClose, resSysMenuClose_, text);
}

std::vector<TskSkinWindow*> TskSkinEngine::WindowList() const {
  std::vector<TskSkinWindow*> list;
  for (const auto& window : windows_) list.push_back(window.get());
  return list;
}

TskSkinWindow* TskSkinEngine::WrapperOf(HWND hwnd) const {
  for (const auto& window : windows_) {
    if (window->WindowHandle() == hwnd) return window.get();
  }
  return nullptr;
}

TskSkinWindow* TskSkinEngine::SkinWindow(HWND hwnd, bool dialog) {
  if (hwnd == nullptr) return nullptr;
  if (TskSkinWindow* existing = WrapperOf(hwnd)) return existing;
  // The frame's geometry is laid out left to right; a mirrored window keeps the platform's.
  if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) return nullptr;
  ui::TCustomForm* form = nullptr;
  if (ui::Screen != nullptr) {
    for (auto* candidate : ui::Screen->Forms()) {
      if (candidate->HandleAllocated() && candidate->Handle() == hwnd) form = candidate;
    }
  }
  std::unique_ptr<TskSkinWindow> wrapper;
  if (form != nullptr) {
    wrapper = std::make_unique<TskSkinWindowOwn>(this, form, dialog);
  } else {
    wrapper = std::make_unique<TskSkinWindowWnd>(this, hwnd, dialog);
  }
  TskSkinWindow* raw = wrapper.get();
  windows_.push_back(std::move(wrapper));
  raw->Setup(hwnd);
  return raw;
}

void TskSkinEngine::DestroyWrapper(std::vector<std::unique_ptr<TskSkinWindow>>::iterator it) {
  // Out of the list first, so that nothing it does on its way finds it there.
  std::unique_ptr<TskSkinWindow> wrapper = std::move(*it);
  windows_.erase(it);
  if (sysMenuTarget_ == wrapper.get()) sysMenuTarget_ = nullptr;
  wrapper->Shutdown();
}

void TskSkinEngine::UnskinWindow(HWND hwnd) {
  for (auto it = windows_.begin(); it != windows_.end(); ++it) {
    if ((*it)->WindowHandle() == hwnd) {
      const bool outer = freeing_;
      freeing_ = true;
      DestroyWrapper(it);
      freeing_ = outer;
      return;
    }
  }
}

void TskSkinEngine::WindowGone(TskSkinWindow* window) {
  for (auto it = windows_.begin(); it != windows_.end(); ++it) {
    if (it->get() == window) {
      DestroyWrapper(it);
      return;
    }
  }
}

void TskSkinEngine::SkinAllFormsNow() {
  if (ui::Screen == nullptr) return;
  for (auto* form : std::vector<ui::TCustomForm*>(ui::Screen->Forms())) {
    if (FormTagExcluded(form->Tag, DisabledTag)) continue;
    if (std::string(form->ClassName()) == "TfrmMSNPopForm") continue;
    HWND hwnd = form->Handle();
    if (hwnd == nullptr || AnswersSkinned(hwnd)) continue;
    SkinWindow(hwnd, false);
  }
}

void TskSkinEngine::UnskinOtherForms() {
  auto* own = dynamic_cast<ui::TCustomForm*>(Owner());
  HWND ownHandle = own != nullptr && own->HandleAllocated() ? own->Handle() : nullptr;
  std::vector<HWND> others;
  for (const auto& window : windows_) {
    if (window->WindowHandle() != ownHandle) others.push_back(window->WindowHandle());
  }
  for (HWND hwnd : others) UnskinWindow(hwnd);
}

void TskSkinEngine::ApplySkin() {
  const TskSkinReader& reader = *current_;
  captionTextColor_ = static_cast<COLORREF>(skin::CaptionTextColor(reader));
  if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
  backgroundBrush_ = CreateSolidBrush(ui::ColorToRgb(FormBackgroundColor()));
  scaled_.Reset(&reader, ColorToPixel(static_cast<int>(ui::ColorToRgb(FormBackgroundColor()))));
  AtDpi(96);
  for (TskSkinWindow* window : WindowList()) {
    HWND hwnd = window->WindowHandle();
    const bool visible = hwnd != nullptr && IsWindowVisible(hwnd);
    if (hwnd != nullptr && GetAncestor(hwnd, GA_PARENT) == nullptr) ShowWindow(hwnd, SW_HIDE);
    window->SetSkinWanted(false);
    window->SetSkinWanted(active_ && !highContrast_);
    if (visible) {
      ShowWindow(hwnd, SW_SHOW);
      if (!windows_.empty() && windows_.front()->WindowHandle() != nullptr) {
        SetActiveWindow(windows_.front()->WindowHandle());
      }
    }
  }
  if (OnSkinChanged) OnSkinChanged(this);
}

ui::TColor TskSkinEngine::FormBackgroundColor() const {
  const int color = current_->GetInt("FormBackgroundColor");
  return color < 0 ? ui::clBtnFace : static_cast<ui::TColor>(color);
}

TskSkinControl* TskSkinEngine::SkinnerOf(const void* key) const {
  const auto it = skinners_.find(key);
  return it == skinners_.end() ? nullptr : it->second;
}

void TskSkinEngine::RegisterSkinner(TskSkinControl* skinner) {
  skinners_[skinner->Key()] = skinner;
}

void TskSkinEngine::UnregisterSkinner(TskSkinControl* skinner) {
  const auto it = skinners_.find(skinner->Key());
  if (it != skinners_.end() && it->second == skinner) skinners_.erase(it);
}

// ---- menus ----

void TskSkinEngine::DrawMenuItem(ui::TMenuItem* item, bool owned) {
  if (owned) {
    item->OnMeasureItem = [](ui::TMenuItem* it, HDC dc, int& width, int& height) {
      MeasureSkinMenuItem(*it, dc, width, height);
    };
    item->OnDrawItem = [this](ui::TMenuItem* it, HDC dc, const RECT& rect, bool selected) {
      // An engine that is off draws the platform's colours, so the menu still reads as one.
      DrawSkinMenuItem(*it, dc, rect, selected,
                       Enabled() ? SkinMenuLook(*current_) : SystemMenuLook());
    };
  } else {
    item->OnMeasureItem = nullptr;
    item->OnDrawItem = nullptr;
  }
  for (ui::TMenuItem* child : item->Items()) DrawMenuItem(child, owned);
}

void TskSkinEngine::OwnerDrawMenu(ui::TPopupMenu* menu) {
  if (menu == nullptr) return;
  menu->OwnerDraw = true;
  for (ui::TMenuItem* item : menu->Items()->Items()) DrawMenuItem(item, true);
  menu->OnItemAdded = [this](ui::TMenuItem* item) { DrawMenuItem(item, true); };
  const bool known = std::any_of(drawnMenus_.begin(), drawnMenus_.end(),
                                 [menu](const auto& entry) { return entry.first == menu; });
  if (!known) drawnMenus_.emplace_back(menu, menu->Observe());
}

void TskSkinEngine::RestoreMenu(ui::TPopupMenu* menu) {
  if (menu == nullptr) return;
  menu->OwnerDraw = false;
  menu->OnItemAdded = nullptr;
  for (ui::TMenuItem* item : menu->Items()->Items()) DrawMenuItem(item, false);
  drawnMenus_.erase(std::remove_if(drawnMenus_.begin(), drawnMenus_.end(),
                                   [menu](const auto& entry) { return entry.first == menu; }),
                    drawnMenus_.end());
}

// ---- the system menu ----

void TskSkinEngine::BuildSystemMenu() {
  sysMenu_ = new ui::TPopupMenu(this);
  sysMenu_->Add("", resSysMenuMin_, [this](ui::TObject*) { SystemCommand(ItemMinimize); });
  sysMenu_->Add("", resSysMenuMax_, [this](ui::TObject*) { SystemCommand(ItemMaximize); });
  sysMenu_->Add("", "-");
  sysMenu_->Add("", resSysMenuClose_, [this](ui::TObject*) { SystemCommand(ItemClose); });
  sysMenu_->OnPopup = [this](ui::TPopupMenu*) { SystemMenuPopup(); };
  OwnerDrawMenu(sysMenu_);
}

void TskSkinEngine::SystemMenuPopup() {
  const auto& items = sysMenu_->Items()->Items();
  TskSkinWindow* target = sysMenuTarget_;
  // What the frame last drew is what the menu offers.
  items[ItemClose]->Enabled = target != nullptr && target->CloseItemEnabled();
  items[ItemMaximize]->Enabled = target != nullptr && target->MaximizeItemEnabled();
  items[ItemMinimize]->Enabled = target != nullptr && target->MinimizeItemEnabled();
}

void TskSkinEngine::SystemCommand(int item) {
  if (sysMenuTarget_ == nullptr) return;
  HWND hwnd = sysMenuTarget_->WindowHandle();
  if (hwnd == nullptr) return;
  WPARAM command = 0;
  switch (item) {
    case ItemMinimize:
      command = SC_MINIMIZE;
      break;
    case ItemMaximize:
      if (IsZoomed(hwnd) || IsIconic(hwnd)) {
        command = SC_RESTORE;
      } else if (sysMenuTarget_->CanMaximize()) {
        command = SC_MAXIMIZE;
      }
      break;
    case ItemClose:
      command = SC_CLOSE;
      break;
    default:
      break;
  }
  if (command != 0) PostMessageA(hwnd, WM_SYSCOMMAND, command, 0);
}

ui::TPopupMenu* TskSkinEngine::SystemMenu() const {
  if (replacementSysMenu_ != nullptr && replacementRef_ != nullptr && *replacementRef_ != nullptr) {
    return replacementSysMenu_;
  }
  return sysMenu_;
}

void TskSkinEngine::SetReplacementSystemMenu(ui::TPopupMenu* menu) {
  replacementSysMenu_ = menu;
  replacementRef_ = menu != nullptr ? menu->Observe() : nullptr;
}

void TskSkinEngine::PopupSystemMenu(TskSkinWindow* target, POINT screen) {
  if (target == nullptr) return;
  sysMenuTarget_ = target;
  SystemMenu()->Popup(screen.x, screen.y, target->WindowHandle());
}

// ---- the hook ----

LRESULT CALLBACK TskSkinEngine::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  TskSkinEngine* engine = Hooking;
  if (code <= 0 || engine == nullptr || !engine->Enabled()) {
    return CallNextHookEx(CbtHook, code, wParam, lParam);
  }
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    // Every window made passes here: its class is only asked for when its style could be a
    // size grip's.
    if (create != nullptr && create->lpcs != nullptr && (create->lpcs->style & SBS_SIZEGRIP) != 0 &&
        RefusesCreation(WindowClassName(hwnd), static_cast<unsigned>(create->lpcs->style),
                        static_cast<unsigned>(create->lpcs->dwExStyle))) {
      return 1;
    }
  } else if (code == HCBT_ACTIVATE) {
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    const std::string name = WindowClassName(hwnd);
    if (name == "TTabDockHost" || name == "TConjoinDockHost") {
      if (!AnswersSkinned(hwnd)) engine->SkinWindow(hwnd, true);
    } else if (name == "TMessageForm" || name == "#32770") {
      if (engine->SkinDialogs && !AnswersSkinned(hwnd)) engine->SkinWindow(hwnd, true);
    } else if (ActivationClasses().Contains(name)) {
      if (!AnswersSkinned(hwnd)) engine->SkinWindow(hwnd, false);
    }
  }
  return CallNextHookEx(CbtHook, code, wParam, lParam);
}

}  // namespace brevlo::skin
