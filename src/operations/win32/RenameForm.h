#pragma once

#include <functional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "ui/Forms.h"

namespace brevlo::app {

// Renames one video of either list, with its thumbnail companion.
class TRenameForm : public ui::TForm {
  BREVLO_CLASS(TRenameForm, ui::TForm)
 public:
  // mainWindow takes no input while this window is up; the files are renamed through fs and
  // the name refused through dialogs.
  TRenameForm(ui::TComponent* owner, ui::TCustomForm* mainWindow, platform::IFileSystem& fs,
              platform::IDialogs& dialogs);
  ~TRenameForm() override;

  ui::TLabel* Label1;
  ui::TEdit* edtNewname;
  ui::TButton* btnOK;
  ui::TButton* Button2;

  // "PSP" or "PC": the list that holds the video; only "PSP" checks the PSP's naming rule.
  std::string RenameSide;
  // Full path of the video to rename.
  std::string RenameSourcePath;
  // After a name that passed the checks, before the window closes: reload the list the video
  // belongs to (pcSide is true exactly when RenameSide is "PC").
  std::function<void(bool pcSide)> OnRenamed;

  // Sets the side, the path and the proposed name, then shows the window.
  void ShowFor(const std::string& side, const std::string& sourcePath,
               const std::string& currentName);

  void FormShow(ui::TObject* sender);
  void FormClose(ui::TObject* sender, ui::TCloseAction& action);
  void btnOKClick(ui::TObject* sender);
  void Button2Click(ui::TObject* sender);

 private:
  ui::TCustomForm* mainWindow_;
  platform::IFileSystem& fs_;
  platform::IDialogs& dialogs_;
  std::string shownName_;  // the name the window was shown with
};

extern TRenameForm* RenameForm;

}  // namespace brevlo::app
