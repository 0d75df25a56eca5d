#pragma once

// The skin engine: loads the skin, decides which windows and controls of the program are drawn
// from it, wraps them, owner-draws the menus and offers the skinned system menu. One sits on the
// main form; it watches window creation and activation in the program's thread, so that message
// boxes and standard dialogs are caught too.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "skin/SkinAtDpi.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinFrame.h"
#include "skin/SkinReader.h"
#include "skin/SkinRes.h"
#include "skin/SkinRules.h"
#include "skin/win32/SkinWindow.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

namespace brevlo::skin {

// A further skin carried inside the program.
struct TskSkinCollectionItem {
  std::string SkinFile;
  std::vector<std::uint8_t> SkinData;
};

class TskSkinEngine : public ui::TComponent {
  BREVLO_CLASS(TskSkinEngine, ui::TComponent)
 public:
  // Null, with the reason in `error`, when the owner is no form or already has an engine.
  // `files` must outlive the engine; null means the machine's own.
  static TskSkinEngine* Create(ui::TComponent* owner, std::string& error,
                               platform::IFileSystem* files = nullptr);
  ~TskSkinEngine() override;

  bool Active() const { return active_; }
  void SetActive(bool active);
  bool Ready() const { return current_->Ready(); }
  const std::string& SkinFile() const { return skinFile_; }
  void SetSkinFile(const std::string& fileName);
  const std::string& ResSysMenuMin() const { return resSysMenuMin_; }
  const std::string& ResSysMenuMax() const { return resSysMenuMax_; }
  const std::string& ResSysMenuClose() const { return resSysMenuClose_; }
  void SetResSysMenuMin(const std::string& text);
  void SetResSysMenuMax(const std::string& text);
  void SetResSysMenuClose(const std::string& text);
  int DisabledTag = 9999;
  bool DrawScrollBar = true;
  std::string Version() const { return "3.4"; }
  bool BuiltIn() const { return builtIn_; }
  // Empty when taken, else the reason it was refused.
  std::string SetBuiltIn(bool builtIn);
  bool SkinDialogs = true;
  bool SkinAllForms() const { return skinAllForms_; }
  void SetSkinAllForms(bool skinAllForms);
  std::vector<TskSkinCollectionItem> AdditionalBuiltInSkins;
  // The skin carried with the form; loaded when loading ends while BuiltIn is set.
  std::vector<std::uint8_t> SkinData;
  ui::TNotifyEvent OnSkinChanged;

  // The existing wrapper of a window, or a new one.
  TskSkinWindow* SkinWindow(HWND hwnd, bool dialog);
  void UnskinWindow(HWND hwnd);
  void SkinAllFormsNow();
  void UnskinOtherForms();
  void ApplySkin();
  void OwnerDrawMenu(ui::TPopupMenu* menu);
  void RestoreMenu(ui::TPopupMenu* menu);

  // Active and Ready and not being designed, and the system not in high contrast.
  bool Enabled() const;
  // Whether the system is in high-contrast mode, as the engine last saw it; while it is, the
  // windows keep the platform's look whatever Active says.
  bool HighContrast() const { return highContrast_; }
  // The system's colours or accessibility settings changed: the skin steps aside for high
  // contrast and comes back when it ends.
  void SystemLookChanged();
  // Asks the system whether it is in high-contrast mode; replaceable where the mode cannot be
  // set for real.
  static bool (*SystemHighContrast)();
  const TskSkinReader& Reader() const { return *current_; }
  TskSkinWindow* WrapperOf(HWND hwnd) const;
  const std::vector<std::unique_ptr<TskSkinWindow>>& Windows() const { return windows_; }
  // The system menu shown for a wrapped window: the replacement when set, else the built-in one.
  ui::TPopupMenu* SystemMenu() const;
  ui::TPopupMenu* BuiltInSystemMenu() const { return sysMenu_; }
  void SetReplacementSystemMenu(ui::TPopupMenu* menu);
  TskSkinWindow* SystemMenuTarget() const { return sysMenuTarget_; }
  // Opens the system menu for a wrapped window at a screen point; its commands act on it.
  void PopupSystemMenu(TskSkinWindow* target, POINT screen);

