// The application-wide values and texts; the preferences file itself is read and written by the
// system's profile calls and tested under Wine.
#include "app/AppValues.h"

#include <gtest/gtest.h>

using namespace brevlo;
using namespace brevlo::app;

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
