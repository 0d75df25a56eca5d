// Finding the PSP among the drives of the running Wine, and what the PSP pane shows.
#include <windows.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

const char* const kQuestion =
    "Please connect your PSP to the computer and select the proper drive.\n\r"
    "Click \"Yes\" to detect the PSP automatically.";

std::string EditText(ui::TWinControl* control) {
  char text[256] = {};
  GetWindowTextA(control->Handle(), text, sizeof text);
  return text;
}

class PspSide : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    pspG = app.Path() + "g\\";
    MakePspFolders(pspG);
    WriteSized(pspG + "MP_ROOT\\100MNV01\\M4V00001.MP4", 1000);
    WriteSized(pspG + "MP_ROOT\\100MNV01\\M4V00002.MP4", 1000);
    WriteSized(pspG + "MP_ROOT\\101ANV01\\MAQ00001.MP4", 1000);
  }
  TempFolder app;
  std::string pspG;
};

}  // namespace

TEST_F(PspSide, FirstRemovableDriveWithMpRootIsChosenAtStartWithoutAQuestion) {
  const std::string card = app.MakeFolder("card");
  const std::string pspH = app.Path() + "h\\";
  MakePspFolders(pspH);
  SimulatedDrive e('E', card), g('G', pspG), h('H', pspH);
  ASSERT_TRUE(e.Plugged() && g.Plugged() && h.Plugged());
  BoxWatcher boxes;
  MainFormFixture form(app.Path(), nullptr, false);
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_EQ(form->Folders().PspDrive(), "G:\\");
  EXPECT_EQ(EditText(form->cmbPSP), "(G:)");
  EXPECT_EQ(form->Folders().PspFolder(), "G:\\MP_ROOT\\100MNV01\\");
  ASSERT_EQ(form->ltvPSP->Count(), 2);
  EXPECT_EQ(form->ltvPSP->Item(1).caption, "M4V00002.MP4");
  EXPECT_EQ(form->labPSPNum->Caption(), "2");
  SaveScreenshot(form->Handle(), "main-window-with-psp");
}

TEST_F(PspSide, WithoutAPspTheQuestionComesBeforeTheWindow) {
  BoxWatcher boxes({{"PSP Connection", IDNO}, {"Please connect your PSP"}});
  MainFormFixture form(app.Path(), nullptr, false);
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "PSP Connection");
  EXPECT_EQ(seen[0].text, kQuestion);
  EXPECT_EQ(seen[1].caption, "Please connect your PSP");
  EXPECT_EQ(seen[1].text, "No PSP is connected.");
  EXPECT_EQ(form->Folders().PspDrive(), "");
  EXPECT_EQ(form->ltvPSP->Count(), 0);
}

TEST_F(PspSide, AFixedDiskIsNeverFoundButAcceptedWhenChosen) {
  SimulatedDrive f('F', pspG, false);
  ASSERT_TRUE(f.Plugged());
  // Detect: finds nothing.
  BoxWatcher boxes({{"PSP Connection", IDYES}, {"Please connect your PSP"}});
  MainFormFixture form(app.Path(), nullptr, false);
  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(form->Folders().PspDrive(), "");
  // Chosen in the tree, it is listed, and the connection check accepts it.
  form->cmbPSP->OpenPath("F:\\MP_ROOT");
  EXPECT_EQ(form->Folders().PspDrive(), "F:\\");
  EXPECT_EQ(form->ltvPSP->Count(), 2);
  form->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  EXPECT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(form->ltvPSP->Count(), 2);
}

TEST_F(PspSide, UnpluggedRefreshAsksAndReplugFindsItAgain) {
  SimulatedDrive g('G', pspG);
  BoxWatcher boxes;
  MainFormFixture form(app.Path(), nullptr, false);
  ASSERT_EQ(form->ltvPSP->Count(), 2);
  g.Unplug();
  boxes.Expect("PSP Connection", IDNO);
  boxes.Expect("Please connect your PSP");
  form->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, kQuestion);
  EXPECT_EQ(seen[1].text, "No PSP is connected.");
  EXPECT_EQ(form->ltvPSP->Count(), 2);  // the list stays as it was

  ASSERT_TRUE(g.Plug());
  boxes.Expect("PSP Connection", IDYES);
  WriteSized(pspG + "MP_ROOT\\100MNV01\\M4V00003.MP4", 1000);
  form->Folders().SetPspDrive("");  // as if the drive had been lost meanwhile
  form->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  EXPECT_EQ(boxes.Seen().size(), 3u);
  EXPECT_EQ(form->Folders().PspDrive(), "G:\\");
  EXPECT_EQ(form->ltvPSP->Count(), 3);
}

