#include "app/AppValues.h"

#include "library/PspNaming.h"

namespace brevlo::app {

std::string FolderOfExecutable(const std::string& exePath) {
  const auto slash = exePath.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : exePath.substr(0, slash);
  return library::WithTrailingBackslash(folder);
}

AppValues MakeAppValues(const std::string& appFolder) {
  AppValues v;
  v.BannerIndex = -1;
  v.AppFolder = library::WithTrailingBackslash(appFolder);
  v.MarkerPath = v.AppFolder + MarkerFileName;
  v.HelpFile = v.AppFolder + HelpFileName;
  v.ProductName = "Brevlo";
  v.CompanyName = "Halvorn";
  v.WebSiteUrl = "www.halvorn.example";
  v.HomePageUrl = "https://www.halvorn.example/";
  v.TechMailAddress = "support@halvorn.example";
  v.ConverterNames = {"Halvorn Video Converter", "Halvorn DVD Ripper", "Halvorn Audio Studio"};
  v.ConverterPageUrls = {"https://www.halvorn.example/video-converter/",
                         "https://www.halvorn.example/dvd-ripper/",
                         "https://www.halvorn.example/audio-studio/"};
  v.BannerUrls = {"https://www.halvorn.example/video-converter/",
                  "https://www.halvorn.example/dvd-ripper/",
                  "https://www.halvorn.example/audio-studio/", "https://www.halvorn.example/"};
  v.YearRange = "2003-2007";
  return v;
}

std::string PreferencesPath(const AppValues& values) {
  return values.AppFolder + PreferencesFileName;
}

StartupPreferences ReadPreferences(platform::IProfile& profile, const AppValues& values) {
  const std::string file = PreferencesPath(values);
  StartupPreferences prefs;
  prefs.version = profile.ReadString(file, PreferencesSection, VersionKey, DefaultVersion);
  prefs.outputPath = profile.ReadString(file, PreferencesSection, OutputPathKey, values.AppFolder);
  prefs.pspTitles = profile.ReadString(file, PreferencesSection, PspTitlesKey, "1") != "0";
  prefs.frameThumbnails =
      profile.ReadString(file, PreferencesSection, FrameThumbnailsKey, "1") != "0";
  prefs.convert = profile.ReadString(file, PreferencesSection, ConvertKey, "1") != "0";
  prefs.subtitles = profile.ReadString(file, PreferencesSection, SubtitlesKey, "1") != "0";
  return prefs;
}

SaveOutcome SaveOutputPath(platform::IProfile& profile, platform::IFileSystem& fs,
                           const AppValues& values, const std::string& outputPath) {
  if (fs.FileExists(values.MarkerPath)) {
    return SaveOutcome::KeptByMarker;
  }
  return profile.WriteString(PreferencesPath(values), PreferencesSection, OutputPathKey, outputPath)
             ? SaveOutcome::Saved
             : SaveOutcome::Failed;
}

std::string UnableToWriteText(const std::string& path) {
  return "Unable to write to " + path;
}

std::string WindowTitle(const AppValues& values) {
  return values.ProductName + " V" + values.ProgramVersion + " - " + values.CompanyName;
}

}  // namespace brevlo::app
