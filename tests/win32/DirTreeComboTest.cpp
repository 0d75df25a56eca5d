// The directory tree combo on a form of its own: the drop-down, picks by mouse and keyboard,
// the keys, the path it reports, over drives made for the test and over the prefix's own.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "dirtree/win32/FileExplorer.h"
#include "platform/portable/PortableShellInfo.h"
#include "platform/win32/Win32Platform.h"
#include "ui/AppPorts.h"
#include "ui/Forms.h"

using namespace brevlo;
using namespace brevlo::testing;
using dirtree::DirTreeNode;
using dirtree::TDirTreeCombo;

namespace {

// Drive letters of the test's table answered from folders of a temporary folder.
class MappedFileSystem : public platform::IFileSystem {
 public:
  explicit MappedFileSystem(platform::TableDrives& drives) : drives_(drives) {}
  bool DirectoryExists(const std::string& path) override {
    return real_.DirectoryExists(Map(path));
  }
  bool FileExists(const std::string& path) override { return real_.FileExists(Map(path)); }
  std::vector<platform::DirEntry> ListDirectory(const std::string& folder,
                                                const std::string& pattern) override {
    return real_.ListDirectory(Map(folder), pattern);
  }
  void VisitDirectory(const std::string& folder, const std::string& pattern,
                      const std::function<bool(const platform::DirEntry&)>& visit) override {
    real_.VisitDirectory(Map(folder), pattern, visit);
  }
  std::optional<std::uint64_t> FileSize(const std::string& path) override {
    return real_.FileSize(Map(path));
  }
  bool ReadFile(const std::string& path, std::vector<unsigned char>& out,
                std::size_t maxBytes) override {
    return real_.ReadFile(Map(path), out, maxBytes);
  }
  bool Copy(const std::string& from, const std::string& to) override {
    return real_.Copy(Map(from), Map(to));
  }
  bool Delete(const std::string& path) override { return real_.Delete(Map(path)); }
  bool Move(const std::string& from, const std::string& to) override {
    return real_.Move(Map(from), Map(to));
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return real_.Replace(Map(from), Map(to));
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return real_.SameFile(Map(a), Map(b));
  }
  void CopyAttributes(const std::string& from, const std::string& to) override {
    real_.CopyAttributes(Map(from), Map(to));
  }
  bool Recycle(const std::string& path) override { return real_.Recycle(Map(path)); }

 private:
  std::string Map(const std::string& path) const {
    if (path.size() < 2 || path[1] != ':') return path;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    for (const auto& d : drives_.drives) {
      if (d.letter == letter && d.medium) return d.hostFolder + path.substr(2);
    }
    return "\\\\?\\no such drive";
  }
  platform::TableDrives& drives_;
  platform::Win32FileSystem real_;
};

// C: a fixed disk with three folders, E: a removable drive without a medium, G: a removable
// drive with one.
struct TestDrives {
  TempFolder root;
  platform::TableDrives drives;
  MappedFileSystem fs{drives};
  platform::PortableShellInfo shell{&drives};
  platform::Win32Locale locale;
  platform::ScriptedDialogs scripted;
  ui::AppDialogs realBoxes;

  TestDrives() {
    const std::string c = root.MakeFolder("c");
    root.MakeFolder("c\\Apps");
    root.MakeFolder("c\\Apps\\Tools");
    root.MakeFolder("c\\music");
    root.MakeFolder("c\\Video");
    root.MakeFolder("e");
    const std::string g = root.MakeFolder("g");
    root.MakeFolder("g\\MP_ROOT");
    drives.drives = {{'C', platform::DriveType::Fixed, c.substr(0, c.size() - 1), true},
                     {'E', platform::DriveType::Removable, root / "e", false},
                     {'G', platform::DriveType::Removable, g.substr(0, g.size() - 1), true}};
  }
  dirtree::DirTreeEnvironment Env(bool withRealBoxes = false) {
    platform::IDialogs& dialogs =
        withRealBoxes ? static_cast<platform::IDialogs&>(realBoxes) : scripted;
    return dirtree::DirTreeEnvironment{fs, drives, shell, locale, dialogs, shell};
  }
};

// A plain form holding the combo at 10, 10 (219 x 21) and an edit to take the focus away.
struct ComboForm {
  ui::TForm* form;
  TDirTreeCombo* combo;
  ui::TEdit* other;
  std::vector<std::pair<ui::TObject*, std::string>> changes;

