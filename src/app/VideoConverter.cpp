#include "app/VideoConverter.h"

#include <cmath>
#include <cstdio>

#include "library/VideoList.h"
#include "media/Conversion.h"
#include "video/Mp4Info.h"
#include "video/PspPlayability.h"

namespace brevlo::app {
namespace {

media::TargetKind TargetOf(int kind) {
  return kind == library::Mpeg4Avc ? media::TargetKind::Avc : media::TargetKind::Mpeg4;
}

library::VideoKind KindOf(int kind) {
  return kind == library::Mpeg4Avc ? library::Mpeg4Avc : library::Mpeg4;
}

// The MP4's own kin: the PSP reads them as it reads an MP4 when what they hold plays.
bool IsMp4KinName(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".m4v" || ext == ".mov" || ext == ".3gp";
}

std::optional<video::Mp4Details> DetailsOf(platform::IFileSystem& fs, const std::string& path) {
  const auto reader = fs.OpenReader(path);
  if (reader == nullptr) return std::nullopt;
  return video::ReadMp4Details(*reader);
}

class Job : public operations::IConversionJob {
 public:
  explicit Job(std::unique_ptr<media::Conversion> conversion)
      : conversion_(std::move(conversion)) {}
  Step Run() override {
    switch (conversion_->Run()) {
      case media::Conversion::Step::Done:
        return Step::Done;
      case media::Conversion::Step::Failed:
        return Step::Failed;
      case media::Conversion::Step::Working:
        break;
    }
    return Step::Working;
  }
  double Fraction() const override { return conversion_->Fraction(); }
  std::string Error() const override { return conversion_->Error(); }
  std::uint64_t BytesWritten() const override { return conversion_->BytesWritten(); }
  bool SubtitlesLost() const override { return conversion_->SubtitlesLost(); }

