// The rename window's rule and the rename itself, on real temporary folders.
#include "operations/RenameRule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::operations;
namespace fs = std::filesystem;

namespace {

const char kM4vText[] =
    "The new filename is not capatible format for PSP. \n\r"
    "The proper format should be M4Vxxxxx.MP4 (e.g.M4V00198.mp4)\n\r"
    "\"xxxxx\" indicates a 5 digites number.";

class RenameFolder : public ::testing::Test {
 protected:
  void SetUp() override { files.MapDrive('P', root.string()); }
  void TearDown() override {
    if (!previousCwd.empty()) fs::current_path(previousCwd);
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(root / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(root / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Has(const std::string& name) const { return fs::exists(root / name); }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(root), fs::directory_iterator()));
  }
  RenameResult Rename(const std::string& side, const std::string& from, const std::string& to) {
    return RenameVideo(files, dialogs, side, "P:\\" + from, to);
  }
  // Runs relative paths inside the test's folder, so a slip would show up there.
  void WorkInsideRoot() {
    previousCwd = fs::current_path();
    fs::current_path(root);
  }
  brevlo::testing::ScratchFolder scratch{"brevlo-rename"};
  fs::path root = scratch.Path();
  fs::path previousCwd;
  platform::StdFileSystem files;
  platform::ScriptedDialogs dialogs;
};

}  // namespace

TEST(RenameRule, IntegerConversion) {
  for (const char* good : {"00010", "99999", "-0001", "+0001", "  123", " -12", "$00FF", "x00ff",
                           "X0FFF", "0x0FF", "0X0fF", "-$FF", "+0x1"}) {
    EXPECT_TRUE(ConvertsToInteger(good)) << good;
  }
  for (const char* bad : {"", "     ", "-", "+", "$", "0x", "x", "--001", "+-001", "0001A", "12 34",
                          "123  ", "1e3", "$00FG", "00x1F", "0x-1F", "12.45", "\t1234", "$ FF"}) {
    EXPECT_FALSE(ConvertsToInteger(bad)) << bad;
  }
}

