#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace brevlo::ui {

class TImageList;
class TPopupMenu;

// A key with its modifiers: the virtual key in the low byte, the modifiers as flags above it.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

// "Shift+Ctrl+S", "Del", "F2"; empty for no key.
std::string ShortCutToText(TShortCut shortCut);

// The system's menu font (non-client metrics), bold or not; shared, never deleted by callers.
HFONT MenuFont(bool bold);

class TMenuItem : public TComponent {
  BREVLO_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  std::string Caption;  // "-" makes a separator
  bool Enabled = true;
  bool Checked = false;
  bool Default = false;  // drawn bold; the one item a double click would pick
  TShortCut ShortCut = 0;
  int ImageIndex = -1;       // into the menu's Images
  HBITMAP Bitmap = nullptr;  // not owned; used when the item has no image in the list
  TNotifyEvent OnClick;
  // Owner drawing: an item of an OwnerDraw menu that has OnDrawItem is drawn by its handlers.
  // The measuring DC carries the menu font (bold for the default item).
  std::function<void(TMenuItem*, HDC, int& width, int& height)> OnMeasureItem;
  std::function<void(TMenuItem*, HDC, const RECT&, bool selected)> OnDrawItem;

  // Items with sub-items become sub-menus.
  void Add(TMenuItem* item);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  TMenuItem* Parent() const { return parent_; }
  // The menu the item belongs to, through any depth of sub-menus; null until added to one.
  TPopupMenu* Menu() const { return menu_; }
  UINT Command() const { return command_; }
  bool IsSeparator() const { return Caption == "-"; }
  bool IsOwnerDrawn() const;
  std::string ShortCutText() const { return ShortCutToText(ShortCut); }
  void Click();

  // Routing of WM_COMMAND, WM_MEASUREITEM and WM_DRAWITEM to the item they concern.
  static bool DispatchCommand(UINT command);
  static bool DispatchMeasure(MEASUREITEMSTRUCT* measure);
  static bool DispatchDraw(DRAWITEMSTRUCT* draw);
  static TMenuItem* FromCommand(UINT command);

 private:
  friend class TPopupMenu;
  void SetMenu(TPopupMenu* menu);

  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TPopupMenu* menu_ = nullptr;
  UINT command_;
};

class TPopupMenu : public TComponent {
  BREVLO_CLASS(TPopupMenu, TComponent)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  TMenuItem* Items() const { return root_; }
  TMenuItem* Add(const std::string& name, const std::string& caption, TNotifyEvent onClick = {});

  TImageList* Images = nullptr;  // not owned
  bool OwnerDraw = false;
  bool RightToLeft = false;

  // Shows the menu at a screen point and carries out the chosen item.
  void Popup(int x, int y, HWND owner);
  // Builds the native menu afresh from the items; it lives until the next build or this object.
  HMENU Build();
  // The native menu as built last, for inspection while it is open.
  HMENU Handle() const { return menu_; }
  std::function<void(TPopupMenu*)> OnPopup;
  // An item (with whatever it holds) joined the menu after it was built up.
  std::function<void(TMenuItem*)> OnItemAdded;

 private:
  HMENU BuildLevel(const TMenuItem& parent) const;
  TMenuItem* root_;
  HMENU menu_ = nullptr;
};

}  // namespace brevlo::ui
