// The loop of a copy in pieces over an adapter's reads and writes.
#include "platform/CopySteps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace brevlo;
using namespace brevlo::platform;

namespace {

constexpr std::size_t P = CopyPiece;
constexpr long long Half = 6 * static_cast<long long>(P);

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
  struct Case {
    const char* what;
    long long failReadAt, failWriteAt;
    int cancelAt;
    double secondsPerRead;
    CopyResult result;
    std::size_t written;
    int reports;
  } cases[] = {
      // Twelve slow pieces: after the fourth and each one after it but the last.
      {"whole", -1, -1, -1, 0.02, CopyResult::Done, 12 * P, 8},
      // Twelve quick pieces: after the fourth and the eighth.
      {"quick pieces", -1, -1, -1, 0.003, CopyResult::Done, 12 * P, 2},
      {"read fails half-way", Half, -1, -1, 0.02, CopyResult::Failed, 6 * P, 3},
      {"write fails half-way", -1, Half, -1, 0.02, CopyResult::Failed, 6 * P, 3},
      {"canceled when first asked", -1, -1, 1, 0.02, CopyResult::Canceled, 4 * P, 1},
  };
  for (const Case& c : cases) {
    LoopRun run;
    run.source.resize(12 * P);
    for (std::size_t i = 0; i < run.source.size(); ++i) run.source[i] = static_cast<char>(i * 7);
    run.failReadAt = c.failReadAt;
    run.failWriteAt = c.failWriteAt;
    run.cancelAtReport = c.cancelAt;
    run.secondsPerRead = c.secondsPerRead;
    EXPECT_EQ(run.Run(), c.result) << c.what;
    EXPECT_EQ(static_cast<int>(run.reported.size()), c.reports) << c.what;
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

}  // namespace
