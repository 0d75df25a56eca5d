// What drawing subtitles costs a conversion: the time spent reading and drawing them against the
// whole conversion's, and a conversion with them against one without, in the same run.
//   subtitles_bench [KEEPFOLDER]   (KEEPFOLDER: where the results stay, to be looked at)
#include <cstdio>
#include <filesystem>

#include "BenchSupport.h"
#include "media/Conversion.h"

using namespace brevlo;

namespace {

const std::string Folder = std::string(BREVLO_TEST_VIDEOS) + "/";

double subtitleSeconds = 0;

void Convert(const std::string& source, const std::string& target,
             const media::SubtitleSource& subtitles) {
  std::error_code ec;
  std::filesystem::remove(target, ec);
  std::string error;
  auto conversion =
      media::Conversion::Open(source, target, media::TargetKind::Mpeg4, error, {}, subtitles);
  if (!conversion) {
    std::fprintf(stderr, "cannot convert %s: %s\n", source.c_str(), error.c_str());
    std::exit(1);
  }
  media::Conversion::Step step;
  while ((step = conversion->Run(1)) == media::Conversion::Step::Working) {
  }
  if (step != media::Conversion::Step::Done || conversion->SubtitlesLost()) {
    std::fprintf(stderr, "%s: %s\n", source.c_str(), conversion->Error().c_str());
    std::exit(1);
  }
  subtitleSeconds = conversion->SubtitleSeconds();
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path keep =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  std::filesystem::create_directories(keep);
  media::SubtitleSource fonts;
  fonts.fonts.systemFonts = false;
  fonts.fonts.fallbackFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  struct Input {
    const char* name;
    std::string video, subtitles;
    int stream;
  };
  const Input inputs[] = {
      {"ASS track, attached font", Folder + "subs-default-ass.mkv", Folder + "subs-default-ass.mkv",
       2},
      {"SRT beside an MP4", Folder + "subs-beside.mp4", Folder + "subs-beside.srt", -1},
      // Moving pictures, where the encoder's work does not hinge on the lettering alone.
      {"SRT, 720p H.264", Folder + "avc-high-1280x720.mp4", Folder + "subs-beside.srt", -1},
      {"SRT, 60 fps MKV", Folder + "convert-60fps-surround.mkv", Folder + "subs-beside.srt", -1},
  };
  std::vector<bench::Figure> figures;
  for (const Input& in : inputs) {
    media::SubtitleSource with = fonts;
    with.path = in.subtitles;
    with.stream = in.stream;
    const std::string target = (keep / (std::string(in.name) + ".MP4")).string();
    std::vector<double> spent, whole;
    const bench::Figure both = bench::SideBySide(
        std::string("convert with subtitles: ") + in.name,
        [&] {
          whole.push_back(bench::Seconds([&] { Convert(in.video, target, with); }));
          spent.push_back(subtitleSeconds);
        },
        "the same without", [&] { Convert(in.video, target + ".plain.MP4", {}); }, 5);
    figures.push_back(both);
    figures.push_back({std::string("  of which subtitles: ") + in.name, bench::Median(spent),
                       "the whole conversion", bench::Median(whole), "s"});
  }
  bench::PrintFigures(figures);
  return 0;
}
