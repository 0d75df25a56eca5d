#include "skin/win32/SkinPaint.h"

#include <vector>

namespace brevlo::skin {

TskDib::TskDib(int width, int height) {
  Resize(width, height);
}

TskDib::~TskDib() {
  Release();
}

void TskDib::Release() {
  if (dc_ != nullptr) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  view_ = {};
}

bool TskDib::Resize(int width, int height) {
  if (dc_ != nullptr && width == view_.width && height == view_.height) return true;
  Release();
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as PixelView walks it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) {
    Release();
    return false;
  }
  dc_ = CreateCompatibleDC(nullptr);
  oldBitmap_ = SelectObject(dc_, bitmap_);
  view_ = {static_cast<Pixel*>(bits), width, height, width};
  return true;
}

PixelView TskDib::View() const {
  GdiFlush();
  return view_;
}

void TskDib::CopyTo(HDC target, int x, int y) const {
  if (dc_ != nullptr) BitBlt(target, x, y, view_.width, view_.height, dc_, 0, 0, SRCCOPY);
}

void* SystemProc(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  if (loaded == nullptr) loaded = LoadLibraryA(module);
  return loaded != nullptr ? reinterpret_cast<void*>(GetProcAddress(loaded, name)) : nullptr;
}

void SetControlTheme(HWND hwnd, bool off) {
  using SetTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const auto setTheme =
      reinterpret_cast<SetTheme>(SystemProc("uxtheme.dll", "SetWindowTheme"));
  // Names no style has leave the control without one (empty ones are not taken everywhere);
  // null ones give it its class's own again.
  if (setTheme != nullptr) setTheme(hwnd, off ? L" " : nullptr, off ? L" " : nullptr);
}

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

void DrawCaption(HDC target, TskDib& face, const std::string& utf8Text, RECT rect, HFONT font,
                 COLORREF color, bool enabled, bool pressed) {
  if (!utf8Text.empty() && !face.Empty()) {
    const std::wstring wide = Utf8ToWide(utf8Text);
    if (pressed) OffsetRect(&rect, 1, 1);
    HDC dc = face.Dc();
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? color : RGB(128, 128, 128));
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, oldFont);
  }
  face.CopyTo(target, 0, 0);
}

void DrawEditBorder(HWND window, COLORREF border, COLORREF inner) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  OffsetRect(&r, -r.left, -r.top);
  HDC dc = GetWindowDC(window);
  if (dc == nullptr) return;
  HBRUSH outer = CreateSolidBrush(border);
  HBRUSH in = CreateSolidBrush(inner);
  FrameRect(dc, &r, outer);
  InflateRect(&r, -1, -1);
  FrameRect(dc, &r, in);
  DeleteObject(in);
  DeleteObject(outer);
  ReleaseDC(window, dc);
}

}  // namespace brevlo::skin
