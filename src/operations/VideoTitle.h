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
// The file still reads after any of its writes, but which title it now shows is not known.
inline constexpr const char* TitleBrokenOffText =
    "The title could not be written to the end. The pictures and sound are as they were, but "
    "the video may now show its old title, the new one or none.";

enum class TitleOutcome { Changed, Unchanged, Refused, Failed, Stopped };

struct TitleEnvironment {
  platform::IFileSystem& fs;
  platform::IDialogs& dialogs;
  platform::IMessagePump& pump;
  ITransferProgress& progress;
  std::string encoder;  // names the program in the title's box
};

// Gives the video at path a new PSP title (empty: none). Never a file that does not read: the
// new title's box goes in place, in writes that each leave the file whole, when the header has
// room for it (off this thread, the windows served meanwhile); otherwise the whole file is
// written beside it under a temporary name, with the progress window and its Stop, and then
// takes the old one's place in one step. Refused (with a message) for control characters.
TitleOutcome ChangeVideoTitle(TitleEnvironment& env, const std::string& path,
                              const std::string& title);

}  // namespace brevlo::operations
