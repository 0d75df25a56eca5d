#pragma once

#include <cstdint>

namespace brevlo::platform {

// Scales 24-bit pixels (three bytes a pixel in any order, top row first) to another size with
// a linear filter that widens when it shrinks: smooth at 150 % where whole pixels would step,
// exact at 100 %, an average of the pixels covered when smaller. Strides are in bytes.
void ScalePixels24(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride,
                   std::uint8_t* dst, int dstWidth, int dstHeight, int dstStride);

}  // namespace brevlo::platform
