#pragma once

#include <string>

#include "operations/TransferEngine.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"

namespace brevlo::app {

// The transfer's progress window: the file in hand, a bar and Stop. Stop only sets the
// transfer's flag; the transfer looks at it between the steps of a copy and before its next
// file.
class TTransferForm : public ui::TForm, public operations::ITransferProgress {
  BREVLO_CLASS(TTransferForm, ui::TForm)
 public:
  // mainWindow: the window that takes no input while this one is up (none: nothing is
  // disabled).
  TTransferForm(ui::TComponent* owner, ui::TCustomForm* mainWindow);
  ~TTransferForm() override;

  ui::TLabel* Label1;
  ui::TLabel* labSource;
  ui::TLabel* Label2;
  ui::TLabel* labDestination;
  ui::TProgressBar* pgb1;
  ui::TButton* Button1;

  void FormShow(ui::TObject* sender);
  // Closing by hand (Stop or the title bar) stops the transfer, so that no second operation
  // can start inside the running one once the main window is enabled again.
  void FormClose(ui::TObject* sender, ui::TCloseAction& action);
  void Button1Click(ui::TObject* sender);

  void ShowProgress(operations::TransferStopFlag& stop) override;
  void CloseProgress() override;
  void SetSource(const std::string& path) override;
  void SetDestination(const std::string& path) override;
  void SetPosition(int percent) override;
  void SetCopying(bool copying) override;
  void SetStatus(const std::string& text) override;

 private:
  ui::TCustomForm* MainWindow() const;
  ui::TCustomForm* mainWindow_;
  operations::TransferStopFlag* stop_ = nullptr;
  bool closingByTransfer_ = false;
  bool copying_ = false;
  std::string source_;
};

extern TTransferForm* TransferForm;

}  // namespace brevlo::app
