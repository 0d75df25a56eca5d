#pragma once

#include <windows.h>

namespace brevlo::ui {

// Every window of ours is designed at 96 dots per inch and laid out at its screen's.
inline constexpr int DesignDpi = 96;

// The screen's dots per inch as the program started (the system's setting).
int SystemDpi();
// The dots per inch a window is shown at: its monitor's where the platform tracks that per
// window, else the system's.
int WindowDpi(HWND wnd);

// A design length at dpi, rounded to the nearest pixel.
inline int ScaleByDpi(int value, int dpi) {
  return MulDiv(value, dpi, DesignDpi);
}
// A design rectangle at dpi. Its edges are rounded, not its size, so that neighbours that touch
// at 96 still touch and never overlap.
inline RECT ScaleRectByDpi(const RECT& r, int dpi) {
  return {ScaleByDpi(r.left, dpi), ScaleByDpi(r.top, dpi), ScaleByDpi(r.right, dpi),
          ScaleByDpi(r.bottom, dpi)};
}

}  // namespace brevlo::ui
