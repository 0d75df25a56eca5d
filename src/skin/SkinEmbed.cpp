#include "skin/SkinEmbed.h"

namespace brevlo::skin {

std::string TemporarySkinName(const std::string& tempFolder, const std::string& guidText,
                              const std::function<bool(const std::string&)>& exists) {
  std::string base = tempFolder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  base += guidText;
  const std::string extension = ".skn";
  std::string name = base + extension;
  for (int counter = 1; exists(name); ++counter) {
    name = base + std::to_string(counter) + extension;
  }
  return name;
}

bool LoadEmbeddedSkin(const std::vector<std::uint8_t>& bytes, const SkinEmbedHost& host,
                      const std::function<void(const std::string&)>& load) {
  for (int attempt = 0; attempt < MaxSkinSaveAttempts; ++attempt) {
    const std::string name = TemporarySkinName(host.tempFolder(), host.newGuidText(), host.exists);
    if (!host.save(name, bytes)) continue;
    load(name);
    host.remove(name);
    return true;
  }
  return false;
}

}  // namespace brevlo::skin
