// Skinned pop-up menu items drawn onto a DIB, and the native menus built from our menu objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/win32/SkinMenu.h"
#include "skin/win32/SkinPaint.h"
#include "ui/ComCtrls.h"

using namespace brevlo;

namespace {

const skin::MenuLook look{RGB(10, 200, 10), RGB(250, 240, 200), RGB(20, 30, 200),
                          RGB(200, 20, 20), RGB(160, 0, 160),   RGB(255, 255, 0)};
skin::Pixel Px(COLORREF c) {
  return skin::ColorToPixel(static_cast<int>(c));
}

int MenuTextWidth(const char* text, bool bold = false) {
  SIZE size{};
  HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, ui::MenuFont(bold));
  GetTextExtentPoint32A(screen, text, lstrlenA(text), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size.cx;
}

// One item drawn into columns 10..169 of a magenta picture; coordinates are the item's own.
struct Drawn {
  skin::TskDib dib;
  Drawn(const ui::TMenuItem& item, bool selected, int height = 21) : dib(180, height) {
    skin::FillRect(dib.View(), {0, 0, 180, height}, skin::Magenta);
    skin::DrawSkinMenuItem(item, dib.Dc(), RECT{10, 0, 170, height}, selected, look);
  }
  skin::Pixel At(int x, int y) const { return dib.View().At(10 + x, y); }
  int Count(COLORREF color, int x0, int x1) const {
    int n = 0;
    for (int y = 0; y < dib.Height(); ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == Px(color);
    return n;
  }
};

}  // namespace

TEST(SkinMenu, ItemStatesSeparatorAndShortcutInTheLooksColours) {
  ui::TPopupMenu menu(nullptr);
  ui::TMenuItem* open = menu.Add("Open", "Open");
  open->ShortCut = ui::scCtrl | 'S';
  const Drawn normal(*open, false);
  EXPECT_EQ(normal.At(-10, 5), skin::Magenta);  // nothing outside the rectangle
  EXPECT_EQ(normal.At(25, 20), Px(look.bar));
  EXPECT_EQ(normal.At(26, 0), Px(look.background));
  EXPECT_EQ(normal.At(159, 20), Px(look.background));
  EXPECT_GT(normal.Count(look.font, 30, 80), 10) << "caption";
  EXPECT_EQ(normal.Count(look.font, 0, 30), 0);
  EXPECT_GT(normal.Count(look.font, 144 - MenuTextWidth("Ctrl+S"), 144), 10) << "shortcut";
  EXPECT_EQ(normal.Count(look.font, 145, 160), 0);

  const Drawn selected(*open, true);
  EXPECT_EQ(selected.At(0, 0), Px(look.selectedBorder));
  EXPECT_EQ(selected.At(159, 20), Px(look.selectedBorder));
  EXPECT_EQ(selected.At(1, 1), Px(look.selectedBackground));
  EXPECT_GT(selected.Count(look.selectedFont, 30, 80), 10);
  EXPECT_EQ(selected.Count(look.font, 0, 160), 0);

  open->Enabled = false;  // no highlight, grey text
  const Drawn disabled(*open, true);
  EXPECT_EQ(disabled.At(1, 1), Px(look.bar));
  EXPECT_GT(disabled.Count(RGB(128, 128, 128), 30, 80), 10);
  EXPECT_EQ(disabled.Count(look.selectedFont, 0, 160) + disabled.Count(look.font, 0, 160), 0);

  const Drawn separator(*menu.Add("N1", "-"), false, 5);
  EXPECT_EQ(separator.At(25, 2), Px(look.bar));
  EXPECT_EQ(separator.At(29, 2), Px(look.background));
  EXPECT_EQ(separator.Count(RGB(132, 130, 132), 0, 160), 128);  // x 30..157 of row 2
  EXPECT_EQ(separator.At(157, 2), Px(RGB(132, 130, 132)));
}

TEST(SkinMenu, CheckMarkOrAFramedImageMirroredRightToLeft) {
  // The check mark as the resource holds it; its white is transparent.
  HBITMAP mark = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "SKIN_MENU_CHECKED",
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  skin::Pixel bits[16 * 16];
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, mark, 0, 16, bits, &info, DIB_RGB_COLORS), 16);
  ReleaseDC(nullptr, screen);
  DeleteObject(mark);
  ASSERT_NE(skin::MenuCheckImages(), nullptr);

  ui::TPopupMenu menu(nullptr);
  ui::TMenuItem* item = menu.Add("Item", "Item");
  item->Checked = true;
  for (bool rightToLeft : {false, true}) {
    menu.RightToLeft = rightToLeft;
    const Drawn drawn(*item, false);
    const int left = rightToLeft ? 160 - 4 - 16 : 4;
    int marked = 0;
    for (int i = 0; i < 16 * 16; ++i) {
      const skin::Pixel want = bits[i] & 0xFFFFFF;
      marked += want != 0xFFFFFF;
      ASSERT_EQ(drawn.At(left + i % 16, 3 + i / 16), want == 0xFFFFFF ? Px(look.bar) : want) << i;
    }
    EXPECT_GT(marked, 20);
    EXPECT_EQ(drawn.At(rightToLeft ? 0 : 159, 10), Px(look.background));
    EXPECT_EQ(drawn.Count(look.font, rightToLeft ? 130 : 0, rightToLeft ? 160 : 30), 0);
    EXPECT_GT(drawn.Count(look.font, rightToLeft ? 80 : 30, rightToLeft ? 130 : 80), 10);
  }

  // An item bitmap stretched to 16 x 16, or an image of the menu's list: a black frame instead.
  menu.RightToLeft = false;
  const std::vector<skin::Pixel> blue(16 * 16, skin::MakePixel(0, 128, 255));
  HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, blue.data());
  ui::TImageList images(nullptr, 16, 16);
  images.Add(bitmap);
  for (bool fromList : {false, true}) {
    item->Bitmap = fromList ? nullptr : bitmap;
    menu.Images = fromList ? &images : nullptr;
    item->ImageIndex = fromList ? 0 : -1;
    const Drawn drawn(*item, false);
    EXPECT_EQ(drawn.At(2, 1), Px(RGB(0, 0, 0))) << fromList;
    EXPECT_EQ(drawn.At(20, 19), Px(RGB(0, 0, 0)));
    EXPECT_EQ(drawn.At(21, 19), Px(look.bar));
    EXPECT_EQ(drawn.At(3, 2), Px(look.background));
    EXPECT_EQ(drawn.At(10, 2), Px(look.background));
    EXPECT_EQ(drawn.At(4, 3), blue[0]);
    EXPECT_EQ(drawn.At(19, 18), blue[0]);
  }
  DeleteObject(bitmap);
}

