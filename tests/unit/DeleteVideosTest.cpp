// Deleting videos with their companions, on real temporary folders.
#include "operations/DeleteVideos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::operations;
namespace fs = std::filesystem;

namespace {

class DeleteFolder : public ::testing::Test {
 protected:
  void SetUp() override { files.MapDrive('G', root.string()); }
  void TearDown() override {
    if (!previousCwd.empty()) fs::current_path(previousCwd);
  }
  void Make(std::initializer_list<const char*> names) {
    for (const char* name : names) std::ofstream(root / name) << name;
  }
  bool Has(const std::string& name) const { return fs::exists(root / name); }
  brevlo::testing::ScratchFolder scratch{"brevlo-delete"};
  fs::path root = scratch.Path();
  fs::path previousCwd;
  platform::StdFileSystem files;
};

}  // namespace

TEST_F(DeleteFolder, SelectedVideosGoWithTheirCompanions) {
  Make({"M4V00001.MP4", "M4V00001.THM", "M4V00002.MP4", "M4V00002.THM", "M4V00003.MP4",
        "M4V00003.THM", "M4V00004.MP4", "M4V00004.THM"});
  DeleteSelectedVideos(files, "G:\\", {"M4V00001.MP4", "M4V00002.MP4", "M4V00004.MP4"});
  for (const char* gone : {"M4V00001.MP4", "M4V00001.THM", "M4V00002.MP4", "M4V00002.THM",
                           "M4V00004.MP4", "M4V00004.THM"}) {
    EXPECT_FALSE(Has(gone)) << gone;
  }
  EXPECT_TRUE(Has("M4V00003.MP4"));
  EXPECT_TRUE(Has("M4V00003.THM"));
}

// From the PC list the files go to the desktop's trash, a second one of a name beside the first.
TEST_F(DeleteFolder, ToTheRecycleBinBothFilesCanBeTakenBack) {
  const fs::path trash = scratch.Path() / "data";
  ::setenv("XDG_DATA_HOME", trash.c_str(), 1);
  for (int round = 0; round < 2; ++round) {
    Make({"clip.mp4", "clip.THM", "other.mp4"});
    DeleteSelectedVideos(files, "G:\\", {"clip.mp4"}, DeleteKind::ToRecycleBin);
    EXPECT_FALSE(Has("clip.mp4"));
    EXPECT_FALSE(Has("clip.THM"));
    EXPECT_TRUE(Has("other.mp4"));
  }
  ::unsetenv("XDG_DATA_HOME");
  for (const char* name : {"clip.mp4", "clip.THM", "clip.mp4.2", "clip.THM.2"}) {
    EXPECT_TRUE(fs::exists(trash / "Trash/files" / name)) << name;
    EXPECT_TRUE(fs::exists(trash / "Trash/info" / (std::string(name) + ".trashinfo"))) << name;
  }
}

TEST_F(DeleteFolder, OtherFilesOfTheSameNameAreUntouched) {
  fs::create_directories(root / "Clips");
  Make({"Clips/clip.mp4", "Clips/clip.THM", "Clips/clip.jpg", "Clips/clip.mp4.THM"});
  // A folder without its trailing backslash gets one.
  DeleteSelectedVideos(files, "G:\\Clips", {"clip.mp4"});
  EXPECT_FALSE(Has("Clips/clip.mp4"));
  EXPECT_FALSE(Has("Clips/clip.THM"));
  EXPECT_TRUE(Has("Clips/clip.jpg"));
  EXPECT_TRUE(Has("Clips/clip.mp4.THM"));
}

TEST_F(DeleteFolder, MissingFilesAreSilentAndStopNothing) {
  Make({"a.mp4", "b.THM", "c.mp4", "c.THM"});
  // a has no companion, b no video, d nothing at all; c after them still goes.
  DeleteSelectedVideos(files, "G:\\", {"a.mp4", "b.mp4", "d.mp4", "", "c.mp4"});
  EXPECT_TRUE(fs::is_empty(root));
}