TEST(RenameRule, PspNamesOfTheEdgeCaseList) {
  EXPECT_TRUE(FitsPspNamingRule("M4V00010.MP4", "M4V"));
  EXPECT_TRUE(FitsPspNamingRule("M4V00010.mp4", "M4V"));
  EXPECT_TRUE(FitsPspNamingRule("M4V-0001.MP4", "M4V"));
  EXPECT_TRUE(FitsPspNamingRule("M4V$00FF.MP4", "M4V"));
  EXPECT_TRUE(FitsPspNamingRule("MAQ00042.Mp4", "MAQ"));
  EXPECT_FALSE(FitsPspNamingRule("m4v00010.MP4", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("MAQ00010.MP4", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V00010.MP4", "MAQ"));
  EXPECT_FALSE(FitsPspNamingRule("M4V0010.MP4", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V000100.MP4", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V0001A.MP4", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V00010.AVI", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V00010", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V00010.MP4.avi", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("M4V", "M4V"));
  EXPECT_FALSE(FitsPspNamingRule("", "M4V"));
}

TEST(RenameRule, PrefixAndExtensions) {
  EXPECT_EQ(PspPrefixOf("G:\\MP_ROOT\\101ANV01\\MAQ00003.MP4"), "MAQ");
  EXPECT_EQ(PspPrefixOf("G:\\MP_ROOT\\100MNV01\\ab"), "ab");
  EXPECT_EQ(NameExtensionOf("clip.avi"), ".avi");
  EXPECT_EQ(NameExtensionOf("my.dir\\clip"), "");
  EXPECT_EQ(WithMp4Extension("holiday"), "holiday.MP4");
  EXPECT_EQ(WithMp4Extension("clip.avi"), "clip.avi.MP4");
  EXPECT_EQ(WithMp4Extension("clip.mP4"), "clip.mP4");
}

TEST(RenameRule, MessageTextByteForByte) {
  EXPECT_EQ(NotProperFormatText("M4V"), kM4vText);
  EXPECT_EQ(NotProperFormatText("MAQ"),
            "The new filename is not capatible format for PSP. \n\r"
            "The proper format should be MAQxxxxx.MP4 (e.g.MAQ00198.mp4)\n\r"
            "\"xxxxx\" indicates a 5 digites number.");
  EXPECT_STREQ(NotProperFormatCaption, "Not a proper format");
}

TEST_F(RenameFolder, PspVideoTakesItsCompanionAlong) {
  Write("M4V00001.MP4", "video");
  Write("M4V00001.THM", "thumb");
  const RenameResult r = Rename("PSP", "M4V00001.MP4", "M4V00010.MP4");
  EXPECT_EQ(r.outcome, RenameOutcome::Renamed);
  EXPECT_EQ(r.newName, "M4V00010.MP4");
  EXPECT_EQ(Read("M4V00010.MP4"), "video");
  EXPECT_EQ(Read("M4V00010.THM"), "thumb");
  EXPECT_EQ(FileCount(), 2u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RenameFolder, LowerCaseExtensionIsKeptAsTyped) {
  Write("M4V00001.MP4", "video");
  EXPECT_EQ(Rename("PSP", "M4V00001.MP4", "M4V00010.mp4").outcome, RenameOutcome::Renamed);
  EXPECT_TRUE(Has("M4V00010.mp4"));
  EXPECT_FALSE(Has("M4V00010.MP4"));
  EXPECT_FALSE(Has("M4V00010.THM"));  // none before, none made
}

TEST_F(RenameFolder, SignAndDollarNamesPass) {
  Write("M4V00001.MP4", "one");
  Write("M4V00002.MP4", "two");
  EXPECT_EQ(Rename("PSP", "M4V00001.MP4", "M4V-0001.MP4").outcome, RenameOutcome::Renamed);
  EXPECT_EQ(Rename("PSP", "M4V00002.MP4", "M4V$00FF.MP4").outcome, RenameOutcome::Renamed);
  EXPECT_EQ(Read("M4V-0001.MP4"), "one");
  EXPECT_EQ(Read("M4V$00FF.MP4"), "two");
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RenameFolder, RefusedNamesShowTheBoxAndChangeNothing) {
  Write("M4V00001.MP4", "video");
  Write("M4V00001.THM", "thumb");
  for (const char* name : {"m4v00010.MP4", "MAQ00010.MP4", "M4V0010.MP4", "M4V000100.MP4",
                           "M4V00010.avi", "M4V00010"}) {
    SCOPED_TRACE(name);
    dialogs.shown.clear();
    const RenameResult r = Rename("PSP", "M4V00001.MP4", name);
    EXPECT_EQ(r.outcome, RenameOutcome::Refused);
    EXPECT_EQ(r.newName, name);  // the box keeps the name unchanged
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Not a proper format");
    EXPECT_EQ(dialogs.shown[0].text, kM4vText);
    EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | platform::MbIconInformation);
    EXPECT_TRUE(Has("M4V00001.MP4"));
    EXPECT_TRUE(Has("M4V00001.THM"));
    EXPECT_EQ(FileCount(), 2u);
  }
}

TEST_F(RenameFolder, AvcVideoCannotTakeAnMpeg4Name) {
  Write("MAQ00001.MP4", "video");
  EXPECT_EQ(Rename("PSP", "MAQ00001.MP4", "M4V00001.MP4").outcome, RenameOutcome::Refused);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("should be MAQxxxxx.MP4 (e.g.MAQ00198.mp4)"),
            std::string::npos);
  EXPECT_TRUE(Has("MAQ00001.MP4"));
}

TEST_F(RenameFolder, PcNameGetsMp4AndTheCompanionFollows) {
  Write("clip.mp4", "video");
  Write("clip.THM", "thumb");
  const RenameResult r = Rename("PC", "clip.mp4", "holiday");
  EXPECT_EQ(r.outcome, RenameOutcome::Renamed);
  EXPECT_EQ(r.newName, "holiday.MP4");
  EXPECT_EQ(Read("holiday.MP4"), "video");
  EXPECT_EQ(Read("holiday.THM"), "thumb");
  EXPECT_EQ(FileCount(), 2u);

  const RenameResult avi = Rename("PC", "holiday.MP4", "clip.avi");
  EXPECT_EQ(avi.newName, "clip.avi.MP4");
  EXPECT_EQ(Read("clip.avi.MP4"), "video");
  EXPECT_EQ(Read("clip.avi.THM"), "thumb");
  EXPECT_EQ(FileCount(), 2u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RenameFolder, OnlyAnExactPspSideChecksTheRule) {
  Write("M4V00001.MP4", "video");
  EXPECT_EQ(Rename("psp", "M4V00001.MP4", "any name").outcome, RenameOutcome::Renamed);
  EXPECT_TRUE(Has("any name.MP4"));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RenameFolder, ExistingNameIsNeverReplaced) {
  Write("clip.mp4", "clip");
  Write("clip.THM", "clip thumb");
  Write("other.MP4", "other");
  Write("other.THM", "other thumb");
  const RenameResult r = Rename("PC", "clip.mp4", "other");
  EXPECT_EQ(r.outcome, RenameOutcome::NotRenamed);
  EXPECT_TRUE(dialogs.shown.empty());
  // Both videos and both thumbnails keep their names and contents.
  EXPECT_EQ(Read("clip.mp4"), "clip");
  EXPECT_EQ(Read("clip.THM"), "clip thumb");
  EXPECT_EQ(Read("other.MP4"), "other");
  EXPECT_EQ(Read("other.THM"), "other thumb");
}

TEST_F(RenameFolder, CompanionStaysWhenTheVideoCannotMove) {
  Write("M4V00001.THM", "thumb");  // the video itself is gone
  EXPECT_EQ(Rename("PSP", "M4V00001.MP4", "M4V00002.MP4").outcome, RenameOutcome::NotRenamed);
  EXPECT_TRUE(Has("M4V00001.THM"));
  EXPECT_FALSE(Has("M4V00002.THM"));
}

TEST_F(RenameFolder, StrayThumbnailOfTheNewNameIsKept) {
  Write("clip.mp4", "video");
  Write("clip.THM", "mine");
  Write("holiday.THM", "stray");
  EXPECT_EQ(Rename("PC", "clip.mp4", "holiday").outcome, RenameOutcome::Renamed);
  EXPECT_TRUE(Has("holiday.MP4"));
  EXPECT_EQ(Read("holiday.THM"), "stray");
  EXPECT_EQ(Read("clip.THM"), "mine");
}

TEST_F(RenameFolder, WithoutAFolderNothingIsResolvedAgainstTheCurrentOne) {
  WorkInsideRoot();
  Write("clip.mp4", "video");
  Write("clip.THM", "thumb");
  fs::create_directories(root / "MP_ROOT" / "100MNV01");
  Write("MP_ROOT/100MNV01/M4V00001.MP4", "psp");
  // An empty PC folder, a relative one, and a PSP path without its drive.
  const std::pair<const char*, const char*> cases[] = {
      {"PC", "clip.mp4"}, {"PC", ".\\clip.mp4"}, {"PSP", "MP_ROOT\\100MNV01\\M4V00001.MP4"}};
  for (const auto& [side, source] : cases) {
    SCOPED_TRACE(source);
    const std::string name = std::string(side) == "PSP" ? "M4V00002.MP4" : "holiday";
    const RenameResult r = RenameVideo(files, dialogs, side, source, name);
    EXPECT_EQ(r.outcome, RenameOutcome::NotRenamed);
  }
  EXPECT_TRUE(Has("clip.mp4"));
  EXPECT_TRUE(Has("clip.THM"));
  EXPECT_FALSE(Has("holiday.MP4"));
  EXPECT_TRUE(Has("MP_ROOT/100MNV01/M4V00001.MP4"));
  EXPECT_FALSE(Has("MP_ROOT/100MNV01/M4V00002.MP4"));
}
