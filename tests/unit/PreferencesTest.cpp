// Reading and writing the preferences through a real profile file.
#include "app/AppValues.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::app;
namespace fs = std::filesystem;

namespace {
class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { values = MakeAppValues(dir.string()); }
  void Write(const std::string& text) {
    std::ofstream(dir / "Preferences.ini", std::ios::binary) << text;
  }
  std::string Read() {
    std::ifstream in(dir / "Preferences.ini", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  brevlo::testing::ScratchFolder scratch{"brevlo-prefs"};
  fs::path dir = scratch.Path();
  AppValues values;
  platform::IniProfile profile;
  platform::StdFileSystem files;
};
}  // namespace

TEST(AppValuesTest, FolderTitleAndFixedValues) {
  EXPECT_EQ(FolderOfExecutable("C:\\Program Files\\Brevlo\\Brevlo.exe"),
            "C:\\Program Files\\Brevlo\\");
  EXPECT_EQ(FolderOfExecutable("C:\\Brevlo.exe"), "C:\\");
  const AppValues v = MakeAppValues("D:\\Tools");
  EXPECT_EQ(v.AppFolder, "D:\\Tools\\");
  EXPECT_EQ(v.MarkerPath, "D:\\Tools\\wmaspi.dll");
  EXPECT_EQ(v.HelpFile, "D:\\Tools\\Brevlo.chm");
  EXPECT_EQ(v.BannerIndex, -1);
  EXPECT_EQ(WindowTitle(v), "Brevlo V1.8 - Halvorn");
  EXPECT_EQ(UnableToWriteText("C:\\x\\Preferences.ini"),
            "Unable to write to C:\\x\\Preferences.ini");
}

TEST_F(PreferencesTest, MissingFileGivesDefaults) {
  const auto prefs = ReadPreferences(profile, values);
  EXPECT_EQ(prefs.version, "1.8");
  EXPECT_EQ(prefs.outputPath, values.AppFolder);
  EXPECT_FALSE(fs::exists(dir / "Preferences.ini"));
}

TEST_F(PreferencesTest, ValuesAreReadWhateverTheCaseAndBlanks) {
  Write(
      "; comment\r\n[other]\r\nOutput Path=wrong\r\n[ main ]\r\n  version = 2.0 \r\noutput "
      "path=C:\\Clips\r\n");
  const auto prefs = ReadPreferences(profile, values);
  EXPECT_EQ(prefs.version, "2.0");
  EXPECT_EQ(prefs.outputPath, "C:\\Clips");
}

TEST_F(PreferencesTest, GarbageAndMissingSectionGiveDefaults) {
  Write(std::string("\x01\x02garbage\xff no equals\n=novalue\n[Main\n", 34));
  const auto prefs = ReadPreferences(profile, values);
  EXPECT_EQ(prefs.version, "1.8");
  EXPECT_EQ(prefs.outputPath, values.AppFolder);
}

TEST_F(PreferencesTest, LongValuesAreCutTo2047) {
  Write("[Main]\nOutput Path=" + std::string(5000, 'x') + "\n");
  EXPECT_EQ(ReadPreferences(profile, values).outputPath.size(), 2047u);
}

TEST_F(PreferencesTest, SavingKeepsTheVersionAndOtherKeys) {
  Write("[Main]\r\nVersion=2.0\r\nOutput Path=C:\\Old\r\n[Extra]\r\nKeep=1\r\n");
  EXPECT_EQ(SaveOutputPath(profile, files, values, "C:\\New Folder"), SaveOutcome::Saved);
  const std::string text = Read();
  EXPECT_NE(text.find("Version=2.0"), std::string::npos);
  EXPECT_NE(text.find("Output Path=C:\\New Folder"), std::string::npos);
  EXPECT_EQ(text.find("C:\\Old"), std::string::npos);
  EXPECT_NE(text.find("Keep=1"), std::string::npos);
  EXPECT_EQ(ReadPreferences(profile, values).outputPath, "C:\\New Folder");
}

TEST_F(PreferencesTest, FirstSaveCreatesTheSection) {
  EXPECT_EQ(SaveOutputPath(profile, files, values, "Z:\\v"), SaveOutcome::Saved);
  EXPECT_EQ(Read(), "[Main]\r\nOutput Path=Z:\\v\r\n");
}

TEST_F(PreferencesTest, MarkerKeepsTheFileUntouched) {
  std::ofstream(dir / "wmaspi.dll") << "";
  Write("[Main]\r\nOutput Path=C:\\Old\r\n");
  EXPECT_EQ(SaveOutputPath(profile, files, values, "C:\\New"), SaveOutcome::KeptByMarker);
  EXPECT_EQ(Read(), "[Main]\r\nOutput Path=C:\\Old\r\n");
}

TEST_F(PreferencesTest, UnwritableFileIsReported) {
  fs::create_directory(dir / "Preferences.ini");  // a folder in the file's place
  EXPECT_EQ(SaveOutputPath(profile, files, values, "C:\\New"), SaveOutcome::Failed);
}
