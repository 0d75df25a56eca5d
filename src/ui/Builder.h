#pragma once

// Putting controls on a form in code, the way a form designer's data would: a name, a place
// in the parent, a caption.

#include <string>

#include "ui/Forms.h"

namespace brevlo::ui {

template <typename T>
T* NewControl(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
              int width, int height) {
  auto* control = new T(owner);
  control->Name = name;
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

// In the parent's font; sized to its text, or of a fixed width when one is given.
TLabel* NewLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                 const std::string& caption, int fixedWidth = 0);

TButton* NewButton(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                   int width, int height, const std::string& caption);

// A secondary window: dialog frame, centred on the main window, MS Sans Serif 8.
void MakeDialogForm(TCustomForm* form, const char* name, const std::string& caption,
                    int clientWidth, int clientHeight);

// The window class of our own windows (forms and custom controls), registered once.
const char* OwnWindowClass(const char* name, bool withIcon);

}  // namespace brevlo::ui
