#pragma once

#include <functional>
#include <memory>
#include <string>

#include "media/Conversion.h"
#include "operations/TransferEngine.h"
#include "platform/FileSystem.h"
#include "video/Mp4Info.h"

namespace brevlo::app {

struct SubtitleSettings {
  bool draw = true;            // "Subtitles" in the preferences
  std::string viewerLanguage;  // the system's display language
  media::SubtitleFonts fonts;
};

// What a video's subtitles and sound come to on the PSP.
struct WordsPlan {
  media::SubtitleChoice subtitles;
  std::string soundLanguage;
};

// The transfer's converter: our own verdict decides what goes as it is, the media room converts
// the rest and its result is judged by the same verdict.
class VideoConverter : public operations::IVideoConverter {
 public:
  // libraryPath: a path as the media libraries open it (the program's own paths on Windows).
  explicit VideoConverter(platform::IFileSystem& fs,
                          std::function<std::string(const std::string&)> libraryPath = {},
                          SubtitleSettings subtitles = {});
  operations::ConversionCheck Check(const std::string& source, int kind) override;
  std::unique_ptr<operations::IConversionJob> Open(const std::string& source,
                                                   const std::string& target, int kind,
                                                   const std::string& title,
                                                   std::string& error) override;
  bool Plays(const std::string& file, int kind) override;

  // The subtitles drawn and the sound that goes, for a source the libraries read as facts.
  WordsPlan PlanWords(const std::string& source, const media::SourceFacts& facts);
  // The tip of a PC row: what it holds, what happens on the way to the PSP and why.
  // details: of an MP4, as the program's own reader sees it.
  std::string Tip(const std::string& source, const std::optional<video::Mp4Details>& details,
                  int kind, char decimalSeparator);

 private:
  std::string LibraryPath(const std::string& path) const;
  platform::IFileSystem& fs_;
  std::function<std::string(const std::string&)> libraryPath_;
  SubtitleSettings subtitles_;
};

// "Subtitles: English, drawn into the picture" and "Sound: Japanese", each when there is one.
std::string WordsTip(const WordsPlan& plan);

inline constexpr const char* WillBeConvertedText = "Will be converted for the PSP";
inline constexpr const char* ConvertedForSubtitlesText =
    "Will be converted for the PSP, to draw its subtitles into the picture";

}  // namespace brevlo::app
