// Reading the details of big videos whose header lies at the end, as a tip does, against the
// least any reader of such a file does: open it, read its last 4 KB, close it.
//   details_bench [COUNT] [MB] [FOLDER]    default 1000 files of 200 MB under the temporary folder
// The files are sparse: the media between the first box and the header is a hole.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "video/Mp4Info.h"
#include "platform/portable/PortablePlatform.h"
#include "support/TestVideos.h"

using namespace brevlo;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// ftyp, a 64-bit media box over the hole, and the header of a real video at the end.
bool MakeVideo(const fs::path& path, const Bytes& video, std::uint64_t size) {
  const std::size_t ftyp = Get32(video, 0);
  std::size_t moov = 0;
  while (moov + 8 <= video.size() && Get32(video, moov + 4) != 0x6D6F6F76u) {  // "moov"
    moov += Get32(video, moov);
  }
  if (moov + 8 > video.size()) return false;
  Bytes head(video.begin(), video.begin() + static_cast<std::ptrdiff_t>(ftyp));
  const std::uint64_t media = size - ftyp - (video.size() - moov);
  head.insert(head.end(), {0, 0, 0, 1, 'm', 'd', 'a', 't'});
  for (int shift = 56; shift >= 0; shift -= 8)
    head.push_back(static_cast<std::uint8_t>(media >> shift));
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
  }
  std::error_code ec;
  fs::resize_file(path, size - (video.size() - moov), ec);
  std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(0, std::ios::end);
  out.write(reinterpret_cast<const char*>(video.data() + moov),
            static_cast<std::streamsize>(video.size() - moov));
  return !ec && static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const std::uint64_t mb = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200;
  const fs::path work = (argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path()) /
                        ("brevlo-details-bench-" + std::to_string(getpid()));
  const Bytes video = testing::ReadTestVideo("mpeg4-320x240.mp4");
  if (video.empty()) {
    std::fprintf(stderr, "no test video in %s\n", testing::TestVideoFolder().c_str());
    return 2;
  }
  fs::create_directories(work);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back((work / ("video" + std::to_string(i) + ".mp4")).string());
    if (!MakeVideo(paths.back(), video, mb * 1000000)) {
      std::fprintf(stderr, "could not make %s\n", paths.back().c_str());
      fs::remove_all(work);
      return 1;
    }
  }

  platform::StdFileSystem files;
  video::Mp4ReadCost cost;
  int complete = 0;
  std::vector<char> tail(4096);
  const auto details = [&] {
    complete = 0;
    for (const auto& path : paths) {
      const auto file = files.OpenReader(path);
      if (file && video::ReadMp4Details(*file, &cost)) ++complete;
    }
  };
  const auto lastBlock = [&] {
    for (const auto& path : paths) {
      const auto file = files.OpenReader(path);
      if (file) file->ReadAt(file->Size() - tail.size(), tail.data(), tail.size());
    }
  };
  auto figure = bench::SideBySide(
      "details of " + std::to_string(count) + " x " + std::to_string(mb) + " MB (ms/file)", details,
      "open, last 4 KB, close (ms/file)", lastBlock, 7);
  figure.value *= 1000.0 / count;
  figure.baseline *= 1000.0 / count;
  figure.unit = "ms";
  std::printf("%d of %d files complete; each %d reads, %llu bytes read\n", complete, count,
              cost.reads, static_cast<unsigned long long>(cost.bytes));
  fs::remove_all(work);
  bench::PrintFigures({figure});
  return complete == count ? 0 : 1;
}
