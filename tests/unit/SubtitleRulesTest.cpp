// Which subtitles a converted video gets drawn into its picture.
#include "media/SubtitleRules.h"

#include <gtest/gtest.h>

namespace brevlo {
namespace {

using media::SubtitleTrack;

// "file NAME", "track N", or "none".
std::string Chosen(const media::SubtitleSituation& s) {
  const media::SubtitleChoice c = media::ChooseSubtitles(s);
  using From = media::SubtitleChoice::From;
  return c.from == From::File    ? "file " + c.file
         : c.from == From::Track ? "track " + std::to_string(c.track.stream)
                                 : "none";
}

TEST(SubtitleRules, TheFirstRuleThatAppliesChooses) {
  // stream, language, forced, default
  const std::vector<SubtitleTrack> japaneseThenEnglish = {{2, "jpn"}, {3, "eng"}};
  const std::vector<SubtitleTrack> defaultSecond = {{2, "fre"}, {3, "ger", false, true}};
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
       {"A.mkv", {}, {{2, "eng", true}, {3, "fre", false, true}}, "", ""},
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
  for (const Case& c : cases) EXPECT_EQ(Chosen(c.situation), c.chosen) << c.name;
}

TEST(SubtitleRules, LanguagesByAnyOfTheirTags) {
  EXPECT_TRUE(media::SameLanguage("ger", "de") && media::SameLanguage("deu", "German") &&
              media::SameLanguage("pt-BR", "por") && media::SameLanguage("xx", "XX"));
  EXPECT_FALSE(media::SameLanguage("", "") || media::SameLanguage("und", "und"));
  EXPECT_EQ(media::LanguageName("jpn") + "|" + media::LanguageName("tlh") + "|" +
                media::LanguageName("und"),
            "Japanese|tlh|");
}

}  // namespace
}  // namespace brevlo
