#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brevlo::testing {

enum class JpegLayout { Grey = 1, Rgb = 3, Cmyk = 4 };

// Compresses a picture handed over one row at a time (row(y) gives its bytes), so that even a
// huge picture is never held whole.
std::vector<std::uint8_t> CompressJpeg(int width, int height, JpegLayout layout, int quality,
                                       bool progressive,
                                       const std::function<const std::uint8_t*(int y)>& row);

// A JPEG of the given size: a gradient over the given colour, so scaling mistakes show.
std::vector<std::uint8_t> MakeJpeg(int width, int height, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b, bool progressive = false, bool grey = false);
// The same as a 4-component (CMYK, Adobe inverted) JPEG.
std::vector<std::uint8_t> MakeCmykJpeg(int width, int height);
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace brevlo::testing
