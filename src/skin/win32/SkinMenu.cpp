#include "skin/win32/SkinMenu.h"

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinMenuLayout.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinPaint.h"
#include "ui/ComCtrls.h"
#include "ui/Dpi.h"
#include "ui/Graphics.h"

namespace brevlo::skin {
namespace {

COLORREF SkinColor(const TskSkinReader& reader, std::string_view name, int systemColor) {
  const int value = reader.GetInt(name);
  return value < 0 ? GetSysColor(systemColor) : static_cast<COLORREF>(value);
}

// Width as DrawTextW lays the text out, "&" marks included.
int TextWidth(HDC dc, const std::wstring& text) {
  if (text.empty()) return 0;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  return r.right - r.left;
}

RECT ToRect(const Rect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

const ui::TImageList* UsableImages(const ui::TMenuItem& item) {
  const ui::TPopupMenu* menu = item.Menu();
  if (menu == nullptr || menu->Images == nullptr || item.ImageIndex < 0) return nullptr;
  return item.ImageIndex < menu->Images->Count() ? menu->Images : nullptr;
}

bool RightToLeft(const ui::TMenuItem& item) {
  return item.Menu() != nullptr && item.Menu()->RightToLeft;
}

// The check picture at another scale: its white, which the menu shows through, is kept out of
// the smoothing as the skin's magenta is.
HBITMAP ScaledCheckPicture(HBITMAP bitmap, int dpi) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    return nullptr;
  }
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  TskBitmap picture(info.bmWidth, info.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight),
                             picture.View().pixels, &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return nullptr;
  const Pixel white = MakePixel(255, 255, 255);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if ((picture.At(x, y) & 0xFFFFFF) == white) picture.Set(x, y, Magenta);
    }
  }
  const TskBitmap scaled = ScaleBitmap(picture, dpi);
  format.bmiHeader.biWidth = scaled.Width();
  format.bmiHeader.biHeight = -scaled.Height();
  void* bits = nullptr;
  HBITMAP out = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (out != nullptr) {
    std::memcpy(bits, scaled.Pixels().data(), scaled.Pixels().size() * sizeof(Pixel));
  }
  return out;
}

// One list per scale for the program's life.
class CheckImages {
 public:
  ~CheckImages() {
    for (auto& [dpi, list] : lists_) {
      if (list != nullptr) ImageList_Destroy(list);
    }
  }
  HIMAGELIST Get(int dpi) {
    if (const auto it = lists_.find(dpi); it != lists_.end()) return it->second;
    HIMAGELIST& list = lists_[dpi];
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "SKIN_MENU_CHECKED", IMAGE_BITMAP, 0, 0, 0));
    if (bitmap == nullptr) return nullptr;
    COLORREF key = RGB(255, 255, 255);
    if (dpi != SkinDesignDpi) {
      HBITMAP scaled = ScaledCheckPicture(bitmap, dpi);
      DeleteObject(bitmap);
      if (scaled == nullptr) return nullptr;
      bitmap = scaled;
      key = RGB(255, 0, 255);
    }
    const int size = ScaleLength(MenuImageSize, dpi);
    list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 1);
    if (list != nullptr && ImageList_AddMasked(list, bitmap, key) < 0) {
      ImageList_Destroy(list);
      list = nullptr;
    }
    DeleteObject(bitmap);
    return list;
  }

 private:
  std::map<int, HIMAGELIST> lists_;
};

}  // namespace

MenuLook SkinMenuLook(const TskSkinReader& reader) {
  return {SkinColor(reader, "MenuBarColor", COLOR_MENU),
          SkinColor(reader, "MenuBackgroundColor", COLOR_MENU),
          SkinColor(reader, "MenuSelectedBackgroundColor", COLOR_HIGHLIGHT),
          SkinColor(reader, "MenuSelectedBorderColor", COLOR_HIGHLIGHT),
          SkinColor(reader, "MenuFontColor", COLOR_MENUTEXT),
          SkinColor(reader, "MenuSelectedFontColor", COLOR_HIGHLIGHTTEXT)};
}

MenuLook SystemMenuLook() {
  return {GetSysColor(COLOR_MENU),      GetSysColor(COLOR_MENU),
          GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHT),
          GetSysColor(COLOR_MENUTEXT),  GetSysColor(COLOR_HIGHLIGHTTEXT)};
}

