#include "operations/DeleteVideos.h"

#include "library/PspNaming.h"
#include "operations/VideoPaths.h"

namespace brevlo::operations {

void DeleteSelectedVideos(platform::IFileSystem& fs, const std::string& folder,
                          const std::vector<std::string>& selectedCaptions, DeleteKind kind) {
  if (!IsRootedFolder(folder)) return;
  const auto remove = [&](const std::string& path) {
    if (!fs.FileExists(path)) return;
    if (kind == DeleteKind::ToRecycleBin) {
      fs.Recycle(path);
    } else {
      fs.Delete(path);
    }
  };
  const std::string base = library::WithTrailingBackslash(folder);
  for (const std::string& caption : selectedCaptions) {
    // An empty caption would name the folder itself.
    if (caption.empty()) continue;
    const std::string video = base + caption;
    remove(video);
    remove(base + library::WithoutExtension(caption) + ".THM");
  }
}

}  // namespace brevlo::operations
