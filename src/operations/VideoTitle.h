#pragma once

#include <string>

#include "operations/TransferEngine.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/MessagePump.h"

namespace brevlo::operations {

inline constexpr const char* TitleCaption = "PSP Title";
inline constexpr const char* TitleControlText =
    "A title cannot hold control characters such as tabs or line breaks.";
inline constexpr const char* TitleUnknownText =
    "The title of this video cannot be changed: it is not an MP4 file whose header Brevlo "
    "can write.";
inline constexpr const char* TitleFailedText =
    "The title could not be written. The video is as it was.";
inline constexpr const char* TitleStoppedText = "The title was not changed.";

enum class TitleOutcome { Changed, Unchanged, Refused, Failed, Stopped };

struct TitleEnvironment {
  platform::IFileSystem& fs;
  platform::IDialogs& dialogs;
  platform::IMessagePump& pump;
  ITransferProgress& progress;
  std::string encoder;  // names the program in the title's box
};

// Gives the video at path a new PSP title (empty: none). Never half-done: the header is
// rewritten in place in one write when the room behind it allows, otherwise the whole file is
// written beside it under a temporary name, with the progress window and its Stop, and then
// takes the old one's place in one step. Refused (with a message) for control characters.
TitleOutcome ChangeVideoTitle(TitleEnvironment& env, const std::string& path,
                              const std::string& title);

}  // namespace brevlo::operations
