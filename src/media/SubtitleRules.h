#pragma once

// Which subtitles are drawn into a converted video's picture: the PSP's player shows none of its
// own. Plain data in, a choice out; the media libraries fill in the tracks.

#include <string>
#include <vector>

namespace brevlo::media {

struct SubtitleTrack {
  int stream = -1;       // the source's own stream number
  std::string language;  // as tagged ("eng", "en", "English"); empty when untagged
  bool forced = false;
  bool isDefault = false;
  bool picture = false;  // bitmaps (Blu-ray, DVD, DVB) rather than text
};

struct SubtitleSituation {
  std::string videoName;                // the video's file name, without its folder
  std::vector<std::string> neighbours;  // the names of the files in its folder
  std::vector<SubtitleTrack> tracks;    // those that can be drawn, in the source's order
  std::string soundLanguage;            // of the sound that goes; empty when unknown
  std::string viewerLanguage;           // the system's display language; empty when unknown
};

struct SubtitleChoice {
  enum class From { None, File, Track };
  From from = From::None;
  std::string file;      // a subtitle file beside the video (its name)
  SubtitleTrack track;   // or one of the video's own tracks
  std::string language;  // of what was chosen, as tagged; empty when unknown
};

// The first that applies: a subtitle file named after the video ("Film.srt", "Film.en.ass"; of
// several, the one in the viewer's language, else one without a language, else the first by
// name); a track marked forced or default; a track in the viewer's language when the sound is
// known to be in another; none.
SubtitleChoice ChooseSubtitles(const SubtitleSituation& situation);

// Whether a file name is a subtitle file of the video; language gets its language part, if any.
bool IsSubtitleFileOf(const std::string& videoName, const std::string& fileName,
                      std::string* language = nullptr);

// Two tags of one language ("en", "eng", "English"); never true for an empty tag.
bool SameLanguage(const std::string& a, const std::string& b);
// "English" for "en", "eng" or "English"; an unknown tag as it is; empty for none.
std::string LanguageName(const std::string& tag);

}  // namespace brevlo::media