 private:
  std::unique_ptr<media::Conversion> conversion_;
};

}  // namespace

// The folder part of a path, with its separator, and the name.
static std::pair<std::string, std::string> Split(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return {{}, path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

VideoConverter::VideoConverter(platform::IFileSystem& fs,
                               std::function<std::string(const std::string&)> libraryPath,
                               SubtitleSettings subtitles)
    : fs_(fs), libraryPath_(std::move(libraryPath)), subtitles_(std::move(subtitles)) {}

WordsPlan VideoConverter::PlanWords(const std::string& source, const media::SourceFacts& facts) {
  WordsPlan plan;
  plan.soundLanguage = facts.soundLanguage;
  if (!subtitles_.draw) return plan;
  media::SubtitleSituation situation;
  const auto [folder, name] = Split(source);
  situation.videoName = name;
  const auto dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  for (const platform::DirEntry& e : fs_.ListDirectory(folder, stem + ".*")) {
    if ((e.attributes & platform::AttrDirectory) == 0) situation.neighbours.push_back(e.name);
  }
  situation.tracks = facts.subtitles;
  situation.soundLanguage = facts.soundLanguage;
  situation.viewerLanguage = subtitles_.viewerLanguage;
  plan.subtitles = media::ChooseSubtitles(situation);
  return plan;
}

std::string VideoConverter::LibraryPath(const std::string& path) const {
  return libraryPath_ ? libraryPath_(path) : path;
}

operations::ConversionCheck VideoConverter::Check(const std::string& source, int kind) {
  const bool mp4 = library::IsVideoName(source);
  if (mp4 || IsMp4KinName(source)) {
    const auto details = DetailsOf(fs_, source);
    // What the PSP plays, or may play with later system software, goes byte for byte.
    if (details &&
        video::JudgeForPsp(*details, KindOf(kind)).playability != video::Playability::WillNotPlay) {
      // Unless it has subtitles to draw: the PSP's player shows none.
      const auto facts = subtitles_.draw ? media::ProbeSource(LibraryPath(source)) : std::nullopt;
      if (!facts || PlanWords(source, *facts).subtitles.from == media::SubtitleChoice::From::None) {
        return {operations::SourceFate::AsItIs, 0};
      }
      return {operations::SourceFate::Convert, media::EstimateOutputBytes(*facts)};
    }
  }
  const auto facts = media::ProbeSource(LibraryPath(source));
  // An ".mp4" that is no video at all still goes, as every ".mp4" always did.
  if (!facts) return {mp4 ? operations::SourceFate::AsItIs : operations::SourceFate::Unreadable, 0};
  return {operations::SourceFate::Convert, media::EstimateOutputBytes(*facts, TargetOf(kind))};
}

std::unique_ptr<operations::IConversionJob> VideoConverter::Open(const std::string& source,
                                                                 const std::string& target,
                                                                 int kind, const std::string& title,
                                                                 std::string& error) {
  media::SubtitleSource subtitles;
  if (const auto facts = media::ProbeSource(LibraryPath(source))) {
    const media::SubtitleChoice choice = PlanWords(source, *facts).subtitles;
    if (choice.from == media::SubtitleChoice::From::File) {
      subtitles.path = LibraryPath(Split(source).first + choice.file);
    } else if (choice.from == media::SubtitleChoice::From::Track) {
      subtitles.path = LibraryPath(source);
      subtitles.stream = choice.track.stream;
    }
    subtitles.fonts = subtitles_.fonts;
  }
  auto conversion = media::Conversion::Open(LibraryPath(source), LibraryPath(target),
                                            TargetOf(kind), error, title, subtitles);
  if (!conversion) return nullptr;
  return std::make_unique<Job>(std::move(conversion));
}

bool VideoConverter::Plays(const std::string& file, int kind) {
  const auto details = DetailsOf(fs_, file);
  return details &&
         video::JudgeForPsp(*details, KindOf(kind)).playability == video::Playability::Plays;
}

std::string WordsTip(const WordsPlan& plan) {
  std::string text;
  const media::SubtitleChoice& s = plan.subtitles;
  if (s.from != media::SubtitleChoice::From::None) {
    std::string what = media::LanguageName(s.language);
    if (what.empty()) {
      what = s.from == media::SubtitleChoice::From::File ? "from " + s.file : "the video's own";
    } else if (s.from == media::SubtitleChoice::From::File) {
      what += " (" + s.file + ")";
    }
    text = "Subtitles: " + what + ", drawn into the picture";
  }
  const std::string sound = media::LanguageName(plan.soundLanguage);
  if (!sound.empty()) text += (text.empty() ? "" : "\r\n") + ("Sound: " + sound);
  return text;
}

namespace {

// What a video that is not an MP4 holds, as the libraries see it.
std::string OtherVideoFacts(const media::SourceFacts& facts, char decimalSeparator) {
  std::string line;
  if (facts.seconds > 0 && facts.seconds < video::Mp4Details::MaxSeconds) {
    const long s = std::lround(facts.seconds);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%ld:%02ld", s / 60, s % 60);
    line = std::string(clock) + " \xC2\xB7 ";
  }
  line += std::to_string(facts.width) + " x " + std::to_string(facts.height);
  if (facts.fpsNum > 0 && facts.fpsDen > 0) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.2f", static_cast<double>(facts.fpsNum) / facts.fpsDen);
    std::string text = rate;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    for (char& c : text) c = c == '.' ? decimalSeparator : c;
    line += " \xC2\xB7 " + text + " frames/s";
  }
  line += facts.audioChannels > 0 ? " \xC2\xB7 with sound" : " \xC2\xB7 no sound";
  return line;
}

}  // namespace

std::string VideoConverter::Tip(const std::string& source,
                                const std::optional<video::Mp4Details>& details, int kind,
                                char decimalSeparator) {
  const auto facts = media::ProbeSource(LibraryPath(source));
  const bool mp4 = library::IsVideoName(source);
  if (!mp4 && !facts) return "Not a video this program can read";
  std::string tip = mp4 ? video::DetailsTip(details, KindOf(kind), decimalSeparator)
                        : OtherVideoFacts(*facts, decimalSeparator);
  if (!facts) return tip;
  const WordsPlan words = PlanWords(source, *facts);
  const std::string lines = WordsTip(words);
  if (!lines.empty()) tip += "\r\n" + lines;
  const bool plays =
      mp4 && details &&
      video::JudgeForPsp(*details, KindOf(kind)).playability != video::Playability::WillNotPlay;
  if (!plays) return tip + "\r\n" + WillBeConvertedText;
  if (words.subtitles.from != media::SubtitleChoice::From::None) {
    return tip + "\r\n" + ConvertedForSubtitlesText;
  }
  return tip;
}

}  // namespace brevlo::app
