// The Windows file adapter on what may lose a file: one file under two names, a copy onto a
// file that exists, a read-only source, the Recycle Bin (under Wine, the desktop's trash).
#include <windows.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "platform/win32/Win32Platform.h"

using namespace brevlo;
using namespace brevlo::testing;

TEST(FileAdapter, SameFileSeesThroughSpellingsAndASecondDriveLetter) {
  TempFolder folder;
  const std::string videos = folder.MakeFolder("Videos");
  ASSERT_TRUE(WriteText(videos + "\\clip.mp4", "clip") && WriteText(videos + "\\b.mp4", "b"));
  SimulatedDrive first('E', folder.Path(), false), second('F', folder.Path(), false);
  ASSERT_TRUE(first.Plugged() && second.Plugged());
  platform::Win32FileSystem files;
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {
      {videos + "\\clip.mp4", videos + "/clip.mp4", true},
      {videos + "\\clip.mp4", folder.Path() + ".\\VIDEOS\\..\\Videos\\CLIP.MP4", true},
      {"E:\\Videos\\clip.mp4", "F:\\Videos\\clip.mp4", true},
      {"E:\\Videos\\", "f:/videos", true},
      {videos, "F:\\Videos\\", true},
      {videos + "\\clip.mp4", videos + "\\b.mp4", false},
      {"E:\\Videos", "E:\\", false},
      {videos + "\\clip.mp4", videos + "\\missing.mp4", false},
  };
  for (const auto& c : cases) EXPECT_EQ(files.SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
}

TEST(FileAdapter, CopiesNeverEmptyAFileAndAttributesWaitForTheNameAndTheBinTakesBack) {
  TempFolder folder;
  platform::Win32FileSystem files;
  const std::string source = folder / "source.mp4", existing = folder / "existing.mp4";
  ASSERT_TRUE(WriteText(source, "new") && WriteText(existing, "old"));
  const auto go = [](std::uint64_t, std::uint64_t) { return true; };
  for (const std::string& to : {existing, source, folder.Path() + ".\\source.mp4"}) {
    EXPECT_FALSE(files.Copy(source, to)) << to;
    EXPECT_EQ(files.CopyInSteps(source, to, go), platform::CopyResult::Failed) << to;
  }
  EXPECT_EQ(ReadText(existing) + ReadText(source), "oldnew");

  // A read-only source: its copy stays removable until it has its name.
  ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string temp = folder / "existing.mp4.part";
  ASSERT_EQ(files.CopyInSteps(source, temp, go), platform::CopyResult::Done);
  EXPECT_EQ(GetFileAttributesA(temp.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(files.Replace(temp, existing));
  EXPECT_EQ(ReadText(existing), "new");
  files.CopyAttributes(source, existing);
  EXPECT_NE(GetFileAttributesA(existing.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  SetFileAttributesA(existing.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Wine names the Unix home "\??\Z:\home\name".
  char home[MAX_PATH] = {}, name[64];
  ASSERT_GT(GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH), 4u);
  wsprintfA(name, "brevlo-recycled-%lu.mp4", GetTickCount());
  ASSERT_TRUE(WriteText(folder / name, "recycled"));
  ASSERT_TRUE(files.Recycle(folder / name));
  EXPECT_FALSE(Exists(folder / name));
  const std::string trashed = std::string(home + 4) + "\\.local\\share\\Trash\\files\\" + name;
  EXPECT_EQ(ReadText(trashed), "recycled");
  DeleteFileA(trashed.c_str());

  // A plan holds for the file it was read from: one written anew since fails.
  ASSERT_TRUE(WriteText(folder / "planned.mp4", "abcdef"));
  platform::CopyPlan plan;
  plan.push_back(platform::PlanPiece::Source(2, 3));
  plan.source = files.OpenReader(folder / "planned.mp4")->Stamp();
  ASSERT_EQ(files.CopyPlanInSteps(folder / "planned.mp4", folder / "a.part", plan, go),
            platform::CopyResult::Done);
  EXPECT_EQ(ReadText(folder / "a.part"), "cde");
  Sleep(20);
  ASSERT_TRUE(DeleteFileA((folder / "planned.mp4").c_str()) &&
              WriteText(folder / "planned.mp4", "ABCDEF"));
  EXPECT_EQ(files.CopyPlanInSteps(folder / "planned.mp4", folder / "b.part", plan, go),
            platform::CopyResult::Failed);
}

// The helper thread looks at drives while the window's thread does: each quiets its own errors,
// never the process's, which the other would restore under it.
TEST(FileAdapter, DrivesAreLookedAtWithTheThreadsOwnErrorMode) {
  TempFolder folder;
  ASSERT_TRUE(WriteText(folder / "clip.mp4", "clip"));
  const UINT processBefore = SetErrorMode(0);
  const DWORD threadBefore = GetThreadErrorMode();
  platform::Win32FileSystem files;
  UINT processDuring = 0xFFFF;
  DWORD threadDuring = 0;
  files.VisitDirectory(folder.Path(), "*", [&](const platform::DirEntry&) {
    processDuring = GetErrorMode();
    threadDuring = GetThreadErrorMode();
    return false;
  });
  EXPECT_EQ(processDuring, 0u);
  EXPECT_NE(threadDuring & SEM_FAILCRITICALERRORS, 0u);
  EXPECT_EQ(GetThreadErrorMode(), threadBefore);
  EXPECT_EQ(GetErrorMode(), 0u);
  SetErrorMode(processBefore);
}
