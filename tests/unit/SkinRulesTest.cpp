// Which windows and controls the skin engine takes over, decided from names, styles and tags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/SkinRules.h"

using namespace brevlo::skin;

TEST(SkinRules, ForeignChildrenByClassAndStyle) {
  const struct {
    const char* windowClass;
    unsigned style;
    const char* key;
    const char* skinner;
  } table[] = {
      {"Button", 0x50010000u, "BUTTON", "TskSkinWndButton"},  // push button, with WS_ bits
      {"Button", 1, "BUTTON", "TskSkinWndButton"},
      {"Button", 2, "BUTTON_CHECKBOX", "TskSkinWndCheckBox"},
      {"Button", 3, "BUTTON_CHECKBOX", "TskSkinWndCheckBox"},
      {"Button", 4, "BUTTON_RADIOBUTTON", "TskSkinWndRadioButton"},
      {"Button", 5, "BUTTON_CHECKBOX", "TskSkinWndCheckBox"},
      {"Button", 6, "BUTTON_CHECKBOX", "TskSkinWndCheckBox"},
      {"Button", 7, "", nullptr},  // group box
      {"BUTTON", 0x50000007u, "", nullptr},
      {"Button", 9, "BUTTON_RADIOBUTTON", "TskSkinWndRadioButton"},
      {"Button", 0x8, "", nullptr},                       // user button
      {"Button", 0xA, "", nullptr},                       // push box
      {"Button", 0x5000000B, "", nullptr},                // owner-drawn
      {"Button", 0xC, "", nullptr},                       // split button
      {"Button", 0xF, "", nullptr},                       // default command link
      {"Button", 0x10001, "BUTTON", "TskSkinWndButton"},  // default push, other bits set
      {"ComboBox", 1, "", nullptr},                       // simple
      {"ComboBox", 2, "COMBOBOX", "TskSkinWndComboBox"},
      {"combobox", 3, "COMBOBOX", "TskSkinWndComboBox"},
      {"ComboBoxEx32", 0, "COMBOBOXEX32", "TskSkinWndComboBox"},
      {"SysTabControl32", 0, "SYSTABCONTROL32", "TskSkinWndTabControl"},
      {"ToolbarWindow32", 0, "TOOLBARWINDOW32", "TskSkinWndToolbarWindow32"},
      {"Static", 0, "STATIC", nullptr},
      {"Edit", 0, "EDIT", nullptr},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(std::string(row.windowClass) + " " + std::to_string(row.style));
    const std::string key = ForeignClassKey(row.windowClass, row.style);
    EXPECT_EQ(key, row.key);
    EXPECT_STREQ(ForeignSkinnerFor(key), row.skinner);
  }
}

TEST(SkinRules, TagsCreationAndOwnClasses) {
  EXPECT_FALSE(ControlTagExcluded(0, 0));  // a DisabledTag of 0 excludes no control
  EXPECT_TRUE(FormTagExcluded(0, 0));      // but every form with Tag 0
  EXPECT_TRUE(ControlTagExcluded(9999, 9999));
  EXPECT_TRUE(FormTagExcluded(9999, 9999));
  EXPECT_FALSE(ControlTagExcluded(5, 9999));
  EXPECT_FALSE(FormTagExcluded(5, 9999));

  EXPECT_TRUE(RefusesCreation("ScrollBar", 0x10, 0));
  EXPECT_TRUE(RefusesCreation("SCROLLBAR", 0x50000010u, 0x200));
  EXPECT_FALSE(RefusesCreation("ScrollBar", 0x10, 0x4));
  EXPECT_FALSE(RefusesCreation("ScrollBar", 0x1, 0));
  EXPECT_FALSE(RefusesCreation("Button", 0x10, 0));

  EXPECT_TRUE(OwnClassExcluded("TskSkinButton"));
  EXPECT_TRUE(OwnClassExcluded("TskSkinInternalScrollBar"));
  EXPECT_FALSE(OwnClassExcluded("TskSkinInternalUpDown"));
  EXPECT_FALSE(OwnClassExcluded("TButton"));

  ClassNameList list({"TSelectDirDlg", "TForm"});
  EXPECT_TRUE(list.Contains("tform"));
  EXPECT_FALSE(list.Contains("TForm1"));
  list.Add("TFORM");  // already there, whatever its case
  list.Remove("tselectdirdlg");
  EXPECT_EQ(list.Names(), std::vector<std::string>{"TForm"});
}

TEST(SkinRules, SkinFileIsLookedForByItsNameInEachFolder) {
  EXPECT_EQ(SkinFileCandidates("D:\\design\\skins\\Blue.skn",
                               {"C:\\Program\\", "C:\\Windows", "", "C:\\Windows\\system32"}),
            (std::vector<std::string>{"C:\\Program\\Blue.skn", "C:\\Windows\\Blue.skn",
                                      "C:\\Windows\\system32\\Blue.skn"}));
  EXPECT_EQ(SkinFileCandidates("Blue.skn", {"C:\\P"}), std::vector<std::string>{"C:\\P\\Blue.skn"});
  EXPECT_TRUE(SkinFileCandidates("D:\\skins\\", {"C:\\P"}).empty());
  EXPECT_TRUE(SkinFileCandidates("", {"C:\\P"}).empty());
}