  explicit ComboForm(const dirtree::DirTreeEnvironment* env, int clientHeight = 70) {
    form = new ui::TForm(ui::Application);
    form->BorderStyle = ui::TBorderStyle::Single;
    form->SetBounds(100, 100, 0, 0);
    form->SetClientSize(320, clientHeight);
    combo = env != nullptr ? new TDirTreeCombo(form, *env) : new TDirTreeCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 219, 21);
    combo->OnPathChange = [this](ui::TObject* sender, std::string path) {
      changes.emplace_back(sender, std::move(path));
    };
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 40, 100, 21);
    form->Show();
    Pump();
  }
  ~ComboForm() {
    delete form;
    Pump();
  }
  ComboForm(const ComboForm&) = delete;
  ComboForm& operator=(const ComboForm&) = delete;

  HWND Edit() const { return combo->Handle(); }
  HWND Tree() const { return combo->Tree->Handle(); }
  dirtree::DirTreeModel& Model() const { return combo->Tree->Model(); }
  DirTreeNode* Root() const { return Model().FirstNode(); }
  DirTreeNode* Drive(char letter) const {
    const std::string key = std::string(1, letter) + ":\\";
    for (std::size_t i = 0; i < Root()->Count(); ++i) {
      if (Root()->Child(i)->Key() == key) return Root()->Child(i);
    }
    return nullptr;
  }
  DirTreeNode* Folder(DirTreeNode* parent, const std::string& caption) const {
    for (std::size_t i = 0; parent != nullptr && i < parent->Count(); ++i) {
      if (parent->Child(i)->Caption() == caption) return parent->Child(i);
    }
    return nullptr;
  }
  // The row the platform's tree view has selected, as a node.
  DirTreeNode* TreeSelection() const { return combo->Tree->NodeOf(combo->Tree->Selected()); }
  bool Open() const { return combo->DroppedDown() && IsWindowVisible(Tree()); }
  // Screen point in the middle of a node's label.
  POINT LabelCentre(const DirTreeNode* node) const {
    RECT r{};
    combo->Tree->ItemRect(dirtree::TDirTreeView::ItemOf(node), r, true);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Tree(), &p);
    return p;
  }
  POINT ScreenOf(HWND window, POINT client) const {
    ClientToScreen(window, &client);
    return client;
  }
};

