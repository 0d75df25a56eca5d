#include "operations/win32/TransferForm.h"

#include "ui/Builder.h"

namespace brevlo::app {

TTransferForm* TransferForm = nullptr;

TTransferForm::TTransferForm(ui::TComponent* owner, ui::TCustomForm* mainWindow)
    : ui::TForm(owner), mainWindow_(mainWindow) {
  TransferForm = this;
  ui::MakeDialogForm(this, "TransferForm", "Transfering...", 407, 137);
  Label1 = ui::NewLabel(this, this, "Label1", 16, 16, "From:");
  labSource = ui::NewLabel(this, this, "labSource", 50, 16, "", 349);
  Label2 = ui::NewLabel(this, this, "Label2", 26, 41, "To:");
  labDestination = ui::NewLabel(this, this, "labDestination", 50, 41, "", 353);
  pgb1 = ui::NewControl<ui::TProgressBar>(this, this, "pgb1", 16, 72, 377, 17);
  Button1 = ui::NewButton(this, this, "Button1", 160, 100, 75, 25, "&Stop");
  Button1->OnClick = [this](ui::TObject* s) { Button1Click(s); };
  OnShow = [this](ui::TObject* s) { FormShow(s); };
  OnClose = [this](ui::TObject* s, ui::TCloseAction& a) { FormClose(s, a); };
  Handle();
}

ui::TCustomForm* TTransferForm::MainWindow() const {
  return mainWindow_ != this ? mainWindow_ : nullptr;
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
  // A copy in hand still serves the windows until it has ended.
  if (main != nullptr && main != this && !copying_) {
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
  source_ = path;
  labSource->SetCaption(path);
}

void TTransferForm::SetDestination(const std::string& path) {
  labDestination->SetCaption(path);
}

// In place of the source's path while the row in hand is more than a copy.
void TTransferForm::SetStatus(const std::string& text) {
  const std::string& shown = text.empty() ? source_ : text;
  if (labSource->Caption() != shown) labSource->SetCaption(shown);
}

void TTransferForm::SetPosition(int percent) {
  pgb1->SetPosition(percent);
}

// Also when Stop came just before a copy and hid this window, the main window takes no input
// while the row in hand is finished.
void TTransferForm::SetCopying(bool copying) {
  copying_ = copying;
  ui::TCustomForm* main = MainWindow();
  if (main == nullptr || main == this) return;
  if (copying) {
    main->SetEnabled(false);
  } else if (!Showing()) {
    main->SetEnabled(true);
  }
}

TTransferForm::~TTransferForm() {
  if (TransferForm == this) TransferForm = nullptr;
}

}  // namespace brevlo::app
