#include "skin/SkinRules.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace brevlo::skin {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

struct Row {
  const char* control;
  const char* skinner;
};

// Tried from the last row up, so a class listed lower wins over one it descends from.
constexpr Row ProgramTable[] = {
    {"TCustomControl", "TskSkinScrollWinControl"},
    {"TCustomFrame", "TskSkinFrame"},
    {"TScrollBox", "TskSkinScrollWinControl"},
    {"TToolBar", "TskSkinToolBar"},
    {"TCustomStatusBar", "TskSkinStatusBar"},
    {"TDateTimePicker", "TskSkinDateTimePicker"},
    {"TCustomTreeView", "TskSkinScrollWinControl"},
    {"TCustomUpDown", "TskSkinUpDown"},
    {"TCustomHotKey", "TskSkinBorderWinControl"},
    {"TProgressBar", "TskSkinProgressBar"},
    {"TTrackBar", "TskSkinTrackBar"},
    {"TCustomTabControl", "TskSkinTabControl"},
    {"TCustomGrid", "TskSkinGrid"},
    {"TSpeedButton", "TskSkinSpeedButton"},
    {"TCustomPanel", "TskSkinPanel"},
    {"TCustomGroupBox", "TskSkinGroupBox"},
    {"TScrollBar", "TskSkinScrollBar"},
    {"TCustomListControl", "TskSkinScrollWinControl"},
    {"TRadioButton", "TskSkinRadioButton"},
    {"TCustomComboBox", "TskSkinComboBox"},
    {"TCustomCheckBox", "TskSkinCheckBox"},
    {"TCustomEdit", "TskSkinScrollWinControl"},
    {"TButton", "TskSkinButton"},
};

constexpr Row ForeignTable[] = {
    {"COMBOBOX", "TskSkinWndComboBox"},
    {"COMBOBOXEX32", "TskSkinWndComboBox"},
    {"BUTTON", "TskSkinWndButton"},
    {"BUTTON_CHECKBOX", "TskSkinWndCheckBox"},
    {"BUTTON_RADIOBUTTON", "TskSkinWndRadioButton"},
    {"SYSTABCONTROL32", "TskSkinWndTabControl"},
    {"TOOLBARWINDOW32", "TskSkinWndToolbarWindow32"},
};

}  // namespace

const char* ProgramSkinnerFor(const std::function<bool(const char*)>& is) {
  for (auto row = std::rbegin(ProgramTable); row != std::rend(ProgramTable); ++row) {
    if (is(row->control)) return row->skinner;
  }
  return nullptr;
}

std::string ForeignClassKey(std::string_view windowClass, unsigned style) {
  std::string key = Upper(windowClass);
  if (key == "BUTTON") {
    // By the kind in the low four bits; group boxes, owner-drawn, push-box, split and command
    // link buttons are the platform's to draw.
    switch (style & 0xFu) {
      case 0x0u:  // push button
      case 0x1u:  // default push button
        return key;
      case 0x2u:  // check box
      case 0x3u:  // automatic check box
      case 0x5u:  // three-state
      case 0x6u:  // automatic three-state
        return key + "_CHECKBOX";
      case 0x4u:  // radio button
      case 0x9u:  // automatic radio button
        return key + "_RADIOBUTTON";
      default:
        return {};
    }
  }
  if (key == "COMBOBOX" && (style & 3u) == 1u) return {};  // a simple combo box
  return key;
}

const char* ForeignSkinnerFor(std::string_view key) {
  for (const Row& row : ForeignTable) {
    if (key == row.control) return row.skinner;
  }
  return nullptr;
}

bool RefusesCreation(std::string_view windowClass, unsigned style, unsigned exStyle) {
  return Upper(windowClass) == "SCROLLBAR" && (style & 0x10u) != 0 && exStyle != 0x4u;
}

bool OwnClassExcluded(std::string_view className) {
  return className.substr(0, 3) == "Tsk" && className != "TskSkinInternalUpDown";
}

std::vector<std::string> SkinFileCandidates(const std::string& fileName,
                                            const std::vector<std::string>& folders) {
  const std::size_t cut = fileName.find_last_of("\\/:");
  const std::string namePart = cut == std::string::npos ? fileName : fileName.substr(cut + 1);
  std::vector<std::string> out;
  if (namePart.empty()) return out;
  for (std::string folder : folders) {
    if (folder.empty()) continue;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    out.push_back(folder + namePart);
  }
  return out;
}

void ClassNameList::Add(const std::string& name) {
  if (!Contains(name)) names_.push_back(name);
}

void ClassNameList::Remove(const std::string& name) {
  names_.erase(std::remove_if(names_.begin(), names_.end(),
                              [&](const std::string& n) { return SameText(n, name); }),
               names_.end());
}

bool ClassNameList::Contains(std::string_view name) const {
  return std::any_of(names_.begin(), names_.end(),
                     [&](const std::string& n) { return SameText(n, name); });
}

}  // namespace brevlo::skin
