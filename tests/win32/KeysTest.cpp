// The keys of the two lists, pressed on the keyboard of the system with a list in focus, and
// handled through the application's own dispatch, as its message loop would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    videos = app.MakeFolder("videos");
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) WriteSized(videos + name, 1500000);
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path(), &shell);
    rename.reset(app::NewRenameForm(ui::Application));
    progress.reset(app::NewTransferForm(ui::Application));
    kind0 = form->PspFolder() + "MP_ROOT\\100MNV01\\";
    WriteSized(kind0 + "M4V00001.MP4", 100);
    WriteBytes(kind0 + "M4V00001.THM", MakeJpeg(80, 60, 0, 200, 0));
    WriteSized(kind0 + "M4V00002.MP4", 100);
    Form()->btnRefreshPSP->Click();
    ASSERT_EQ(Form()->ltvPC->Count(), 3);
    ASSERT_EQ(Form()->ltvPSP->Count(), 2);
  }
  void TearDown() override {
    progress.reset();
    rename.reset();
    form.reset();
  }
  app::TMainForm* Form() { return form->Form(); }

  // Down in order, up in reverse, on whichever list has the focus.
  void Press(ui::TListView* list, std::initializer_list<WORD> chord) {
    SetForegroundWindow(Form()->Handle());
    SetFocus(list->Handle());
    std::vector<INPUT> inputs;
    auto key = [&inputs](WORD vk, DWORD flags) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.dwFlags = flags;
      inputs.push_back(input);
    };
    for (WORD vk : chord) key(vk, 0);
    for (auto it = std::rbegin(chord); it != std::rend(chord); ++it) key(*it, KEYEVENTF_KEYUP);
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof inputs[0]),
              inputs.size());
    const DWORD start = GetTickCount();
    do {
      ui::Application->ProcessMessages();
      Sleep(5);
    } while (HIWORD(GetQueueStatus(QS_INPUT)) != 0 && GetTickCount() - start < 2000);
    ui::Application->ProcessMessages();
  }

  void Focus(ui::TListView* list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(list->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
  }

  TempFolder app;
  std::string videos;
  std::string kind0;
  platform::RecordingShell shell;
  std::unique_ptr<MainFormFixture> form;
  std::unique_ptr<app::TRenameForm> rename;
  std::unique_ptr<app::TTransferForm> progress;
};

}  // namespace

TEST_F(Keys, EnterPlaysTheFocusedRowF5ReloadsAndCtrlASelectsAllOnEitherList) {
  ui::TListView* pc = Form()->ltvPC;
  pc->SetSelected(0, true);
  pc->SetSelected(2, true);
  Focus(pc, 2);
  Press(pc, {VK_RETURN});
  Focus(pc, 1);  // not selected: the first selected row plays
  Press(pc, {VK_RETURN});
  const std::vector<std::string> played = {videos + "c.mp4", videos + "a.mp4"};
  EXPECT_EQ(shell.opened, played);
  EXPECT_TRUE(IsWindowVisible(Form()->Handle()));

  WriteSized(videos + "d.mp4", 100);
  Press(pc, {VK_F5});
  EXPECT_EQ(pc->Count(), 4);
  EXPECT_EQ(Form()->labPCNum->Caption(), "4");
  Press(pc, {VK_CONTROL, 'A'});
  EXPECT_EQ(pc->SelCount(), 4);
  EXPECT_EQ(Form()->StatusBar1->PanelText(0), "4 Selected.  4.50MB Total.");

  ui::TListView* psp = Form()->ltvPSP;
  psp->SetSelected(1, true);
  Focus(psp, 1);
  Press(psp, {VK_RETURN});
  EXPECT_EQ(shell.opened.back(), "P:\\MP_ROOT\\100MNV01\\M4V00002.MP4");
  WriteSized(kind0 + "M4V00003.MP4", 100);
  Press(psp, {VK_F5});
  EXPECT_EQ(psp->Count(), 3);
  Press(psp, {VK_CONTROL, 'A'});
  EXPECT_EQ(psp->SelCount(), 3);
  EXPECT_EQ(Form()->StatusBar1->PanelText(2), "3 Selected.  0.00MB Total.");
  EXPECT_EQ(Form()->StatusBar1->PanelText(0), "4 Selected.  4.50MB Total.");
}

