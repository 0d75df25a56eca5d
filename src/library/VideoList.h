#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/MessagePump.h"

namespace brevlo::library {

// A video as the folder's listing gave it, with its own thumbnail's name when it has one.
struct ListedVideo {
  std::string name;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;
  std::string thumbnail;  // the companion as listed; empty: the default thumbnail stands in
};

// Where a fill puts its rows: a list view, or a plain record in tests. The fill reads no
// thumbnail: the pictures are read for the rows that are shown, when they are shown.
class IVideoListSink {
 public:
  virtual ~IVideoListSink() = default;
  virtual void Clear() = 0;
  // How many rows are coming, so storage can grow once.
  virtual void Reserve(std::size_t) {}
  virtual void AddVideo(const ListedVideo& video, const std::string& sizeText) = 0;
};

struct FillEnvironment {
  platform::IFileSystem& fs;
  platform::ILocale& locale;
  platform::IMessagePump& pump;
  std::string appFolder;  // with its trailing backslash
  // Asked after each message pump: true when a newer fill of the same list has begun meanwhile.
  std::function<bool()> superseded;
  // Called once the folder is known to exist and is listed, before the first row: from here
  // on the list belongs to this fill.
  std::function<void()> listed;
  // Lists the other video files too (IsOtherVideoName), not only ".mp4".
  bool otherVideos = false;
};

struct FillReport {
  bool listed = false;      // false: the folder did not exist and nothing changed
  bool superseded = false;  // a newer fill took over the list half-way
  int rows = 0;
};

inline constexpr const char* DefaultThumbnailName = "DefaultPreview.THM";

// Lists the ".mp4" videos of a folder (and the others when asked) with their sizes and the names
// of their thumbnails. A video with no thumbnail of its own is left out while the default
// thumbnail is missing too.
FillReport FillVideoList(const std::string& folder, IVideoListSink& sink, FillEnvironment& env);

// bytes / 1000000 in the shortest general form, with the given decimal separator.
std::string FormatSizeMB(std::uint64_t bytes, char decimalSeparator);
// Size text of a file, or empty when its size cannot be read.
std::optional<std::string> FileSizeMB(const std::string& path, platform::IFileSystem& fs,
                                      char decimalSeparator);
// Reads a size text back; 0 for an empty or unreadable text.
double ParseSizeMB(const std::string& text, char decimalSeparator);
// "2 Selected.  3.75MB Total." with the total rounded to two decimals.
std::string SelectionSummary(int count, double totalMB, char decimalSeparator);

// True when a name ends in ".mp4", case ignored.
bool IsVideoName(const std::string& name);
// True for the other video files people have, which go to the PSP converted: ".m4v", ".mov",
// ".3gp", ".mkv", ".webm", ".avi", ".wmv", ".asf", ".flv", ".mpg", ".mpeg", ".vob", ".ts",
// ".m2ts", ".mts", ".ogv", ".divx", ".f4v", ".dv", ".mod", ".tod", case ignored.
bool IsOtherVideoName(const std::string& name);

}  // namespace brevlo::library
