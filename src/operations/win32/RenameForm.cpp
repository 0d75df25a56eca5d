#include "operations/win32/RenameForm.h"

#include "operations/RenameRule.h"
#include "ui/Builder.h"

namespace brevlo::app {

TRenameForm* RenameForm = nullptr;

TRenameForm::TRenameForm(ui::TComponent* owner, ui::TCustomForm* mainWindow,
                         platform::IFileSystem& fs, platform::IDialogs& dialogs)
    : ui::TForm(owner), mainWindow_(mainWindow), fs_(fs), dialogs_(dialogs) {
  RenameForm = this;
  ui::MakeDialogForm(this, "RenameForm", "Rename", 405, 108);
  Label1 = ui::NewLabel(this, this, "Label1", 16, 24, "New Filename:");
  edtNewname = ui::NewControl<ui::TEdit>(this, this, "edtNewname", 96, 21, 281, 21);
  edtNewname->TabOrder = 0;
  btnOK = ui::NewButton(this, this, "btnOK", 192, 64, 75, 25, "&OK");
  btnOK->TabOrder = 1;
  btnOK->Default = true;
  btnOK->OnClick = [this](ui::TObject* s) { btnOKClick(s); };

  Button2 = ui::NewButton(this, this, "Button2", 288, 64, 75, 25, "&Cancel");
  Button2->TabOrder = 2;
  Button2->Cancel = true;
  Button2->OnClick = [this](ui::TObject* s) { Button2Click(s); };

  OnShow = [this](ui::TObject* s) { FormShow(s); };
  OnClose = [this](ui::TObject* s, ui::TCloseAction& a) { FormClose(s, a); };
  Handle();
}

void TRenameForm::ShowFor(const std::string& side, const std::string& sourcePath,
                          const std::string& currentName) {
  edtNewname->SetText(currentName);
  shownName_ = currentName;
  RenameSide = side;
  RenameSourcePath = sourcePath;
  Show();
}

void TRenameForm::FormShow(ui::TObject*) {
  if (mainWindow_ != nullptr) mainWindow_->SetEnabled(false);
  edtNewname->SetFocus();
  edtNewname->Perform(EM_SETSEL, 0, -1);
}

void TRenameForm::FormClose(ui::TObject*, ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (mainWindow_ != nullptr) {
    mainWindow_->SetEnabled(true);
    SetForegroundWindow(mainWindow_->Handle());
  }
}

void TRenameForm::btnOKClick(ui::TObject*) {
  // The name as it was: nothing to rename, and no rule to refuse it by.
  if (edtNewname->Text() == shownName_) {
    Close();
    return;
  }
  // Boxes belong to the window in front; make sure that is this one.
  if (Showing()) SetActiveWindow(Handle());
  const operations::RenameResult result =
      operations::RenameVideo(fs_, dialogs_, RenameSide, RenameSourcePath, edtNewname->Text());
  if (result.outcome == operations::RenameOutcome::Refused) return;
  if (result.newName != edtNewname->Text()) edtNewname->SetText(result.newName);
  if (OnRenamed) OnRenamed(RenameSide == "PC");
  Close();
}

void TRenameForm::Button2Click(ui::TObject*) {
  Close();
}

TRenameForm::~TRenameForm() {
  if (RenameForm == this) RenameForm = nullptr;
}

}  // namespace brevlo::app
