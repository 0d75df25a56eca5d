// Start-up and shutdown of the real main window: title, path box, preferences file.
#include <gtest/gtest.h>

#include "Harness.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {
std::string Caption(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
}  // namespace

TEST(Startup, FirstRunWithoutPreferencesUsesDefaultsAndCreatesTheFileOnClose) {
  TempFolder app;
  BoxWatcher boxes;
  MainFormFixture form(app.Path());
  EXPECT_EQ(Caption(form->Handle()), "Brevlo V1.8 - Halvorn");
  EXPECT_EQ(form->edtPath->Text(), app.Path());
  EXPECT_EQ(form->labVersion->Caption(), "Version 1.8");
  EXPECT_EQ(form->labTitle1->Caption(), "Brevlo");
  EXPECT_EQ(form->labTitle2->Caption(), "Brevlo");
  EXPECT_EQ(form->labWebsite->Caption(), "Visit our website: www.halvorn.example");
  EXPECT_EQ(form->cmbType->ItemIndex(), 0);
  EXPECT_EQ(form->Folders().PspKindFolder(), "MP_ROOT\\100MNV01\\");
  EXPECT_EQ(form->Values().HelpFile, app.Path() + "Brevlo.chm");
  EXPECT_EQ(ui::Application->Title, "Brevlo");
  // The program's own folder was listed at start.
  EXPECT_EQ(form->Folders().PcFolder(), app.Path());
  EXPECT_FALSE(Exists(app / "Preferences.ini"));

  form.Close();
  const std::string ini = ReadText(app / "Preferences.ini");
  EXPECT_NE(ini.find("[Main]"), std::string::npos);
  EXPECT_NE(ini.find("Output Path=" + app.Path()), std::string::npos);
  EXPECT_EQ(ini.find("Version"), std::string::npos);
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST(Startup, VersionFromTheFileIsShownAndNeverWritten) {
  TempFolder app;
  const std::string videos = app.MakeFolder("videos");
  WriteText(app / "Preferences.ini", "[Main]\r\nVersion=2.0\r\nOutput Path=" + videos + "\r\n");
  MainFormFixture form(app.Path());
  EXPECT_EQ(Caption(form->Handle()), "Brevlo V2.0 - Halvorn");
  EXPECT_EQ(form->labVersion->Caption(), "Version 2.0");
  EXPECT_EQ(form->edtPath->Text(), videos);

  // A typed path that was never confirmed is saved all the same.
  form->edtPath->SetText("C:\\Never\\Confirmed");
  form.Close();
  const std::string ini = ReadText(app / "Preferences.ini");
  EXPECT_NE(ini.find("Version=2.0"), std::string::npos);
  EXPECT_NE(ini.find("Output Path=C:\\Never\\Confirmed"), std::string::npos);
  EXPECT_EQ(form->Folders().PcFolder(), videos);
}

TEST(Startup, MarkerFileKeepsTheFileAsItWas) {
  TempFolder app;
  WriteText(app / "wmaspi.dll", "");
  const std::string before = "[Main]\r\nOutput Path=C:\\Old\r\n";
  WriteText(app / "Preferences.ini", before);
  MainFormFixture form(app.Path());
  form->edtPath->SetText("C:\\Typed\\Meanwhile");
  form.Close();
  EXPECT_EQ(ReadText(app / "Preferences.ini"), before);
}

TEST(Startup, UnwritablePreferencesAreReportedAndTheWindowClosesAnyway) {
  TempFolder app;
  const std::string ini = app / "Preferences.ini";
  WriteText(ini, "[Main]\r\nOutput Path=C:\\Old\r\n");
  // Held open without sharing, as another program might (a read-only flag would not stop
  // an administrator).
  HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  BoxWatcher boxes({{"Brevlo"}});
  MainFormFixture form(app.Path());
  form.Close();
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Unable to write to " + ini);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  CloseHandle(held);
  EXPECT_NE(ReadText(ini).find("C:\\Old"), std::string::npos);
}

TEST(Startup, AMissingSavedFolderLeavesThePcFolderEmpty) {
  TempFolder app;
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + app.Path() + "gone\r\n");
  MainFormFixture form(app.Path());
  EXPECT_EQ(form->edtPath->Text(), app.Path() + "gone");
  EXPECT_EQ(form->Folders().PcFolder(), "");
  EXPECT_EQ(form->labPCNum->Caption(), "0");
}
