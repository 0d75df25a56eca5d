#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "artwork.h"
#include "skinart.h"

namespace {

using brevlo::artgen::Bytes;

int Write(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (const auto& [name, bytes] : brevlo::artgen::RenderAll()) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "artgen: cannot write %s\n", (dir / name).string().c_str());
      return 1;
    }
  }
  return 0;
}

int Check(const std::filesystem::path& dir) {
  int stale = 0;
  for (const auto& [name, bytes] : brevlo::artgen::RenderAll()) {
    std::ifstream in(dir / name, std::ios::binary);
    const Bytes found((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.is_open() || found != bytes) {
      std::fprintf(stderr, "artgen: %s is missing or out of date\n", (dir / name).string().c_str());
      ++stale;
    }
  }
  if (stale > 0) std::fprintf(stderr, "artgen: regenerate with: artgen %s\n", dir.string().c_str());
  return stale > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) != "--check") return Write(argv[1]);
  if (argc == 3 && std::string(argv[1]) == "--check") return Check(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--skin-preview") {
    brevlo::artgen::WriteSkinPreview(argv[2]);
    return 0;
  }
  std::fprintf(stderr, "usage: artgen OUTDIR | artgen --check DIR | artgen --skin-preview DIR\n");
  return 2;
}
