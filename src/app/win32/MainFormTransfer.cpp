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

void TMainForm::RunTransfer(const std::function<void()>& transfer) {
  if (TransferForm == nullptr || transferRunning_) return;
  if (!transferHost_) transferHost_ = std::make_unique<TransferHost>(*this);
  {
    // The videos it moves, replaces or converts are held by no picture being made; the pictures
    // come back after its refresh of the lists.
    PausePictures();
    Running running(transferRunning_);
    transfer();
  }
  if (!EndIfAsked()) ResumePictures();
}

bool TMainForm::EndIfAsked() {
  if (!endAfterTransfer_) return false;
  endAfterTransfer_ = false;
  Close();
  return true;
}

void TMainForm::TransferVideos(int mode) {
  RunTransfer([&] { transferHost_->Engine().TransferVideos(mode); });
}

void TMainForm::TransferDroppedFiles(int mode, const std::vector<std::string>& paths) {
  RunTransfer([&] { transferHost_->Engine().TransferFiles(mode, paths); });
}

// The taskbar, the Task Manager and the end of the session ask through these. During a
// transfer the rest would go on unseen and beyond Stop: it stops as Stop does, and the program
// ends once it has; the session is told to wait.
bool TMainForm::StopForEnd() {
  if (!transferRunning_) return false;
  endAfterTransfer_ = true;
  if (thumbnailsStop_ != nullptr) {
    thumbnailsStop_->Stop();
  } else if (TransferForm != nullptr) {
    TransferForm->Button1Click(this);
  }
  return true;
}

// Told without being asked first (a forced log-off), or after the answer above: nothing runs
// after this message, so the transfer's temporary files go before it is answered.
void TMainForm::SessionEnds() {
  if (StopForEnd() && thumbnailsStop_ == nullptr && transferHost_) {
    transferHost_->Engine().EndSession();
  }
}

void TMainForm::WndProc(ui::TMessage& message) {
  if (message.Msg == WM_QUERYENDSESSION && StopForEnd()) {
    message.Result = FALSE;
    return;
  }
  if (message.Msg == WM_ENDSESSION && message.WParam != 0) {
    SessionEnds();
    message.Result = 0;
    return;
  }
  if (PicturesMessage(message)) return;
  ui::TForm::WndProc(message);
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
