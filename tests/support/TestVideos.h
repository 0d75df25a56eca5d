#pragma once

// The real videos that tools/make-test-videos.sh makes at build time, and a file in memory for
// the cut and hostile copies of them.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::testing {

#ifdef BREVLO_TEST_VIDEOS
// The folder of the test videos, as this program sees it (a Wine path under Wine).
inline std::string TestVideoFolder() {
  std::string folder = BREVLO_TEST_VIDEOS;
#ifdef _WIN32
  if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder + "\\";
#else
  return folder + "/";
#endif
}

inline std::vector<std::uint8_t> ReadTestVideo(const std::string& name) {
  std::ifstream in(TestVideoFolder() + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
#endif

class MemoryFile : public platform::IFileReader {
 public:
  explicit MemoryFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(count, bytes_.size() - offset);
    std::memcpy(out, bytes_.data() + offset, n);
    return n;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace brevlo::testing
