#pragma once

#include <windows.h>
#include <commctrl.h>

#include "skin/SkinReader.h"
#include "ui/Menus.h"

namespace brevlo::skin {

// The colours of a skinned pop-up menu.
struct MenuLook {
  COLORREF bar;  // the image strip along the leading edge
  COLORREF background;
  COLORREF selectedBackground;
  COLORREF selectedBorder;
  COLORREF font;
  COLORREF selectedFont;
};

// From the skin's menu colours; an element the skin lacks takes the matching system colour.
MenuLook SkinMenuLook(const TskSkinReader& reader);
// System colours only: an owner-drawn menu still looks like a plain one without a skin.
MenuLook SystemMenuLook();

// The check mark of checked items without an image (16 x 16 at 96 dots per inch, transparent
// where white); one list per scale for the whole program, made on first use. Null when the
// resource is missing.
HIMAGELIST MenuCheckImages(int dpi = 96);

void MeasureSkinMenuItem(const ui::TMenuItem& item, HDC dc, int& width, int& height);
// Draws through an off-screen picture that reaches `dc` in one copy, so items never flicker.
void DrawSkinMenuItem(const ui::TMenuItem& item, HDC dc, const RECT& rect, bool selected,
                      const MenuLook& look);

}  // namespace brevlo::skin
