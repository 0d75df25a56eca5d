// The PC list in the real window: rows, thumbnails, counts, the path box and the summary.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

std::string ItemText(HWND list, int index) {
  char text[260] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

// The colour in the middle of the picture a row shows.
COLORREF RowPicture(HWND list, HIMAGELIST images, int row) {
  return MiddleOf(images, ItemImage(list, row));
}

bool Reddish(COLORREF c) {
  return GetRValue(c) > 100 && GetGValue(c) < 60;
}
bool Greenish(COLORREF c) {
  return GetGValue(c) > 100 && GetRValue(c) < 60;
}

std::string PanelText(HWND bar, int panel) {
  char text[256] = {};
  SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
  return text;
}

// A left click as the mouse gives it, Ctrl held for the second and later rows.
void ClickRow(HWND list, int index, bool ctrl) {
  RECT r{};
  r.left = LVIR_BOUNDS;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  const WPARAM keys = ctrl ? MK_CONTROL : 0;
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageA(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, keys, at);
  ui::Application->ProcessMessages();
  Pump();
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

void ClickEmptySpace(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  const LPARAM at = MAKELPARAM(client.right / 2, client.bottom - 5);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  ui::Application->ProcessMessages();
  Pump();
}

void PressEnter(ui::TEdit* edit) {
  SendMessageA(edit->Handle(), WM_CHAR, '\r', 0);
  Pump();
}

class PcList : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(160, 120, 0, 200, 0));
    videos = app.MakeFolder("videos");
    WriteSized(videos + "a.mp4", 1500000);
    WriteBytes(videos + "a.THM", MakeJpeg(160, 120, 200, 0, 0));
    WriteSized(videos + "b.MP4", 2250000);
    WriteSized(videos + "c.txt", 10);
    WriteSized(videos + "d.mp4", 10);
    SetFileAttributesA((videos + "d.mp4").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteSized(videos + "e.mp4", 1234567);
    WriteText(videos + "e.THM", "this is no picture");
  }
  TempFolder app;
  std::string videos;
};

}  // namespace

TEST_F(PcList, EnterListsTheTypedFolderWithThumbnailsAndCounts) {
  BoxWatcher boxes({{"Brevlo"}});
  MainFormFixture form(app.Path());
  form->edtPath->SetText(videos);
  PressEnter(form->edtPath);
  Pump();
  HWND list = form->ltvPC->Handle();
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(list, 0), "a.mp4");
  EXPECT_EQ(ItemText(list, 1), "b.MP4");
  EXPECT_EQ(ItemText(list, 2), "e.mp4");
  // Its own thumbnail; the default for the video without one and for the broken one (neither is
  // a real video, so no picture of its own follows).
  while (form->PicturesPending() > 0) Pump(10);
  Pump(50);
  HIMAGELIST images = form->imlPC->Handle();
  EXPECT_TRUE(Reddish(RowPicture(list, images, 0))) << std::hex << RowPicture(list, images, 0);
  EXPECT_TRUE(Greenish(RowPicture(list, images, 1))) << std::hex << RowPicture(list, images, 1);
  EXPECT_TRUE(Greenish(RowPicture(list, images, 2))) << std::hex << RowPicture(list, images, 2);
  EXPECT_EQ(form->labPCNum->Caption(), "3");
  EXPECT_EQ(form->labPSPNum->Caption(), "0");
  EXPECT_EQ(form->Folders().PcFolder(), videos);
  EXPECT_EQ(form->ltvPC->Item(1).subItems.at(0), "2.25");
  // The broken thumbnail is reported once, after the list is complete.
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text.rfind("JPEG error #", 0), 0u) << seen[0].text;
  EXPECT_EQ(seen[0].caption, "Brevlo");
}

TEST_F(PcList, MissingOrEmptyPathKeepsTheList) {
  BoxWatcher boxes({{"Brevlo"}});  // e.THM, once
  MainFormFixture form(app.Path());
  form->edtPath->SetText(videos);
  PressEnter(form->edtPath);
  ASSERT_EQ(form->ltvPC->Count(), 3);
  form->edtPath->SetText(videos + "missing");
  PressEnter(form->edtPath);
  EXPECT_EQ(form->ltvPC->Count(), 3);
  EXPECT_EQ(form->Folders().PcFolder(), videos);
  form->edtPath->SetText("");
  PressEnter(form->edtPath);
  EXPECT_EQ(form->ltvPC->Count(), 3);
  EXPECT_EQ(form->Folders().PcFolder(), videos);
}

TEST_F(PcList, RefreshListsAgainFromThePathBox) {
  BoxWatcher boxes({{"Brevlo"}, {"Brevlo"}});  // e.THM, at start and on refresh
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  ASSERT_EQ(form->ltvPC->Count(), 3);
  WriteSized(videos + "f.mp4", 1);
  DeleteFileA((videos + "a.mp4").c_str());
  form->btnRefreshPC->Perform(BM_CLICK);
  Pump();
  ASSERT_EQ(form->ltvPC->Count(), 3);
  EXPECT_EQ(form->ltvPC->Item(0).caption, "b.MP4");
  EXPECT_EQ(form->ltvPC->Item(2).caption, "f.mp4");
  EXPECT_EQ(form->labPCNum->Caption(), "3");
}

