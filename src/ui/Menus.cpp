#include "ui/Menus.h"

#include <algorithm>
#include <map>

namespace brevlo::ui {
namespace {
std::map<UINT, TMenuItem*>& Registry() {
  static std::map<UINT, TMenuItem*> items;
  return items;
}
UINT NextCommand() {
  static UINT next = 0x8000;
  return next++;
}
}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {
  Registry()[command_] = this;
}

TMenuItem::~TMenuItem() {
  Registry().erase(command_);
}

void TMenuItem::Add(TMenuItem* item) {
  items_.push_back(item);
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
  auto it = Registry().find(command);
  return it == Registry().end() ? nullptr : it->second;
}

bool TMenuItem::DispatchCommand(UINT command) {
  TMenuItem* item = FromCommand(command);
  if (item == nullptr) return false;
  item->Click();
  return true;
}

bool TMenuItem::DispatchMeasure(MEASUREITEMSTRUCT* measure) {
  if (measure == nullptr || measure->CtlType != ODT_MENU) return false;
  TMenuItem* item = FromCommand(measure->itemID);
  if (item == nullptr || !item->OnMeasureItem) return false;
  int width = static_cast<int>(measure->itemWidth);
  int height = static_cast<int>(measure->itemHeight);
  HDC dc = GetDC(nullptr);
  item->OnMeasureItem(item, dc, width, height);
  ReleaseDC(nullptr, dc);
  measure->itemWidth = static_cast<UINT>(width);
  measure->itemHeight = static_cast<UINT>(height);
  return true;
}

bool TMenuItem::DispatchDraw(DRAWITEMSTRUCT* draw) {
  if (draw == nullptr || draw->CtlType != ODT_MENU) return false;
  TMenuItem* item = FromCommand(draw->itemID);
  if (item == nullptr || !item->OnDrawItem) return false;
  item->OnDrawItem(item, draw->hDC, draw->rcItem, (draw->itemState & ODS_SELECTED) != 0);
  return true;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() {
  if (menu_ != nullptr) DestroyMenu(menu_);
}

TMenuItem* TPopupMenu::Add(const std::string& name, const std::string& caption,
                           TNotifyEvent onClick) {
  auto* item = new TMenuItem(this);
  item->Name = name;
  item->Caption = caption;
  item->OnClick = std::move(onClick);
  root_->Add(item);
  return item;
}

HMENU TPopupMenu::Build() {
  if (menu_ != nullptr) DestroyMenu(menu_);
  menu_ = CreatePopupMenu();
  for (auto* item : root_->Items()) {
    if (item->IsSeparator()) {
      AppendMenuA(menu_, MF_SEPARATOR | (item->OnDrawItem ? MF_OWNERDRAW : 0), item->Command(),
                  nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->Enabled ? MF_ENABLED : MF_GRAYED);
    if (item->OnDrawItem) flags |= MF_OWNERDRAW;
    AppendMenuA(menu_, flags, item->Command(), item->Caption.c_str());
  }
  return menu_;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  if (OnPopup) OnPopup(this);
  HMENU menu = Build();
  SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen != 0) TMenuItem::DispatchCommand(chosen);
}

}  // namespace brevlo::ui
