// A transfer to the PSP against cp of the same files, side by side in one run: a few large videos
// and many small ones, each with its thumbnail. Figures are throughputs, so a ratio of 1 or more
// means the engine is at least as fast as cp.
//
// transfer_bench [--large COUNT] [--large-mb MB] [--small COUNT] [--small-kb KB] [--repeats N]
//                [--dir FOLDER]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "library/PaneFolders.h"
#include "operations/TransferEngine.h"
#include "platform/portable/PortablePlatform.h"

extern char** environ;

using namespace brevlo;
namespace fs = std::filesystem;

namespace {

struct Options {
  int largeCount = 3;
  std::uint64_t largeMB = 256;
  int smallCount = 2000;
  std::uint64_t smallKB = 100;
  int repeats = 5;
  std::string dir;
};

constexpr std::size_t ThumbBytes = 6000;

// Bytes that no file system can store as holes or compress away.
void WriteFile(const fs::path& path, std::uint64_t bytes, std::mt19937_64& random) {
  std::ofstream out(path, std::ios::binary);
  std::vector<std::uint64_t> block(1 << 17);
  while (bytes > 0) {
    for (auto& word : block) word = random();
    const std::uint64_t n = std::min<std::uint64_t>(bytes, block.size() * sizeof(std::uint64_t));
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
    bytes -= n;
  }
}

std::uint64_t MakeSet(const fs::path& folder, int count, std::uint64_t bytes,
                      std::vector<std::string>& names) {
  fs::create_directories(folder);
  std::mt19937_64 random(static_cast<std::uint64_t>(count) * 7919 + bytes);
  std::uint64_t total = 0;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "clip%05d", i);
    WriteFile(folder / (std::string(name) + ".mp4"), bytes, random);
    WriteFile(folder / (std::string(name) + ".THM"), ThumbBytes, random);
    names.push_back(std::string(name) + ".mp4");
    total += bytes + ThumbBytes;
  }
  return total;
}

class NoProgress : public operations::ITransferProgress {
 public:
  void ShowProgress(operations::TransferStopFlag&) override {}
  void CloseProgress() override {}
  void SetSource(const std::string&) override {}
  void SetDestination(const std::string&) override {}
  void SetPosition(int) override {}
};