TEST(SkinMenu, BuiltMenuCarriesOwnerDrawingStatesAndSubMenusFoundByItemData) {
  ui::TPopupMenu menu(nullptr);
  menu.OwnerDraw = true;
  HGDIOBJ measuredFont = nullptr;
  auto own = [&measuredFont](ui::TMenuItem* item) {
    item->OnMeasureItem = [&measuredFont](ui::TMenuItem* i, HDC dc, int& w, int& h) {
      measuredFont = GetCurrentObject(dc, OBJ_FONT);
      skin::MeasureSkinMenuItem(*i, dc, w, h);
    };
    item->OnDrawItem = [](ui::TMenuItem*, HDC, const RECT&, bool) {};
  };
  ui::TMenuItem* open = menu.Add("Open", "Open");
  own(open);
  open->Checked = true;
  ui::TMenuItem* save = menu.Add("Save", "Save");  // no handlers: drawn by the system
  save->Default = true;
  save->ShortCut = ui::scCtrl | 'S';
  ui::TMenuItem* more = menu.Add("More", "More");
  auto* deep = new ui::TMenuItem(&menu);
  deep->Caption = "Deep";
  deep->Default = true;
  deep->Enabled = false;
  deep->ShortCut = VK_F2;
  own(deep);
  more->Add(deep);

  char text[64];
  auto info = [&text](HMENU m, UINT position) {
    MENUITEMINFOA i{sizeof i, MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING};
    i.dwTypeData = text;
    i.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(m, position, TRUE, &i)) << position;
    return i;
  };
  HMENU built = menu.Build();
  ASSERT_EQ(GetMenuItemCount(built), 3);
  EXPECT_EQ(info(built, 0).fType & MFT_OWNERDRAW, UINT{MFT_OWNERDRAW});
  EXPECT_EQ(info(built, 0).fState & MFS_CHECKED, UINT{MFS_CHECKED});
  EXPECT_EQ(info(built, 1).fType & MFT_OWNERDRAW, 0u);
  EXPECT_STREQ(text, "Save\tCtrl+S");
  EXPECT_EQ(GetMenuDefaultItem(built, TRUE, 0), 1u);
  const HMENU sub = info(built, 2).hSubMenu;
  ASSERT_NE(sub, nullptr);
  const MENUITEMINFOA inner = info(sub, 0);
  EXPECT_EQ(inner.fType & MFT_OWNERDRAW, UINT{MFT_OWNERDRAW});
  EXPECT_EQ(inner.fState & (MFS_GRAYED | MFS_DEFAULT), UINT{MFS_GRAYED | MFS_DEFAULT});

  // Whatever id arrives with it, the item data finds the sub-menu's item; the default item is
  // measured in the bold menu font.
  MEASUREITEMSTRUCT measure{ODT_MENU, 0, 0xFFFF, 0, 0, inner.dwItemData};
  ASSERT_TRUE(ui::TMenuItem::DispatchMeasure(&measure));
  EXPECT_EQ(measuredFont, ui::MenuFont(true));
  EXPECT_EQ(measure.itemHeight, 21u);
  EXPECT_EQ(static_cast<int>(measure.itemWidth),
            MenuTextWidth("Deep", true) + MenuTextWidth("F2", true) + 66);

  menu.OwnerDraw = false;  // handlers alone do not make an item owner-drawn
  EXPECT_EQ(info(menu.Build(), 0).fType & MFT_OWNERDRAW, 0u);
  EXPECT_EQ(ui::ShortCutToText(ui::scShift | VK_DELETE), "Shift+Del");
  EXPECT_EQ(ui::ShortCutToText(ui::scShift | ui::scCtrl | ui::scAlt | '7'), "Shift+Ctrl+Alt+7");
}
