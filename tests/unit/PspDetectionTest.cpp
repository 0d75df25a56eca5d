// Finding the PSP among drives made of real temporary folders.
#include "library/PspDetection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::library;
using platform::DriveType;
namespace fs = std::filesystem;

namespace {
class Drives : public ::testing::Test {
 protected:
  // A drive backed by a folder; with MP_ROOT when psp.
  void Add(char letter, DriveType type, bool psp) {
    const fs::path folder = root / std::string(1, letter);
    fs::create_directories(psp ? folder / "MP_ROOT" / "100MNV01" : folder);
    drives.drives.push_back({letter, type, folder.string(), true});
    files.MapDrive(letter, folder.string());
  }
  brevlo::testing::ScratchFolder scratch{"brevlo-drives"};
  fs::path root = scratch.Path();
  platform::TableDrives drives;
  platform::StdFileSystem files;
};
}  // namespace

TEST_F(Drives, FirstRemovableDriveWithMpRootWins) {
  Add('C', DriveType::Fixed, true);
  Add('E', DriveType::Removable, false);
  Add('G', DriveType::Removable, true);
  Add('H', DriveType::Removable, true);
  EXPECT_EQ(FindPspDrive(drives, files), std::optional<std::string>("G:"));
}

TEST_F(Drives, FixedOpticalAndNetworkDrivesAreNeverTaken) {
  Add('C', DriveType::Fixed, true);
  Add('D', DriveType::CdRom, true);
  Add('N', DriveType::Remote, true);
  Add('R', DriveType::RamDisk, true);
  EXPECT_EQ(FindPspDrive(drives, files), std::nullopt);
  // Chosen by hand, a fixed disk with MP_ROOT is accepted all the same.
  EXPECT_TRUE(PspReachable("C:\\", files));
}

TEST_F(Drives, ACardWithMpRootCountsAsAPsp) {
  Add('F', DriveType::Removable, true);
  EXPECT_EQ(FindPspDrive(drives, files), std::optional<std::string>("F:"));
  fs::remove_all(root / "F" / "MP_ROOT");
  EXPECT_FALSE(PspReachable("F:\\", files));
  EXPECT_EQ(FindPspDrive(drives, files), std::nullopt);
}

TEST(PspPaths, OnlyAPathWithADriveNamesAPspDrive) {
  EXPECT_EQ(DrivePartOf("G:\\MP_ROOT"), "G:");
  EXPECT_EQ(DrivePartOf("g:"), "g:");
  EXPECT_EQ(PspDriveOf("G:\\MP_ROOT\\100MNV01"), "G:\\");
  EXPECT_EQ(PspDriveOf(""), "");
  EXPECT_EQ(PspDriveOf("Drives"), "");
  EXPECT_EQ(PspDriveOf("\\\\server\\share"), "");
  EXPECT_EQ(PspDriveOf("\\"), "");
  platform::StdFileSystem files;
  EXPECT_FALSE(PspReachable("", files));
}

TEST(PspPaths, QuestionTextKeepsItsOddLineBreak) {
  const std::string text = PspConnectionText;
  const auto lf = text.find('\n');
  ASSERT_NE(lf, std::string::npos);
  EXPECT_EQ(text[lf + 1], '\r');
  EXPECT_EQ(text.substr(lf + 2), "Click \"Yes\" to detect the PSP automatically.");
}
