// The Windows file adapter on what may lose a file: one file under two names, a copy onto a
// file that exists, a read-only source, the Recycle Bin.
#include <windows.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "platform/win32/Win32Platform.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

TEST(FileAdapter, SameFileSeesThroughSpellingsAndASecondDriveLetter) {
  TempFolder folder;
  const std::string videos = folder.MakeFolder("Videos");
  ASSERT_TRUE(WriteText(videos + "\\clip.mp4", "clip"));
  ASSERT_TRUE(WriteText(videos + "\\other.mp4", "other"));
  // Two letters for one folder, as a stick reached through a substituted drive.
  SimulatedDrive first('E', folder.Path(), false);
  SimulatedDrive second('F', folder.Path(), false);
  ASSERT_TRUE(first.Plugged() && second.Plugged());
  platform::Win32FileSystem files;
  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {videos + "\\clip.mp4", videos + "/clip.mp4", true},
      {videos + "\\clip.mp4", folder.Path() + ".\\VIDEOS\\..\\Videos\\CLIP.MP4", true},
      {"E:\\Videos\\clip.mp4", "F:\\Videos\\clip.mp4", true},
      {"E:\\Videos\\", "f:/videos", true},
      {videos, "F:\\Videos\\", true},
      {videos + "\\clip.mp4", videos + "\\other.mp4", false},
      {"E:\\Videos", "E:\\", false},
      {videos + "\\clip.mp4", videos + "\\missing.mp4", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(files.SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
  }
}

TEST(FileAdapter, CopiesNeverEmptyAFileThatExistsAndAttributesWaitForTheName) {
  TempFolder folder;
  platform::Win32FileSystem files;
  const std::string source = folder / "source.mp4", existing = folder / "existing.mp4";
  ASSERT_TRUE(WriteText(source, "new video"));
  ASSERT_TRUE(WriteText(existing, "old video"));
  const auto go = [](std::uint64_t, std::uint64_t) { return true; };
  for (const std::string& to : {existing, source, folder.Path() + ".\\source.mp4"}) {
    EXPECT_FALSE(files.Copy(source, to)) << to;
    EXPECT_EQ(files.CopyInSteps(source, to, go), platform::CopyResult::Failed) << to;
  }
  EXPECT_EQ(ReadText(existing), "old video");
  EXPECT_EQ(ReadText(source), "new video");

  // A read-only source: the copy under its temporary name stays removable until it has its own.
  ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string temp = folder / "arrived.mp4.part";
  ASSERT_EQ(files.CopyInSteps(source, temp, go), platform::CopyResult::Done);
  EXPECT_EQ(GetFileAttributesA(temp.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(files.Replace(temp, existing));
  EXPECT_EQ(ReadText(existing), "new video");
  EXPECT_FALSE(Exists(temp));
  files.CopyAttributes(source, existing);
  EXPECT_NE(GetFileAttributesA(existing.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(existing.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Under Wine the bin is the desktop's trash folder of the Unix user.
TEST(FileAdapter, RecycledFilesLeaveTheFolderForTheTrash) {
  TempFolder folder;
  platform::Win32FileSystem files;
  char name[64];
  wsprintfA(name, "brevlo-recycled-%lu.mp4", GetTickCount());
  const std::string video = folder / name;
  ASSERT_TRUE(WriteText(video, "recycled"));
  ASSERT_TRUE(files.Recycle(video));
  EXPECT_FALSE(Exists(video));

  char data[MAX_PATH] = {}, home[MAX_PATH] = {};
  std::string trash;
  if (GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH) > 0) {
    trash = std::string("Z:") + data + "/Trash/files/";
  } else {
    // Wine hands the Unix home to Windows programs as "\\??\\Z:\\home\\name".
    ASSERT_GT(GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH), 4u);
    trash = std::string(home + 4) + "\\.local\\share\\Trash\\files\\";
  }
  EXPECT_EQ(ReadText(trash + name), "recycled") << trash;
  DeleteFileA((trash + name).c_str());
}

}  // namespace
