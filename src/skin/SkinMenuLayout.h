#pragma once

#include "skin/SkinDraw.h"

namespace brevlo::skin {

// Sizes of a skinned pop-up menu item at 96 dots per inch; at another scale each is scaled.
inline constexpr int MenuBarStripWidth = 26;   // the image strip along the leading edge
inline constexpr int MenuTextIndent = 30;      // caption and separator line start here
inline constexpr int MenuTextTop = 4;          // caption and shortcut text, below the top
inline constexpr int MenuShortCutMargin = 16;  // between the shortcut text and the far edge
inline constexpr int MenuImageLeft = 4;
inline constexpr int MenuImageTop = 3;
inline constexpr int MenuImageSize = 16;   // the check image; item bitmaps are stretched to it
inline constexpr int MenuItemHeight = 21;  // items of one line
inline constexpr int MenuSeparatorHeight = 5;
inline constexpr int MenuExtraWidth = 66;  // strip, gaps and room for a sub-menu arrow

struct MenuPoint {
  int x = 0, y = 0;
  friend bool operator==(const MenuPoint&, const MenuPoint&) = default;
};

// Where each part of one item goes, in the coordinates of its rectangle. Right to left, every
// offset from the left edge is taken from the right edge instead.
struct MenuItemLayout {
  Rect strip;          // the image strip
  Rect rest;           // the item beside the strip
  Rect separatorLine;  // one pixel high
  Rect caption;        // single line; right-aligned right to left
  MenuPoint shortCut;  // top left of the shortcut text
  MenuPoint check;     // top left of the check image of an item without an image
  Rect checkFrame;     // the black frame around the image of a checked item
  Rect checkFill;      // inside that frame
  MenuPoint image;     // top left of the item's image from an image list
  Rect bitmap;         // the item's own bitmap, stretched into it
  friend bool operator==(const MenuItemLayout&, const MenuItemLayout&) = default;
};

// `imageWidth` is in pixels at dpi already.
MenuItemLayout LayOutMenuItem(Rect item, bool rightToLeft, int shortCutWidth, int imageWidth,
                              int dpi = 96);

struct MenuItemSize {
  int width = 0, height = 0;
  friend bool operator==(const MenuItemSize&, const MenuItemSize&) = default;
};

// Text widths as drawn in the menu font.
MenuItemSize MeasureMenuItem(bool separator, int captionWidth, int shortCutWidth, int dpi = 96);

}  // namespace brevlo::skin
