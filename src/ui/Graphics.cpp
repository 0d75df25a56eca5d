#include "ui/Graphics.h"

#include <cstring>
#include <vector>

#include "platform/PixelScale.h"
#include "ui/Dpi.h"

namespace brevlo::ui {

COLORREF ColorToRgb(TColor color) {
  if ((color & SysColorFlag) == SysColorFlag) {
    return GetSysColor(static_cast<int>(color & 0xFF));
  }
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

TFont::TFont() = default;

TFont::TFont(const TFont& other)
    : Name(other.Name),
      Height(other.Height),
      Bold(other.Bold),
      Underline(other.Underline),
      Color(other.Color) {}

TFont& TFont::operator=(const TFont& other) {
  if (this != &other) {
    Name = other.Name;
    Height = other.Height;
    Bold = other.Bold;
    Underline = other.Underline;
    Color = other.Color;
    Changed();
  }
  return *this;
}

TFont::~TFont() {
  Changed();
}

void TFont::SetSize(int points) {
  // In design pixels, like every other length: the control it belongs to scales it.
  Height = -MulDiv(points, DesignDpi, 72);
}

void TFont::Changed() {
  if (handle_ != nullptr) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
}

HFONT TFont::Handle() const {
  if (handle_ != nullptr && (madeName_ != Name || madeHeight_ != Height || madeBold_ != Bold ||
                             madeUnderline_ != Underline)) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
  if (handle_ == nullptr) {
    LOGFONTA lf{};
    lf.lfHeight = Height;
    lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = Underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, Name.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
    madeName_ = Name;
    madeHeight_ = Height;
    madeBold_ = Bold;
    madeUnderline_ = Underline;
  }
  return handle_;
}

void TCanvas::FillRect(const RECT& r, TColor color) {
  HBRUSH brush = CreateSolidBrush(ColorToRgb(color));
  ::FillRect(dc_, &r, brush);
  DeleteObject(brush);
}

void TCanvas::TextOut(int x, int y, const std::string& text, const TFont& font, bool transparent,
                      TColor background) {
  HGDIOBJ old = SelectObject(dc_, font.Handle());
  SetTextColor(dc_, ColorToRgb(font.Color));
  if (transparent || background == clNone) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ColorToRgb(background));
  }
  ::TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc_, old);
}

SIZE TCanvas::TextExtent(const std::string& text, const TFont& font) {
  SIZE size{};
  HGDIOBJ old = SelectObject(dc_, font.Handle());
  GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc_, old);
  return size;
}

void TCanvas::StretchDraw(const RECT& r, HBITMAP bitmap) {
  if (bitmap == nullptr) return;
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SetStretchBltMode(dc_, HALFTONE);
  SetBrushOrgEx(dc_, 0, 0, nullptr);
  StretchBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, info.bmWidth,
             info.bmHeight, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void TCanvas::Draw(int x, int y, HBITMAP bitmap) {
  if (bitmap == nullptr) return;
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  HDC memory = CreateCompatibleDC(dc_);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(dc_, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

TBitmap::~TBitmap() {
  Release();
}

void TBitmap::Release() {
  if (handle_ != nullptr) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
  bits_ = nullptr;
  width_ = height_ = 0;
}

void TBitmap::Assign(HBITMAP bitmap) {
  Release();
  handle_ = bitmap;
  if (bitmap != nullptr) {
    BITMAP info{};
    GetObject(bitmap, sizeof info, &info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;
  }
}

bool TBitmap::LoadFromBmp(const void* data, std::size_t size) {
  if (data == nullptr || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  BITMAPFILEHEADER file;
  std::memcpy(&file, bytes, sizeof file);
  if (file.bfType != 0x4D42 || file.bfOffBits >= size) return false;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes + sizeof file);
  const auto& header = info->bmiHeader;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0) {
    return false;
  }
  const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  const std::size_t stride =
      ((static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
  if (file.bfOffBits + stride * static_cast<std::size_t>(height) > size) return false;
  Release();
  HDC screen = GetDC(nullptr);
  handle_ = CreateDIBitmap(screen, &header, CBM_INIT, bytes + file.bfOffBits, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (handle_ == nullptr) return false;
  width_ = header.biWidth;
  height_ = height;
  return true;
}

bool TBitmap::LoadFromResource(HINSTANCE instance, const char* name) {
  HRSRC found = FindResourceA(instance, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) {
    // A BITMAP resource: the platform reads it, as a DIB section so its pixels stay as stored.
    auto* bitmap =
        static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return false;
    Assign(bitmap);
    return true;
  }
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  return data != nullptr && LoadFromBmp(data, SizeofResource(instance, found));
}

bool TBitmap::SetPixels24(int width, int height, const std::uint8_t* bgrTopDown, int stride) {
  const int dstStride = ((width * 3 + 3) / 4) * 4;
  if (bits_ != nullptr && width == width_ && height == height_) {
    // Same size as last time: the pixels go into the bitmap we already have.
    for (int y = 0; y < height; ++y) {
      std::memcpy(static_cast<std::uint8_t*>(bits_) + y * dstStride, bgrTopDown + y * stride,
                  static_cast<std::size_t>(width) * 3);
    }
    GdiFlush();
    return true;
  }
  Release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  handle_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (handle_ == nullptr) return false;
  bits_ = bits;
  for (int y = 0; y < height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(bits) + y * dstStride, bgrTopDown + y * stride,
                static_cast<std::size_t>(width) * 3);
  }
  GdiFlush();
  width_ = width;
  height_ = height;
  return true;
}

}  // namespace brevlo::ui

namespace brevlo::ui {

bool TBitmap::AssignScaled(HBITMAP source, int width, int height) {
  BITMAP info{};
  if (source == nullptr || width <= 0 || height <= 0 || !GetObject(source, sizeof info, &info) ||
      info.bmWidth <= 0 || info.bmHeight <= 0) {
    return false;
  }
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 24;
  header.bmiHeader.biCompression = BI_RGB;
  const int srcStride = ((info.bmWidth * 3 + 3) / 4) * 4;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(srcStride) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, source, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                             &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return false;
  const int dstStride = ((width * 3 + 3) / 4) * 4;
  std::vector<std::uint8_t> scaled(static_cast<std::size_t>(dstStride) * height);
  platform::ScalePixels24(pixels.data(), info.bmWidth, info.bmHeight, srcStride, scaled.data(),
                          width, height, dstStride);
  return SetPixels24(width, height, scaled.data(), dstStride);
}

}  // namespace brevlo::ui
