// The keys of the lists, pressed on the system's keyboard with a list in focus and handled
// through the application's own dispatch, as its message loop would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

void Press(ui::TListView* list, std::initializer_list<WORD> chord) {
  SetFocus(list->Handle());
  std::vector<INPUT> inputs(chord.size() * 2, INPUT{INPUT_KEYBOARD, {}});
  for (std::size_t i = 0; i < chord.size(); ++i) {
    inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = chord.begin()[i];
    inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  do {
    ui::Application->ProcessMessages();
  } while (HIWORD(GetQueueStatus(QS_INPUT)) != 0);
}

// While a transfer asks its question, every key of both lists is tried.
app::TMainForm* keyed = nullptr;
LRESULT CALLBACK TryKeys(int code, WPARAM wParam, LPARAM lParam) {
  char caption[16] = {};
  GetWindowTextA(reinterpret_cast<HWND>(wParam), caption, sizeof caption);
  if (code == HCBT_ACTIVATE && keyed != nullptr && std::string(caption) == "Overwrite") {
    BYTE state[256] = {};
    state[VK_CONTROL] = 0x80;  // A is Ctrl+A
    SetKeyboardState(state);
    for (ui::TListView* list : {keyed->ltvPC, keyed->ltvPSP}) {
      for (int key : {VK_RETURN, VK_F2, VK_F5, VK_DELETE, int{'A'}}) {
        SendMessageA(list->Handle(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
      }
    }
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    keyed = nullptr;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(Keys, EachKeyGoesThroughItsButtonOrMenuItemAndNoneDuringATransfer) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
  const std::string videos = app.MakeFolder("videos");
  for (const char* name : {"a.mp4", "b.mp4", "M4V00001.MP4"}) WriteSized(videos + name, 1500000);
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  platform::RecordingShell shell;
  MainFormFixture form(app.Path(), &shell);
  std::unique_ptr<app::TTransferForm> progress(app::NewTransferForm(ui::Application));
  std::unique_ptr<app::TRenameForm> rename(app::NewRenameForm(ui::Application));
  const std::string kind0 = form.PspFolder() + "MP_ROOT\\100MNV01\\";
  WriteSized(kind0 + "M4V00001.MP4", 100);
  WriteSized(kind0 + "M4V00002.MP4", 100);
  form->btnRefreshPSP->Click();
  ui::TListView *pc = form->ltvPC, *psp = form->ltvPSP;
  SetForegroundWindow(form->Handle());

  pc->SetSelected(0, true);
  pc->SetSelected(1, true);
  ListView_SetItemState(pc->Handle(), 1, LVIS_FOCUSED, LVIS_FOCUSED);
  Press(pc, {VK_RETURN});  // the focused one of the selected rows
  EXPECT_EQ(shell.opened, std::vector<std::string>{videos + pc->Item(1).caption});
  WriteSized(videos + "c.mp4", 100);
  Press(pc, {VK_F5});
  EXPECT_EQ(pc->Count(), 4);
  Press(pc, {VK_CONTROL, 'A'});
  EXPECT_EQ(form->StatusBar1->PanelText(0), "4 Selected.  4.50MB Total.");

  psp->SetSelected(1, true);
  Press(psp, {VK_F2});
  EXPECT_EQ(rename->RenameSourcePath, "P:\\MP_ROOT\\100MNV01\\M4V00002.MP4");
  rename->Button2->Perform(BM_CLICK);
  for (int answer : {IDNO, IDYES}) {
    BoxWatcher boxes({{"Delete", answer}});
    Press(psp, {VK_DELETE});
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text,
              "Delete the selected video and its thumbnail from the PSP? It cannot be restored.");
    EXPECT_EQ(Exists(kind0 + "M4V00002.MP4"), answer == IDNO);
  }

  form->StatusBar1->SetPanelText(0, "");
  psp->SetSelected(0, true);
  BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
  keyed = form.Form();
  HHOOK hook = SetWindowsHookExA(WH_CBT, TryKeys, nullptr, GetCurrentThreadId());
  form->btnCopyPC->Perform(BM_CLICK);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(keyed, nullptr);
  EXPECT_EQ(shell.opened.size(), 1u);
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(Exists(kind0 + "M4V00001.MP4") && Exists(videos + "a.mp4"));
  EXPECT_EQ(form->StatusBar1->PanelText(0) + form->StatusBar1->PanelText(2), "");
}

// A PC folder on a removable drive has no Recycle Bin: the question says so, and the videos are
// deleted rather than handed to a bin that would destroy them without a word.
TEST(Keys, DeleteInAPcFolderWithoutARecycleBinSaysTheVideosCannotBeRestored) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
  CreateDirectoryA((app / "psp\\").c_str(), nullptr);
  CreateDirectoryA((app / "psp\\videos").c_str(), nullptr);
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=P:\\videos\\\r\n");
  MainFormFixture form(app.Path());
  const std::string videos = "P:\\videos\\";
  // A name of its own: the desktop's trash is the user's, shared with every run.
  const std::string clip = "brevlo-nobin-" + std::to_string(GetTickCount());
  WriteSized(videos + clip + ".mp4", 100);
  WriteBytes(videos + clip + ".THM", MakeJpeg(80, 60, 0, 0, 200));
  form->btnRefreshPC->Click();
  ASSERT_EQ(form->ltvPC->Count(), 1);
  SetForegroundWindow(form->Handle());
  form->ltvPC->SetSelected(0, true);
  BoxWatcher boxes({{"Delete", IDYES}});
  Press(form->ltvPC, {VK_DELETE});
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].text,
            "Delete the selected video and its thumbnail? It cannot be restored.");
  EXPECT_FALSE(Exists(videos + clip + ".mp4") || Exists(videos + clip + ".THM"));
  char home[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH), 4u);
  EXPECT_FALSE(Exists(std::string(home + 4) + "\\.local\\share\\Trash\\files\\" + clip + ".mp4"));
}
