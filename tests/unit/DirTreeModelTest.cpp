#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DirTreeTest.h"

namespace brevlo::dirtree::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(DirTreeCaptions, DriveCaptionKeepsTheNameBeforeItsFirstParenthesis) {
  EXPECT_EQ(DriveCaption('C', "Local Disk (C:)"), " (C:)  Local Disk ");
  EXPECT_EQ(DriveCaption('E', "Disk (1) (E:)"), " (E:)  Disk ");
  // Without "(" the display name is dropped altogether.
  EXPECT_EQ(DriveCaption('C', "Backup"), " (C:)  ");
  EXPECT_EQ(DriveCaption('C', ""), " (C:)  ");
  EXPECT_EQ(DriveCaption('G', "(G:)").substr(2, 2), "G:");
}

TEST(DirTreeEntries, OnlyRealFoldersAreSubfolderEntries) {
  EXPECT_TRUE(IsSubfolderEntry({"Windows", platform::AttrDirectory, 0}));
  EXPECT_TRUE(IsSubfolderEntry(
      {"$Recycle", platform::AttrDirectory | platform::AttrHidden | platform::AttrSystem, 0}));
  EXPECT_FALSE(IsSubfolderEntry({".", platform::AttrDirectory, 0}));
  EXPECT_FALSE(IsSubfolderEntry({"..", platform::AttrDirectory, 0}));
  EXPECT_FALSE(IsSubfolderEntry({"win.ini", platform::AttrHidden, 0}));
}

TEST_F(DirTreeFixture, BuildGivesTheComputerWithItsDrivesInLetterOrderUnlisted) {
  shell.driveNames['D'] = "Audio CD";
  Build();
  ASSERT_EQ(model->TopCount(), 1u);
  DirTreeNode* computer = model->FirstNode();
  EXPECT_TRUE(computer->IsComputer());
  EXPECT_EQ(computer->Caption(), "Computer");
  EXPECT_EQ(computer->ImageIndex(), platform::IconComputer);
  EXPECT_EQ(computer->SelectedImageIndex(), platform::IconComputer);
  EXPECT_EQ(Captions(computer),
            (Strings{" (A:)  Removable Disk ", " (C:)  Local Disk ", " (D:)  "}));
  for (std::size_t i = 0; i < computer->Count(); ++i) {
    const DirTreeNode* drive = computer->Child(i);
    EXPECT_EQ(drive->Level(), 1);
    EXPECT_TRUE(drive->HasChildren());
    EXPECT_FALSE(drive->Listed());
    EXPECT_EQ(drive->Count(), 0u);
  }
  EXPECT_EQ(Drive('C')->ImageIndex(),
            platform::IconDriveBase + static_cast<int>(platform::DriveType::Fixed));
  // Building searches no drive.
  EXPECT_TRUE(files.listings.empty());
  EXPECT_EQ(model->Selected(), nullptr);
}

TEST_F(DirTreeFixture, EveryBuildReadsTheDriveMaskAgain) {
  Build();
  model->SelectPathNode("C:\\Windows\\");
  model->SetSelectedPath("C:\\Windows");
  AddDrive('E', platform::DriveType::Removable, "e", false);
  model->ReloadTree();
  EXPECT_EQ(model->ComputerNode()->Count(), 4u);
  EXPECT_EQ(model->Selected(), nullptr);
  EXPECT_FALSE(Drive('C')->Listed());
  EXPECT_EQ(model->SelectedPath(), "C:\\Windows");
}

TEST_F(DirTreeFixture, PathsOfTheComputerADriveAndAFolder) {
  Build();
  EXPECT_EQ(model->PathOfNode(model->FirstNode()), "");
  EXPECT_EQ(model->PathOfNode(Drive('C')), "C:\\");
  model->Expand(*Drive('C'));
  DirTreeNode* windows = ChildNamed(Drive('C'), "Windows");
  ASSERT_NE(windows, nullptr);
  model->Expand(*windows);
  DirTreeNode* system32 = ChildNamed(windows, "System32");
  ASSERT_NE(system32, nullptr);
  EXPECT_EQ(system32->Level(), 3);
  EXPECT_EQ(model->PathOfNode(system32), "C:\\Windows\\System32");
  EXPECT_EQ(model->NodePath(), "C:\\Windows\\System32");
  EXPECT_EQ(model->PathOfNode(nullptr), "");
  EXPECT_EQ(model->NodePath(), "");
}

