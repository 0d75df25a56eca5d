// Files dragged between the lists and another program: the test stands in for a folder window,
// dragging files of its own folder onto the lists and taking rows dragged out of them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

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

// From a corner of the screen to the point in steps of the pointer, then dropped.
DWORD DropAt(const std::vector<std::string>& files, HWND window) {
  const POINT to = CentreOf(window);
  int step = 0;
  const DWORD effect = ui::DragFiles(files, [&](BOOL, DWORD) -> HRESULT {
    const int k = ++step < 8 ? step : 8;
    SetCursorPos(5 + (to.x - 5) * k / 8, 5 + (to.y - 5) * k / 8);
    return step < 12 ? S_OK : DRAGDROP_S_DROP;
  });
  Pump(200);
  return effect;
}

}  // namespace

TEST(DragDrop, FilesOfAFolderWindowGoAsCopiesToThePspOrThePcAndRowsGoOutAsFiles) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
  const std::string videos = app.MakeFolder("videos"), desk = app.MakeFolder("desk");
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  std::unique_ptr<app::TTransferForm> progress(app::NewTransferForm(ui::Application));
  const std::string kind0 = form.PspFolder() + "MP_ROOT\\100MNV01\\";
  WriteSized(desk + "x.mp4", 3000);
  WriteBytes(desk + "x.THM", MakeJpeg(80, 60, 200, 0, 0));
  WriteSized(desk + "Y.MP4", 5000);
  WriteText(desk + "notes.txt", "not a video");
  WriteText(videos + "Y.MP4", "here");

  EXPECT_EQ(DropAt({desk + "x.mp4"}, form->btnDelete->Handle()), DROPEFFECT_NONE);
  {
    BoxWatcher boxes({{"Transfer Incomplete"}});
    EXPECT_EQ(DropAt({desk + "x.mp4", desk + "notes.txt", desk + "Y.MP4"}, form->ltvPSP->Handle()),
              DROPEFFECT_COPY);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find("notes.txt: it is not a video"), std::string::npos);
  }
  EXPECT_EQ(ReadText(kind0 + "M4V00001.THM"), ReadText(desk + "x.THM"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.MP4"), ReadText(desk + "Y.MP4"));
  EXPECT_EQ(ReadText(kind0 + "M4V00002.THM"), ReadText(app / "DefaultPreview.THM"));
  EXPECT_EQ(form->ltvPSP->Count(), 2);
  {
    BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
    DropAt({desk + "Y.MP4"}, form->ltvPC->Handle());
  }
  EXPECT_EQ(ReadText(videos + "Y_New.MP4"), ReadText(desk + "Y.MP4"));

  // Out of the PSP list, onto a window of the test's beside the main window.
  HWND folder = CreateWindowExA(WS_EX_TOPMOST, "LISTBOX", "", WS_POPUP | WS_VISIBLE, 1010, 100, 240,
                                240, nullptr, nullptr, nullptr, nullptr);
  std::vector<std::string> received;
  ui::TFileDropTarget target;
  ASSERT_TRUE(target.Register(
      folder, {[] { return true; }, [&](const std::vector<std::string>& p) { received = p; }}));
  form->ltvPSP->SelectAll();
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(form->ltvPSP->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  POINT from{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(form->ltvPSP->Handle(), &from);
  DragWithMouse(from, CentreOf(folder));
  const std::string g = "P:\\MP_ROOT\\100MNV01\\";
  EXPECT_EQ(received, (std::vector<std::string>{g + "M4V00001.MP4", g + "M4V00001.THM",
                                                g + "M4V00002.MP4", g + "M4V00002.THM"}));
  EXPECT_EQ(form->ltvPC->Count(), 2);  // nothing for our own PC list
  target.Revoke();
  DestroyWindow(folder);
}
