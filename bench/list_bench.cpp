// Filling a video list against a bare full-size decode of the same thumbnails.
//   list_bench [COUNT...]              default: 1000 10000
//   list_bench make FOLDER COUNT       a folder of COUNT videos with thumbnails, kept
//   list_bench fill FOLDER [REPEATS]   the fill of such a folder (tools/bench-wine.sh compares
//                                      it with the fill in the real window)
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "BenchSupport.h"
#include "library/VideoList.h"
#include "platform/portable/PortablePlatform.h"
#include "support/JpegWriter.h"

extern "C" {
#include <jpeglib.h>
}

using namespace brevlo;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> MakeThumbnailJpeg(int width, int height) {
  // A picture like a video frame: smooth shading, a few shapes, a little sensor noise.
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 3));
  std::mt19937 random(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool disc = (x - 50) * (x - 50) + (y - 60) * (y - 60) < 900;
      const bool bar = y > 80 && y < 95;
      const int noise = static_cast<int>(random() % 17) - 8;
      std::uint8_t* p = pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
      p[0] = static_cast<std::uint8_t>(std::clamp((disc ? 220 : x) + noise, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp((bar ? 40 : y * 2) + noise, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(120 + noise, 0, 255));
    }
  }
  return testing::CompressJpeg(width, height, testing::JpegLayout::Rgb, 85, false, [&](int y) {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  });
}

// The plainest way to show a thumbnail: read it, decode it at full size.
void BareDecode(const std::string& path, std::vector<std::uint8_t>& rgb) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  jpeg_decompress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  rgb.resize(static_cast<std::size_t>(info.output_width) * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        rgb.data() + static_cast<std::size_t>(info.output_scanline) * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
}

class CountingSink : public library::IVideoListSink {
 public:
  int rows = 0;
  void Clear() override { rows = 0; }
  void AddVideo(const library::ListedVideo&, const std::string&) override { ++rows; }
};

void MakeVideos(const fs::path& folder, int count, const std::vector<std::uint8_t>& jpeg,
                std::vector<std::string>* thumbs) {
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const std::string base = (folder / ("clip" + std::to_string(i))).string();
    std::ofstream(base + ".mp4", std::ios::binary) << "video";
    std::ofstream(base + ".THM", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()),
               static_cast<std::streamsize>(jpeg.size()));
    if (thumbs != nullptr) thumbs->push_back(base + ".THM");
  }
}

// The fill of a folder made by "make", against the bare decode of its thumbnails.
int FillFolder(const fs::path& folder, int repeats) {
  std::vector<std::string> thumbs;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".THM") thumbs.push_back(entry.path().string());
  }
  if (thumbs.empty()) return 2;
  const int count = static_cast<int>(thumbs.size());
  platform::StdFileSystem files;
  platform::PlainLocale locale;
  platform::CallbackPump pump;
  std::vector<std::uint8_t> rgb;
  const std::string app = folder.parent_path().string() + "/";
  auto figure = bench::SideBySide(
      "fill of " + std::to_string(count) + " videos",
      [&] {
        CountingSink sink;
        library::FillEnvironment env{files, locale, pump, app, nullptr};
        library::FillVideoList(folder.string(), sink, env);
        if (sink.rows != count) std::abort();
      },
      "bare full-size decode",
      [&] {
        for (const auto& t : thumbs) BareDecode(t, rgb);
      },
      repeats);
  std::printf("result fill_seconds %.6f\nresult rows %d\n", figure.value, count);
  bench::PrintFigures({figure});
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "make") {
    fs::remove_all(argv[2]);
    MakeVideos(argv[2], std::atoi(argv[3]), MakeThumbnailJpeg(160, 120), nullptr);
    return 0;
  }
  if (argc >= 3 && std::string(argv[1]) == "fill") {
    return FillFolder(fs::path(argv[2]), argc > 3 ? std::max(1, std::atoi(argv[3])) : 7);
  }
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1000, 10000};

  const fs::path root = fs::temp_directory_path() / "brevlo-list-bench";
  fs::remove_all(root);
  fs::create_directories(root / "app");
  const auto jpeg = MakeThumbnailJpeg(160, 120);
  std::ofstream(root / "app" / "DefaultPreview.THM", std::ios::binary)
      .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));

  std::vector<bench::Figure> figures;
  std::vector<double> fills;
  for (int count : counts) {
    const fs::path folder = root / ("videos-" + std::to_string(count));
    std::vector<std::string> thumbs;
    MakeVideos(folder, count, jpeg, &thumbs);
    platform::StdFileSystem files;
    platform::PlainLocale locale;
    platform::CallbackPump pump;
    std::vector<std::uint8_t> rgb;
    const int repeats = count >= 10000 ? 3 : 7;
    auto figure = bench::SideBySide(
        "fill of " + std::to_string(count) + " videos",
        [&] {
          CountingSink sink;
          library::FillEnvironment env{files, locale, pump, (root / "app").string() + "/", nullptr};
          library::FillVideoList(folder.string(), sink, env);
          if (sink.rows != count) std::abort();
        },
        "bare full-size decode",
        [&] {
          for (const auto& t : thumbs) BareDecode(t, rgb);
        },
        repeats);
    fills.push_back(figure.value);
    figures.push_back(figure);
  }
  if (fills.size() >= 2) {
    figures.push_back({"growth: fill " + std::to_string(counts.back()) + " / fill " +
                           std::to_string(counts.front()),
                       fills.back() / fills.front(), "count ratio",
                       static_cast<double>(counts.back()) / counts.front(), "x"});
  }
  fs::remove_all(root);
  bench::PrintFigures(figures);
  return 0;
}
