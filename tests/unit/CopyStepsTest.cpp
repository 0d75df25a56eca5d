// Copies in steps: the size of each step for the disk's speed, and the loop over an adapter's
// reads and writes, through to the portable adapter's real files.
#include "platform/CopySteps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/portable/PortablePlatform.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::platform;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t K = 1024;
constexpr std::size_t M = 1024 * K;

TEST(CopySteps, PiecesFollowTheSpeedSeen) {
  struct Case {
    std::size_t bytes;
    double seconds;
    std::size_t next;
  } cases[] = {
      {256 * K, 0.015, 256 * K},  // on target: the same again
      {64 * K, 0.001, 128 * K},   // fast: at most twice as much at a time
      {256 * K, 0.001, 256 * K},  // never beyond the cache-sized piece
      {256 * K, 0.0, 256 * K},    // too quick to time
      {256 * K, 0.030, 128 * K},  // twice too slow: half
      {256 * K, 0.05, 64 * K},    // a memory stick at 5 MB/s: down at once, to the smallest
      {64 * K, 2.0, 64 * K},      // a stalled disk still moves
      {200 * K, 0.015, 192 * K},  // in whole granules
      {0, 1.0, 256 * K},          // nothing read: nothing learnt
  };
  for (const Case& c : cases) {
    CopyStepSizer sizer;
    ASSERT_EQ(sizer.Next(), CopyStepSizer::FirstStep);
    sizer.Took(c.bytes, c.seconds);
    EXPECT_EQ(sizer.Next(), c.next) << c.bytes << " bytes in " << c.seconds << " s";
  }
}

// The loop over a source held in memory, whose reads or writes can be made to fail half-way.
struct LoopRun {
  std::vector<char> source;
  std::vector<char> written;
  std::vector<std::uint64_t> reported;
  long long failReadAt = -1;   // a read starting at this offset fails
  long long failWriteAt = -1;  // a write starting at this offset fails
  int cancelAtReport = -1;
  double secondsPerRead = 0.02;

  CopyResult Run() {
    std::size_t offset = 0;
    double clock = 0;
    return CopyLoop(
        source.size(),
        [&](char* buffer, std::size_t size) -> long long {
          clock += secondsPerRead;
          if (static_cast<long long>(offset) == failReadAt) return -1;
          const std::size_t n = std::min(size, source.size() - offset);
          std::memcpy(buffer, source.data() + offset, n);
          offset += n;
          return static_cast<long long>(n);
        },
        [&](const char* data, std::size_t size) {
          if (static_cast<long long>(written.size()) == failWriteAt) return false;
          written.insert(written.end(), data, data + size);
          return true;
        },
        [&](std::uint64_t copied, std::uint64_t total) {
          EXPECT_EQ(total, source.size());
          reported.push_back(copied);
          return static_cast<int>(reported.size()) != cancelAtReport;
        },
        [&] { return clock; });
  }
};

TEST(CopySteps, TheLoopEndsDoneFailedOrCanceled) {
  const std::size_t first = CopyStepSizer::FirstStep;
  struct Case {
    const char* what;
    long long failReadAt, failWriteAt;
    int cancelAt;
    double secondsPerRead;
    CopyResult result;
    std::size_t written;
    int reports;  // -1: any
  } cases[] = {
      {"whole", -1, -1, -1, 0.02, CopyResult::Done, 3 * M, -1},
      // Twelve quick pieces: after the first, then after the fifth and the ninth.
      {"quick pieces", -1, -1, -1, 0.003, CopyResult::Done, 3 * M, 3},
      {"read fails half-way", static_cast<long long>(first), -1, -1, 0.02, CopyResult::Failed,
       first, 1},
      {"write fails half-way", -1, static_cast<long long>(first), -1, 0.02, CopyResult::Failed,
       first, 1},
      {"canceled after the first piece", -1, -1, 1, 0.02, CopyResult::Canceled, first, 1},
  };
  for (const Case& c : cases) {
    LoopRun run;
    run.source.resize(3 * M);
    for (std::size_t i = 0; i < run.source.size(); ++i) run.source[i] = static_cast<char>(i * 7);
    run.failReadAt = c.failReadAt;
    run.failWriteAt = c.failWriteAt;
    run.cancelAtReport = c.cancelAt;
    run.secondsPerRead = c.secondsPerRead;
    EXPECT_EQ(run.Run(), c.result) << c.what;
    if (c.reports >= 0) {
      EXPECT_EQ(static_cast<int>(run.reported.size()), c.reports) << c.what;
    }
    EXPECT_EQ(run.written.size(), c.written) << c.what;
    EXPECT_TRUE(std::equal(run.written.begin(), run.written.end(), run.source.begin())) << c.what;
    // Reported between steps only: rising, and never the end itself.
    for (std::size_t i = 0; i < run.reported.size(); ++i) {
      EXPECT_LT(run.reported[i], run.source.size()) << c.what;
      if (i > 0) {
        EXPECT_GT(run.reported[i], run.reported[i - 1]) << c.what;
      }
    }
  }
}

class Scratch : public brevlo::testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("brevlo-steps") {}
};

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CopySteps, PortableAdapterCopiesCancelsAndNeverReplacesByMistake) {
  Scratch scratch;
  const fs::path dir = scratch.Dir("files");
  const std::string content(3 * M + 5, 'x');
  std::ofstream(dir / "from.bin", std::ios::binary) << content;
  std::ofstream(dir / "there.bin", std::ios::binary) << "already there";
  StdFileSystem files;
  const std::string from = (dir / "from.bin").string();
  int reports = 0;
  const auto count = [&](std::uint64_t, std::uint64_t) { return ++reports > 0; };

  EXPECT_EQ(files.CopyInSteps(from, (dir / "to.bin").string(), true, count), CopyResult::Done);
  EXPECT_EQ(Read(dir / "to.bin"), content);
  EXPECT_GE(reports, 1);

  const auto cancel = [](std::uint64_t, std::uint64_t) { return false; };
  EXPECT_EQ(files.CopyInSteps(from, (dir / "cut.bin").string(), true, cancel),
            CopyResult::Canceled);
  EXPECT_FALSE(fs::exists(dir / "cut.bin"));
  EXPECT_EQ(Read(dir / "from.bin"), content);

  // Fail-if-exists keeps the file that is there, and a failure does not remove it.
  EXPECT_EQ(files.CopyInSteps(from, (dir / "there.bin").string(), true, count), CopyResult::Failed);
  EXPECT_EQ(Read(dir / "there.bin"), "already there");
  EXPECT_EQ(files.CopyInSteps((dir / "none.bin").string(), (dir / "x.bin").string(), true, count),
            CopyResult::Failed);
  EXPECT_FALSE(fs::exists(dir / "x.bin"));
}

}  // namespace
