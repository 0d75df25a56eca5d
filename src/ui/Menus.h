#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace brevlo::ui {

class TMenuItem : public TComponent {
  BREVLO_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  std::string Caption;  // "-" makes a separator
  bool Enabled = true;
  TNotifyEvent OnClick;
  // Owner drawing: when either is set the item is drawn by its handlers.
  std::function<void(TMenuItem*, HDC, int& width, int& height)> OnMeasureItem;
  std::function<void(TMenuItem*, HDC, const RECT&, bool selected)> OnDrawItem;

  void Add(TMenuItem* item);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  UINT Command() const { return command_; }
  bool IsSeparator() const { return Caption == "-"; }
  void Click();

  // Routing of WM_COMMAND, WM_MEASUREITEM and WM_DRAWITEM to the item they concern.
  static bool DispatchCommand(UINT command);
  static bool DispatchMeasure(MEASUREITEMSTRUCT* measure);
  static bool DispatchDraw(DRAWITEMSTRUCT* draw);
  static TMenuItem* FromCommand(UINT command);

 private:
  std::vector<TMenuItem*> items_;
  UINT command_;
};

class TPopupMenu : public TComponent {
  BREVLO_CLASS(TPopupMenu, TComponent)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  TMenuItem* Items() const { return root_; }
  TMenuItem* Add(const std::string& name, const std::string& caption, TNotifyEvent onClick = {});
  // Shows the menu at a screen point and carries out the chosen item.
  void Popup(int x, int y, HWND owner);
  // The native menu as built for the last Popup, for inspection while it is open.
  HMENU Handle() const { return menu_; }
  std::function<void(TPopupMenu*)> OnPopup;

 private:
  HMENU Build();
  TMenuItem* root_;
  HMENU menu_ = nullptr;
};

}  // namespace brevlo::ui
