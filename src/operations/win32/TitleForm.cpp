#include "operations/win32/TitleForm.h"

#include "ui/Builder.h"
#include "video/TitleWriter.h"

namespace brevlo::app {

TTitleForm::TTitleForm(ui::TComponent* owner, ui::TCustomForm* mainWindow, TitlePorts ports)
    : ui::TForm(owner), mainWindow_(mainWindow), ports_(std::move(ports)) {
  ui::MakeDialogForm(this, "TitleForm", operations::TitleCaption, 405, 108);
  Label1 = ui::NewLabel(this, this, "Label1", 16, 24, "Title:");
  edtTitle = ui::NewControl<ui::TEdit>(this, this, "edtTitle", 96, 21, 281, 21);
  edtTitle->TabOrder = 0;
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

void TTitleForm::ShowFor(const std::string& videoPath, const std::string& currentTitle) {
  path_ = videoPath;
  edtTitle->SetText(currentTitle);
  Show();
}

void TTitleForm::FormShow(ui::TObject*) {
  if (mainWindow_ != nullptr) mainWindow_->SetEnabled(false);
  edtTitle->SetFocus();
  edtTitle->Perform(EM_SETSEL, 0, -1);
}

void TTitleForm::FormClose(ui::TObject*, ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (mainWindow_ != nullptr && !writing_) {
    mainWindow_->SetEnabled(true);
    if (mainWindow_->HandleAllocated()) SetForegroundWindow(mainWindow_->Handle());
  }
}

void TTitleForm::btnOKClick(ui::TObject*) {
  operations::ITransferProgress* progress = ports_.progress ? ports_.progress() : nullptr;
  if (writing_ || ports_.fs == nullptr || ports_.dialogs == nullptr || ports_.pump == nullptr ||
      progress == nullptr) {
    return;
  }
  // Boxes belong to the window in front; make sure that is this one.
  if (Showing()) SetActiveWindow(Handle());
  operations::TitleEnvironment env{*ports_.fs, *ports_.dialogs, *ports_.pump, *progress,
                                   ports_.encoder};
  const std::string title = edtTitle->Text();
  if (video::HasControlCharacters(title)) {
    ports_.dialogs->Show(operations::TitleControlText, operations::TitleCaption,
                         platform::MbOk | platform::MbIconInformation);
    edtTitle->SetFocus();
    return;
  }
  // A rewrite shows the progress window, which keeps the main window disabled meanwhile.
  writing_ = true;
  Hide();
  const operations::TitleOutcome outcome = operations::ChangeVideoTitle(env, path_, title);
  writing_ = false;
  if (outcome == operations::TitleOutcome::Refused) {
    Show();
    return;
  }
  if (outcome == operations::TitleOutcome::Changed && OnTitled) OnTitled();
  Close();
}

void TTitleForm::Button2Click(ui::TObject*) {
  Close();
}

}  // namespace brevlo::app
