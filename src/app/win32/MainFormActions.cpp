// Playing, opening folders and dragging rows from one list onto the other.
#include "app/win32/MainForm.h"

#include <windowsx.h>

#include "library/PspNaming.h"
#include "operations/DeleteVideos.h"
#include "operations/VideoPaths.h"
#include "operations/win32/RenameForm.h"

namespace brevlo::app {

std::vector<std::string> TMainForm::SelectedCaptions(ui::TListView* list) {
  std::vector<std::string> captions;
  for (int index : list->SelectedIndexes()) captions.push_back(list->Item(index).caption);
  return captions;
}

void TMainForm::btnRenameClick(ui::TObject*) {
  const auto selected = SelectedCaptions(ltvPSP);
  if (transferRunning_) return;
  if (selected.empty() || RenameForm == nullptr || PspDrive.empty()) return;
  RenameForm->OnRenamed = [this](bool pcSide) { (pcSide ? btnRefreshPC : btnRefreshPSP)->Click(); };
  RenameForm->ShowFor("PSP", library::WithTrailingBackslash(PspDrive + PspKindFolder) + selected[0],
                      selected[0]);
}

void TMainForm::Rename1Click(ui::TObject*) {
  const auto selected = SelectedCaptions(ltvPC);
  if (transferRunning_) return;
  if (selected.empty() || RenameForm == nullptr || !operations::IsRootedFolder(PcFolder)) return;
  RenameForm->OnRenamed = [this](bool pcSide) { (pcSide ? btnRefreshPC : btnRefreshPSP)->Click(); };
  RenameForm->ShowFor("PC", library::WithTrailingBackslash(PcFolder) + selected[0], selected[0]);
}

void TMainForm::btnDeleteClick(ui::TObject*) {
  if (transferRunning_) return;
  PspFolder = library::WithTrailingBackslash(PspDrive + PspKindFolder);
  if (operations::IsRootedFolder(PspFolder)) {
    operations::DeleteSelectedVideos(*services_.fs, PspFolder, SelectedCaptions(ltvPSP));
  }
  btnRefreshPSP->Click();
  StatusBar1->SetPanelText(2, "");
}

void TMainForm::Delete1Click(ui::TObject*) {
  if (transferRunning_) return;
  PcFolder = library::WithTrailingBackslash(PcFolder);
  // Never names resolved against whatever folder happens to be current.
  if (operations::IsRootedFolder(PcFolder)) {
    // From a fixed drive a deleted file goes where the user can take it back, as everywhere else.
    operations::DeleteSelectedVideos(*services_.fs, PcFolder, SelectedCaptions(ltvPC),
                                     operations::DeleteKind::ToRecycleBin);
  }
  btnRefreshPC->Click();
  StatusBar1->SetPanelText(0, "");
}

void TMainForm::PlaySelectedVideo(ui::TListView* list, int row) {
  std::vector<std::string> selected = SelectedCaptions(list);
  if (row >= 0 && row < list->Count() && list->Selected(row)) selected = {list->Item(row).caption};
  if (selected.empty() || transferRunning_) return;
  std::string folder;
  if (list == ltvPC) {
    if (PcFolder.empty()) return;
    PcFolder = library::WithTrailingBackslash(PcFolder);
    folder = PcFolder;
  } else {
    if (PspDrive.empty()) return;
    PspFolder = library::WithTrailingBackslash(PspDrive + PspKindFolder);
    folder = PspFolder;
  }
  operations::PlaySelectedVideo(*services_.shell, folder, selected);
}

void TMainForm::Openthedirectory1Click(ui::TObject*) {
  if (transferRunning_) return;
  operations::OpenFolderOf(*services_.shell, PcFolder);
}

void TMainForm::Openthedirectory2Click(ui::TObject*) {
  if (PspDrive.empty() || transferRunning_) return;
  PspFolder = library::WithTrailingBackslash(PspDrive + PspKindFolder);
  operations::OpenFolderOf(*services_.shell, PspFolder);
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

ui::TListView* TMainForm::DropTargetAt(POINT screen, ui::TListView* source) {
  HWND under = WindowFromPoint(screen);
  for (ui::TListView* list : {ltvPC, ltvPSP}) {
    if (under != list->Handle() && !IsChild(list->Handle(), under)) continue;
    const bool accepted =
        list == ltvPSP ? ltvPSPDragOver(list, source) : ltvPCDragOver(list, source);
    return accepted ? list : nullptr;
  }
  return nullptr;
}

void TMainForm::DragRows(ui::TListView* source) {
  if (transferRunning_) return;
  HWND owner = Handle();
  SetCapture(owner);
  HCURSOR refused = LoadCursor(nullptr, IDC_NO);
  HCURSOR accepted = LoadCursor(nullptr, IDC_ARROW);
  ui::TListView* target = nullptr;
  bool dropped = false;
  for (;;) {
    MSG msg;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (GetCapture() != owner) break;  // taken away: the drag is over
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
      POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      ::ClientToScreen(msg.hwnd, &p);
      target = DropTargetAt(p, source);
      SetCursor(target != nullptr ? accepted : refused);
      if (msg.message == WM_LBUTTONUP) {
        dropped = target != nullptr;
        break;
      }
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_RBUTTONDOWN) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == owner) ReleaseCapture();
  if (!dropped) return;
  if (target == ltvPSP) {
    ltvPSPDragDrop(ltvPSP, source);
  } else {
    ltvPCDragDrop(ltvPC, source);
  }
}

}  // namespace brevlo::app
