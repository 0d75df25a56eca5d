#include <windows.h>

#include "app/win32/MainForm.h"
#include "app/win32/SecondaryForms.h"
#include "ui/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace brevlo;
  ui::TApplication application;
  application.Initialize();
  application.CreateForm(app::MainForm);
  application.CreateForm(app::TransferForm, app::NewTransferForm);
  application.CreateForm(app::RenameForm, app::NewRenameForm);
  application.CreateForm(app::AboutForm, app::NewAboutForm);
  application.Run();
  return 0;
}
