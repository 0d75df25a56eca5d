#include "operations/DeleteVideos.h"

#include "library/PspNaming.h"
#include "operations/VideoPaths.h"

namespace brevlo::operations {

bool RecycleBinTakes(platform::IDrives& drives, const std::string& folder) {
  const bool letter =
      folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\' &&
      ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
  return letter && drives.TypeOf(folder.substr(0, 3)) == platform::DriveType::Fixed;
}

std::string DeleteQuestion(int count, bool psp, bool recycle) {
  const std::string what =
      count == 1 ? "the selected video and its thumbnail"
                 : "the " + std::to_string(count) + " selected videos and their thumbnails";
  if (recycle) return "Move " + what + " to the Recycle Bin?";
  return "Delete " + what + (psp ? " from the PSP? " : "? ") +
         (count == 1 ? "It cannot" : "They cannot") + " be restored.";
}

std::vector<std::string> DeleteSelectedVideos(platform::IFileSystem& fs, const std::string& folder,
                                              const std::vector<std::string>& selectedCaptions,
                                              DeleteKind kind) {
  std::vector<std::string> failed;
  if (!IsRootedFolder(folder)) return failed;
  const auto remove = [&](const std::string& path) {
    if (!fs.FileExists(path)) return true;
    return kind == DeleteKind::ToRecycleBin ? fs.Recycle(path) : fs.Delete(path);
  };
  const std::string base = library::WithTrailingBackslash(folder);
  for (const std::string& caption : selectedCaptions) {
    // An empty caption would name the folder itself.
    if (caption.empty()) continue;
    const bool video = remove(base + caption);
    // A thumbnail whose video stays stays with it.
    if (!video || !remove(base + library::WithoutExtension(caption) + ".THM")) {
      failed.push_back(caption);
    }
  }
  return failed;
}

std::string NotDeletedText(const std::vector<std::string>& captions, DeleteKind kind) {
  std::string text = kind == DeleteKind::ToRecycleBin
                         ? "These videos could not be moved to the Recycle Bin, so they were not "
                           "deleted:"
                         : "These videos could not be deleted:";
  constexpr std::size_t Listed = 20;
  for (std::size_t i = 0; i < captions.size() && i < Listed; ++i) text += "\r\n" + captions[i];
  if (captions.size() > Listed) {
    text += "\r\n... and " + std::to_string(captions.size() - Listed) + " more.";
  }
  return text;
}

}  // namespace brevlo::operations
