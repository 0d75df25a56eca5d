// The loop of a copy in pieces, over a source in memory whose reads or writes fail half-way.
#include "platform/CopySteps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace brevlo::platform;

namespace {

constexpr std::size_t P = CopyPiece;
constexpr long long Half = 6 * static_cast<long long>(P);

TEST(CopySteps, TheLoopEndsDoneFailedOrCanceled) {
  struct Case {
    const char* what;
    long long failReadAt, failWriteAt;  // offsets
    int cancelAt;                       // which question is answered no
    double secondsPerPiece;
    CopyResult result;
    std::size_t written;
    int questions;
  } cases[] = {
      // Twelve slow pieces: asked after the fourth and each one after it but the last.
      {"whole", -1, -1, -1, 0.02, CopyResult::Done, 12 * P, 8},
      // Twelve quick pieces: asked after the fourth and the eighth.
      {"quick pieces", -1, -1, -1, 0.003, CopyResult::Done, 12 * P, 2},
      {"read fails half-way", Half, -1, -1, 0.02, CopyResult::Failed, 6 * P, 3},
      {"write fails half-way", -1, Half, -1, 0.02, CopyResult::Failed, 6 * P, 3},
      {"canceled when first asked", -1, -1, 1, 0.02, CopyResult::Canceled, 4 * P, 1},
  };
  for (const Case& c : cases) {
    std::vector<char> source(12 * P), written;
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 7);
    std::vector<std::uint64_t> asked;
    double clock = 0;
    const auto read = [&](char* buffer, std::size_t size) -> long long {
      clock += c.secondsPerPiece;
      if (static_cast<long long>(written.size()) == c.failReadAt) return -1;
      const std::size_t n = std::min(size, source.size() - written.size());
      std::memcpy(buffer, source.data() + written.size(), n);
      return static_cast<long long>(n);
    };
    const auto write = [&](const char* data, std::size_t size) {
      if (static_cast<long long>(written.size()) == c.failWriteAt) return false;
      written.insert(written.end(), data, data + size);
      return true;
    };
    const auto progress = [&](std::uint64_t copied, std::uint64_t total) {
      EXPECT_LT(copied, total) << c.what;
      asked.push_back(copied);
      return static_cast<int>(asked.size()) != c.cancelAt;
    };
    EXPECT_EQ(CopyLoop(source.size(), read, write, progress, [&] { return clock; }), c.result)
        << c.what;
    EXPECT_EQ(static_cast<int>(asked.size()), c.questions) << c.what;
    EXPECT_EQ(written.size(), c.written) << c.what;
    EXPECT_TRUE(std::equal(written.begin(), written.end(), source.begin())) << c.what;
  }
}

}  // namespace
