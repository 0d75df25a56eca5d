#include "ui/Builder.h"

#include <set>

namespace brevlo::ui {

TLabel* NewLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                 const std::string& caption, int fixedWidth) {
  auto* label = new TLabel(owner);
  label->Name = name;
  label->Font = static_cast<TControl*>(parent)->Font;
  label->AutoSize = fixedWidth == 0;
  label->SetBounds(left, top, fixedWidth, 13);
  label->SetCaption(caption);
  label->SetParent(parent);
  return label;
}

TButton* NewButton(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                   int width, int height, const std::string& caption) {
  auto* button = NewControl<TButton>(owner, parent, name, left, top, width, height);
  button->SetCaption(caption);
  return button;
}

void MakeDialogForm(TCustomForm* form, const char* name, const std::string& caption,
                    int clientWidth, int clientHeight) {
  form->Name = name;
  form->BorderStyle = TBorderStyle::Dialog;
  form->BorderIcons = biSystemMenu;
  form->Position = TPosition::MainFormCenter;
  form->Font.SetSize(8);
  form->SetClientSize(clientWidth, clientHeight);
  form->SetCaption(caption);
}

const char* OwnWindowClass(const char* name, bool withIcon) {
  static std::set<std::string> registered;
  if (registered.insert(name).second) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;  // every message goes through the control's subclass
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = withIcon ? LoadIconA(GetModuleHandleA(nullptr), "MAINICON") : nullptr;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
  }
  return name;
}

}  // namespace brevlo::ui
