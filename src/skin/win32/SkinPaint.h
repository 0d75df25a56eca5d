#pragma once

#include <windows.h>

#include <string>

#include "skin/SkinDraw.h"

namespace brevlo::skin {

// An off-screen 32-bit DIB section with a memory DC: the skin's pixel operations write its bits
// directly, GDI writes text on it, and it reaches the window in one copy.
class TskDib {
 public:
  TskDib() = default;
  TskDib(int width, int height);
  TskDib(const TskDib&) = delete;
  TskDib& operator=(const TskDib&) = delete;
  ~TskDib();

  // Keeps the bitmap when the size is unchanged.
  bool Resize(int width, int height);
  int Width() const { return view_.width; }
  int Height() const { return view_.height; }
  bool Empty() const { return dc_ == nullptr; }
  HDC Dc() const { return dc_; }
  // Pixels drawn by GDI are only in the bits after a flush; the view flushes first.
  PixelView View() const;
  void CopyTo(HDC target, int x, int y) const;

 private:
  void Release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  PixelView view_;
};

std::wstring Utf8ToWide(const std::string& utf8);

// A function of a system library that older systems may lack, or null.
void* SystemProc(const char* module, const char* name);
// Takes a control's visual style away while `off`, so that the colours it is given count, or
// gives it back.
void SetControlTheme(HWND hwnd, bool off);

// Text of a control's face: single line, centred both ways, transparent, in `color` or grey when
// disabled, one pixel down and right while pressed. Drawn on the off-screen picture, which then
// goes to the target in one copy so the face never flickers.
void DrawCaption(HDC target, TskDib& face, const std::string& utf8Text, RECT rect, HFONT font,
                 COLORREF color, bool enabled, bool pressed);
// The two-colour border of edit-like controls on the whole window, frame included.
void DrawEditBorder(HWND window, COLORREF border, COLORREF inner);

}  // namespace brevlo::skin
