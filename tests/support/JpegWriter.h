#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevlo::testing {

// A JPEG of the given size: a gradient over the given colour, so scaling mistakes show.
std::vector<std::uint8_t> MakeJpeg(int width, int height, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b, bool progressive = false, bool grey = false);
// The same as a 4-component (CMYK, Adobe inverted) JPEG.
std::vector<std::uint8_t> MakeCmykJpeg(int width, int height);
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace brevlo::testing