// Keys reach whichever window holds the keyboard, as typing would.
void Press(WORD key) {
  HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  SendMessageA(focus, WM_KEYDOWN, key, 1);
  SendMessageA(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump();
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace

TEST(DirTreeCombo, FreshControlOverTheRealDrivesShowsTheComputerAndItsDrives) {
  ComboForm c(nullptr);
  TDirTreeCombo& combo = *c.combo;
  EXPECT_STREQ(combo.ClassName(), "TDirTreeCombo");
  EXPECT_TRUE(combo.InheritsFrom("TCustomEdit"));
  EXPECT_TRUE(combo.Tree->InheritsFrom("TCustomTreeView"));
  EXPECT_TRUE(combo.Btn->InheritsFrom("TSpeedButton"));
  EXPECT_STREQ(combo.Btn->ClassName(), "TDirTreeButton");

  // The computer's own name and icon, and no path yet.
  DirTreeNode* root = c.Root();
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(root->IsComputer());
  EXPECT_FALSE(root->Caption().empty());
  EXPECT_EQ(combo.Text(), root->Caption());
  EXPECT_GE(root->ImageIndex(), 0);
  EXPECT_EQ(combo.EditImageIndex(), root->ImageIndex());
  EXPECT_EQ(combo.SelectedPath(), "");
  EXPECT_NE(combo.SmallIcons(), nullptr);
  EXPECT_EQ(combo.Tree->Images(), combo.SmallIcons());

  // Every prefix has C: and Z:, shown below the expanded computer, not yet searched.
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(combo.Tree->ItemExpanded(dirtree::TDirTreeView::ItemOf(root)));
  for (char letter : {'C', 'Z'}) {
    DirTreeNode* drive = c.Drive(letter);
    ASSERT_NE(drive, nullptr) << letter;
    EXPECT_EQ(drive->Caption().substr(0, 7), std::string(" (") + letter + ":)  ");
    EXPECT_TRUE(drive->HasChildren());
    EXPECT_FALSE(drive->Listed());
    EXPECT_EQ(combo.Tree->ItemText(dirtree::TDirTreeView::ItemOf(drive)), drive->Caption());
  }

  EXPECT_EQ(combo.About(), "Version 2.8.7.0");
  combo.SetAbout("1.0");
  EXPECT_EQ(combo.About(), "Version 2.8.7.0");
  EXPECT_EQ(combo.TreeHeight(), 240);
  EXPECT_TRUE(combo.ExpandRoot());
  EXPECT_TRUE(combo.GetReadOnly());
  EXPECT_NE(GetWindowLongPtrA(c.Edit(), GWL_STYLE) & ES_READONLY, 0);
  EXPECT_NE(GetWindowLongPtrA(c.Edit(), GWL_STYLE) & ES_MULTILINE, 0);
  EXPECT_NE(combo.Glyph(), nullptr);
}

TEST(DirTreeCombo, ButtonEditRectangleAndTheDetachedTreeWindow) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  TDirTreeCombo& combo = *c.combo;
  EXPECT_EQ(combo.Width(), 219);
  EXPECT_EQ(combo.Height(), 21);
  EXPECT_EQ(combo.Btn->Left(), 198);
  EXPECT_EQ(combo.Btn->Top(), 0);
  EXPECT_EQ(combo.Btn->Width(), 17);
  EXPECT_EQ(combo.Btn->Height(), 17);

  // The text runs from beside the icon to just before the button. The edit adds its own
  // margins to what it is given, so the rectangle is measured against a plain one.
  RECT client{};
  GetClientRect(c.Edit(), &client);
  RECT text{};
  SendMessageA(c.Edit(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  RECT plain{0, 0, client.right, client.bottom + 1};
  SendMessageA(c.Edit(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&plain));
  SendMessageA(c.Edit(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&plain));
  EXPECT_EQ(text.left - plain.left, 23);
  EXPECT_EQ(text.top, plain.top);
  EXPECT_EQ(plain.right - text.right, 17 + 2);
  EXPECT_EQ(text.bottom, plain.bottom);

  // Resizing takes the button along.
  combo.SetBounds(10, 10, 250, 25);
  EXPECT_EQ(combo.Btn->Left(), 250 - 17 - 4);
  EXPECT_EQ(combo.Btn->Height(), 21);

  HWND tree = c.Tree();
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(tree, GWL_EXSTYLE)),
            static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  EXPECT_EQ(GetClassLongPtrA(tree, GCL_STYLE), static_cast<ULONG_PTR>(CS_SAVEBITS));
  EXPECT_NE(GetWindowLongPtrA(tree, GWL_STYLE) & WS_BORDER, 0);
  EXPECT_EQ(GetAncestor(tree, GA_PARENT), GetDesktopWindow());
  EXPECT_FALSE(IsWindowVisible(tree));
  EXPECT_FALSE(IsWindowEnabled(tree));
  EXPECT_NE(GetWindowLongPtrA(tree, GWL_STYLE) & TVS_HASBUTTONS, 0);
  EXPECT_EQ(GetWindowLongPtrA(tree, GWL_STYLE) & TVS_EDITLABELS, 0);
}

TEST(DirTreeCombo, OpensBelowWithRoomForTheTreeAndAboveWithout) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  const int screen = GetSystemMetrics(SM_CYSCREEN);
  const RECT form = WindowRect(c.form->Handle());

  // Exactly 240 pixels free below the control: below.
  int bottom = WindowRect(c.Edit()).bottom;
  SetWindowPos(c.form->Handle(), nullptr, form.left, form.top + (screen - 240) - bottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  RECT edit = WindowRect(c.Edit());
  ASSERT_EQ(edit.bottom, screen - 240);
  c.combo->ToggleDropDown();
  ASSERT_TRUE(c.Open());
  RECT tree = WindowRect(c.Tree());
  EXPECT_EQ(tree.left, edit.left);
  EXPECT_EQ(tree.top, edit.bottom);
  EXPECT_EQ(tree.right - tree.left, 219);
  EXPECT_EQ(tree.bottom - tree.top, 240);
  EXPECT_EQ(GetCapture(), c.Tree());
  EXPECT_EQ(GetFocus(), c.Tree());
  c.combo->ToggleDropDown();
  EXPECT_FALSE(c.Open());
  EXPECT_FALSE(IsWindowEnabled(c.Tree()));
  EXPECT_EQ(GetCapture(), nullptr);

  // 100 pixels free: above, its bottom on the control's top.
  SetWindowPos(c.form->Handle(), nullptr, form.left, form.top + (screen - 100) - bottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  edit = WindowRect(c.Edit());
  ASSERT_EQ(edit.bottom, screen - 100);
  c.combo->ToggleDropDown();
  ASSERT_TRUE(c.Open());
  tree = WindowRect(c.Tree());
  EXPECT_EQ(tree.top, edit.top - 240);
  EXPECT_EQ(tree.bottom, edit.top);
  c.combo->ToggleDropDown();

  // A taller drop-down needs more room.
  c.combo->SetTreeHeight(300);
  SetWindowPos(c.form->Handle(), nullptr, form.left, form.top + (screen - 240) - bottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  c.combo->ToggleDropDown();
  EXPECT_EQ(WindowRect(c.Tree()).bottom, WindowRect(c.Edit()).top);
  EXPECT_EQ(c.combo->TreeHeight(), 300);
  c.combo->ToggleDropDown();
  EXPECT_TRUE(c.changes.empty());
}

TEST(DirTreeCombo, MouseHoverSelectsAndAClickPicksWithTheTreeAsSender) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->SetFocus();
  // The button opens it, as a click on the edit's right end does.
  const RECT button = c.combo->Btn->BoundsRect();
  Click(c.ScreenOf(c.Edit(), POINT{(button.left + button.right) / 2, 8}));
  ASSERT_TRUE(c.Open());
  EXPECT_EQ(GetCapture(), c.Tree());

  DirTreeNode* g = c.Drive('G');
  ASSERT_NE(g, nullptr);
  MoveMouse(c.LabelCentre(g));
  EXPECT_TRUE(c.combo->Tree->MouseInside());
  EXPECT_EQ(c.Model().Selected(), g);
  EXPECT_EQ(c.TreeSelection(), g);
  EXPECT_TRUE(c.changes.empty());

  Click(c.LabelCentre(g));
  ASSERT_EQ(c.changes.size(), 1u);
  EXPECT_EQ(c.changes[0].first, c.combo->Tree);
  EXPECT_EQ(c.changes[0].second, "G:\\");
  EXPECT_EQ(c.combo->SelectedPath(), "G:\\");
  EXPECT_EQ(c.combo->Text(), g->Caption());
  EXPECT_EQ(c.combo->EditImageIndex(), g->ImageIndex());
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(GetFocus(), c.Edit());
  EXPECT_EQ(GetCapture(), nullptr);
  // G: holds a medium: no warning.
  EXPECT_TRUE(drives.scripted.shown.empty());
  EXPECT_TRUE(drives.shell.beeps.empty());
}

TEST(DirTreeCombo, ClickOnAnExpandButtonKeepsItOpenAndAClickOutsideClosesWithoutAPick) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->SetFocus();
  c.combo->ToggleDropDown();
  ASSERT_TRUE(c.Open());

  // The expand button of C: sits left of its icon.
  DirTreeNode* drive = c.Drive('C');
  RECT item{};
  c.combo->Tree->ItemRect(dirtree::TDirTreeView::ItemOf(drive), item, true);
  POINT plus{item.left - 16 - 3 - 8, (item.top + item.bottom) / 2};
  UINT flags = 0;
  c.combo->Tree->HitTest(plus, &flags);
  ASSERT_NE(flags & TVHT_ONITEMBUTTON, 0u);
  Click(c.ScreenOf(c.Tree(), plus));
  EXPECT_TRUE(c.Open());
  EXPECT_TRUE(drive->Expanded());
  ASSERT_EQ(drive->Count(), 3u);
  EXPECT_EQ(drive->Child(0)->Caption(), "Apps");
  EXPECT_EQ(drive->Child(1)->Caption(), "music");
  EXPECT_EQ(drive->Child(2)->Caption(), "Video");
  EXPECT_TRUE(drive->Child(0)->HasChildren());
  EXPECT_FALSE(drive->Child(1)->HasChildren());
  // The rows follow the model's order.
  HTREEITEM first = TreeView_GetChild(c.Tree(), dirtree::TDirTreeView::ItemOf(drive));
  EXPECT_EQ(c.combo->Tree->ItemText(first), "Apps");
  EXPECT_EQ(GetFocus(), c.Edit());
  EXPECT_TRUE(c.changes.empty());

  // Out of the drop-down and onto the form: the capture waits for the next click there.
  POINT away = c.ScreenOf(c.form->Handle(), POINT{300, 60});
  MoveMouse(c.LabelCentre(drive->Child(1)));
  MoveMouse(away);
  // The platform notices the pointer leaving on a timer of its own.
  for (int i = 0; i < 100 && c.combo->Tree->MouseInside(); ++i) Pump(50);
  EXPECT_FALSE(c.combo->Tree->MouseInside());
  EXPECT_EQ(GetCapture(), c.Tree());
  Click(away);
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(c.changes.empty());
  EXPECT_EQ(c.combo->SelectedPath(), "");
}

TEST(DirTreeCombo, F4OpensAndFocusesTheTreeThenF4AndEscapeClose) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->SetFocus();
  Pump();
  ASSERT_EQ(GetFocus(), c.Edit());
  Press(VK_F4);
  Pump();
  // The hand-over of the focus to the drop-down does not close it.
  ASSERT_TRUE(c.Open());
  EXPECT_EQ(GetFocus(), c.Tree());
  EXPECT_EQ(GetCapture(), c.Tree());

  Press(VK_F4);
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(GetFocus(), c.Edit());

  // Escape closes without a pick, though the arrows moved the selection.
  c.Model().Select(c.Root());
  Press(VK_F4);
  ASSERT_TRUE(c.Open());
  Press(VK_DOWN);
  EXPECT_EQ(c.Model().Selected(), c.Drive('C'));
  Press(VK_ESCAPE);
  EXPECT_FALSE(c.Open());
  EXPECT_FALSE(IsWindowEnabled(c.Tree()));
  EXPECT_EQ(GetFocus(), c.Edit());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(c.changes.empty());
  EXPECT_EQ(c.combo->SelectedPath(), "");
  EXPECT_TRUE(IsWindow(c.form->Handle()));
  EXPECT_TRUE(IsWindowVisible(c.form->Handle()));

  // Escape with the drop-down closed changes nothing.
  Press(VK_ESCAPE);
  EXPECT_FALSE(c.Open());
  EXPECT_TRUE(IsWindowVisible(c.form->Handle()));
}

TEST(DirTreeCombo, LosingTheFocusClosesTheDropDown) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->SetFocus();
  Press(VK_F4);
  ASSERT_TRUE(c.Open());
  c.other->SetFocus();
  Pump();
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(GetCapture(), nullptr);

  // Open again, hand the focus back to the edit by a click in the tree's empty area, then
  // leave the edit.
  c.combo->SetFocus();
  c.combo->ToggleDropDown();
  ASSERT_TRUE(c.Open());
  RECT client{};
  GetClientRect(c.Tree(), &client);
  Click(c.ScreenOf(c.Tree(), POINT{client.right - 10, client.bottom - 10}));
  ASSERT_TRUE(c.Open());
  ASSERT_EQ(GetFocus(), c.Edit());
  c.other->SetFocus();
  Pump();
  EXPECT_FALSE(c.Open());
  EXPECT_TRUE(c.changes.empty());
}