TEST_F(Keys, F2OpensTheRenameWindowOfThatList) {
  Form()->ltvPC->SetSelected(1, true);
  Press(Form()->ltvPC, {VK_F2});
  ASSERT_TRUE(IsWindowVisible(rename->Handle()));
  EXPECT_EQ(rename->RenameSide, "PC");
  EXPECT_EQ(rename->RenameSourcePath, videos + "b.mp4");
  EXPECT_FALSE(IsWindowEnabled(Form()->Handle()));
  rename->Button2->Perform(BM_CLICK);
  Pump();

  Form()->ltvPSP->SetSelected(1, true);
  Press(Form()->ltvPSP, {VK_F2});
  ASSERT_TRUE(IsWindowVisible(rename->Handle()));
  EXPECT_EQ(rename->RenameSide, "PSP");
  EXPECT_EQ(rename->RenameSourcePath, "P:\\MP_ROOT\\100MNV01\\M4V00002.MP4");
  EXPECT_EQ(rename->edtNewname->Text(), "M4V00002.MP4");
  rename->Button2->Perform(BM_CLICK);
  Pump();
}

TEST_F(Keys, DeleteAsksOnceNoKeepsEverythingYesDeletes) {
  ui::TListView* psp = Form()->ltvPSP;
  Press(psp, {VK_DELETE});  // nothing selected: no question, nothing gone
  EXPECT_TRUE(Exists(kind0 + "M4V00001.MP4"));
  psp->SetSelected(0, true);
  {
    BoxWatcher boxes({{"Delete", IDNO}});
    Press(psp, {VK_DELETE});
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text,
              "Delete the 1 selected videos and their thumbnails from the PSP? They cannot be "
              "restored.");
  }
  EXPECT_TRUE(Exists(kind0 + "M4V00001.MP4"));
  EXPECT_TRUE(Exists(kind0 + "M4V00001.THM"));
  EXPECT_EQ(psp->Count(), 2);
  {
    BoxWatcher boxes({{"Delete", IDYES}});
    Press(psp, {VK_DELETE});
  }
  EXPECT_FALSE(Exists(kind0 + "M4V00001.MP4"));
  EXPECT_FALSE(Exists(kind0 + "M4V00001.THM"));
  EXPECT_TRUE(Exists(kind0 + "M4V00002.MP4"));
  EXPECT_EQ(psp->Count(), 1);

  ui::TListView* pc = Form()->ltvPC;
  pc->SetSelected(0, true);
  pc->SetSelected(2, true);
  {
    BoxWatcher boxes({{"Delete", IDYES}});
    Press(pc, {VK_DELETE});
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Move the 2 selected videos and their thumbnails to the Recycle Bin?");
  }
  EXPECT_FALSE(Exists(videos + "a.mp4"));
  EXPECT_TRUE(Exists(videos + "b.mp4"));
  EXPECT_FALSE(Exists(videos + "c.mp4"));
  EXPECT_EQ(pc->Count(), 1);
}

namespace {
app::TMainForm* keyedForm = nullptr;
int keysTried = 0;

// While the transfer asks its question, every key of both lists is tried.
LRESULT CALLBACK TryKeysDuringQuestion(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && keyedForm != nullptr) {
    char caption[64] = {};
    GetWindowTextA(reinterpret_cast<HWND>(wParam), caption, sizeof caption);
    if (std::strcmp(caption, "Overwrite") == 0) {
      app::TMainForm* form = keyedForm;
      keyedForm = nullptr;
      BYTE state[256] = {};
      for (ui::TListView* list : {form->ltvPC, form->ltvPSP}) {
        for (int key : {VK_RETURN, VK_F2, VK_F5, VK_DELETE, int{'A'}}) {
          GetKeyboardState(state);
          state[VK_CONTROL] = key == 'A' ? 0x80 : 0;
          SetKeyboardState(state);
          SendMessageA(list->Handle(), WM_KEYDOWN, key, 1);
          ++keysTried;
        }
      }
      state[VK_CONTROL] = 0;
      SetKeyboardState(state);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST_F(Keys, NoKeyActsWhileATransferRuns) {
  WriteText(videos + "M4V00001.MP4", "the one already here");
  Form()->btnRefreshPC->Click();
  Form()->ltvPSP->SetSelected(0, true);
  Form()->ltvPC->SetSelected(0, true);
  BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
  keyedForm = Form();
  keysTried = 0;
  HHOOK hook = SetWindowsHookExA(WH_CBT, TryKeysDuringQuestion, nullptr, GetCurrentThreadId());
  Form()->btnCopyPC->Perform(BM_CLICK);
  Pump();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(keysTried, 10);
  // No question of Delete, nothing played, renamed or deleted, no selection grown.
  EXPECT_EQ(boxes.Seen().size(), 2u);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(Exists(kind0 + "M4V00001.MP4"));
  EXPECT_TRUE(Exists(videos + "a.mp4"));
  EXPECT_TRUE(Exists(videos + "M4V00001_New.MP4"));
  EXPECT_EQ(Form()->StatusBar1->PanelText(0), "");
  EXPECT_EQ(Form()->StatusBar1->PanelText(2), "");
}