TEST_F(DeleteFolder, NothingSelectedDeletesNothing) {
  Make({"a.mp4", "a.THM"});
  DeleteSelectedVideos(files, "G:\\", {});
  EXPECT_TRUE(Has("a.mp4"));
  EXPECT_TRUE(Has("a.THM"));
}

TEST_F(DeleteFolder, WithoutAFolderNothingIsResolvedAgainstTheCurrentOne) {
  previousCwd = fs::current_path();
  fs::current_path(root);
  fs::create_directories(root / "MP_ROOT" / "100MNV01");
  Make({"clip.mp4", "clip.THM", "MP_ROOT/100MNV01/M4V00001.MP4"});
  DeleteSelectedVideos(files, "", {"clip.mp4"});
  DeleteSelectedVideos(files, ".\\", {"clip.mp4"});
  DeleteSelectedVideos(files, "G:", {"clip.mp4"});                       // drive-relative
  DeleteSelectedVideos(files, "MP_ROOT\\100MNV01\\", {"M4V00001.MP4"});  // no PSP drive
  EXPECT_TRUE(Has("clip.mp4"));
  EXPECT_TRUE(Has("clip.THM"));
  EXPECT_TRUE(Has("MP_ROOT/100MNV01/M4V00001.MP4"));
}

// The bin only where the system keeps one: on any other drive the question says so and the
// files are deleted for good, never sent where the system would destroy them without a word.
TEST(DeleteQuestion, TheRecycleBinOnlyOnAFixedDrive) {
  platform::TableDrives drives;
  drives.drives = {{'C', platform::DriveType::Fixed, ""},
                   {'E', platform::DriveType::Removable, ""},
                   {'N', platform::DriveType::Remote, ""},
                   {'R', platform::DriveType::RamDisk, ""}};
  const struct {
    const char* folder;
    bool recycle;
  } cases[] = {{"C:\\Videos\\", true},         {"c:\\", true},  {"E:\\Clips\\", false},
               {"N:\\Share\\", false},         {"R:\\", false}, {"Q:\\", false},
               {"\\\\server\\share\\", false}, {"C:", false},   {"", false}};
  for (const auto& c : cases) EXPECT_EQ(RecycleBinTakes(drives, c.folder), c.recycle) << c.folder;
  EXPECT_EQ(DeleteQuestion(1, false, true),
            "Move the selected video and its thumbnail to the Recycle Bin?");
  EXPECT_EQ(DeleteQuestion(3, false, false),
            "Delete the 3 selected videos and their thumbnails? They cannot be restored.");
  EXPECT_EQ(DeleteQuestion(1, true, false),
            "Delete the selected video and its thumbnail from the PSP? It cannot be restored.");
}

// A file the bin did not take stays, its thumbnail with it, and its row is named.
TEST_F(DeleteFolder, AFailedRecycleIsNamedAndKeepsItsFiles) {
  struct NoBinFor : platform::StdFileSystem {
    bool Recycle(const std::string& path) override {
      return path.find("big") == std::string::npos && Delete(path);
    }
  } bin;
  bin.MapDrive('G', root.string());
  Make({"big.mp4", "big.THM", "small.mp4", "small.THM"});
  const auto failed =
      DeleteSelectedVideos(bin, "G:\\", {"big.mp4", "small.mp4"}, DeleteKind::ToRecycleBin);
  EXPECT_EQ(failed, std::vector<std::string>{"big.mp4"});
  EXPECT_TRUE(Has("big.mp4") && Has("big.THM"));
  EXPECT_FALSE(Has("small.mp4") || Has("small.THM"));
  EXPECT_EQ(NotDeletedText(failed, DeleteKind::ToRecycleBin),
            "These videos could not be moved to the Recycle Bin, so they were not deleted:\r\n"
            "big.mp4");
}
