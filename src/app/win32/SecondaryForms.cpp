#include "app/win32/SecondaryForms.h"

#include "app/win32/MainForm.h"

namespace brevlo::app {

TTransferForm* NewTransferForm(ui::TComponent* owner) {
  return new TTransferForm(owner, MainForm);
}

TRenameForm* NewRenameForm(ui::TComponent* owner) {
  MainServices& services = MainForm->Services();
  return new TRenameForm(owner, MainForm, *services.fs, *services.dialogs);
}

TAboutForm* NewAboutForm(ui::TComponent* owner) {
  return new TAboutForm(owner, MainForm, MainForm->Values(), *MainForm->Services().shell);
}

}  // namespace brevlo::app
