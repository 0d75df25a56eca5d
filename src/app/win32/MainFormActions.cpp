// Renaming, deleting, playing and opening folders.
#include "app/win32/MainForm.h"

#include "operations/DeleteVideos.h"
#include "operations/VideoPaths.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TitleForm.h"

namespace brevlo::app {

std::vector<std::string> TMainForm::SelectedCaptions(ui::TListView* list) {
  std::vector<std::string> captions;
  for (int index : list->SelectedIndexes()) captions.push_back(list->Item(index).caption);
  return captions;
}

void TMainForm::btnRenameClick(ui::TObject*) {
  const auto selected = SelectedCaptions(ltvPSP);
  if (transferRunning_) return;
  if (selected.empty() || RenameForm == nullptr || folders_.PspDrive().empty()) return;
  RenameForm->OnRenamed = [this](bool pcSide) { (pcSide ? btnRefreshPC : btnRefreshPSP)->Click(); };
  RenameForm->ShowFor("PSP", folders_.PspFolder() + selected[0], selected[0]);
}

void TMainForm::SetTitle2Click(ui::TObject*) {
  const auto selected = ltvPSP->SelectedIndexes();
  if (transferRunning_ || selected.empty() || TitleForm == nullptr || folders_.PspDrive().empty()) {
    return;
  }
  const auto* details = RowDetails(ltvPSP, selected[0]);
  const bool titled = details != nullptr && *details && (*details)->pspTitle;
  TitleForm->OnTitled = [this] { btnRefreshPSP->Click(); };
  TitleForm->ShowFor(folders_.PspFolder() + ltvPSP->Item(selected[0]).caption,
                     titled ? (*details)->title : std::string());
}

void TMainForm::Rename1Click(ui::TObject*) {
  const auto selected = SelectedCaptions(ltvPC);
  if (transferRunning_) return;
  if (selected.empty() || RenameForm == nullptr ||
      !operations::IsRootedFolder(folders_.PcFolder())) {
    return;
  }
  RenameForm->OnRenamed = [this](bool pcSide) { (pcSide ? btnRefreshPC : btnRefreshPSP)->Click(); };
  RenameForm->ShowFor("PC", folders_.PcFolder() + selected[0], selected[0]);
}

void TMainForm::btnDeleteClick(ui::TObject*) {
  if (transferRunning_) return;
  const std::string folder = folders_.PspFolder();
  std::vector<std::string> failed;
  PausePictures();
  if (operations::IsRootedFolder(folder)) {
    failed = operations::DeleteSelectedVideos(*services_.fs, folder, SelectedCaptions(ltvPSP));
  }
  btnRefreshPSP->Click();
  ResumePictures();
  StatusBar1->SetPanelText(2, "");
  TellNotDeleted(failed, operations::DeleteKind::ForGood);
}

void TMainForm::TellNotDeleted(const std::vector<std::string>& captions,
                               operations::DeleteKind kind) {
  if (captions.empty()) return;
  services_.dialogs->Show(operations::NotDeletedText(captions, kind), "Delete",
                          platform::MbOk | platform::MbIconExclamation);
}

void TMainForm::Delete1Click(ui::TObject*) {
  if (transferRunning_) return;
  const std::string folder = folders_.PcFolder();
  // Never names resolved against whatever folder happens to be current.
  // Where the Recycle Bin takes them, deleted files go there, as everywhere else on the PC.
  const auto kind =
      services_.drives != nullptr && operations::RecycleBinTakes(*services_.drives, folder)
          ? operations::DeleteKind::ToRecycleBin
          : operations::DeleteKind::ForGood;
  std::vector<std::string> failed;
  PausePictures();
  if (operations::IsRootedFolder(folder)) {
    failed = operations::DeleteSelectedVideos(*services_.fs, folder, SelectedCaptions(ltvPC), kind);
  }
  btnRefreshPC->Click();
  ResumePictures();
  StatusBar1->SetPanelText(0, "");
  TellNotDeleted(failed, kind);
}

void TMainForm::PlaySelectedVideo(ui::TListView* list, int row) {
  std::vector<std::string> selected = SelectedCaptions(list);
  if (row >= 0 && row < list->Count() && list->Selected(row)) selected = {list->Item(row).caption};
  if (selected.empty() || transferRunning_) return;
  const std::string folder = list == ltvPC ? folders_.PcFolder() : folders_.PspFolder();
  if (folder.empty()) return;
  operations::PlaySelectedVideo(*services_.shell, folder, selected);
}

void TMainForm::Openthedirectory1Click(ui::TObject*) {
  if (transferRunning_) return;
  operations::OpenFolderOf(*services_.shell, folders_.PcFolder());
}

void TMainForm::Openthedirectory2Click(ui::TObject*) {
  if (folders_.PspDrive().empty() || transferRunning_) return;
  operations::OpenFolderOf(*services_.shell, folders_.PspFolder());
}

}  // namespace brevlo::app
