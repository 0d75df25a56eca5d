#pragma once

// Window subclassing with the same rules as the common controls' SetWindowSubclass,
// RemoveWindowSubclass and DefSubclassProc: the newest link runs first, a link may let go of
// itself or of any other while messages run through it, and DefSubclass outside any message
// goes straight to the window's own procedure. The common controls' chain asks the window
// manager for a window property at every link of every message, a round trip to the server
// under Wine; this one keeps its chains in the process.

#include <windows.h>
#include <commctrl.h>

namespace brevlo::ui {

bool Subclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
bool Unsubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace brevlo::ui
