// Which subtitles a converted video gets drawn into its picture.
#include "media/SubtitleRules.h"

#include <gtest/gtest.h>

namespace brevlo {
namespace {

using media::SubtitleTrack;

SubtitleTrack Track(int stream, const char* language, bool isDefault = false, bool forced = false) {
  SubtitleTrack t;
  t.stream = stream;
  t.language = language;
  t.isDefault = isDefault;
  t.forced = forced;
  return t;
}

// "file NAME", "track N", or "none".
std::string Chosen(const media::SubtitleChoice& c) {
  switch (c.from) {
    case media::SubtitleChoice::From::File:
      return "file " + c.file;
    case media::SubtitleChoice::From::Track:
      return "track " + std::to_string(c.track.stream);
    case media::SubtitleChoice::From::None:
      break;
  }
  return "none";
}

TEST(SubtitleRules, TheFirstRuleThatAppliesChooses) {
  const std::vector<SubtitleTrack> japaneseThenEnglish = {Track(2, "jpn"), Track(3, "eng")};
  const std::vector<SubtitleTrack> defaultSecond = {Track(2, "fre"), Track(3, "ger", true)};
  struct Case {
    const char* name;
    media::SubtitleSituation situation;
    const char* chosen;
  };
  const Case cases[] = {
      {"a file beside the video wins over a default track",
       {"Film.mkv", {"Film.mkv", "Film.srt"}, defaultSecond, "", "en"},
       "file Film.srt"},
      {"of several files, the viewer's language",
       {"Film.mp4", {"Film.de.srt", "Film.EN.srt", "Film.ass", "Film.fr.vtt"}, {}, "", "eng"},
       "file Film.EN.srt"},
      {"else one without a language",
       {"Film.mp4", {"Film.de.srt", "Film.ssa", "Film.fr.vtt"}, {}, "", "ja"},
       "file Film.ssa"},
      {"else the first by name",
       {"Film.mp4", {"Film.fr.vtt", "Film.de.srt"}, {}, "", ""},
       "file Film.de.srt"},
      {"three-letter code and extra words",
       {"Film.mp4", {"Film.forced.ger.srt", "Film.eng.srt"}, {}, "", "de"},
       "file Film.forced.ger.srt"},
      {"names of other videos and other kinds do not count",
       {"Film.mp4",
        {"Film 2.srt", "Film.srt.txt", "Film.nfo", "Filmx.srt", "Film.mp4"},
        {},
        "",
        "en"},
       "none"},
      {"odd names and case",
       {"Ærø, [1] 'x'.MKV", {"ærø, [1] 'x'.srt", "Ærø, [1] 'x'.SRT"}, {}, "", ""},
       "file Ærø, [1] 'x'.SRT"},
      {"a track marked default", {"A.mkv", {}, defaultSecond, "fre", "en"}, "track 3"},
      {"a forced track before a later default",
       {"A.mkv", {}, {Track(2, "eng", false, true), Track(3, "fre", true)}, "", ""},
       "track 2"},
      {"the viewer's language under foreign sound",
       {"A.mkv", {}, japaneseThenEnglish, "jpn", "en-US"},
       "track 3"},
      {"no subtitles under the viewer's own sound",
       {"A.mkv", {}, japaneseThenEnglish, "English", "en"},
       "none"},
      {"no subtitles when the sound's language is unknown",
       {"A.mkv", {}, japaneseThenEnglish, "und", "en"},
       "none"},
      {"none in the viewer's language", {"A.mkv", {}, japaneseThenEnglish, "fre", "de"}, "none"},
      {"nothing at all", {"A.mkv", {}, {}, "", ""}, "none"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Chosen(media::ChooseSubtitles(c.situation)), c.chosen) << c.name;
}

TEST(SubtitleRules, LanguagesByAnyOfTheirTags) {
  EXPECT_TRUE(media::SameLanguage("ger", "de"));
  EXPECT_TRUE(media::SameLanguage("deu", "German"));
  EXPECT_TRUE(media::SameLanguage("pt-BR", "por"));
  EXPECT_TRUE(media::SameLanguage("xx", "XX"));
  EXPECT_FALSE(media::SameLanguage("", ""));
  EXPECT_FALSE(media::SameLanguage("und", "und"));
  EXPECT_EQ(media::LanguageName("jpn"), "Japanese");
  EXPECT_EQ(media::LanguageName("tlh"), "tlh");
  EXPECT_EQ(media::LanguageName("und"), "");
}

}  // namespace
}  // namespace brevlo
