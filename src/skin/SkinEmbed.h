#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brevlo::skin {

// Where a skin carried inside the program is written so that it can be loaded like any skin
// file: the temporary folder, a fresh GUID text and ".skn"; a name already taken gets a counter
// before the extension (1, 2, 3, ...).
std::string TemporarySkinName(const std::string& tempFolder, const std::string& guidText,
                              const std::function<bool(const std::string&)>& exists);

// What writing and loading an embedded skin needs from the platform.
struct SkinEmbedHost {
  std::function<std::string()> tempFolder;
  std::function<std::string()> newGuidText;  // "{...}"
  std::function<bool(const std::string&)> exists;
  // Never replaces a file, and leaves nothing behind when it fails.
  std::function<bool(const std::string&, const std::vector<std::uint8_t>&)> save;
  std::function<void(const std::string&)> remove;
};

// A folder we cannot write to must not hold the program in a loop.
inline constexpr int MaxSkinSaveAttempts = 5;

// Saves the bytes under a temporary name, hands that name to `load`, and removes the file again
// whatever happened. False, with nothing loaded, when no save succeeded.
bool LoadEmbeddedSkin(const std::vector<std::uint8_t>& bytes, const SkinEmbedHost& host,
                      const std::function<void(const std::string&)>& load);

}  // namespace brevlo::skin
