#include <windows.h>

#include "about/win32/AboutForm.h"
#include "app/win32/MainForm.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"
#include "ui/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace brevlo;
  ui::TApplication application;
  application.Initialize();
  application.CreateForm(app::MainForm);
  application.CreateForm(app::TransferForm);
  application.CreateForm(app::RenameForm);
  application.CreateForm(app::AboutForm);
  application.Run();
  return 0;
}
