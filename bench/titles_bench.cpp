// Copying real MP4 videos to the PSP with their titles written against the same copy with
// titles off, side by side in one run: what a title costs a transfer.
//
// titles_bench [--count N] [--mb MB] [--repeats N] [--dir FOLDER]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "operations/TransferEngine.h"
#include "platform/portable/PortablePlatform.h"
#include "support/FakeTransferHost.h"
#include "support/TestVideos.h"
#include "video/Mp4Info.h"

using namespace brevlo;
namespace fs = std::filesystem;

namespace {

class NoProgress : public operations::ITransferProgress {
 public:
  void ShowProgress(operations::TransferStopFlag&) override {}
  void CloseProgress() override {}
  void SetSource(const std::string&) override {}
  void SetDestination(const std::string&) override {}
  void SetPosition(int) override {}
};

// A real video with its header first, and MB megabytes of random bytes in a box of their own
// behind its media, so that the title's header sits before the bulk of the file.
void MakeVideo(const fs::path& path, std::uint64_t mb, std::mt19937_64& random) {
  const auto head = brevlo::testing::ReadTestVideo("avc-high-1280x720.mp4");
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  const std::uint64_t bytes = mb * 1000000;
  const unsigned char box[8] = {static_cast<unsigned char>(bytes >> 24),
                                static_cast<unsigned char>(bytes >> 16),
                                static_cast<unsigned char>(bytes >> 8),
                                static_cast<unsigned char>(bytes),
                                'j',
                                'u',
                                'n',
                                'k'};
  out.write(reinterpret_cast<const char*>(box), 8);
  std::vector<std::uint64_t> block(1 << 17);
  for (std::uint64_t left = bytes - 8; left > 0;) {
    for (auto& word : block) word = random();
    const std::uint64_t n = std::min<std::uint64_t>(left, block.size() * sizeof(std::uint64_t));
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
    left -= n;
  }
}

}  // namespace

int main(int argc, char** argv) {
  int count = 3, repeats = 5;
  std::uint64_t mb = 200;
  std::string dir = (fs::temp_directory_path() / "brevlo-titles-bench").string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i], value = argv[i + 1];
    if (arg == "--count") count = std::atoi(value.c_str());
    if (arg == "--mb") mb = std::strtoull(value.c_str(), nullptr, 10);
    if (arg == "--repeats") repeats = std::max(1, std::atoi(value.c_str()));
    if (arg == "--dir") dir = value;
  }
  const fs::path work = fs::absolute(dir);
  const fs::path pc = work / "pc", pspRoot = work / "psp";
  const fs::path pspFolder = pspRoot / "MP_ROOT" / "100MNV01";
  fs::create_directories(pc);
  std::vector<testing::FakeTransferHost::Row> rows;
  std::mt19937_64 random(42);
  for (int i = 0; i < count; ++i) {
    const std::string name = "Holiday " + std::to_string(i + 1) + ".mp4";
    if (!fs::exists(pc / name) || fs::file_size(pc / name) < mb * 1000000) {
      MakeVideo(pc / name, mb, random);
    }
    rows.push_back({name, true});
  }
  std::printf("titles_bench: %d videos of %llu MB in %s\n", count,
              static_cast<unsigned long long>(mb), work.c_str());

  bool titled = false;
  const auto copy = [&](bool titles) {
    return [&, titles] {
      fs::remove_all(pspRoot);
      fs::create_directories(pspFolder);
      sync();
      platform::StdFileSystem files;
      files.MapDrive('C', pc.string());
      files.MapDrive('G', pspRoot.string());
      platform::ScriptedDialogs dialogs;
      platform::CallbackPump pump;
      NoProgress progress;
      testing::FakeTransferHost host;
      host.pc = rows;
      host.folders.SetPcFolder("C:\\");
      operations::TransferEngine engine(operations::TransferEnvironment{
          files, dialogs, pump, host, progress, "", titles, "Brevlo"});
      engine.TransferVideos(operations::CopyToPsp);
      sync();
      if (titles) {
        auto reader = files.OpenReader("G:\\MP_ROOT\\100MNV01\\M4V00001.MP4");
        const auto details = reader ? video::ReadMp4Details(*reader) : std::nullopt;
        titled = details && details->pspTitle && details->title == "Holiday 1";
      }
    };
  };
  const bench::Figure figure = bench::SideBySide("copy to PSP, titles written", copy(true),
                                                 "titles off", copy(false), repeats);
  if (!titled) {
    std::fprintf(stderr, "titles_bench: the copies carry no title\n");
    return 1;
  }
  bench::PrintFigures({figure});
  fs::remove_all(work);
  return 0;
}
