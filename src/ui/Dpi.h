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

// A design length back from dpi; exact at DesignDpi.
inline int UnscaleByDpi(int value, int dpi) {
  return MulDiv(value, DesignDpi, dpi);
}
inline RECT UnscaleRectByDpi(const RECT& r, int dpi) {
  return {UnscaleByDpi(r.left, dpi), UnscaleByDpi(r.top, dpi), UnscaleByDpi(r.right, dpi),
          UnscaleByDpi(r.bottom, dpi)};
}

// A font's height (negative: character height, as fonts take it) given at DesignDpi, at dpi:
// the same point size, as the platform sizes a font in points, not the pixels scaled.
inline int FontHeightAtDpi(int designHeight, int dpi) {
  if (designHeight >= 0) return ScaleByDpi(designHeight, dpi);
  const int points = MulDiv(-designHeight, 72, DesignDpi);
  return -MulDiv(points, dpi, 72);
}

}  // namespace brevlo::ui
