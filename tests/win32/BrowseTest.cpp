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
  bool Picked() const { return picked_; }
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
    for (int i = 0; i < 100 && expectPreselection_ && SelectedText(tree).empty(); ++i) Sleep(50);
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
      // The tree fills itself in steps, slowly in a fresh session: ask, give the tree a few
      // seconds to show the folder as selected, and ask again only then.
      const std::string leaf = pick_.substr(pick_.find_last_of('\\', pick_.size() - 2) + 1);
      const std::string want = leaf.substr(0, leaf.size() - (leaf.back() == '\\' ? 1 : 0));
      // In UTF-16, as a click in the tree would give it: the 8-bit message stops at 260 bytes.
      std::wstring wide(
          static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, pick_.c_str(), -1, nullptr, 0)),
          L'\0');
      MultiByteToWideChar(CP_UTF8, 0, pick_.c_str(), -1, wide.data(),
                          static_cast<int>(wide.size()));
      for (int ask = 0; ask < 5 && SelectedText(tree) != want; ++ask) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
        for (int i = 0; i < 60 && SelectedText(tree) != want; ++i) Sleep(50);
      }
      picked_ = SelectedText(tree) == want;
      PostMessageA(dialog, WM_COMMAND, picked_ ? IDOK : IDCANCEL, 0);
    }
  }
  std::string pick_;
  bool expectPreselection_;
  std::atomic<bool> seen_{false};
  std::atomic<bool> picked_{false};
  std::string title_;
  std::string preselected_;
  std::thread thread_;
};

}  // namespace

// A name whose UTF-8 path passes 259 bytes while staying short in characters.
std::string LongName() {
  std::string name;
  for (int i = 0; i < 125; ++i) name += "\xC3\xA9";  // é
  return name;
}

class Browse : public ::testing::Test {
 protected:
  // Every folder the dialogs look at is made before the first dialog opens: the shell keeps
  // the listings it has read, and a folder made afterwards may not show in the next dialog.
  static void SetUpTestSuite() {
    root = new TempFolder;
    for (const std::string& folder :
         {std::string("target"), std::string("target\\start"), std::string("target\\target"),
          std::string("long"), std::string("long\\start"), "long\\" + LongName(),
          std::string("opens"), std::string("opens\\start"), std::string("cancel"),
          std::string("cancel\\gone")}) {
      root->MakeFolder(folder);
    }
  }
  static void TearDownTestSuite() {
    delete root;
    root = nullptr;
  }
  // The program folder of one test, with its preferences opening on `start`.
  static std::string App(const std::string& name, const std::string& start) {
    const std::string app = root->Path() + name + "\\";
    WriteBytes(app + "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    WriteText(app + "Preferences.ini", "[Main]\r\nOutput Path=" + app + start + "\\\r\n");
    return app;
  }
  static TempFolder* root;
};
TempFolder* Browse::root = nullptr;

TEST_F(Browse, PickingAFolderListsItAndFillsThePathBox) {
  for (const auto& [name, leaf] : {std::pair<std::string, std::string>{"target", "target"},
                                   std::pair<std::string, std::string>{"long", LongName()}}) {
    SCOPED_TRACE(name);
    const std::string app = App(name, "start");
    const std::string target = app + leaf + "\\";
    ASSERT_TRUE(Exists(target));
    WriteSized(target + "clip.mp4", 10);
    MainFormFixture form(app);
    ASSERT_EQ(form->Folders().PcFolder(), app + "start\\");
    // Now and then Wine's dialog does not take a selection; a person would open it again, and
    // so does this test, up to three times.
    for (int attempt = 0; attempt < 3; ++attempt) {
      BrowseDriver driver(target, false);
      form->btnBrowse->Perform(BM_CLICK);
      Pump();
      // Every window of ours is usable again once the dialog is gone.
      EXPECT_TRUE(IsWindowEnabled(form->Handle()));
      ASSERT_TRUE(driver.Seen());
      if (driver.Picked()) break;
    }
    const std::string picked = target.substr(0, target.size() - 1);  // shell paths have no "\"
    EXPECT_EQ(form->Folders().PcFolder(), target);
    EXPECT_EQ(form->edtPath->Text(), picked);
    ASSERT_EQ(form->ltvPC->Count(), 1);
    EXPECT_EQ(form->ltvPC->Item(0).caption, "clip.mp4");
  }
}

TEST_F(Browse, OpensOnTheCurrentFolderAndCancelChangesNothing) {
  const std::string app = App("opens", "start");
  const std::string start = app + "start\\";
  MainFormFixture form(app);
  // Now and then Wine's dialog does not take the selection asked for at its start; a person
  // would open it again, and so does this test, up to three times.
  std::string preselected;
  for (int attempt = 0; attempt < 3 && preselected != "start"; ++attempt) {
    BrowseDriver driver("");
    form->btnBrowse->Perform(BM_CLICK);
    Pump();
    ASSERT_TRUE(driver.Seen());
    EXPECT_EQ(driver.Title(), "Select the video directory.");
    preselected = driver.Preselected();
  }
  EXPECT_EQ(preselected, "start");
  EXPECT_EQ(form->Folders().PcFolder(), start);
  EXPECT_EQ(form->edtPath->Text(), start);
}

TEST_F(Browse, CancelAfterAMissingFolderLeavesThePcFolderEmpty) {
  const std::string app = App("cancel", "gone");
  const std::string gone = app + "gone\\";
  MainFormFixture form(app);
  ASSERT_EQ(form->Folders().PcFolder(), gone);
  RemoveDirectoryA(gone.c_str());
  {
    BrowseDriver driver("", false);
    form->btnBrowse->Perform(BM_CLICK);
    Pump();
    ASSERT_TRUE(driver.Seen());
  }
  EXPECT_EQ(form->Folders().PcFolder(), "");
  EXPECT_EQ(form->edtPath->Text(), gone);
}
