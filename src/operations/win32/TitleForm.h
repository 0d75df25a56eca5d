#pragma once

#include <functional>
#include <string>

#include "operations/VideoTitle.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace brevlo::app {

// What the title window works with, handed over by whoever makes it.
struct TitlePorts {
  platform::IFileSystem* fs = nullptr;
  platform::IDialogs* dialogs = nullptr;
  platform::IMessagePump* pump = nullptr;
  // The progress window, asked for when a change needs the whole file written again.
  std::function<operations::ITransferProgress*()> progress;
  std::string encoder;
};

// Sets the PSP title of one video of the PSP list.
class TTitleForm : public ui::TForm {
  BREVLO_CLASS(TTitleForm, ui::TForm)
 public:
  // mainWindow takes no input while this window is up.
  TTitleForm(ui::TComponent* owner, ui::TCustomForm* mainWindow, TitlePorts ports);

  ui::TLabel* Label1;
  ui::TEdit* edtTitle;
  ui::TButton* btnOK;
  ui::TButton* Button2;

  // After a title was written, before the window closes: reload the list.
  std::function<void()> OnTitled;

  void ShowFor(const std::string& videoPath, const std::string& currentTitle);
  const std::string& VideoPath() const { return path_; }

  void FormShow(ui::TObject* sender);
  void FormClose(ui::TObject* sender, ui::TCloseAction& action);
  void btnOKClick(ui::TObject* sender);
  void Button2Click(ui::TObject* sender);

 private:
  ui::TCustomForm* mainWindow_;
  TitlePorts ports_;
  std::string path_;
  bool writing_ = false;
};

}  // namespace brevlo::app
