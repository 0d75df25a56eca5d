#pragma once

// The progress, rename and About windows of the program's main window (MainForm), each given
// what it needs of it.

#include "about/win32/AboutForm.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"

namespace brevlo::app {

TTransferForm* NewTransferForm(ui::TComponent* owner);
TRenameForm* NewRenameForm(ui::TComponent* owner);
TAboutForm* NewAboutForm(ui::TComponent* owner);

}  // namespace brevlo::app
