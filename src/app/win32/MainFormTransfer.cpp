// The four transfer buttons: the main window as the transfer engine's host.
#include "app/win32/MainForm.h"

#include "app/win32/MainFormTransferHost.h"

namespace brevlo::app {

namespace {
struct Running {
  bool& flag;
  explicit Running(bool& f) : flag(f) { flag = true; }
  ~Running() { flag = false; }
};
}  // namespace

void TMainForm::TransferVideos(int mode) {
  if (TransferForm == nullptr || transferRunning_) return;
  if (!transferHost_) transferHost_ = std::make_unique<TransferHost>(*this);
  Running running(transferRunning_);
  transferHost_->Engine().TransferVideos(mode);
}

void TMainForm::TransferDroppedFiles(int mode, const std::vector<std::string>& paths) {
  if (TransferForm == nullptr || transferRunning_) return;
  if (!transferHost_) transferHost_ = std::make_unique<TransferHost>(*this);
  Running running(transferRunning_);
  transferHost_->Engine().TransferFiles(mode, paths);
}

// Buttons, their accelerators, the menus' items and drops all come here; during a transfer
// none of them may even ask the PSP question.
void TMainForm::btnMovePSPClick(ui::TObject*) {
  if (!transferRunning_ && EnsurePspConnected()) TransferVideos(operations::MoveToPsp);
}

void TMainForm::btnCopyPSPClick(ui::TObject*) {
  if (!transferRunning_ && EnsurePspConnected()) TransferVideos(operations::CopyToPsp);
}

void TMainForm::btnMovePCClick(ui::TObject*) {
  if (!transferRunning_ && EnsurePspConnected()) TransferVideos(operations::MoveToPc);
}

void TMainForm::btnCopyPCClick(ui::TObject*) {
  if (!transferRunning_ && EnsurePspConnected()) TransferVideos(operations::CopyToPc);
}

}  // namespace brevlo::app
