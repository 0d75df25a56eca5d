// Play, open folder, double clicks, menus and dragging rows between the lists.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "library/PspNaming.h"
#include "operations/win32/RenameForm.h"
#include "platform/win32/Win32Platform.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

POINT CentreOf(ui::TWinControl* control) {
  RECT r;
  GetWindowRect(control->Handle(), &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Actions : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    videos = app.MakeFolder("videos");
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) WriteSized(videos + name, 100);
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path(), &shell);
    rename = std::unique_ptr<app::TRenameForm>(app::NewRenameForm(ui::Application));
    ASSERT_EQ((*form)->ltvPC->Count(), 3);
    // Rows on the PSP side, as a listed PSP would show them.
    (*form)->ltvPSP->AddItem("M4V00001.MP4", "1", 0);
    (*form)->ltvPSP->AddItem("M4V00002.MP4", "1", 0);
    (*form)->Folders().SetPspDrive("G:\\");
  }
  app::TMainForm* Form() { return form->Form(); }
  TempFolder app;
  std::string videos;
  platform::RecordingShell shell;
  std::unique_ptr<MainFormFixture> form;
  std::unique_ptr<app::TRenameForm> rename;  // goes before the main window
};

}  // namespace

TEST_F(Actions, PlayOpensTheFirstSelectedVideo) {
  Form()->Play1->Click();
  EXPECT_TRUE(shell.opened.empty());  // nothing selected
  Form()->ltvPC->SetSelected(2, true);
  Form()->ltvPC->SetSelected(1, true);
  Form()->Play1->Click();
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], videos + "b.mp4");

  // A double click on the second PSP row, as the mouse gives it.
  HWND psp = Form()->ltvPSP->Handle();
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageA(psp, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
  PostMessageA(psp, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(psp, WM_LBUTTONUP, 0, at);
  PostMessageA(psp, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(psp, WM_LBUTTONUP, 0, at);
  ui::Application->ProcessMessages();
  ASSERT_EQ(shell.opened.size(), 2u);
  EXPECT_EQ(shell.opened.back(), "G:\\MP_ROOT\\100MNV01\\M4V00002.MP4");
}

// Whatever the current folder holds, a folder without its drive or share is not used.
TEST_F(Actions, RelativeFoldersAreNeverListedOpenedOrDeletedFrom) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof current, current);
  SetCurrentDirectoryA(app.Path().c_str());
  WriteSized(app / "relative.mp4", 100);
  Form()->edtPath->SetText(".");
  SendMessageA(Form()->edtPath->Handle(), WM_CHAR, '\r', 0);
  EXPECT_EQ(Form()->Folders().PcFolder(), videos);
  EXPECT_EQ(Form()->ltvPC->Count(), 3);
  for (const char* relative : {"videos", ".\\", "C:videos"}) {
    SCOPED_TRACE(relative);
    Form()->Folders().SetPcFolder(relative);
    Form()->ltvPC->SetSelected(0, true);
    Form()->Play1->Click();
    Form()->Openthedirectory1->Click();
    Form()->ltvPC->SetSelected(0, true);
    Form()->Delete1->Click();
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(Exists(videos + "a.mp4"));
  }
  SetCurrentDirectoryA(current);
}

TEST_F(Actions, OpenTheDirectoryOfEitherList) {
  Form()->Openthedirectory1->Click();
  Form()->cmbType->SetItemIndex(1);
  Form()->Folders().SetKind(library::Mpeg4Avc);
  Form()->Openthedirectory2->Click();
  const std::vector<std::string> want = {videos, "G:\\MP_ROOT\\101ANV01\\"};
  EXPECT_EQ(shell.opened, want);
  EXPECT_EQ(Form()->Folders().PspFolder(), "G:\\MP_ROOT\\101ANV01\\");
}