TEST_F(PspSide, KindChangeListsTheOtherFolderAndAMissingOneKeepsTheRows) {
  SimulatedDrive g('G', pspG);
  MainFormFixture form(app.Path(), nullptr, false);
  ASSERT_EQ(form->ltvPSP->Count(), 2);
  HWND kind = form->cmbType->Handle();
  SendMessageA(kind, CB_SETCURSEL, 1, 0);
  SendMessageA(GetParent(kind), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(kind), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  Pump();
  EXPECT_EQ(form->Folders().PspKindFolder(), "MP_ROOT\\101ANV01\\");
  ASSERT_EQ(form->ltvPSP->Count(), 1);
  EXPECT_EQ(form->ltvPSP->Item(0).caption, "MAQ00001.MP4");
  RemoveDirectoryA((pspG + "MP_ROOT\\100MNV01\\M4V00001.MP4").c_str());
  DeleteFileA((pspG + "MP_ROOT\\100MNV01\\M4V00001.MP4").c_str());
  DeleteFileA((pspG + "MP_ROOT\\100MNV01\\M4V00002.MP4").c_str());
  RemoveDirectoryA((pspG + "MP_ROOT\\100MNV01").c_str());
  SendMessageA(kind, CB_SETCURSEL, 0, 0);
  SendMessageA(GetParent(kind), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(kind), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  Pump();
  ASSERT_EQ(form->ltvPSP->Count(), 1);
  EXPECT_EQ(form->ltvPSP->Item(0).caption, "MAQ00001.MP4");
}

TEST_F(PspSide, DeleteFromThePspListTakesCompanionsAndClearsItsPanel) {
  WriteBytes(pspG + "MP_ROOT\\100MNV01\\M4V00001.THM", MakeJpeg(80, 60, 9, 9, 9));
  SimulatedDrive g('G', pspG);
  MainFormFixture form(app.Path(), nullptr, false);
  ASSERT_EQ(form->ltvPSP->Count(), 2);
  form->StatusBar1->SetPanelText(2, "1 Selected.  0.00MB Total.");
  form->ltvPSP->SetSelected(0, true);
  form->btnDelete->Perform(BM_CLICK);
  Pump();
  EXPECT_FALSE(Exists(pspG + "MP_ROOT\\100MNV01\\M4V00001.MP4"));
  EXPECT_FALSE(Exists(pspG + "MP_ROOT\\100MNV01\\M4V00001.THM"));
  EXPECT_TRUE(Exists(pspG + "MP_ROOT\\100MNV01\\M4V00002.MP4"));
  EXPECT_EQ(form->ltvPSP->Count(), 1);
  EXPECT_EQ(form->StatusBar1->PanelText(2), "");
}

TEST_F(PspSide, TheDropDownOpensOverTheMainWindow) {
  SimulatedDrive g('G', pspG);
  MainFormFixture form(app.Path(), nullptr, false);
  ASSERT_FALSE(form->cmbPSP->DroppedDown());
  form->cmbPSP->ToggleDropDown();
  Pump();
  ASSERT_TRUE(form->cmbPSP->DroppedDown());
  // Below the combo, where there is room on the screen.
  RECT combo, tree;
  GetWindowRect(form->cmbPSP->Handle(), &combo);
  GetWindowRect(form->cmbPSP->Tree->Handle(), &tree);
  EXPECT_EQ(tree.top, combo.bottom);
  EXPECT_EQ(tree.bottom - tree.top, 240);
  SaveScreenshot(GetDesktopWindow(), "main-window-psp-dropdown");
  form->cmbPSP->ToggleDropDown();
  Pump();
  EXPECT_FALSE(form->cmbPSP->DroppedDown());
}
