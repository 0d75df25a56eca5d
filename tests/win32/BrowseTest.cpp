// The folder-browse dialog behind "&Browse", driven as a person would pick a folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Harness.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

BOOL CALLBACK FindBrowse(HWND window, LPARAM found) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(window) &&
      FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr) != nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

std::string SelectedText(HWND tree) {
  HTREEITEM selected = TreeView_GetSelection(tree);
  if (selected == nullptr) return {};
  char text[260] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = selected;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Waits for the dialog, notes whether it came up with the expected folder selected, then picks
// `pick` (or cancels when it is empty).
class BrowseDriver {
 public:
  explicit BrowseDriver(std::string pick, bool expectPreselection = true)
      : pick_(std::move(pick)),
        expectPreselection_(expectPreselection),
        thread_([this] { Run(); }) {}
  ~BrowseDriver() { thread_.join(); }
  bool Seen() const { return seen_; }
  std::string Title() const { return title_; }
  std::string Preselected() const { return preselected_; }

 private:
  void Run() {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && dialog == nullptr; ++i) {
      Sleep(20);
      EnumWindows(FindBrowse, reinterpret_cast<LPARAM>(&dialog));
    }
    if (dialog == nullptr) return;
    seen_ = true;
    // The first dialog of a fresh Wine prefix takes a while to fill its tree.
    HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
    for (int i = 0; i < 600 && TreeView_GetCount(tree) == 0; ++i) Sleep(50);
    // A pre-selection shows once the dialog has handled its start.
    for (int i = 0; i < 200 && expectPreselection_ && SelectedText(tree).empty(); ++i) Sleep(50);
    // The title text is one of the dialog's static children.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char text[256] = {};
      GetWindowTextA(child, text, sizeof text);
      if (std::string(text) == "Select the video directory.") title_ = text;
    }
    preselected_ = SelectedText(tree);
    if (pick_.empty()) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      // The tree fills itself in steps; ask again until it shows the folder as selected.
      const std::string leaf = pick_.substr(pick_.find_last_of('\\', pick_.size() - 2) + 1);
      const std::string want = leaf.substr(0, leaf.size() - (leaf.back() == '\\' ? 1 : 0));
      for (int i = 0; i < 600 && SelectedText(tree) != want; ++i) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(pick_.c_str()));
        Sleep(100);
      }
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
  }
  std::string pick_;
  bool expectPreselection_;
  std::atomic<bool> seen_{false};
  std::string title_;
  std::string preselected_;
  std::thread thread_;
};

}  // namespace

TEST(Browse, PickingAFolderListsItAndFillsThePathBox) {
  // A plain name, and one whose UTF-8 path passes 259 bytes while staying short in characters.
  std::string longName;
  for (int i = 0; i < 125; ++i) longName += "\xC3\xA9";  // é
  for (const std::string& name : {std::string("target"), longName}) {
    SCOPED_TRACE(name.size());
    TempFolder app;
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    const std::string start = app.MakeFolder("start");
    const std::string target = app.MakeFolder(name);
    ASSERT_TRUE(Exists(target));
    WriteSized(target + "clip.mp4", 10);
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + start + "\r\n");
    MainFormFixture form(app.Path());
    ASSERT_EQ(form->PcFolder, start);
    {
      BrowseDriver driver(target);
      form->btnBrowse->Perform(BM_CLICK);
      Pump();
      // Every window of ours is usable again once the dialog is gone.
      EXPECT_TRUE(IsWindowEnabled(form->Handle()));
      EXPECT_TRUE(driver.Seen());
    }
    const std::string picked = target.substr(0, target.size() - 1);  // shell paths have no "\"
    EXPECT_EQ(form->PcFolder, picked);
    EXPECT_EQ(form->edtPath->Text(), picked);
    ASSERT_EQ(form->ltvPC->Count(), 1);
    EXPECT_EQ(form->ltvPC->Item(0).caption, "clip.mp4");
  }
}

TEST(Browse, OpensOnTheCurrentFolderAndCancelChangesNothing) {
  TempFolder app;
  const std::string start = app.MakeFolder("start");
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + start + "\r\n");
  MainFormFixture form(app.Path());
  {
    BrowseDriver driver("");
    form->btnBrowse->Perform(BM_CLICK);
    Pump();
    ASSERT_TRUE(driver.Seen());
    EXPECT_EQ(driver.Title(), "Select the video directory.");
    EXPECT_EQ(driver.Preselected(), "start");
  }
  EXPECT_EQ(form->PcFolder, start);
  EXPECT_EQ(form->edtPath->Text(), start);
}

TEST(Browse, CancelAfterAMissingFolderLeavesThePcFolderEmpty) {
  TempFolder app;
  const std::string gone = app.MakeFolder("gone");
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + gone + "\r\n");
  MainFormFixture form(app.Path());
  ASSERT_EQ(form->PcFolder, gone);
  RemoveDirectoryA(gone.c_str());
  {
    BrowseDriver driver("", false);
    form->btnBrowse->Perform(BM_CLICK);
    Pump();
    ASSERT_TRUE(driver.Seen());
  }
  EXPECT_EQ(form->PcFolder, "");
  EXPECT_EQ(form->edtPath->Text(), gone);
}
