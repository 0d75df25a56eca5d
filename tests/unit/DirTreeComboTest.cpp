#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "DirTreeTest.h"

namespace brevlo::dirtree::testing {
namespace {

TEST_F(DirTreeFixture, PickGivesDrivesARootWithBackslashAndAFolderWithout) {
  Build();
  model->Select(model->FirstNode());
  auto pick = model->PickNode();
  ASSERT_TRUE(pick.has_value());
  EXPECT_EQ(pick->path, "Drives");
  EXPECT_EQ(model->SelectedPath(), "Drives");

  model->Select(Drive('C'));
  EXPECT_EQ(model->PickNode()->path, "C:\\");
  EXPECT_FALSE(model->PickNode()->removableDrive);

  model->SelectPathNode("C:\\Windows\\");
  pick = model->PickNode();
  EXPECT_EQ(pick->path, "C:\\Windows");
  EXPECT_EQ(pick->node->Caption(), "Windows");
  EXPECT_EQ(model->SelectedPath(), "C:\\Windows");

  model->Select(Drive('A'));
  EXPECT_TRUE(model->PickNode()->removableDrive);
}

TEST_F(DirTreeFixture, PickWithoutASelectedNodeChangesNothing) {
  Build();
  model->SetSelectedPath("E:\\");
  EXPECT_FALSE(model->PickNode().has_value());
  EXPECT_EQ(model->SelectedPath(), "E:\\");
}

TEST_F(DirTreeFixture, SelectedPathKeepsTheStoredSpellingWhenOnlyCaseDiffers) {
  Build();
  EXPECT_EQ(model->SelectedPath(), "");
  EXPECT_TRUE(model->SetSelectedPath("E:\\"));
  EXPECT_FALSE(model->SetSelectedPath("e:\\"));
  EXPECT_EQ(model->SelectedPath(), "E:\\");
  EXPECT_EQ(model->Selected(), nullptr);  // setting the path moves no selection
}

TEST_F(DirTreeFixture, OpenPathFollowsOnlyExistingFoldersItCanFind) {
  Build();
  model->SetSelectedPath("D:\\");
  EXPECT_EQ(model->OpenPath(""), nullptr);
  EXPECT_EQ(model->OpenPath("C"), nullptr);
  EXPECT_EQ(model->OpenPath("C:\\Nowhere"), nullptr);
  EXPECT_EQ(model->SelectedPath(), "D:\\");
  EXPECT_EQ(model->Selected(), nullptr);

  // The host's folders tell case apart, so the existence test needs the stored spelling.
  DirTreeNode* fonts = model->OpenPath("C:\\Windows\\Fonts");
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts->Caption(), "Fonts");
  EXPECT_EQ(model->Selected(), fonts);
  EXPECT_EQ(model->SelectedPath(), "C:\\Windows\\Fonts\\");
  model->SetSelectedPath("D:\\");
  EXPECT_EQ(model->OpenPath("C:\\Windows\\"), fonts->Parent());
  EXPECT_EQ(model->SelectedPath(), "C:\\Windows\\");
}

TEST_F(DirTreeFixture, ExpandRootShowsTheDrivesWithoutSearchingThem) {
  Build();
  EXPECT_FALSE(model->FirstNode()->Expanded());
  model->SetExpandRoot(true);
  EXPECT_TRUE(model->ExpandRoot());
  EXPECT_TRUE(model->FirstNode()->Expanded());
  EXPECT_TRUE(files.listings.empty());
  model->SetExpandRoot(false);
  EXPECT_TRUE(model->FirstNode()->Expanded());
}

TEST_F(DirTreeFixture, ArrowKeysWithoutASelectedNodeChangeNothing) {
  Build();
  model->SetExpandRoot(true);
  for (int key : {KeyLeft, KeyUp, KeyRight, KeyDown}) {
    EXPECT_FALSE(model->HandleArrowKey(key));
    EXPECT_EQ(model->Selected(), nullptr);
  }
  EXPECT_TRUE(files.listings.empty());
  EXPECT_FALSE(model->HandleArrowKey(13));
}

TEST_F(DirTreeFixture, UpAndDownWalkTheVisibleRowsAndStopAtTheEnds) {
  Build();
  model->SetExpandRoot(true);
  DirTreeNode* computer = model->FirstNode();
  model->Select(computer);
  EXPECT_TRUE(model->HandleArrowKey(KeyUp));
  EXPECT_EQ(model->Selected(), computer);

  EXPECT_FALSE(model->HandleArrowKey(KeyDown));
  EXPECT_EQ(model->Selected(), Drive('A'));
  EXPECT_FALSE(model->HandleArrowKey(KeyDown));
  EXPECT_EQ(model->Selected(), Drive('C'));
  EXPECT_FALSE(model->HandleArrowKey(KeyRight));  // opens C: and lists it
  EXPECT_TRUE(Drive('C')->Expanded());
  EXPECT_FALSE(model->HandleArrowKey(KeyDown));
  EXPECT_EQ(model->Selected(), ChildNamed(Drive('C'), "Alpha"));
  EXPECT_FALSE(model->HandleArrowKey(KeyUp));
  EXPECT_EQ(model->Selected(), Drive('C'));

  model->Select(ChildNamed(Drive('C'), "with.dot"));
  EXPECT_FALSE(model->HandleArrowKey(KeyDown));
  EXPECT_EQ(model->Selected(), Drive('D'));
  EXPECT_TRUE(model->HandleArrowKey(KeyDown));  // last row
  EXPECT_EQ(model->Selected(), Drive('D'));

  // A closed node whose children were listed steps over them.
  model->Collapse(*Drive('C'), false);
  model->Select(Drive('C'));
  model->HandleArrowKey(KeyDown);
  EXPECT_EQ(model->Selected(), Drive('D'));
}

TEST_F(DirTreeFixture, LeftClosesTheSelectedNodeAndStopsNextToTheComputer) {
  Build();
  DirTreeNode* windows = model->SelectPathNode("C:\\Windows\\");
  ASSERT_NE(windows, nullptr);
  DirTreeNode* system32 = ChildNamed(windows, "System32");
  model->Expand(*system32);
  ASSERT_TRUE(system32->Expanded());

  EXPECT_FALSE(model->HandleArrowKey(KeyLeft));
  EXPECT_FALSE(windows->Expanded());
  EXPECT_FALSE(system32->Expanded());  // everything below is closed too
  EXPECT_EQ(model->Selected(), ChildNamed(Drive('C'), "Users"));

  // The first drive's previous row is the computer: Left stops there.
  model->Select(Drive('A'));
  EXPECT_TRUE(model->HandleArrowKey(KeyLeft));
  EXPECT_EQ(model->Selected(), Drive('A'));
  model->Select(model->FirstNode());
  EXPECT_TRUE(model->HandleArrowKey(KeyLeft));
  EXPECT_FALSE(model->FirstNode()->Expanded());
  EXPECT_EQ(model->Selected(), model->FirstNode());
}

TEST_F(DirTreeFixture, DriveReadinessWarnsOnlyWhenAskedAndNamesTheDriveInUpperCase) {
  AddDrive('E', platform::DriveType::Removable, "e", false);
  Build();
  EXPECT_FALSE(model->IsDriveReady('e', true));
  EXPECT_EQ(shell.beeps, std::vector<unsigned>{0x10u});
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "There is no disk in Drive E\ror Drive E: is not ready");
  EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | WarningIcon);

  EXPECT_FALSE(model->IsDriveReady('E', false));
  EXPECT_TRUE(model->IsDriveReady('c', true));
  EXPECT_EQ(shell.beeps.size(), 1u);
  EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(DirTreeFixture, AnInvalidDriveIdIsReportedAndStillTested) {
  EXPECT_FALSE(IsDriveReady('1', true, drives, dialogs, shell));
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, "Not a valid Drive ID");
  EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | platform::MbIconError);
  EXPECT_EQ(dialogs.shown[1].text, "There is no disk in Drive 1\ror Drive 1: is not ready");
}

