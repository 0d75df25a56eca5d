#include "app/win32/SecondaryForms.h"

namespace brevlo::app {

TTransferForm* TransferForm = nullptr;

namespace {
ui::TLabel* AddLabel(ui::TForm* form, const char* name, int left, int top, int width,
                     const std::string& caption) {
  auto* label = new ui::TLabel(form);
  label->Name = name;
  label->Font = form->Font;
  label->SetBounds(left, top, width, 13);
  label->AutoSize = width == 0;
  label->SetCaption(caption);
  label->SetParent(form);
  return label;
}
}  // namespace

TTransferForm::TTransferForm(ui::TComponent* owner) : ui::TForm(owner) {
  TransferForm = this;
  Name = "TransferForm";
  BorderStyle = ui::TBorderStyle::Dialog;
  BorderIcons = ui::biSystemMenu;
  Position = ui::TPosition::MainFormCenter;
  Font.SetSize(8);
  SetClientSize(407, 137);
  SetCaption("Transfering...");
  Label1 = AddLabel(this, "Label1", 16, 16, 0, "From:");
  labSource = AddLabel(this, "labSource", 50, 16, 349, "");
  Label2 = AddLabel(this, "Label2", 26, 41, 0, "To:");
  labDestination = AddLabel(this, "labDestination", 50, 41, 353, "");
  pgb1 = new ui::TProgressBar(this);
  pgb1->Name = "pgb1";
  pgb1->SetBounds(16, 72, 377, 17);
  pgb1->SetParent(this);
  Button1 = new ui::TButton(this);
  Button1->Name = "Button1";
  Button1->SetBounds(160, 100, 75, 25);
  Button1->SetCaption("&Stop");
  Button1->SetParent(this);
  Handle();
}

}  // namespace brevlo::app
