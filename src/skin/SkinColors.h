#pragma once

#include "skin/SkinReader.h"

namespace brevlo::skin {

// Style codes that `ControlFontColor` holds instead of a colour; they pick fallback colours.
enum SkinStyleCode : int {
  StyleLight = 0x10000,
  StyleBlue = 0x20000,
  StyleTeal = 0x30000,
  StyleGrey = 0x40000,
  StyleNavy = 0x50000,
};

// Colours below are stored skin colours: red in the lowest byte (a COLORREF).
inline constexpr int RgbColor(int r, int g, int b) {
  return r | (g << 8) | (b << 16);
}

// Background of a menu bar: `MenuMenuBarColor`, else chosen by the style code.
int MenuBarColor(const TskSkinReader& reader);
// Caption text: `TitleBarFontColor`, else black or white by the style code.
int CaptionTextColor(const TskSkinReader& reader);

}  // namespace brevlo::skin