TEST(DirTreeCombo, ArrowKeysWalkTheTreeOpenOrClosedAndEnterPicksWithTheComboAsSender) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->SetFocus();
  Pump();
  // Nothing selected yet: the keys change nothing and fail nothing.
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_EQ(c.Model().Selected(), nullptr);
  EXPECT_TRUE(c.changes.empty());

  c.Model().Select(c.Root());
  Press(VK_UP);  // the first node stays
  EXPECT_EQ(c.Model().Selected(), c.Root());
  Press(VK_DOWN);  // into the expanded computer
  DirTreeNode* drive = c.Drive('C');
  EXPECT_EQ(c.Model().Selected(), drive);
  EXPECT_EQ(c.TreeSelection(), drive);
  Press(VK_RIGHT);  // lists and opens C:
  EXPECT_TRUE(drive->Expanded());
  EXPECT_TRUE(c.combo->Tree->ItemExpanded(dirtree::TDirTreeView::ItemOf(drive)));
  Press(VK_DOWN);
  DirTreeNode* apps = c.Folder(drive, "Apps");
  EXPECT_EQ(c.Model().Selected(), apps);
  Press(VK_DOWN);
  EXPECT_EQ(c.Model().Selected(), c.Folder(drive, "music"));
  Press(VK_UP);
  EXPECT_EQ(c.TreeSelection(), apps);
  Press(VK_LEFT);  // back to the drive
  EXPECT_EQ(c.Model().Selected(), drive);
  Press(VK_LEFT);  // closes C:, then stops: the computer is just above
  EXPECT_FALSE(drive->Expanded());
  EXPECT_EQ(c.Model().Selected(), drive);
  Press(VK_DOWN);
  Press(VK_DOWN);
  DirTreeNode* g = c.Drive('G');
  EXPECT_EQ(c.Model().Selected(), g);
  Press(VK_DOWN);  // the last row stays
  EXPECT_EQ(c.Model().Selected(), g);
  Press(VK_UP);
  EXPECT_EQ(c.Model().Selected(), c.Drive('E'));
  Press(VK_DOWN);
  EXPECT_FALSE(c.Open());

  // Enter with the drop-down closed picks what the arrows chose.
  Press(VK_RETURN);
  ASSERT_EQ(c.changes.size(), 1u);
  EXPECT_EQ(c.changes[0].first, c.combo);
  EXPECT_EQ(c.changes[0].second, "G:\\");
  EXPECT_EQ(c.combo->Text(), g->Caption());
  EXPECT_EQ(c.combo->EditImageIndex(), g->ImageIndex());

  // Enter from the open drop-down, on a folder: no trailing backslash, the combo reports.
  Press(VK_F4);
  ASSERT_EQ(GetFocus(), c.Tree());
  c.Model().Select(apps);
  Press(VK_RETURN);
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(GetFocus(), c.Edit());
  ASSERT_EQ(c.changes.size(), 2u);
  EXPECT_EQ(c.changes[1].first, c.combo);
  EXPECT_EQ(c.changes[1].second, "C:\\Apps");
  EXPECT_EQ(c.combo->Text(), "Apps");

  // The computer itself.
  c.Model().Select(c.Root());
  Press(VK_RETURN);
  EXPECT_EQ(c.combo->SelectedPath(), "Drives");
  EXPECT_EQ(c.combo->Text(), c.Root()->Caption());
}

