#include "media/SubtitleRules.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace brevlo::media {
namespace {

// Two-letter code, three-letter codes (bibliographic and terminological), English name.
struct Language {
  std::string_view two, three, threeAlt, name;
};
constexpr std::array<Language, 40> Languages{{
    {"en", "eng", "", "English"},     {"ja", "jpn", "", "Japanese"},
    {"de", "deu", "ger", "German"},   {"fr", "fra", "fre", "French"},
    {"es", "spa", "", "Spanish"},     {"it", "ita", "", "Italian"},
    {"pt", "por", "", "Portuguese"},  {"nl", "nld", "dut", "Dutch"},
    {"ru", "rus", "", "Russian"},     {"zh", "zho", "chi", "Chinese"},
    {"ko", "kor", "", "Korean"},      {"sv", "swe", "", "Swedish"},
    {"da", "dan", "", "Danish"},      {"no", "nor", "nob", "Norwegian"},
    {"fi", "fin", "", "Finnish"},     {"pl", "pol", "", "Polish"},
    {"cs", "ces", "cze", "Czech"},    {"sk", "slk", "slo", "Slovak"},
    {"hu", "hun", "", "Hungarian"},   {"el", "ell", "gre", "Greek"},
    {"tr", "tur", "", "Turkish"},     {"ar", "ara", "", "Arabic"},
    {"he", "heb", "", "Hebrew"},      {"hi", "hin", "", "Hindi"},
    {"th", "tha", "", "Thai"},        {"vi", "vie", "", "Vietnamese"},
    {"id", "ind", "", "Indonesian"},  {"uk", "ukr", "", "Ukrainian"},
    {"ro", "ron", "rum", "Romanian"}, {"ca", "cat", "", "Catalan"},
    {"hr", "hrv", "", "Croatian"},    {"sr", "srp", "", "Serbian"},
    {"bg", "bul", "", "Bulgarian"},   {"is", "isl", "ice", "Icelandic"},
    {"fa", "fas", "per", "Persian"},  {"ms", "msa", "may", "Malay"},
    {"et", "est", "", "Estonian"},    {"lv", "lav", "", "Latvian"},
    {"lt", "lit", "", "Lithuanian"},  {"sl", "slv", "", "Slovenian"},
}};

constexpr std::array<std::string_view, 4> SubtitleExtensions{"srt", "ass", "ssa", "vtt"};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The tag's language; "pt-BR" and "en_US" count as their language.
const Language* Find(const std::string& tag) {
  std::string key = Lower(tag);
  const auto cut = key.find_first_of("-_");
  if (cut != std::string::npos) key.resize(cut);
  if (key.empty() || key == "und") return nullptr;
  for (const Language& l : Languages) {
    if (key == l.two || key == l.three || key == l.threeAlt || key == Lower(l.name)) return &l;
  }
  return nullptr;
}

bool Known(const std::string& tag) {
  const std::string key = Lower(tag);
  return !key.empty() && key != "und";
}

}  // namespace

bool SameLanguage(const std::string& a, const std::string& b) {
  if (!Known(a) || !Known(b)) return false;
  const Language* la = Find(a);
  const Language* lb = Find(b);
  if (la != nullptr || lb != nullptr) return la == lb;
  return Lower(a) == Lower(b);
}

std::string LanguageName(const std::string& tag) {
  if (!Known(tag)) return {};
  const Language* l = Find(tag);
  return l != nullptr ? std::string(l->name) : tag;
}

bool IsSubtitleFileOf(const std::string& videoName, const std::string& fileName,
                      std::string* language) {
  const auto dot = videoName.rfind('.');
  const std::string stem = Lower(dot == std::string::npos ? videoName : videoName.substr(0, dot));
  const std::string name = Lower(fileName);
  if (stem.empty() || name.size() <= stem.size() + 1 || name.compare(0, stem.size(), stem) != 0 ||
      name[stem.size()] != '.') {
    return false;
  }
  const auto last = name.rfind('.');
  const std::string_view extension = std::string_view(name).substr(last + 1);
  if (std::find(SubtitleExtensions.begin(), SubtitleExtensions.end(), extension) ==
      SubtitleExtensions.end()) {
    return false;
  }
  // Between the video's name and the extension: nothing, or words such as a language
  // ("Film.en.srt", "Film.forced.eng.srt"), the first language among them counting.
  std::string found;
  std::size_t at = stem.size() + 1;
  while (at < last) {
    const auto next = name.find('.', at);
    const std::string word = fileName.substr(at, next - at);
    if (found.empty() && Find(word) != nullptr) found = word;
    at = next + 1;
  }
  if (language != nullptr) *language = found;
  return true;
}

SubtitleChoice ChooseSubtitles(const SubtitleSituation& s) {
  SubtitleChoice choice;
  // 1. A file beside the video.
  struct Candidate {
    std::string name, language;
  };
  std::vector<Candidate> files;
  for (const std::string& name : s.neighbours) {
    std::string language;
    if (IsSubtitleFileOf(s.videoName, name, &language)) files.push_back({name, language});
  }
  if (!files.empty()) {
    std::sort(files.begin(), files.end(), [](const Candidate& a, const Candidate& b) {
      const std::string la = Lower(a.name), lb = Lower(b.name);
      return la != lb ? la < lb : a.name < b.name;
    });
    auto pick = std::find_if(files.begin(), files.end(), [&](const Candidate& c) {
      return SameLanguage(c.language, s.viewerLanguage);
    });
    if (pick == files.end()) {
      pick = std::find_if(files.begin(), files.end(),
                          [](const Candidate& c) { return c.language.empty(); });
    }
    if (pick == files.end()) pick = files.begin();
    choice.from = SubtitleChoice::From::File;
    choice.file = pick->name;
    choice.language = pick->language;
    return choice;
  }
  const auto take = [&](const SubtitleTrack& track) {
    choice.from = SubtitleChoice::From::Track;
    choice.track = track;
    choice.language = track.language;
    return choice;
  };
  // 2. A track marked forced or default.
  for (const SubtitleTrack& track : s.tracks) {
    if (track.forced || track.isDefault) return take(track);
  }
  // 3. The viewer's language, when the sound is known to speak another.
  if (Known(s.soundLanguage) && Known(s.viewerLanguage) &&
      !SameLanguage(s.soundLanguage, s.viewerLanguage)) {
    for (const SubtitleTrack& track : s.tracks) {
      if (SameLanguage(track.language, s.viewerLanguage)) return take(track);
    }
  }
  return choice;
}

}  // namespace brevlo::media
