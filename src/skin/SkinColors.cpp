#include "skin/SkinColors.h"

namespace brevlo::skin {

int MenuBarColor(const TskSkinReader& reader) {
  const int own = reader.GetInt("MenuMenuBarColor");
  if (own != -1) return own;
  switch (reader.GetInt("ControlFontColor")) {
    case StyleBlue:
    case StyleNavy:
      return RgbColor(59, 91, 172);
    case StyleTeal:
      return RgbColor(51, 103, 153);
    default:
      return reader.GetInt("FormBackgroundColor");
  }
}

int CaptionTextColor(const TskSkinReader& reader) {
  const int own = reader.GetInt("TitleBarFontColor");
  if (own != -1) return own;
  switch (reader.GetInt("ControlFontColor")) {
    case StyleLight:
    case StyleTeal:
    case StyleGrey:
    case StyleNavy:
      return RgbColor(0, 0, 0);
    default:
      return RgbColor(255, 255, 255);
  }
}

}  // namespace brevlo::skin