TEST(DirTreeCombo, SelectedPathSetFromOutsideRaisesNothingAndIgnoresCase) {
  struct RecordingList : dirtree::TFileListView {
    std::vector<std::string> directories;
    int refills = 0;
    void SetDirectory(const std::string& directory) override { directories.push_back(directory); }
    void Refill() override { ++refills; }
  };
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  const std::string text = c.combo->Text();
  const int icon = c.combo->EditImageIndex();
  c.combo->SetSelectedPath("E:\\");
  EXPECT_EQ(c.combo->SelectedPath(), "E:\\");
  c.combo->SetSelectedPath("e:\\");
  EXPECT_EQ(c.combo->SelectedPath(), "E:\\");
  EXPECT_TRUE(c.changes.empty());
  EXPECT_EQ(c.combo->Text(), text);
  EXPECT_EQ(c.combo->EditImageIndex(), icon);
  EXPECT_EQ(c.Model().Selected(), nullptr);

  // A linked list follows the stored spelling, and refills when linked.
  RecordingList list;
  c.combo->SetFileList(&list);
  EXPECT_EQ(list.directories, std::vector<std::string>{"E:\\"});
  EXPECT_EQ(list.refills, 1);
  c.combo->SetSelectedPath("e:\\");
  EXPECT_EQ(list.directories.back(), "E:\\");
  c.combo->SetSelectedPath("G:\\MP_ROOT");
  EXPECT_EQ(list.directories.back(), "G:\\MP_ROOT");
  EXPECT_EQ(list.refills, 1);
  c.combo->SetFileList(nullptr);
  EXPECT_TRUE(c.changes.empty());
}

