// Files dragged between the lists and other programs: the test stands in for a folder window,
// dragging files of its own folder onto the lists and taking rows dragged out of them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "support/JpegWriter.h"
#include "ui/DragDrop.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

POINT CentreOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class DragDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    videos = app.MakeFolder("videos");
    desk = app.MakeFolder("desk");
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path());
    progress.reset(app::NewTransferForm(ui::Application));
    kind0 = form->PspFolder() + "MP_ROOT\\100MNV01\\";
  }
  void TearDown() override {
    progress.reset();
    form.reset();
  }
  app::TMainForm* Form() { return form->Form(); }

  // Drags files from a corner of the screen to a point in steps of the pointer, as a folder
  // window's drag goes, and drops them there.
  DWORD DropAt(const std::vector<std::string>& files, POINT to) {
    SetCursorPos(5, 5);
    int step = 0;
    const DWORD effect = ui::DragFiles(files, [&](BOOL, DWORD) -> HRESULT {
      ++step;
      const int k = step < 8 ? step : 8;
      SetCursorPos(5 + (to.x - 5) * k / 8, 5 + (to.y - 5) * k / 8);
      return step < 12 ? S_OK : DRAGDROP_S_DROP;
    });
    Pump(200);
    return effect;
  }

  TempFolder app;
  std::string videos;
  std::string desk;
  std::string kind0;
  std::unique_ptr<MainFormFixture> form;
  std::unique_ptr<app::TTransferForm> progress;
};

}  // namespace

TEST_F(DragDrop, FilesFromAFolderWindowAreCopiedAsCopyToPspAndToPcWouldCopyThem) {
  WriteSized(desk + "x.mp4", 3000);
  WriteBytes(desk + "x.THM", MakeJpeg(80, 60, 200, 0, 0));
  WriteSized(desk + "Y.MP4", 5000);
  WriteText(desk + "notes.txt", "not a video");
  SetForegroundWindow(Form()->Handle());

  // Nowhere to go but the lists: over a button the drop is refused.
  EXPECT_EQ(DropAt({desk + "x.mp4"}, CentreOf(Form()->btnDelete->Handle())), DROPEFFECT_NONE);
  EXPECT_EQ(Form()->ltvPSP->Count(), 0);

  {
    BoxWatcher boxes({{"Transfer Incomplete"}});
    EXPECT_EQ(DropAt({desk + "x.mp4", desk + "notes.txt", desk + "Y.MP4"},
                     CentreOf(Form()->ltvPSP->Handle())),
              DROPEFFECT_COPY);
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find("notes.txt: only videos (.mp4 files) are taken."),
              std::string::npos);
  }
  EXPECT_EQ(ReadText(kind0 + "M4V00001.MP4"), ReadText(desk + "x.mp4"));
  EXPECT_EQ(ReadText(kind0 + "M4V00001.THM"), ReadText(desk + "x.THM"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.MP4"), ReadText(desk + "Y.MP4"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.THM"), ReadText(app / "DefaultPreview.THM"));
  EXPECT_FALSE(Exists(kind0 + "M4V00003.MP4"));
  EXPECT_TRUE(Exists(desk + "x.mp4"));
  EXPECT_EQ(Form()->ltvPSP->Count(), 2);

  // Into the PC folder: the question before replacing, and No keeps both.
  WriteText(videos + "Y.MP4", "the one already here");
  {
    BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
    DropAt({desk + "Y.MP4"}, CentreOf(Form()->ltvPC->Handle()));
  }
  EXPECT_EQ(ReadText(videos + "Y.MP4"), "the one already here");
  EXPECT_EQ(ReadText(videos + "Y_New.MP4"), ReadText(desk + "Y.MP4"));
  EXPECT_EQ(Form()->ltvPC->Count(), 2);
}

TEST_F(DragDrop, RowsDraggedOutOfThePspListReachAnotherWindowAsTheirFiles) {
  WriteSized(kind0 + "M4V00001.MP4", 100);
  WriteBytes(kind0 + "M4V00001.THM", MakeJpeg(80, 60, 0, 200, 0));
  WriteSized(kind0 + "M4V00002.MP4", 100);
  Form()->btnRefreshPSP->Click();
  ASSERT_EQ(Form()->ltvPSP->Count(), 2);

  // A window of another program's kind, beside the main window.
  HWND folder =
      CreateWindowExA(WS_EX_TOPMOST, "LISTBOX", "folder", WS_POPUP | WS_VISIBLE | WS_BORDER, 1010,
                      100, 240, 240, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(folder, nullptr);
  std::vector<std::string> received;
  ui::TFileDropTarget target;
  ASSERT_TRUE(target.Register(
      folder, {[] { return true; },
               [&received](const std::vector<std::string>& paths) { received = paths; }}));
  Pump(50);

  Form()->ltvPSP->SelectAll();
  SetForegroundWindow(Form()->Handle());
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(Form()->ltvPSP->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  POINT from{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(Form()->ltvPSP->Handle(), &from);
  DragWithMouse(from, CentreOf(folder));

  const std::vector<std::string> want = {"P:\\MP_ROOT\\100MNV01\\M4V00001.MP4",
                                         "P:\\MP_ROOT\\100MNV01\\M4V00001.THM",
                                         "P:\\MP_ROOT\\100MNV01\\M4V00002.MP4"};
  EXPECT_EQ(received, want);
  EXPECT_TRUE(Exists(kind0 + "M4V00001.MP4"));
  EXPECT_EQ(Form()->ltvPC->Count(), 0);  // nothing went to our own PC list
  target.Revoke();
  DestroyWindow(folder);
}
