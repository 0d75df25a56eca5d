#include "skinfile.h"

#include <cstdint>

#include "skin/SkinColors.h"
#include "skin/SkinFile.h"
#include "skinart.h"

namespace brevlo::artgen {

namespace {

using skin::RgbColor;

struct IntElement {
  const char* name;
  std::int32_t value;
};

// Metrics and colours; the images decide the look, these tie it to the frame and the controls.
constexpr IntElement Integers[] = {
    {"TitleBarButtonLeftOffsetInt", 2},
    {"TitleBarButtonRightOffsetInt", -4},
    {"TitleBarButtonTopInt", 4},
    {"FormMinWidthInt", 200},
    {"FormRoundCornerInt", 0},
    {"FormBackgroundColor", RgbColor(241, 241, 241)},
    {"FormBorderColor", RgbColor(38, 67, 121)},
    {"FormBorderWidthInt", 1},
    {"MenuSelectedBorderColor", RgbColor(51, 106, 188)},
    {"MenuSelectedBackgroundColor", RgbColor(51, 106, 188)},
    {"MenuSelectedFontColor", RgbColor(255, 255, 255)},
    {"MenuBackgroundColor", RgbColor(241, 241, 241)},
    {"MenuFontColor", RgbColor(0, 0, 0)},
    {"MenuBarColor", RgbColor(241, 241, 241)},
    {"ControlBorderColor", RgbColor(104, 104, 104)},
    {"ControlBackgroundColor", RgbColor(238, 238, 238)},
    {"ControlFontColor", skin::StyleLight},
    {"ScrollBarBackgroundColor", RgbColor(203, 203, 203)},
    {"ToolBarButtonBorderColor", RgbColor(51, 106, 188)},
    {"ToolBarButtonBackgroundColor", RgbColor(250, 250, 250)},
    {"ToolBarButtonDownBackgroundColor", RgbColor(241, 241, 241)},
    {"TitleBarFontColor", RgbColor(0, 0, 0)},
    {"FormBottomRoundCornerInt", 0},
    {"MenuMenuBarColor", RgbColor(214, 211, 206)},
};

}  // namespace

Bytes RenderSkinFile() {
  skin::SkinFileWriter writer;
  for (const SkinImage& image : RenderSkinImages()) writer.AddImage(image.name, image.bmp);
  for (const IntElement& e : Integers) writer.AddInteger(e.name, e.value);
  writer.AddFlag("ButtonTransparentBool", true);
  writer.AddFlag("TitleBarButtonTransparentBool", true);
  return writer.Bytes();
}

}  // namespace brevlo::artgen