TEST(DirTreeCombo, ARemovableDriveWithoutAMediumWarnsAfterThePickHasTakenEffect) {
  TestDrives drives;
  const auto env = drives.Env(true);
  ComboForm c(&env);
  BoxWatcher boxes({{"Warning"}, {"Warning"}});
  c.combo->SetFocus();
  c.combo->ToggleDropDown();
  DirTreeNode* e = c.Drive('E');
  ASSERT_NE(e, nullptr);
  MoveMouse(c.LabelCentre(e));
  Click(c.LabelCentre(e));  // the warning is answered inside the click
  ASSERT_EQ(c.changes.size(), 1u);
  EXPECT_EQ(c.changes[0].first, c.combo->Tree);
  EXPECT_EQ(c.changes[0].second, "E:\\");
  EXPECT_EQ(c.combo->Text(), e->Caption());
  EXPECT_FALSE(c.Open());
  auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "There is no disk in Drive E\ror Drive E: is not ready");
  EXPECT_EQ(drives.shell.beeps, std::vector<unsigned>{0x10});

  // By Enter the edit keeps what it showed before.
  c.Model().Select(c.Root());
  Press(VK_RETURN);
  ASSERT_EQ(c.combo->Text(), c.Root()->Caption());
  c.Model().Select(e);
  Press(VK_RETURN);
  Pump();
  ASSERT_EQ(c.changes.size(), 3u);
  EXPECT_EQ(c.changes[2].first, c.combo);
  EXPECT_EQ(c.changes[2].second, "E:\\");
  EXPECT_EQ(c.combo->SelectedPath(), "E:\\");
  EXPECT_EQ(c.combo->Text(), c.Root()->Caption());
  seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, "There is no disk in Drive E\ror Drive E: is not ready");
  EXPECT_EQ(drives.shell.beeps.size(), 2u);
}

