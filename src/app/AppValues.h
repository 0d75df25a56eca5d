#pragma once

#include <array>
#include <string>

#include "BrevloVersion.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"

namespace brevlo::app {

// Application-wide values: set once at start, only read afterwards.
struct AppValues {
  std::string AppFolder;  // with its trailing backslash
  std::string MarkerPath;
  std::string HelpFile;
  std::string ProgramVersion = BREVLO_VERSION;
  std::string ProductName;
  std::string CompanyName;
  std::string WebSiteUrl;
  std::string HomePageUrl;
  std::string TechMailAddress;
  std::array<std::string, 3> ConverterNames;
  std::array<std::string, 3> ConverterPageUrls;
  std::array<std::string, 4> BannerUrls;
  std::string YearRange;
  int BannerIndex = -1;
};

inline constexpr const char* PreferencesFileName = "Preferences.ini";
inline constexpr const char* PreferencesSection = "Main";
inline constexpr const char* VersionKey = "Version";
inline constexpr const char* OutputPathKey = "Output Path";
inline constexpr const char* PspTitlesKey = "PSP Titles";
inline constexpr const char* FrameThumbnailsKey = "Frame Thumbnails";
inline constexpr const char* ConvertKey = "Convert";
inline constexpr const char* SubtitlesKey = "Subtitles";
inline constexpr const char* MarkerFileName = "wmaspi.dll";
inline constexpr const char* HelpFileName = "Brevlo.chm";
inline constexpr const char* DefaultVersion = BREVLO_VERSION;

// Folder part of the executable's path, with a trailing backslash.
std::string FolderOfExecutable(const std::string& exePath);

// The fixed values and the paths that derive from the program's folder.
AppValues MakeAppValues(const std::string& appFolder);

struct StartupPreferences {
  std::string version;
  std::string outputPath;
  bool pspTitles = true;        // a video copied to the PSP gets its file name as its PSP title
  bool frameThumbnails = true;  // a video without a thumbnail gets a picture of itself
  bool convert = true;          // videos the PSP cannot play are converted on the way to it
  bool subtitles = true;        // converted videos get their subtitles drawn into the picture
};

// Missing file or keys give the defaults: version "1.8", the program's own folder, titles on
// ("PSP Titles" = 0 turns them off; never written by the program).
StartupPreferences ReadPreferences(platform::IProfile& profile, const AppValues& values);

enum class SaveOutcome { Saved, KeptByMarker, Failed };

// Writes the PC folder text unchanged, unless the marker file lies beside the program.
SaveOutcome SaveOutputPath(platform::IProfile& profile, platform::IFileSystem& fs,
                           const AppValues& values, const std::string& outputPath);

std::string PreferencesPath(const AppValues& values);
std::string UnableToWriteText(const std::string& path);  // "Unable to write to <path>"
std::string WindowTitle(const AppValues& values);        // "Brevlo V1.8 - Halvorn"

}  // namespace brevlo::app