class BenchHost : public operations::ITransferHost {
 public:
  std::vector<std::string> pc;
  BenchHost() {
    folders.SetPcFolder("C:\\");
    folders.SetPspDrive("G:\\");
  }
  library::PaneFolders folders;
  int RowCount(operations::VideoListId list) override {
    return list == operations::VideoListId::Pc ? static_cast<int>(pc.size()) : 0;
  }
  std::string RowCaption(operations::VideoListId, int row) override {
    return pc[static_cast<std::size_t>(row)];
  }
  bool RowSelected(operations::VideoListId, int) override { return true; }
  int SelectedCount(operations::VideoListId list) override { return RowCount(list); }
  void SelectAll(operations::VideoListId) override {}
  int KindIndex() override { return 0; }
  library::PaneFolders& Folders() override { return folders; }
  void ClickRefreshPc() override {}
  void ClickRefreshPsp() override {}
};

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool RunCp(const fs::path& from, const fs::path& to) {
  const std::string source = (from / ".").string();
  const std::string target = to.string();
  std::vector<char*> argv = {const_cast<char*>("cp"), const_cast<char*>("-r"),
                             const_cast<char*>(source.c_str()), const_cast<char*>(target.c_str()),
                             nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Figure {
  std::string name;
  double engine;  // MB/s
  double cp;      // MB/s
};

// Copies one set both ways, alternating which goes first, with the written data flushed
// between runs so that neither pays for the other's write-back.
Figure Measure(const std::string& label, const fs::path& source,
               const std::vector<std::string>& names, std::uint64_t bytes, const fs::path& work,
               int repeats) {
  std::vector<double> engineTimes, cpTimes;
  const fs::path pspRoot = work / "psp";
  const fs::path pspFolder = pspRoot / "MP_ROOT" / "100MNV01";
  const fs::path cpFolder = work / "cp";
  auto engineRun = [&] {
    fs::create_directories(pspFolder);
    platform::StdFileSystem files;
    files.MapDrive('C', source.string());
    files.MapDrive('G', pspRoot.string());
    platform::ScriptedDialogs dialogs;
    platform::CallbackPump pump;
    NoProgress progress;
    BenchHost host;
    host.pc = names;
    operations::TransferEngine engine(
        operations::TransferEnvironment{files, dialogs, pump, host, progress, ""});
    const double t = Seconds([&] {
      const auto report = engine.TransferVideos(operations::CopyToPsp);
      if (!report.notTransferred.empty()) std::fprintf(stderr, "engine: files not transferred\n");
    });
    engineTimes.push_back(t);
    fs::remove_all(pspRoot);
  };
  auto cpRun = [&] {
    fs::create_directories(cpFolder);
    const double t = Seconds([&] {
      if (!RunCp(source, cpFolder)) std::fprintf(stderr, "cp failed\n");
    });
    cpTimes.push_back(t);
    fs::remove_all(cpFolder);
  };
  for (int i = 0; i < repeats; ++i) {
    sync();
    if (i % 2 == 0) {
      engineRun();
      sync();
      cpRun();
    } else {
      cpRun();
      sync();
      engineRun();
    }
    std::printf("  %-28s run %d: engine %.3f s, cp %.3f s\n", label.c_str(), i + 1,
                engineTimes.back(), cpTimes.back());
    std::fflush(stdout);
  }
  const double mb = static_cast<double>(bytes) / 1e6;
  const double engineMedian = Median(engineTimes);
  const double cpMedian = Median(cpTimes);
  std::printf("  %-28s median: engine %.3f s (%.1f MB/s), cp %.3f s (%.1f MB/s)\n", label.c_str(),
              engineMedian, mb / engineMedian, cpMedian, mb / cpMedian);
  return Figure{label, mb / engineMedian, mb / cpMedian};
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--large") {
      o.largeCount = std::atoi(value.c_str());
    } else if (arg == "--large-mb") {
      o.largeMB = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arg == "--small") {
      o.smallCount = std::atoi(value.c_str());
    } else if (arg == "--small-kb") {
      o.smallKB = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arg == "--repeats") {
      o.repeats = std::max(1, std::atoi(value.c_str()));
    } else if (arg == "--dir") {
      o.dir = value;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: transfer_bench [--large COUNT] [--large-mb MB] [--small COUNT] "
                 "[--small-kb KB] [--repeats N] [--dir FOLDER]\n");
    return 2;
  }
  const fs::path base = options.dir.empty() ? fs::temp_directory_path() : fs::path(options.dir);
  const fs::path work = base / ("brevlo-transfer-bench-" + std::to_string(getpid()));
  fs::create_directories(work);

  std::printf("setting up %d x %llu MB and %d x %llu KB videos, each with a thumbnail...\n",
              options.largeCount, static_cast<unsigned long long>(options.largeMB),
              options.smallCount, static_cast<unsigned long long>(options.smallKB));
  std::vector<std::string> largeNames, smallNames;
  const std::uint64_t largeBytes =
      MakeSet(work / "large", options.largeCount, options.largeMB * 1000000, largeNames);
  const std::uint64_t smallBytes =
      MakeSet(work / "small", options.smallCount, options.smallKB * 1000, smallNames);

  std::vector<Figure> figures;
  if (options.largeCount > 0) {
    figures.push_back(Measure("large videos", work / "large", largeNames, largeBytes, work / "out",
                              options.repeats));
  }
  if (options.smallCount > 0) {
    figures.push_back(Measure("small videos", work / "small", smallNames, smallBytes, work / "out",
                              options.repeats));
  }
  std::error_code ec;
  fs::remove_all(work, ec);

  std::printf("\n%-40s %14s %14s %8s\n", "figure (engine MB/s)", "engine", "cp", "ratio");
  for (const auto& f : figures) {
    std::printf("%-40s %14.1f %14.1f %8.3f\n", ("transfer to PSP, " + f.name).c_str(), f.engine,
                f.cp, f.engine / f.cp);
  }
  return 0;
}