HIMAGELIST MenuCheckImages(int dpi) {
  static CheckImages images;
  return images.Get(dpi);
}

void MeasureSkinMenuItem(const ui::TMenuItem& item, HDC dc, int& width, int& height) {
  const HGDIOBJ oldFont = SelectObject(dc, ui::MenuFont(item.Default));
  const MenuItemSize size =
      MeasureMenuItem(item.IsSeparator(), TextWidth(dc, Utf8ToWide(item.Caption)),
                      TextWidth(dc, Utf8ToWide(item.ShortCutText())), ui::SystemDpi());
  SelectObject(dc, oldFont);
  width = size.width;
  height = size.height;
}

void DrawSkinMenuItem(const ui::TMenuItem& item, HDC dc, const RECT& rect, bool selected,
                      const MenuLook& look) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  TskDib picture(width, height);
  if (picture.Empty()) return;
  HDC canvas = picture.Dc();
  const bool rightToLeft = RightToLeft(item);
  const ui::TImageList* images = UsableImages(item);
  const HGDIOBJ oldFont = SelectObject(canvas, ui::MenuFont(item.Default));
  const std::wstring shortCut = Utf8ToWide(item.ShortCutText());
  const int shortCutWidth = TextWidth(canvas, shortCut);
  // Menus take the system's scale, as their font does.
  const int dpi = ui::SystemDpi();
  const MenuItemLayout layout =
      LayOutMenuItem({0, 0, width, height}, rightToLeft, shortCutWidth,
                     images != nullptr ? images->Width() : ScaleLength(MenuImageSize, dpi), dpi);

  const PixelView view = picture.View();
  if (item.IsSeparator()) {
    FillRect(view, layout.strip, ColorToPixel(static_cast<int>(look.bar)));
    FillRect(view, layout.rest, ColorToPixel(static_cast<int>(look.background)));
    FillRect(view, layout.separatorLine, MakePixel(132, 130, 132));
    SelectObject(canvas, oldFont);
    picture.CopyTo(dc, rect.left, rect.top);
    return;
  }
  if (selected && item.Enabled) {
    FillRect(view, {0, 0, width, height}, ColorToPixel(static_cast<int>(look.selectedBackground)));
    FrameRect(view, {0, 0, width, height}, ColorToPixel(static_cast<int>(look.selectedBorder)));
  } else {
    FillRect(view, layout.strip, ColorToPixel(static_cast<int>(look.bar)));
    FillRect(view, layout.rest, ColorToPixel(static_cast<int>(look.background)));
  }

  SetBkMode(canvas, TRANSPARENT);
  SetTextColor(canvas, !item.Enabled ? RGB(128, 128, 128)
                       : selected    ? look.selectedFont
                                     : look.font);
  const std::wstring caption = Utf8ToWide(item.Caption);
  RECT captionRect = ToRect(layout.caption);
  DrawTextW(canvas, caption.c_str(), static_cast<int>(caption.size()), &captionRect,
            DT_SINGLELINE | DT_TOP | (rightToLeft ? DT_RIGHT | DT_RTLREADING : DT_LEFT));
  if (!shortCut.empty()) {
    TextOutW(canvas, layout.shortCut.x, layout.shortCut.y, shortCut.c_str(),
             static_cast<int>(shortCut.size()));
  }
  SelectObject(canvas, oldFont);

  const bool hasImage = images != nullptr || item.Bitmap != nullptr;
  if (item.Checked) {
    if (!hasImage) {
      if (HIMAGELIST check = MenuCheckImages(dpi)) {
        ImageList_Draw(check, 0, canvas, layout.check.x, layout.check.y, ILD_TRANSPARENT);
      }
    } else {
      const PixelView framed = picture.View();  // the text above reaches the bits first
      FrameRect(framed, layout.checkFrame, MakePixel(0, 0, 0));
      FillRect(framed, layout.checkFill, ColorToPixel(static_cast<int>(look.background)));
    }
  }
  if (images != nullptr) {
    ImageList_Draw(images->Handle(), item.ImageIndex, canvas, layout.image.x, layout.image.y,
                   ILD_TRANSPARENT);
  } else if (item.Bitmap != nullptr) {
    ui::TCanvas(canvas).StretchDraw(ToRect(layout.bitmap), item.Bitmap);
  }
  picture.CopyTo(dc, rect.left, rect.top);
}

}  // namespace brevlo::skin
