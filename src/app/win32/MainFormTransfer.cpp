// The four transfer buttons: the main window as the transfer engine's host.
#include "app/win32/MainForm.h"

#include "app/win32/MainFormTransferHost.h"

namespace brevlo::app {

void TMainForm::TransferVideos(int mode) {
  if (TransferForm == nullptr) return;
  if (!transferHost_) transferHost_ = std::make_unique<TransferHost>(*this);
  transferHost_->Engine().TransferVideos(mode);
}

void TMainForm::btnMovePSPClick(ui::TObject*) {
  if (EnsurePspConnected()) TransferVideos(operations::MoveToPsp);
}

void TMainForm::btnCopyPSPClick(ui::TObject*) {
  if (EnsurePspConnected()) TransferVideos(operations::CopyToPsp);
}

void TMainForm::btnMovePCClick(ui::TObject*) {
  if (EnsurePspConnected()) TransferVideos(operations::MoveToPc);
}

void TMainForm::btnCopyPCClick(ui::TObject*) {
  if (EnsurePspConnected()) TransferVideos(operations::CopyToPc);
}

}  // namespace brevlo::app
