// What "Play" and "Open the directory" hand to the shell.
#include "operations/VideoPaths.h"

#include <gtest/gtest.h>

#include "platform/portable/PortablePlatform.h"

using namespace brevlo;
using namespace brevlo::operations;

TEST(VideoPaths, RootedFolders) {
  for (const char* yes : {"C:\\", "g:\\MP_ROOT\\100MNV01\\", "D:/Clips", "\\\\server\\share\\"}) {
    EXPECT_TRUE(IsRootedFolder(yes)) << yes;
  }
  for (const char* no : {"", "C:", "C:Clips", "\\Clips", "Clips\\", ".\\", "\\\\\\x", "1:\\"}) {
    EXPECT_FALSE(IsRootedFolder(no)) << no;
  }
}

TEST(VideoPaths, PlayOpensTheFirstSelectedVideo) {
  platform::RecordingShell shell;
  EXPECT_TRUE(
      PlaySelectedVideo(shell, "G:\\MP_ROOT\\101ANV01\\", {"MAQ00002.MP4", "MAQ00005.MP4"}));
  EXPECT_TRUE(PlaySelectedVideo(shell, "D:\\Clips", {"holiday.mp4"}));
  const std::vector<std::string> want = {"G:\\MP_ROOT\\101ANV01\\MAQ00002.MP4",
                                         "D:\\Clips\\holiday.mp4"};
  EXPECT_EQ(shell.opened, want);
}

TEST(VideoPaths, PlayWithoutSelectionOrFolderOpensNothing) {
  platform::RecordingShell shell;
  EXPECT_FALSE(PlaySelectedVideo(shell, "D:\\Clips\\", {}));
  EXPECT_FALSE(PlaySelectedVideo(shell, "", {"clip.mp4"}));
  EXPECT_FALSE(PlaySelectedVideo(shell, "MP_ROOT\\100MNV01\\", {"M4V00001.MP4"}));
  EXPECT_FALSE(PlaySelectedVideo(shell, "D:\\Clips\\", {""}));
  EXPECT_TRUE(shell.opened.empty());
}

TEST(VideoPaths, OpenTheDirectoryHandsOverTheFolderAsGiven) {
  platform::RecordingShell shell;
  EXPECT_TRUE(OpenFolderOf(shell, "D:\\Clips"));
  EXPECT_TRUE(OpenFolderOf(shell, "G:\\MP_ROOT\\101ANV01\\"));
  EXPECT_FALSE(OpenFolderOf(shell, ""));
  EXPECT_FALSE(OpenFolderOf(shell, "MP_ROOT\\101ANV01\\"));
  const std::vector<std::string> want = {"D:\\Clips", "G:\\MP_ROOT\\101ANV01\\"};
  EXPECT_EQ(shell.opened, want);
}
