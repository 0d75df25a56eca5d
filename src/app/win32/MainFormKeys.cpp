// The keys of the two lists. A key is easier to press by mistake than a menu item is to click,
// so Delete asks first; everything else acts as the mouse's button or menu item does.
#include "app/win32/MainForm.h"

#include <windows.h>

#include "operations/DeleteVideos.h"

namespace brevlo::app {

namespace {
bool Down(int key) {
  return GetKeyState(key) < 0;
}
}  // namespace

bool TMainForm::ConfirmDeleteKey(ui::TListView* list) {
  const bool psp = list == ltvPSP;
  const bool recycle = !psp && services_.drives != nullptr &&
                       operations::RecycleBinTakes(*services_.drives, folders_.PcFolder());
  const unsigned icon = recycle ? platform::MbIconQuestion : platform::MbIconExclamation;
  return services_.dialogs->Show(operations::DeleteQuestion(list->SelCount(), psp, recycle),
                                 "Delete", platform::MbYesNo | icon | platform::MbDefButton2) ==
         platform::Answer::Yes;
}

void TMainForm::ListKeyDown(ui::TListView* list, WORD& key) {
  const bool ctrl = Down(VK_CONTROL);
  const bool plain = !ctrl && !Down(VK_SHIFT) && !Down(VK_MENU);
  const bool pc = list == ltvPC;
  const bool ours =
      (plain && (key == VK_RETURN || key == VK_F2 || key == VK_F5 || key == VK_DELETE)) ||
      (ctrl && !Down(VK_MENU) && key == 'A');
  if (!ours) return;
  const WORD pressed = key;
  key = 0;  // the list's own answer (a beep, a search) stays out
  // Like every other command: nothing while a transfer runs or another window of ours is up.
  if (transferRunning_ || !IsWindowEnabled(Handle())) return;
  switch (pressed) {
    case VK_RETURN:
      PlaySelectedVideo(list, list->FocusedIndex());
      break;
    case VK_F2:
      (pc ? Rename1 : Rename2)->Click();
      break;
    case VK_F5:
      (pc ? btnRefreshPC : btnRefreshPSP)->Click();
      break;
    case 'A':
      list->SelectAll();
      ShowSelectionSummary(list, pc ? 0 : 2);
      break;
    case VK_DELETE:
      if (list->SelCount() > 0 && ConfirmDeleteKey(list)) {
        (pc ? Delete1 : Delete2)->Click();
      }
      break;
    default:
      break;
  }
}

}  // namespace brevlo::app
