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
