#include "library/PspNaming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brevlo::library;

TEST(PathHelpers, TrailingBackslash) {
  EXPECT_EQ(WithTrailingBackslash("C:\\Videos"), "C:\\Videos\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "");
}

TEST(PathHelpers, WithoutExtensionCutsAtTheLastDotAnywhere) {
  EXPECT_EQ(WithoutExtension("C:\\My.Videos\\clip.mp4"), "C:\\My.Videos\\clip");
  EXPECT_EQ(WithoutExtension("clip"), "clip");
  EXPECT_EQ(WithoutExtension("a.b.mp4"), "a.b");
  // A dot only in a folder name still cuts there.
  EXPECT_EQ(WithoutExtension("C:\\My.Videos\\clip"), "C:\\My");
  EXPECT_EQ(CompanionOf("D:\\Clips\\holiday.mp4"), "D:\\Clips\\holiday.THM");
  EXPECT_EQ(ExtensionOf("M4V00001.MP4"), ".MP4");
  EXPECT_EQ(ExtensionOf("noext"), "");
}

TEST(PspLayout, KindsFoldersAndPrefixes) {
  EXPECT_EQ(PspKindFolder(Mpeg4), "MP_ROOT\\100MNV01\\");
  EXPECT_EQ(PspKindFolder(Mpeg4Avc), "MP_ROOT\\101ANV01\\");
  EXPECT_EQ(PspPrefix(0), "M4V");
  EXPECT_EQ(PspPrefix(1), "MAQ");
  EXPECT_EQ(PspPrefix(-1), "MAQ");  // any value but 0 is the AVC kind
  EXPECT_EQ(PspFileName(0, 42), "M4V00042.MP4");
}

TEST(PspNaming, NumberOfAcceptsOnlyTheExactForm) {
  EXPECT_EQ(PspNumberOf(0, "M4V00012.MP4"), 12);
  EXPECT_EQ(PspNumberOf(0, "m4v00012.mp4"), 12);
  EXPECT_EQ(PspNumberOf(0, "MAQ00012.MP4"), 0);
  EXPECT_EQ(PspNumberOf(1, "MAQ99999.MP4"), 99999);
  EXPECT_EQ(PspNumberOf(0, "M4V0012.MP4"), 0);
  EXPECT_EQ(PspNumberOf(0, "M4V000012.MP4"), 0);
  EXPECT_EQ(PspNumberOf(0, "M4V0001A.MP4"), 0);
  EXPECT_EQ(PspNumberOf(0, "M4V00012.THM"), 0);
}

TEST(PspNaming, LowestFreeNumberWins) {
  EXPECT_EQ(NextFreePspFileName(0, {}), "M4V00001.MP4");
  EXPECT_EQ(NextFreePspFileName(1, {}), "MAQ00001.MP4");
  EXPECT_EQ(NextFreePspFileName(0, {"M4V00001.MP4", "m4v00002.mp4"}), "M4V00003.MP4");
  EXPECT_EQ(NextFreePspFileName(0, {"M4V00002.MP4"}), "M4V00001.MP4");
  EXPECT_EQ(NextFreePspFileName(0, {"MAQ00001.MP4"}), "M4V00001.MP4");
  EXPECT_EQ(NextFreePspFileName(0, {"holiday.mp4", "M4V1.MP4"}), "M4V00001.MP4");
}

TEST(PspNaming, NamesOfTheRunningTransferCountAsTaken) {
  PspNameSource source(0, {"M4V00001.MP4"});
  EXPECT_EQ(source.Next(), "M4V00002.MP4");
  EXPECT_EQ(source.Next(), "M4V00003.MP4");
  EXPECT_EQ(source.Next(), "M4V00004.MP4");
  EXPECT_EQ(NextFreePspFileName(0, {"M4V00001.MP4"}, {"M4V00002.MP4"}), "M4V00003.MP4");
}

TEST(PspNaming, AFileInTheFolderIsNeverHandedOutEvenWhenUnlisted) {
  std::vector<std::string> onDisk = {"M4V00001.MP4", "M4V00003.MP4"};
  PspNameSource source(0, {});
  source.SetFolderCheck(
      [](void* ctx, const std::string& name) {
        const auto* files = static_cast<std::vector<std::string>*>(ctx);
        for (const auto& f : *files) {
          if (f == name) return true;
        }
        return false;
      },
      &onDisk);
  EXPECT_EQ(source.Next(), "M4V00002.MP4");
  EXPECT_EQ(source.Next(), "M4V00004.MP4");
}

TEST(PspNaming, FullPspGivesTheSixDigitNameAndSaysSo) {
  std::vector<std::string> all;
  for (int n = 1; n <= MaxPspNumber; ++n) all.push_back(PspFileName(0, n));
  PspNameSource source(0, all);
  EXPECT_FALSE(source.Full());
  EXPECT_EQ(source.Next(), "M4V100000.MP4");
  EXPECT_TRUE(source.Full());
  all.pop_back();
  EXPECT_EQ(NextFreePspFileName(0, all), "M4V99999.MP4");
}
