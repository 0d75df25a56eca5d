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

// Made on first use from the current metrics and kept for the life of the program.
class MenuFonts {
 public:
  ~MenuFonts() {
    for (HFONT font : fonts_) {
      if (font != nullptr) DeleteObject(font);
    }
  }
  HFONT Get(bool bold) {
    HFONT& font = fonts_[bold ? 1 : 0];
    if (font == nullptr) {
      NONCLIENTMETRICSA metrics{};
      metrics.cbSize = sizeof metrics;
      LOGFONTA face{};
      if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        face = metrics.lfMenuFont;
      } else {
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
      }
      if (bold) face.lfWeight = FW_BOLD;
      font = CreateFontIndirectA(&face);
    }
    return font;
  }

 private:
  HFONT fonts_[2] = {nullptr, nullptr};
};

std::string KeyName(unsigned key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= VK_F1 && key <= VK_F24) {
    return std::string("F").append(std::to_string(key - VK_F1 + 1));
  }
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
    return std::string("Num ").append(std::to_string(key - VK_NUMPAD0));
  }
  static const std::map<unsigned, const char*> names = {
      {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},        {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
      {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},     {VK_NEXT, "PgDn"},    {VK_END, "End"},
      {VK_HOME, "Home"},   {VK_LEFT, "Left"},      {VK_UP, "Up"},        {VK_RIGHT, "Right"},
      {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},     {VK_DELETE, "Del"},   {VK_MULTIPLY, "Num *"},
      {VK_ADD, "Num +"},   {VK_SUBTRACT, "Num -"}, {VK_DIVIDE, "Num /"}};
  if (auto it = names.find(key); it != names.end()) return it->second;
  // Punctuation differs between keyboard layouts: ask the current one.
  const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  char name[64] = {};
  if (scan != 0 && GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0) {
    return name;
  }
  return {};
}
}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
  std::string key = KeyName(shortCut & 0xFFu);
  if (key.empty()) return {};
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + key;
}

HFONT MenuFont(bool bold) {
  static MenuFonts fonts;
  return fonts.Get(bold);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {
  Registry()[command_] = this;
}

TMenuItem::~TMenuItem() {
  Registry().erase(command_);
  // Items may belong to other owners than their parent: neither side keeps a dangling pointer.
  if (parent_ != nullptr) std::erase(parent_->items_, this);
  for (TMenuItem* item : items_) item->parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_ != nullptr) std::erase(item->parent_->items_, item);
  items_.push_back(item);
  item->parent_ = this;
  item->SetMenu(menu_);
  if (menu_ != nullptr && menu_->OnItemAdded) menu_->OnItemAdded(item);
}

void TMenuItem::SetMenu(TPopupMenu* menu) {
  menu_ = menu;
  for (TMenuItem* item : items_) item->SetMenu(menu);
}

bool TMenuItem::IsOwnerDrawn() const {
  return menu_ != nullptr && menu_->OwnerDraw && OnDrawItem != nullptr;
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

namespace {
// Item data of menus built elsewhere may be anything, a pointer for instance.
TMenuItem* FromItemData(ULONG_PTR data) {
  return data > 0xFFFFFFFFu ? nullptr : TMenuItem::FromCommand(static_cast<UINT>(data));
}
}  // namespace

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

// Items carry their command as item data: the id of an entry that opens a sub-menu is not
// reported as its command.
bool TMenuItem::DispatchMeasure(MEASUREITEMSTRUCT* measure) {
  if (measure == nullptr || measure->CtlType != ODT_MENU) return false;
  TMenuItem* item = FromItemData(measure->itemData);
  if (item == nullptr || !item->OnMeasureItem) return false;
  int width = static_cast<int>(measure->itemWidth);
  int height = static_cast<int>(measure->itemHeight);
  HDC dc = GetDC(nullptr);
  const HGDIOBJ oldFont = SelectObject(dc, MenuFont(item->Default));
  item->OnMeasureItem(item, dc, width, height);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  measure->itemWidth = static_cast<UINT>(std::max(width, 0));
  measure->itemHeight = static_cast<UINT>(std::max(height, 0));
  return true;
}

bool TMenuItem::DispatchDraw(DRAWITEMSTRUCT* draw) {
  if (draw == nullptr || draw->CtlType != ODT_MENU) return false;
  TMenuItem* item = FromItemData(draw->itemData);
  if (item == nullptr || !item->OnDrawItem) return false;
  item->OnDrawItem(item, draw->hDC, draw->rcItem, (draw->itemState & ODS_SELECTED) != 0);
  return true;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this)) {
  root_->menu_ = this;
}

TPopupMenu::~TPopupMenu() {
  if (menu_ != nullptr) DestroyMenu(menu_);
  root_->SetMenu(nullptr);
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

HMENU TPopupMenu::BuildLevel(const TMenuItem& parent) const {
  HMENU menu = CreatePopupMenu();
  UINT position = 0;
  for (const TMenuItem* item : parent.Items()) {
    const bool ownerDrawn = item->IsOwnerDrawn();
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    info.wID = item->Command();
    info.dwItemData = item->Command();
    if (ownerDrawn) info.fType |= MFT_OWNERDRAW;
    if (RightToLeft) info.fType |= MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
    std::string text;
    if (item->IsSeparator()) {
      info.fType |= MFT_SEPARATOR;
    } else {
      info.fMask |= MIIM_STRING;
      text = item->Caption;
      if (!ownerDrawn && item->ShortCut != 0) {
        const std::string shortCut = item->ShortCutText();
        if (!shortCut.empty()) text.append("\t").append(shortCut);
      }
      info.dwTypeData = text.data();
      info.cch = static_cast<UINT>(text.size());
      info.fState = (item->Enabled ? MFS_ENABLED : MFS_GRAYED) |
                    (item->Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                    (item->Default ? MFS_DEFAULT : 0u);
      if (!item->Items().empty()) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = BuildLevel(*item);
      }
    }
    if (InsertMenuItemA(menu, position, TRUE, &info)) {
      if (item->Default && !item->IsSeparator()) SetMenuDefaultItem(menu, position, TRUE);
      ++position;
    } else if (info.hSubMenu != nullptr) {
      DestroyMenu(info.hSubMenu);
    }
  }
  return menu;
}

HMENU TPopupMenu::Build() {
  if (menu_ != nullptr) DestroyMenu(menu_);
  menu_ = BuildLevel(*root_);
  return menu_;
}

// Right to left, the menu opens to the left of the point. Its layout is not mirrored: owner-drawn
// items mirror their own drawing and would otherwise be turned back.
void TPopupMenu::Popup(int x, int y, HWND owner) {
  if (OnPopup) OnPopup(this);
  HMENU menu = Build();
  SetForegroundWindow(owner);
  const UINT align = RightToLeft ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, align | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen != 0) TMenuItem::DispatchCommand(chosen);
}

}  // namespace brevlo::ui
