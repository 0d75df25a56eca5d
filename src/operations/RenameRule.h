#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace brevlo::operations {

inline constexpr char NotProperFormatCaption[] = "Not a proper format";

// The integer conversion the naming rule relies on: leading blanks, one optional sign, then
// decimal digits only, or "$", "x", "X", "0x" or "0X" followed by hexadecimal digits only.
bool ConvertsToInteger(const std::string& text);

// The name's extension from the last "." of its file-name part on; empty without one.
std::string NameExtensionOf(const std::string& name);

// The PSP's naming rule for a new name of a video whose file name begins with prefix: the
// prefix exactly, five characters that convert to an integer, and ".MP4" in any case.
bool FitsPspNamingRule(const std::string& newName, const std::string& prefix);

// First three characters of the file name of a path: "M4V" for ...\M4V00001.MP4.
std::string PspPrefixOf(const std::string& videoPath);

// The text of the box that refuses a name, for one prefix.
std::string NotProperFormatText(const std::string& prefix);

// The name with ".MP4" appended unless its extension already is ".MP4" in any case.
std::string WithMp4Extension(const std::string& name);

enum class RenameOutcome {
  Refused,     // broke the PSP rule; the box was shown and nothing changed
  Renamed,     // the video has its new name
  NotRenamed,  // the file system refused, or the folder was not rooted; nothing reported
};

struct RenameResult {
  RenameOutcome outcome = RenameOutcome::NotRenamed;
  std::string newName;  // the name as typed, with ".MP4" appended where it was added
};

// The OK of the rename window. side is "PSP" or "PC"; only "PSP" checks the naming rule, and
// a refusal shows its box through dialogs. The companion follows the video only when the
// video's own rename succeeded, so the two stay together; nothing is ever replaced.
RenameResult RenameVideo(platform::IFileSystem& fs, platform::IDialogs& dialogs,
                         const std::string& side, const std::string& sourcePath,
                         const std::string& newName);

}  // namespace brevlo::operations
