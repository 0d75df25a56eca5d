#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "skin/SkinEmbed.h"

namespace brevlo::skin {

// The skin carried in the executable (resource "BREVLOSKIN"), byte for byte as its file.
std::vector<std::uint8_t> BuiltInSkinBytes();

// Temporary folder, GUIDs and files of this machine.
SkinEmbedHost Win32SkinEmbedHost();

// Writes the built-in skin to a temporary file, lets `load` read it, and deletes the file.
bool LoadBuiltInSkin(const std::function<void(const std::string&)>& load);

}  // namespace brevlo::skin