TEST(DirTreeCombo, RightButtonReleasesOnTheEditAndItsButtonAreSwallowed) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  auto record = [](ui::TControl* control, std::vector<UINT>& menus) {
    ui::TWndMethod previous = control->WindowProc;
    control->WindowProc = [previous, &menus](ui::TMessage& m) {
      if (m.Msg == WM_CONTEXTMENU) {
        menus.push_back(m.Msg);
        return;  // no real menu in a test
      }
      previous(m);
    };
    return previous;
  };
  std::vector<UINT> comboMenus;
  std::vector<UINT> otherMenus;
  const ui::TWndMethod comboProc = record(c.combo, comboMenus);
  const ui::TWndMethod otherProc = record(c.other, otherMenus);
  SendMessageA(c.Edit(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 8));
  SendMessageA(c.Edit(), WM_RBUTTONUP, 0, MAKELPARAM(40, 8));
  SendMessageA(c.Edit(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(205, 8));
  SendMessageA(c.Edit(), WM_RBUTTONUP, 0, MAKELPARAM(205, 8));
  Pump();
  EXPECT_TRUE(comboMenus.empty());
  EXPECT_EQ(c.combo->Btn->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 5)), 0);
  // An ordinary edit asks for its menu on the same release.
  SendMessageA(c.other->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  SendMessageA(c.other->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(otherMenus.size(), 1u);
  c.combo->WindowProc = comboProc;
  c.other->WindowProc = otherProc;
}

TEST(DirTreeCombo, OpenPathFollowsExistingFoldersAndReportsWithTheComboAsSender) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  const std::string text = c.combo->Text();
  c.combo->OpenPath("");
  c.combo->OpenPath("C");
  c.combo->OpenPath("C:\\Nowhere");
  c.combo->OpenPath("Q:\\");
  EXPECT_TRUE(c.changes.empty());
  EXPECT_EQ(c.combo->Text(), text);
  EXPECT_EQ(c.combo->SelectedPath(), "");

  c.combo->OpenPath("c:\\apps\\tools");
  ASSERT_EQ(c.changes.size(), 1u);
  EXPECT_EQ(c.changes[0].first, c.combo);
  EXPECT_EQ(c.changes[0].second, "c:\\apps\\tools\\");
  EXPECT_EQ(c.combo->Text(), "Tools");
  DirTreeNode* tools = c.Model().Selected();
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(tools->Caption(), "Tools");
  EXPECT_EQ(c.TreeSelection(), tools);
  EXPECT_TRUE(c.combo->Tree->ItemExpanded(dirtree::TDirTreeView::ItemOf(tools->Parent())));
}

