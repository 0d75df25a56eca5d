#include "ui/Dpi.h"

namespace brevlo::ui {

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : DesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : DesignDpi;
  }();
  return dpi;
}

int WindowDpi(HWND wnd) {
  // Looked up at run time: older systems have no per-window DPI.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (wnd && getDpiForWindow) {
    const UINT dpi = getDpiForWindow(wnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

}  // namespace brevlo::ui
