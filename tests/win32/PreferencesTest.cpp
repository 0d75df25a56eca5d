// Preferences.ini read and written through the system's own profile calls, as the program does.
#include <windows.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "app/AppValues.h"
#include "platform/win32/Win32Platform.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

class Preferences : public ::testing::Test {
 protected:
  void Write(const std::string& text) { WriteText(folder / "Preferences.ini", text); }
  std::string Read() const { return ReadText(folder / "Preferences.ini"); }
  TempFolder folder;
  app::AppValues values = app::MakeAppValues(folder.Path());
  platform::Win32Profile profile;
  platform::Win32FileSystem files;
};

}  // namespace

TEST_F(Preferences, ReadAsWrittenOrTheDefaults) {
  struct Case {
    const char* what;
    std::string file;  // empty: no file
    std::string version, outputPath;
    bool pspTitles = true;
    bool subtitles = true;
  };
  const std::string app = folder.Path();
  const std::vector<Case> cases = {
      {"no file", "", "1.8", app},
      {"any case, blanks around the values",
       "; comment\r\n[other]\r\nOutput Path=wrong\r\n[main]\r\n  version = 2.0 \r\noutput "
       "path=C:\\Clips\r\n",
       "2.0", "C:\\Clips"},
      {"garbage and no section", std::string("\x01\x02garbage\xff no equals\n=novalue\n", 30),
       "1.8", app},
      {"a value longer than the profile's limit", "[Main]\nOutput Path=" + std::string(5000, 'x'),
       "1.8", std::string(2047, 'x')},
      {"titles turned off", "[Main]\r\nPSP Titles = 0\r\n", "1.8", app, false},
      {"titles on", "[Main]\r\nPSP Titles=1\r\n", "1.8", app, true},
      {"subtitles never drawn", "[Main]\r\nSubtitles=0\r\n", "1.8", app, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA((folder / "Preferences.ini").c_str());
    if (!c.file.empty()) Write(c.file);
    const auto prefs = app::ReadPreferences(profile, values);
    EXPECT_EQ(prefs.version, c.version);
    EXPECT_EQ(prefs.outputPath, c.outputPath);
    EXPECT_EQ(prefs.pspTitles, c.pspTitles);
    EXPECT_EQ(prefs.subtitles, c.subtitles);
    EXPECT_EQ(Exists(folder / "Preferences.ini"), !c.file.empty());
  }
}

TEST_F(Preferences, SavingKeepsTheVersionAndOtherKeys) {
  Write("[Main]\r\nVersion=2.0\r\nOutput Path=C:\\Old\r\n[Extra]\r\nKeep=1\r\n");
  EXPECT_EQ(app::SaveOutputPath(profile, files, values, "C:\\New Folder"), app::SaveOutcome::Saved);
  const std::string text = Read();
  EXPECT_NE(text.find("Version=2.0"), std::string::npos);
  EXPECT_NE(text.find("Output Path=C:\\New Folder"), std::string::npos);
  EXPECT_EQ(text.find("C:\\Old"), std::string::npos);
  EXPECT_NE(text.find("Keep=1"), std::string::npos);
  EXPECT_EQ(app::ReadPreferences(profile, values).outputPath, "C:\\New Folder");
}

TEST_F(Preferences, FirstSaveMakesTheFileAndAMarkerKeepsItUntouched) {
  EXPECT_EQ(app::SaveOutputPath(profile, files, values, "Z:\\v"), app::SaveOutcome::Saved);
  EXPECT_EQ(app::ReadPreferences(profile, values).outputPath, "Z:\\v");
  WriteText(folder / "wmaspi.dll", "");
  EXPECT_EQ(app::SaveOutputPath(profile, files, values, "C:\\New"), app::SaveOutcome::KeptByMarker);
  EXPECT_EQ(app::ReadPreferences(profile, values).outputPath, "Z:\\v");
}

TEST_F(Preferences, UnwritableFileIsReported) {
  CreateDirectoryA((folder / "Preferences.ini").c_str(), nullptr);  // a folder in its place
  EXPECT_EQ(app::SaveOutputPath(profile, files, values, "C:\\New"), app::SaveOutcome::Failed);
}
