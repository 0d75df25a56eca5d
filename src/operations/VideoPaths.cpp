#include "operations/VideoPaths.h"

#include "library/PspNaming.h"

namespace brevlo::operations {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsRootedFolder(const std::string& folder) {
  if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == ':' &&
      IsSeparator(folder[2])) {
    return true;
  }
  return folder.size() >= 3 && IsSeparator(folder[0]) && IsSeparator(folder[1]) &&
         !IsSeparator(folder[2]);
}

std::string FolderPartOf(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePartOf(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathToPlay(const std::string& folder,
                       const std::vector<std::string>& selectedCaptions) {
  if (selectedCaptions.empty() || selectedCaptions.front().empty() || !IsRootedFolder(folder)) {
    return {};
  }
  return library::WithTrailingBackslash(folder) + selectedCaptions.front();
}

std::string FolderToOpen(const std::string& folder) {
  return IsRootedFolder(folder) ? folder : std::string();
}

bool PlaySelectedVideo(platform::IShell& shell, const std::string& folder,
                       const std::vector<std::string>& selectedCaptions) {
  const std::string path = PathToPlay(folder, selectedCaptions);
  if (path.empty()) return false;
  shell.Open(path);
  return true;
}

bool OpenFolderOf(platform::IShell& shell, const std::string& folder) {
  const std::string path = FolderToOpen(folder);
  if (path.empty()) return false;
  shell.Open(path);
  return true;
}

}  // namespace brevlo::operations
