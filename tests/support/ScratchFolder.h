#pragma once

// A fresh folder under the system's temporary folder for one test, removed with everything
// in it (write permissions given back first, so read-only leftovers go too).

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace brevlo::testing {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "brevlo") {
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / (tag + "-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~ScratchFolder() {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // A folder inside, made with its parents.
  std::filesystem::path Dir(const std::string& relative) const {
    std::filesystem::create_directories(path_ / relative);
    return path_ / relative;
  }
  void Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool Has(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

 private:
  std::filesystem::path path_;
};

}  // namespace brevlo::testing
