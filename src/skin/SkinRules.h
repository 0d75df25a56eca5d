#pragma once

// Which windows and controls the skin engine takes over, decided from names, styles and tags
// alone, so that the rules can be checked without a window.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brevlo::skin {

// Private messages between the engine, its windows and whoever asks them.
inline constexpr unsigned SKM_ISSKINNED = 0x2AAA;
inline constexpr unsigned SKM_ISACTIVE = 0x2AAB;
inline constexpr unsigned SKM_REPAINT = 0x2AAC;
inline constexpr unsigned SKM_MDIMENU = 0x83E8;
inline constexpr unsigned SKM_MENUBARHEIGHT = 0x83E9;

// The skinner class for a control of ours: the last row of the class table whose class the
// control is or descends from, or null. `is` answers whether the control is of a named class.
const char* ProgramSkinnerFor(const std::function<bool(const char*)>& is);

// The name a foreign child window is looked up by: its class in upper case, a "BUTTON" told
// apart by its style bits; empty when the window gets nothing (a group box, a simple combo box).
std::string ForeignClassKey(std::string_view windowClass, unsigned style);
// The skinner class for such a key, or null.
const char* ForeignSkinnerFor(std::string_view key);

// Size grips of scroll bars are refused at creation while the engine is on.
bool RefusesCreation(std::string_view windowClass, unsigned style, unsigned exStyle);

// Tag rules. For a control, a DisabledTag of 0 excludes nothing; for a form it is plain equality.
inline bool ControlTagExcluded(int tag, int disabledTag) {
  return disabledTag != 0 && tag == disabledTag;
}
inline bool FormTagExcluded(int tag, int disabledTag) {
  return tag == disabledTag;
}
// The engine's own classes get no skinner, save the one it lays over a platform control.
bool OwnClassExcluded(std::string_view className);

// Where a skin file of that name is looked for when it does not exist as given: the file-name
// part in each folder, in order.
std::vector<std::string> SkinFileCandidates(const std::string& fileName,
                                            const std::vector<std::string>& folders);

// Class names looked up without regard to letter case.
class ClassNameList {
 public:
  explicit ClassNameList(std::vector<std::string> names = {}) : names_(std::move(names)) {}
  void Add(const std::string& name);
  void Remove(const std::string& name);
  bool Contains(std::string_view name) const;
  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

}  // namespace brevlo::skin
