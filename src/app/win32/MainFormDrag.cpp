// Dragging: rows from one list onto the other, rows out to other programs as files, and files
// of other programs dropped on either list.
#include "app/win32/MainForm.h"

#include "library/PspNaming.h"
#include "operations/TransferEngine.h"
#include "operations/VideoPaths.h"

namespace brevlo::app {

void TMainForm::RegisterDrops() {
  // Drops from other programs come through OLE, which needs it on this thread.
  oleReady_ = SUCCEEDED(OleInitialize(nullptr));
  if (!oleReady_) return;
  for (ui::TListView* list : {ltvPC, ltvPSP}) {
    (list == ltvPC ? dropPC_ : dropPSP_)
        .Register(list->Handle(), {[this, list] { return ListTakesDrop(list); },
                                   [this, list](const std::vector<std::string>& paths) {
                                     FilesDropped(list, paths);
                                   }});
  }
}

bool TMainForm::ltvPSPDragOver(ui::TObject*, ui::TObject* source) {
  return source == ltvPC;
}

bool TMainForm::ltvPCDragOver(ui::TObject*, ui::TObject* source) {
  return source == ltvPSP;
}

void TMainForm::ltvPSPDragDrop(ui::TObject*, ui::TObject*) {
  btnCopyPSP->Click();
}

void TMainForm::ltvPCDragDrop(ui::TObject*, ui::TObject*) {
  btnCopyPC->Click();
}

bool TMainForm::ListTakesDrop(ui::TListView* list) {
  if (transferRunning_ || !IsWindowEnabled(Handle())) return false;
  if (draggingFrom_ == nullptr) return true;
  return list == ltvPSP ? ltvPSPDragOver(list, draggingFrom_) : ltvPCDragOver(list, draggingFrom_);
}

void TMainForm::FilesDropped(ui::TListView* list, const std::vector<std::string>& paths) {
  ui::TListView* source = draggingFrom_;
  std::weak_ptr<int> alive = alive_;
  // The program the files came from waits for the drop to return: the questions and the
  // transfer come after it.
  ui::RunSoon([this, alive, list, source, paths] {
    if (alive.expired() || transferRunning_) return;
    if (source != nullptr) {
      if (list == ltvPSP) {
        ltvPSPDragDrop(list, source);
      } else {
        ltvPCDragDrop(list, source);
      }
    } else if (list == ltvPSP) {
      if (EnsurePspConnected()) TransferDroppedFiles(operations::CopyToPsp, paths);
    } else {
      TransferDroppedFiles(operations::CopyToPc, paths);
    }
  });
}

std::vector<std::string> TMainForm::DraggedFiles(ui::TListView* source) {
  const std::string folder = source == ltvPC ? folders_.PcFolder() : folders_.PspFolder();
  std::vector<std::string> files;
  if (!operations::IsRootedFolder(folder)) return files;
  for (const std::string& caption : SelectedCaptions(source)) {
    const std::string video = folder + caption;
    if (!services_.fs->FileExists(video)) continue;
    files.push_back(video);
    const std::string thumbnail = library::CompanionOf(video);
    if (services_.fs->FileExists(thumbnail)) files.push_back(thumbnail);
  }
  return files;
}

void TMainForm::DragRows(ui::TListView* source) {
  if (transferRunning_ || draggingFrom_ != nullptr || !oleReady_) return;
  draggingFrom_ = source;
  ui::DragFiles(DraggedFiles(source));
  draggingFrom_ = nullptr;
}

}  // namespace brevlo::app