TEST(DirTreeCombo, ReloadAndANewWindowRebuildTheTreeButKeepThePath) {
  TestDrives drives;
  const auto env = drives.Env();
  ComboForm c(&env);
  c.combo->OpenPath("C:\\Apps");
  ASSERT_EQ(c.combo->Text(), "Apps");
  const int icon = c.combo->EditImageIndex();

  c.combo->ReloadTree();
  EXPECT_EQ(c.Model().Selected(), nullptr);
  EXPECT_EQ(c.combo->Tree->Selected(), nullptr);
  EXPECT_FALSE(c.Drive('C')->Listed());
  EXPECT_EQ(c.combo->Text(), "Apps");
  EXPECT_EQ(c.combo->EditImageIndex(), icon);
  EXPECT_EQ(c.combo->SelectedPath(), "C:\\Apps\\");

  // A folder made meanwhile shows up after a rebuild.
  drives.root.MakeFolder("c\\Added");
  c.combo->RecreateWnd();
  Pump();
  EXPECT_TRUE(IsWindow(c.Edit()));
  EXPECT_EQ(c.combo->Text(), c.Root()->Caption());
  EXPECT_EQ(c.combo->EditImageIndex(), c.Root()->ImageIndex());
  EXPECT_EQ(c.combo->SelectedPath(), "C:\\Apps\\");
  EXPECT_TRUE(c.Root()->Expanded());
  EXPECT_EQ(c.Root()->Count(), 3u);
  EXPECT_EQ(GetAncestor(c.Tree(), GA_PARENT), GetDesktopWindow());
  c.combo->OpenPath("C:\\Added");
  EXPECT_EQ(c.combo->Text(), "Added");
}

TEST(DirTreeCombo, RealDrivesOpenAFolderAndPickTheDrive) {
  TempFolder temp;
  const std::string folder = temp.MakeFolder("Picked");
  ComboForm c(nullptr);
  c.combo->OpenPath(folder);
  ASSERT_EQ(c.changes.size(), 1u);
  EXPECT_EQ(c.combo->Text(), "Picked");
  DirTreeNode* node = c.Model().Selected();
  ASSERT_NE(node, nullptr);
  EXPECT_GE(node->ImageIndex(), 0);
  c.combo->SetFocus();
  Pump();
  Press(VK_RETURN);
  ASSERT_EQ(c.changes.size(), 2u);
  EXPECT_EQ(c.changes[1].first, c.combo);
  // The kernel's own spelling of the temporary folder, without the trailing backslash.
  std::string expected = folder.substr(0, folder.size() - 1);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c.changes[1].second.c_str(), -1,
                           expected.c_str(), -1),
            CSTR_EQUAL)
      << c.changes[1].second;

  // Walk up to the drive with the arrows and pick it.
  for (int i = 0; i < 500 && c.Model().Selected() != nullptr && c.Model().Selected()->Level() > 1;
       ++i) {
    Press(VK_LEFT);
  }
  ASSERT_NE(c.Model().Selected(), nullptr);
  EXPECT_EQ(c.Model().Selected()->Key(), expected.substr(0, 3));
  Press(VK_RETURN);
  EXPECT_EQ(c.combo->SelectedPath(), expected.substr(0, 3));
  EXPECT_EQ(c.combo->Text(), c.Model().Selected()->Caption());
}

TEST(DirTreeCombo, ScreenshotOfTheOpenDropDown) {
  ComboForm c(nullptr, 300);
  c.combo->OpenPath("C:\\");
  c.combo->SetFocus();
  c.combo->ToggleDropDown();
  ASSERT_TRUE(c.Open());
  MoveMouse(c.LabelCentre(c.Model().Selected()));
  RedrawWindow(c.Tree(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RedrawWindow(c.Edit(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Pump();
  const RECT tree = WindowRect(c.Tree());
  const RECT form = WindowRect(c.form->Handle());
  EXPECT_GE(tree.top, form.top);
  EXPECT_LE(tree.bottom, form.bottom);
  SaveScreenshot(c.form->Handle(), "dirtree-dropdown");
  c.combo->ToggleDropDown();
}