TEST_F(PcList, TypingJumpsToTheRowThatStartsWithIt) {
  BoxWatcher boxes({{"Brevlo"}});  // the folder's broken thumbnail
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  HWND list = form->ltvPC->Handle();
  ASSERT_EQ(form->ltvPC->Count(), 3);
  SetFocus(list);
  // Case is ignored; a key that starts no caption changes nothing.
  struct Step {
    char key;
    int row;
  };
  for (const Step step : {Step{'e', 2}, Step{'B', 1}, Step{'z', 1}, Step{'A', 0}}) {
    SendMessageA(list, WM_CHAR, static_cast<WPARAM>(step.key), 1);  // one key press
    Pump(600);  // longer than the list's pause that starts a new search
    EXPECT_EQ(form->ltvPC->SelectedIndexes(), std::vector<int>{step.row}) << step.key;
  }
}

TEST_F(PcList, ClicksSumTheSelectedSizes) {
  BoxWatcher boxes({{"Brevlo"}});
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  HWND list = form->ltvPC->Handle();
  HWND bar = form->StatusBar1->Handle();
  ClickRow(list, 0, false);
  EXPECT_EQ(PanelText(bar, 0), "1 Selected.  1.50MB Total.");
  ClickRow(list, 1, true);
  EXPECT_EQ(form->ltvPC->SelCount(), 2);
  EXPECT_EQ(PanelText(bar, 0), "2 Selected.  3.75MB Total.");
  ClickRow(list, 2, false);
  EXPECT_EQ(PanelText(bar, 0), "1 Selected.  1.23MB Total.");
  // A click on empty space clears the selection but keeps the text.
  ClickEmptySpace(list);
  EXPECT_EQ(form->ltvPC->SelCount(), 0);
  EXPECT_EQ(PanelText(bar, 0), "1 Selected.  1.23MB Total.");
  EXPECT_EQ(PanelText(bar, 2), "");
  // Keyboard selection leaves the panel alone.
  form->ltvPC->SetSelected(0, true);
  EXPECT_EQ(PanelText(bar, 0), "1 Selected.  1.23MB Total.");
}

TEST_F(PcList, LockedVideoKeepsItsSizeAndARowWithoutSizeCountsAsNothing) {
  BoxWatcher boxes({{"Brevlo"}, {"Brevlo"}});
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  // Held without any sharing by another program: the listing still knows its size.
  HANDLE held =
      CreateFileA((videos + "b.MP4").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  form->btnRefreshPC->Perform(BM_CLICK);
  Pump();
  CloseHandle(held);
  ASSERT_EQ(form->ltvPC->Count(), 3);
  EXPECT_EQ(form->ltvPC->Item(1).subItems.at(0), "2.25");
  // A row that carries no size adds nothing to the total and breaks nothing.
  form->ltvPC->AddItem("nosize.mp4", "", 0);
  ClickRow(form->ltvPC->Handle(), 0, false);
  ClickRow(form->ltvPC->Handle(), 3, true);
  EXPECT_EQ(PanelText(form->StatusBar1->Handle(), 0), "2 Selected.  1.50MB Total.");
}

// What the user does while a fill pumps messages: the fill has to end with list, count and
// folder telling the same story, and the folder is the new one from the first row on.
TEST_F(PcList, InputDuringAFillLeavesListCountAndFolderConsistent) {
  struct Case {
    const char* what;
    std::string typed;  // in the path box when Enter arrives
    bool refresh;       // "Refr&esh" rather than Enter
  };
  const std::string other = app.MakeFolder("other");
  WriteSized(other + "x.mp4", 10);
  const std::vector<Case> cases = {
      {"Enter on a folder that does not exist", videos + "missing", false},
      {"Enter on an empty path", "", false},
      {"Refresh of a folder that does not exist", "Q:\\nowhere", true},
      {"Refresh of another folder", other, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool moved = c.typed == other;
    // The broken e.THM is reported by a fill that runs to its end.
    BoxWatcher boxes(moved ? std::vector<BoxWatcher::Expected>{}
                           : std::vector<BoxWatcher::Expected>{{"Brevlo"}});
    platform::RecordingShell shell;
    MainFormFixture form(app.Path(), &shell);
    form->edtPath->SetText(c.typed);
    // Handled at the fill's first pump, before its first row.
    PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Openthedirectory1->Command(), 0), 0);
    if (c.refresh) {
      PostMessageA(form->btnRefreshPC->Handle(), BM_CLICK, 0, 0);
    } else {
      PostMessageA(form->edtPath->Handle(), WM_CHAR, '\r', 0);
    }
    form->FillVideoList(videos, form->ltvPC, form->imlPC);
    Pump();
    const std::string folder = moved ? other : videos;
    const int rows = moved ? 1 : 3;
    EXPECT_EQ(form->Folders().PcFolder(), folder);
    ASSERT_EQ(form->ltvPC->Count(), rows);
    EXPECT_EQ(form->labPCNum->Caption(), std::to_string(rows));
    for (int i = 0; i < rows; ++i) {
      EXPECT_LT(ItemImage(form->ltvPC->Handle(), i),
                ImageList_GetImageCount(form->imlPC->Handle()));
    }
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], videos);
  }
}