// Builds its own copy of the tree from the notifications alone, as a tree-view window would.
class MirrorView : public IDirTreeView {
 public:
  struct Item {
    std::string caption;
    bool button = false;
    bool open = false;
    std::vector<Item*> kids;
  };

  void BeginUpdate() override { ++depth; }
  void EndUpdate() override {
    --depth;
    EXPECT_GE(depth, 0);
  }
  void Cleared() override {
    items.clear();
    top.clear();
    selected = nullptr;
  }
  void NodeAdded(DirTreeNode& node) override {
    Item& item = items[&node];
    item.caption = node.Caption();
    item.button = node.HasChildren();
    node.handle = &item;
    Kids(node.Parent()).push_back(&item);
  }
  void NodeChanged(DirTreeNode& node) override { Of(node).button = node.HasChildren(); }
  void ChildrenSorted(DirTreeNode* parent) override {
    auto& kids = Kids(parent);
    const std::size_t count = parent != nullptr ? parent->Count() : kids.size();
    ASSERT_EQ(kids.size(), count);
    for (std::size_t i = 0; parent != nullptr && i < count; ++i) {
      kids[i] = &Of(*parent->Child(i));
    }
  }
  void NodeExpanded(DirTreeNode& node) override { Of(node).open = true; }
  void NodeCollapsed(DirTreeNode& node) override { Of(node).open = false; }
  void SelectionChanged(DirTreeNode* node) override {
    selected = node != nullptr ? &Of(*node) : nullptr;
  }