TEST_F(DirTreeFixture, ListingKeepsFoldersOnlySortedByCaptionAndMarksTheirSubfolders) {
  Build();
  DirTreeNode* c = Drive('C');
  model->Expand(*c);
  EXPECT_TRUE(c->Expanded());
  EXPECT_EQ(Captions(c),
            (Strings{"Alpha", "beta", "Empty", "gamma", "Users", "Windows", "with.dot"}));
  for (std::size_t i = 0; i < c->Count(); ++i) EXPECT_EQ(c->Child(i)->Index(), i);
  EXPECT_TRUE(ChildNamed(c, "Windows")->HasChildren());
  EXPECT_FALSE(ChildNamed(c, "Empty")->HasChildren());  // a file alone opens nothing
  EXPECT_FALSE(ChildNamed(c, "Alpha")->HasChildren());
  EXPECT_EQ(ChildNamed(c, "Windows")->ImageIndex(), platform::IconFolder);
  EXPECT_EQ(ChildNamed(c, "Windows")->SelectedImageIndex(), platform::IconFolderOpen);
  // Children are only searched for subfolders, not listed themselves, until they open.
  EXPECT_FALSE(ChildNamed(c, "Windows")->Listed());
  EXPECT_EQ(ChildNamed(c, "Windows")->Count(), 0u);
}

TEST_F(DirTreeFixture, HiddenSubfoldersCountAndAreListed) {
  Build();
  model->Expand(*Drive('C'));
  DirTreeNode* users = ChildNamed(Drive('C'), "Users");
  ASSERT_NE(users, nullptr);
  EXPECT_TRUE(users->HasChildren());
  model->Expand(*users);
  EXPECT_EQ(Captions(users), Strings{".config"});
}

TEST_F(DirTreeFixture, DotEntriesOfTheSearchNeverBecomeNodes) {
  files.kernelStyle = true;
  Build();
  DirTreeNode* c = Drive('C');
  model->Expand(*c);
  EXPECT_EQ(c->Count(), 7u);
  EXPECT_EQ(ChildNamed(c, "."), nullptr);
  EXPECT_EQ(ChildNamed(c, ".."), nullptr);
  // With "." and ".." in every search, folders without subfolders still show no button.
  EXPECT_FALSE(ChildNamed(c, "Empty")->HasChildren());
  EXPECT_FALSE(ChildNamed(c, "Alpha")->HasChildren());
  EXPECT_FALSE(HasSubfolder("C:\\Empty", files));
  EXPECT_TRUE(HasSubfolder("C:\\Windows", files));
}

TEST_F(DirTreeFixture, HasSubfolderStopsReadingAtTheFirstSubfolder) {
  for (int i = 0; i < 40; ++i) disk.Folder("c/Many/sub" + std::to_string(i));
  for (int i = 0; i < 40; ++i) disk.File("c/Flat/clip" + std::to_string(i) + ".mp4");
  struct Case {
    bool kernelStyle;
    const char* path;
    bool has;
    int entriesRead;
  };
  for (const Case& c : {Case{false, "C:\\Many", true, 1}, Case{true, "C:\\Many", true, 3},
                        Case{false, "C:\\Flat", false, 40}, Case{true, "C:\\Flat", false, 42}}) {
    files.kernelStyle = c.kernelStyle;
    files.entriesRead.clear();
    EXPECT_EQ(HasSubfolder(c.path, files), c.has) << c.path << " kernel " << c.kernelStyle;
    int read = 0;
    for (const auto& [folder, n] : files.entriesRead) read += n;
    EXPECT_EQ(read, c.entriesRead) << c.path << " kernel " << c.kernelStyle;
  }
}

TEST_F(DirTreeFixture, AFolderThatCannotBeSearchedLosesItsExpandButton) {
  Build();
  DirTreeNode* a = Drive('A');
  model->Expand(*a);
  EXPECT_EQ(a->Count(), 0u);
  EXPECT_FALSE(a->HasChildren());
  EXPECT_FALSE(a->Expanded());
  EXPECT_FALSE(HasSubfolder("Q:\\nowhere", files));
}

