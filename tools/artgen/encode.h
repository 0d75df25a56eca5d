#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace brevlo::artgen {

using Bytes = std::vector<std::uint8_t>;

// 24-bit bottom-up BMP, ordered-dithered so that gentle gradients do not band.
Bytes EncodeBmp(const Canvas& canvas);

// Baseline JPEG through libjpeg with fixed settings, so the output is reproducible.
Bytes EncodeJpeg(const Canvas& canvas, int quality);

// Windows icon of 32-bit images with alpha, one per canvas, with an AND mask for old readers.
Bytes EncodeIco(const std::vector<Canvas>& images);

}  // namespace brevlo::artgen
