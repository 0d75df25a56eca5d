#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "encode.h"

namespace brevlo::artgen {

struct SkinImage {
  std::string name;
  Bytes bmp;
};

// Every image of the built-in skin as a complete BMP file, in the catalogue's order.
std::vector<SkinImage> RenderSkinImages();

// The check mark of menus: 16 x 16, 4 bits per pixel (16 colours), white is transparent.
Bytes RenderMenuCheck();

// Writes every image as its own BMP, plus previews composed the way the program draws the
// images (stretched, nine-gridded, turned), into dir.
void WriteSkinPreview(const std::filesystem::path& dir);

}  // namespace brevlo::artgen