TEST_F(Actions, WithoutFoldersNothingIsOpened) {
  Form()->Folders().SetPcFolder("");
  Form()->Folders().SetPspDrive("");
  Form()->ltvPC->SetSelected(0, true);
  Form()->ltvPSP->SetSelected(0, true);
  Form()->Play1->Click();
  Form()->Play2->Click();
  Form()->Openthedirectory1->Click();
  Form()->Openthedirectory2->Click();
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(Actions, DragsAreTakenOnlyByTheOtherList) {
  EXPECT_TRUE(Form()->ltvPSPDragOver(Form()->ltvPSP, Form()->ltvPC));
  EXPECT_FALSE(Form()->ltvPSPDragOver(Form()->ltvPSP, Form()->ltvPSP));
  EXPECT_FALSE(Form()->ltvPSPDragOver(Form()->ltvPSP, Form()->edtPath));
  EXPECT_TRUE(Form()->ltvPCDragOver(Form()->ltvPC, Form()->ltvPSP));
  EXPECT_FALSE(Form()->ltvPCDragOver(Form()->ltvPC, Form()->ltvPC));
  // Files of other programs, but not while another window of ours is up.
  EXPECT_TRUE(Form()->ListTakesDrop(Form()->ltvPSP));
  EnableWindow(Form()->Handle(), FALSE);
  EXPECT_FALSE(Form()->ListTakesDrop(Form()->ltvPSP));
  EnableWindow(Form()->Handle(), TRUE);
}

TEST_F(Actions, ADropCopiesAndADropOnItsOwnListDoesNothing) {
  int copyToPsp = 0, copyToPc = 0, moves = 0;
  Form()->btnCopyPSP->OnClick = [&](ui::TObject*) { ++copyToPsp; };
  Form()->btnCopyPC->OnClick = [&](ui::TObject*) { ++copyToPc; };
  Form()->btnMovePSP->OnClick = [&](ui::TObject*) { ++moves; };
  Form()->btnMovePC->OnClick = [&](ui::TObject*) { ++moves; };
  SetForegroundWindow(Form()->Handle());
  // From the first row of a list, with the mouse.
  auto dragTo = [&](ui::TListView* source, ui::TWinControl* over) {
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(source->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT from{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(source->Handle(), &from);
    DragWithMouse(from, CentreOf(over));
  };
  dragTo(Form()->ltvPC, Form()->ltvPC);
  EXPECT_EQ(copyToPsp + copyToPc, 0);
  dragTo(Form()->ltvPC, Form()->ltvPSP);
  EXPECT_EQ(copyToPsp, 1);
  dragTo(Form()->ltvPSP, Form()->ltvPC);
  EXPECT_EQ(copyToPc, 1);
  dragTo(Form()->ltvPSP, Form()->btnRename);
  EXPECT_EQ(copyToPsp + copyToPc, 2);
  EXPECT_EQ(moves, 0);
}

TEST_F(Actions, DeleteFromThePcListTakesCompanionsAndNothingElse) {
  WriteText(videos + "b.THM", "thumb");
  WriteText(videos + "b.jpg", "photo");
  Form()->StatusBar1->SetPanelText(0, "1 Selected.  0.00MB Total.");
  Form()->StatusBar1->SetPanelText(2, "kept");
  Form()->ltvPC->SetSelected(1, true);
  Form()->ltvPC->SetSelected(2, true);
  Form()->Delete1->Click();
  EXPECT_FALSE(Exists(videos + "b.mp4"));
  EXPECT_FALSE(Exists(videos + "b.THM"));
  EXPECT_FALSE(Exists(videos + "c.mp4"));
  EXPECT_TRUE(Exists(videos + "b.jpg"));
  EXPECT_TRUE(Exists(videos + "a.mp4"));
  ASSERT_EQ(Form()->ltvPC->Count(), 1);
  EXPECT_EQ(Form()->labPCNum->Caption(), "1");
  EXPECT_EQ(Form()->StatusBar1->PanelText(0), "");
  EXPECT_EQ(Form()->StatusBar1->PanelText(2), "kept");
}

TEST_F(Actions, RenameFromThePcMenuOpensTheRenameWindowOnTheFirstSelectedRow) {
  Form()->Rename1->Click();  // nothing selected: nothing opens
  ASSERT_NE(app::RenameForm, nullptr);
  EXPECT_FALSE(IsWindowVisible(app::RenameForm->Handle()));
  Form()->ltvPC->SetSelected(1, true);
  Form()->Rename1->Click();
  EXPECT_TRUE(IsWindowVisible(app::RenameForm->Handle()));
  EXPECT_EQ(app::RenameForm->edtNewname->Text(), "b.mp4");
  EXPECT_EQ(app::RenameForm->RenameSide, "PC");
  EXPECT_EQ(app::RenameForm->RenameSourcePath, videos + "b.mp4");
  app::RenameForm->edtNewname->SetText("holiday");
  app::RenameForm->btnOK->Perform(BM_CLICK);
  Pump();
  EXPECT_TRUE(Exists(videos + "holiday.MP4"));
  EXPECT_EQ(Form()->ltvPC->Item(2).caption, "holiday.MP4");
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
}

// Through the main window's own shell adapter: a dialog of the shell belongs to our window.
TEST(ShellOwner, EveryOpenNamesTheMainWindowAsOwner) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
  const std::string videos = app.MakeFolder("videos");
  WriteSized(videos + "a.mp4", 100);
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  auto* shell = dynamic_cast<platform::Win32Shell*>(form->Services().shell);
  ASSERT_NE(shell, nullptr);
  std::vector<std::pair<HWND, std::string>> opened;
  shell->SetLauncher([&opened](void* owner, const std::string& target) -> std::intptr_t {
    opened.emplace_back(static_cast<HWND>(owner), target);
    return 33;
  });
  form->ltvPC->SetSelected(0, true);
  form->Play1->Click();
  form->Openthedirectory1->Click();
  form->Openthedirectory2->Click();
  form->Timer1Timer(form->Timer1);  // a banner with a page of its own
  for (ui::TControl* link :
       {static_cast<ui::TControl*>(form->labWebsite), static_cast<ui::TControl*>(form->Image2)}) {
    // A click as the mouse gives it, to the window that holds the windowless control.
    const LPARAM at = MAKELPARAM(link->Left() + 3, link->Top() + 3);
    PostMessageA(link->Parent()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(link->Parent()->Handle(), WM_LBUTTONUP, 0, at);
    ui::Application->ProcessMessages();
  }
  ASSERT_EQ(opened.size(), 5u);
  for (const auto& [owner, target] : opened) EXPECT_EQ(owner, form->Handle()) << target;
  EXPECT_EQ(opened[0].second, videos + "a.mp4");
}
