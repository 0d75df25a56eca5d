#include "library/PaneFolders.h"

#include <gtest/gtest.h>

#include <string>

using namespace brevlo::library;

TEST(PaneFolders, EachFolderEndsInOneBackslashAndThePspFolderNeedsADrive) {
  struct Case {
    const char* pc;
    const char* drive;
    VideoKind kind;
    const char* wantPc;
    const char* wantDrive;
    const char* wantPsp;
  };
  const Case cases[] = {
      {"", "", Mpeg4, "", "", ""},
      // No drive, no PSP folder: never the kind's folder under the current one.
      {"C:\\Videos", "", Mpeg4Avc, "C:\\Videos\\", "", ""},
      {"C:\\Videos\\", "G:", Mpeg4, "C:\\Videos\\", "G:\\", "G:\\MP_ROOT\\100MNV01\\"},
      {"C:\\", "G:\\", Mpeg4Avc, "C:\\", "G:\\", "G:\\MP_ROOT\\101ANV01\\"},
      {"\\\\server\\share", "F:\\", Mpeg4, "\\\\server\\share\\", "F:\\",
       "F:\\MP_ROOT\\100MNV01\\"},
      // Kept as given apart from the backslash: those who use it check that it is rooted.
      {"videos", "H:\\", Mpeg4Avc, "videos\\", "H:\\", "H:\\MP_ROOT\\101ANV01\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pc) + " | " + c.drive);
    PaneFolders folders;
    folders.SetPcFolder(c.pc);
    folders.SetPspDrive(c.drive);
    folders.SetKind(c.kind);
    EXPECT_EQ(folders.PcFolder(), c.wantPc);
    EXPECT_EQ(folders.PspDrive(), c.wantDrive);
    EXPECT_EQ(folders.Kind(), c.kind);
    EXPECT_EQ(folders.PspKindFolder(), PspKindFolder(c.kind));
    EXPECT_EQ(folders.PspFolder(), c.wantPsp);
  }
}

TEST(PaneFolders, ThePspFolderFollowsEveryChangeOfDriveAndKind) {
  PaneFolders folders;
  EXPECT_EQ(folders.Kind(), Mpeg4);
  folders.SetPspDrive("G:\\");
  EXPECT_EQ(folders.PspFolder(), "G:\\MP_ROOT\\100MNV01\\");
  folders.SetKind(Mpeg4Avc);
  EXPECT_EQ(folders.PspFolder(), "G:\\MP_ROOT\\101ANV01\\");
  folders.SetPspDrive("H:");
  EXPECT_EQ(folders.PspFolder(), "H:\\MP_ROOT\\101ANV01\\");
  folders.SetPspDrive("");
  EXPECT_EQ(folders.PspFolder(), "");
  EXPECT_EQ(folders.PcFolder(), "");  // the PC side is its own
}
