#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brevlo::ui {

// Colours as COLORREF; system colours are marked the way the class library marks them, with
// the high byte set, and resolved when used.
using TColor = std::uint32_t;
inline constexpr TColor SysColorFlag = 0xFF000000u;
inline constexpr TColor clBtnFace = SysColorFlag | COLOR_BTNFACE;
inline constexpr TColor clWindow = SysColorFlag | COLOR_WINDOW;
inline constexpr TColor clWindowText = SysColorFlag | COLOR_WINDOWTEXT;
inline constexpr TColor clBlue = RGB(0, 0, 255);
inline constexpr TColor clSilver = RGB(192, 192, 192);
inline constexpr TColor clBlack = RGB(0, 0, 0);
inline constexpr TColor clWhite = RGB(255, 255, 255);
inline constexpr TColor clNone = 0x1FFFFFFFu;

COLORREF ColorToRgb(TColor color);

class TFont {
 public:
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);
  ~TFont();

  std::string Name = "MS Sans Serif";
  int Height = -11;  // pixels; negative means character height, as LOGFONT takes it
  bool Bold = false;
  bool Underline = false;
  TColor Color = clWindowText;

  // Points at the design's 96 dots per inch; the control scales the font with itself.
  void SetSize(int points);
  // Created on demand and rebuilt after a change.
  HFONT Handle() const;
  void Changed();

 private:
  mutable HFONT handle_ = nullptr;
  mutable std::string madeName_;
  mutable int madeHeight_ = 0;
  mutable bool madeBold_ = false;
  mutable bool madeUnderline_ = false;
};

// Drawing on a device context that someone else owns.
class TCanvas {
 public:
  explicit TCanvas(HDC dc) : dc_(dc) {}
  HDC Handle() const { return dc_; }
  void FillRect(const RECT& r, TColor color);
  void TextOut(int x, int y, const std::string& text, const TFont& font, bool transparent,
               TColor background = clNone);
  SIZE TextExtent(const std::string& text, const TFont& font);
  void StretchDraw(const RECT& r, HBITMAP bitmap);
  void Draw(int x, int y, HBITMAP bitmap);

 private:
  HDC dc_;
};

// A device-independent 24-bit bitmap, loadable from a BMP file image held in memory.
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;
  ~TBitmap();

  bool LoadFromBmp(const void* data, std::size_t size);
  // From an RCDATA resource holding a BMP file, or else a BITMAP resource of that name.
  bool LoadFromResource(HINSTANCE instance, const char* name);
  // Top-down rows of blue, green, red bytes, padded to four bytes.
  bool SetPixels24(int width, int height, const std::uint8_t* bgrTopDown, int stride);
  // A smooth copy of another bitmap at another size.
  bool AssignScaled(HBITMAP source, int width, int height);
  // Takes the bitmap over; it is freed with this object.
  void Assign(HBITMAP bitmap);
  void Clear() { Release(); }
  HBITMAP Handle() const { return handle_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return handle_ == nullptr; }

 private:
  void Release();
  HBITMAP handle_ = nullptr;
  void* bits_ = nullptr;  // pixels of a bitmap made by SetPixels24, kept for the next call
  int width_ = 0;
  int height_ = 0;
};

}  // namespace brevlo::ui
