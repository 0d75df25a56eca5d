#include "app/win32/TransferForm.h"

#include "app/win32/MainForm.h"

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

ui::TCustomForm* MainWindow() { return MainForm; }
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
  pgb1->Min = 0;
  pgb1->Max = 100;
  pgb1->SetBounds(16, 72, 377, 17);
  pgb1->SetParent(this);
  Button1 = new ui::TButton(this);
  Button1->Name = "Button1";
  Button1->SetBounds(160, 100, 75, 25);
  Button1->SetCaption("&Stop");
  Button1->SetParent(this);
  Button1->OnClick = [this](ui::TObject* s) { Button1Click(s); };
  OnShow = [this](ui::TObject* s) { FormShow(s); };
  OnClose = [this](ui::TObject* s, ui::TCloseAction& a) { FormClose(s, a); };
  Handle();
}

void TTransferForm::FormShow(ui::TObject*) {
  ui::TCustomForm* main = MainWindow();
  if (main != nullptr && main != this) main->SetEnabled(false);
  Button1->SetFocus();
}

void TTransferForm::FormClose(ui::TObject*, ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (!closingByTransfer_ && stop_ != nullptr) stop_->Stop();
  ui::TCustomForm* main = MainWindow();
  if (main != nullptr && main != this) {
    main->SetEnabled(true);
    if (main->HandleAllocated()) SetForegroundWindow(main->Handle());
  }
}

void TTransferForm::Button1Click(ui::TObject*) {
  if (stop_ != nullptr) stop_->Stop();
  Close();
}

void TTransferForm::ShowProgress(operations::TransferStopFlag& stop) {
  stop_ = &stop;
  labSource->SetCaption("");
  labDestination->SetCaption("");
  Show();
}

void TTransferForm::CloseProgress() {
  closingByTransfer_ = true;
  Close();
  closingByTransfer_ = false;
  stop_ = nullptr;
}

void TTransferForm::SetSource(const std::string& path) {
  labSource->SetCaption(path);
}

void TTransferForm::SetDestination(const std::string& path) {
  labDestination->SetCaption(path);
}

void TTransferForm::SetPosition(int percent) {
  pgb1->SetPosition(percent);
}

TTransferForm::~TTransferForm() {
  if (TransferForm == this) TransferForm = nullptr;
}

}  // namespace brevlo::app
