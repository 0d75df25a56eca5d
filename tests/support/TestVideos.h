#pragma once

// The real videos that tools/make-test-videos.sh makes at build time.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

}  // namespace brevlo::testing