  static Item& Of(const DirTreeNode& node) { return *static_cast<Item*>(node.handle); }
  std::vector<Item*>& Kids(DirTreeNode* parent) { return parent ? Of(*parent).kids : top; }

  std::map<DirTreeNode*, Item> items;
  std::vector<Item*> top;
  Item* selected = nullptr;
  int depth = 0;
};

void ExpectMirrored(const DirTreeNode& node, const MirrorView::Item& item) {
  EXPECT_EQ(item.caption, node.Caption());
  EXPECT_EQ(item.button, node.HasChildren()) << node.Caption();
  EXPECT_EQ(item.open, node.Expanded()) << node.Caption();
  ASSERT_EQ(item.kids.size(), node.Count()) << node.Caption();
  for (std::size_t i = 0; i < node.Count(); ++i) ExpectMirrored(*node.Child(i), *item.kids[i]);
}

TEST_F(DirTreeFixture, AViewMirrorsEveryChangeThroughTheNotifications) {
  MirrorView view;
  model = std::make_unique<DirTreeModel>(env);
  model->SetView(&view);
  model->BuildDriveTree();
  model->SetExpandRoot(true);
  model->SelectPathNode("c:\\windows\\system32\\");
  model->Expand(*Drive('A'));  // cannot be searched: loses its button
  model->OpenPath("C:\\Users");
  model->HandleArrowKey(KeyLeft);

  EXPECT_EQ(view.depth, 0);
  ASSERT_EQ(view.top.size(), 1u);
  ExpectMirrored(*model->FirstNode(), *view.top[0]);
  EXPECT_EQ(view.selected, &MirrorView::Of(*model->Selected()));

  model->ReloadTree();
  EXPECT_EQ(view.depth, 0);
  ASSERT_EQ(view.top.size(), 1u);
  ExpectMirrored(*model->FirstNode(), *view.top[0]);
  EXPECT_EQ(view.selected, nullptr);
}

TEST_F(DirTreeFixture, TheViewsOwnExpandingAndCollapsingAreFollowedWithoutEcho) {
  MirrorView view;
  model = std::make_unique<DirTreeModel>(env);
  model->SetView(&view);
  model->BuildDriveTree();
  DirTreeNode* c = Drive('C');
  model->OnViewExpanding(*c);
  EXPECT_EQ(MirrorView::Of(*c).kids.size(), 7u);  // listed nodes reach the view
  model->OnViewExpanded(*c);
  EXPECT_TRUE(c->Expanded());
  EXPECT_FALSE(MirrorView::Of(*c).open);  // the view opened it itself

  DirTreeNode* fonts = model->SelectPathNode("C:\\Windows\\Fonts\\");
  ASSERT_NE(fonts, nullptr);
  view.selected = nullptr;
  model->OnViewCollapsed(*c);
  EXPECT_FALSE(c->Expanded());
  EXPECT_EQ(model->Selected(), c);  // as the view itself moves it
  EXPECT_EQ(view.selected, nullptr);
  model->OnViewSelected(Drive('D'));
  EXPECT_EQ(model->Selected(), Drive('D'));
  EXPECT_EQ(view.selected, nullptr);
}

}  // namespace
}  // namespace brevlo::dirtree::testing