TEST_F(DirTreeFixture, AFolderIsListedOnceUntilTheTreeIsRebuilt) {
  Build();
  DirTreeNode* c = Drive('C');
  model->Expand(*c);
  model->Collapse(*c, false);
  disk.Folder("c/Zeta");
  model->Expand(*c);
  model->ListSubfolders(*c);
  EXPECT_EQ(files.listings["C:\\"], 1);
  EXPECT_EQ(ChildNamed(c, "Zeta"), nullptr);
  EXPECT_EQ(c->Count(), 7u);

  // An empty folder is not searched again either, though it has no child to tell.
  DirTreeNode* alpha = ChildNamed(c, "Alpha");
  model->Expand(*alpha);
  const int searches = files.listings["C:\\Alpha\\"];
  disk.Folder("c/Alpha/late");
  model->Expand(*alpha);
  EXPECT_EQ(files.listings["C:\\Alpha\\"], searches);
  EXPECT_EQ(alpha->Count(), 0u);

  model->ReloadTree();
  model->Expand(*Drive('C'));
  EXPECT_NE(ChildNamed(Drive('C'), "Zeta"), nullptr);
}

TEST_F(DirTreeFixture, SelectPathNodeIgnoresCaseAndLeavesTheWayExpanded) {
  Build();
  DirTreeNode* windows = model->SelectPathNode("c:\\windows\\");
  ASSERT_NE(windows, nullptr);
  EXPECT_EQ(windows->Caption(), "Windows");
  EXPECT_EQ(model->Selected(), windows);
  EXPECT_TRUE(Drive('C')->Expanded());
  EXPECT_TRUE(windows->Expanded());
  EXPECT_TRUE(model->FirstNode()->Expanded());
  EXPECT_EQ(Captions(windows), (Strings{"Fonts", "System32"}));
  EXPECT_EQ(model->SelectPathNode("C:\\"), Drive('C'));
}

TEST_F(DirTreeFixture, SelectPathNodeCollapsesFirstAndStopsAtTheFirstUnknownComponent) {
  Build();
  DirTreeNode* system32 = model->SelectPathNode("C:\\Windows\\System32\\");
  ASSERT_NE(system32, nullptr);
  DirTreeNode* windows = system32->Parent();

  EXPECT_EQ(model->SelectPathNode("C:\\Users\\nobody\\"), nullptr);
  DirTreeNode* users = ChildNamed(Drive('C'), "Users");
  EXPECT_EQ(model->Selected(), users);
  EXPECT_TRUE(users->Expanded());
  // The earlier way was collapsed, its nodes kept.
  EXPECT_FALSE(windows->Expanded());
  EXPECT_FALSE(system32->Expanded());
  EXPECT_EQ(windows->Count(), 2u);

  EXPECT_EQ(model->SelectPathNode("Q:\\"), nullptr);
  EXPECT_EQ(model->Selected(), model->FirstNode());  // the collapse moved it up, as a view does
  EXPECT_EQ(model->SelectPathNode("Windows\\"), nullptr);  // no drive component
}

TEST_F(DirTreeFixture, WithoutTheComputerFolderTheDrivesStandAtTheTopAndStillMap) {
  shell.computerAvailable = false;
  Build();
  ASSERT_EQ(model->TopCount(), 3u);
  EXPECT_EQ(model->ComputerNode(), nullptr);
  DirTreeNode* c = model->Top(1);
  EXPECT_EQ(c->Level(), 0);
  EXPECT_EQ(model->PathOfNode(c), "C:\\");
  DirTreeNode* fonts = model->SelectPathNode("c:\\windows\\fonts\\");
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(model->PathOfNode(fonts), "C:\\Windows\\Fonts");
  model->Select(c);
  EXPECT_EQ(model->PickNode()->path, "C:\\");
}

TEST_F(DirTreeFixture, AnEmptyTreeTakesEveryOperationQuietly) {
  drives.drives.clear();
  shell.computerAvailable = false;
  Build();
  EXPECT_EQ(model->TopCount(), 0u);
  EXPECT_EQ(model->FirstNode(), nullptr);
  model->SetExpandRoot(true);
  EXPECT_EQ(model->SelectPathNode("C:\\"), nullptr);
  EXPECT_EQ(model->OpenPath((disk.Path() / "c").string()), nullptr);
  EXPECT_FALSE(model->PickNode().has_value());
  for (int key : {KeyLeft, KeyUp, KeyRight, KeyDown}) EXPECT_FALSE(model->HandleArrowKey(key));
  model->ReloadTree();
  EXPECT_EQ(model->SelectedPath(), "");
}

}  // namespace
}  // namespace brevlo::dirtree::testing
