#include "operations/DeleteVideos.h"

#include "library/PspNaming.h"
#include "operations/VideoPaths.h"

namespace brevlo::operations {

void DeleteSelectedVideos(platform::IFileSystem& fs, const std::string& folder,
                          const std::vector<std::string>& selectedCaptions) {
  if (!IsRootedFolder(folder)) return;
  const std::string base = library::WithTrailingBackslash(folder);
  for (const std::string& caption : selectedCaptions) {
    // An empty caption would name the folder itself.
    if (caption.empty()) continue;
    const std::string video = base + caption;
    if (fs.FileExists(video)) fs.Delete(video);
    const std::string companion = base + library::WithoutExtension(caption) + ".THM";
    if (fs.FileExists(companion)) fs.Delete(companion);
  }
}

}  // namespace brevlo::operations