  // What the frames and controls draw from, at 96 dots per inch.
  int CaptionHeight() const { return AtDpi(96).frame.captionHeight; }
  int BorderWidth() const { return AtDpi(96).frame.borderWidth; }
  int BottomBorderHeight() const { return AtDpi(96).frame.bottomBorderHeight; }
  const TskBitmap& RightBorderImage() const { return AtDpi(96).frame.art.rightBorder; }
  const FrameArt& Frame() const { return AtDpi(96).frame.art; }
  // The same at a window's scale; valid until the skin changes.
  const SkinAtDpi& AtDpi(int dpi) const { return scaled_.At(dpi); }
  COLORREF CaptionTextColor() const { return captionTextColor_; }
  HBRUSH BackgroundBrush() const { return backgroundBrush_; }
  ui::TColor FormBackgroundColor() const;
  const TskSkinScrollBtnRes& ScrollSet() const { return AtDpi(96).scrollSet; }
  const TskSkinTabRes& TabSet() const { return AtDpi(96).tabSet; }
  int CaptionTextLeft = -1;
  int CaptionTextTop = -1;

  // Which skinner a control or window has: one at most, across all wrappers.
  TskSkinControl* SkinnerOf(const void* key) const;
  void RegisterSkinner(TskSkinControl* skinner);
  void UnregisterSkinner(TskSkinControl* skinner);
  // A wrapped form is being destroyed: its wrapper goes without touching it.
  void WindowGone(TskSkinWindow* window);

  // Shared by all engines of the program.
  static TskSkinEngine* HookingEngine();
  static ClassNameList& ActivationClasses();
  static ClassNameList& UnborderedClasses();
  static ClassNameList& ExcludedClasses();

 protected:
  void Loaded() override;

 private:
  TskSkinEngine(ui::TComponent* owner, platform::IFileSystem& files);
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  void BuildSystemMenu();
  void SystemMenuPopup();
  void SystemCommand(int item);
  void SetSystemItemCaption(std::size_t index, std::string& field, const std::string& text);
  // A copy of the wrapped windows, for loops during which the list may change.
  std::vector<TskSkinWindow*> WindowList() const;
  void DestroyWrapper(std::vector<std::unique_ptr<TskSkinWindow>>::iterator it);
  // Gives an item and the items it holds the engine's measuring and drawing, or takes them.
  void DrawMenuItem(ui::TMenuItem* item, bool owned);

  platform::IFileSystem& files_;
  TskSkinReader ownReader_;
  TskSkinReader* current_;
  std::vector<std::unique_ptr<TskSkinWindow>> windows_;
  ui::TPopupMenu* sysMenu_ = nullptr;
  ui::TPopupMenu* replacementSysMenu_ = nullptr;
  std::shared_ptr<ui::TComponent* const> replacementRef_;
  TskSkinWindow* sysMenuTarget_ = nullptr;
  SkinScaleCache scaled_;
  bool freeing_ = false;
  HBRUSH backgroundBrush_ = nullptr;
  COLORREF captionTextColor_ = RGB(255, 255, 255);
  bool active_ = false;
  bool highContrast_ = false;
  bool builtIn_ = false;
  bool skinAllForms_ = true;
  std::string skinFile_;
  std::string resSysMenuMin_ = "Mi&nimize";
  std::string resSysMenuMax_ = "Ma&ximize/Restore";
  std::string resSysMenuClose_ = "&Close";
  std::unordered_map<const void*, TskSkinControl*> skinners_;
  // Menus drawn by this engine, forgotten when they go.
  std::vector<std::pair<ui::TPopupMenu*, std::shared_ptr<ui::TComponent* const>>> drawnMenus_;
};

}  // namespace brevlo::skin
