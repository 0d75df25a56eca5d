#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace brevlo::artgen {

using Bytes = std::vector<std::uint8_t>;

// 24-bit bottom-up BMP, ordered-dithered so that gentle gradients do not band.
Bytes EncodeBmp(const Canvas& canvas);

// 8-bit bottom-up BMP with exactly `palette_size` palette entries (2 to 256), for opaque
// artwork. An image with no more colours than that keeps every colour exactly; otherwise a
// median cut picks the palette. Magenta (255, 0, 255), the transparent colour of the skin, stays
// exact and no other colour is ever mapped to it.
Bytes EncodeBmp8(const Canvas& canvas, int palette_size);

// 4-bit bottom-up BMP with 16 palette entries, by the same rules, keeping white exact (the
// transparent colour of menu glyphs).
Bytes EncodeBmp4(const Canvas& canvas);

// Baseline JPEG through libjpeg with fixed settings, so the output is reproducible.
Bytes EncodeJpeg(const Canvas& canvas, int quality);

// Windows icon of 32-bit images with alpha, one per canvas, with an AND mask for old readers.
Bytes EncodeIco(const std::vector<Canvas>& images);

}  // namespace brevlo::artgen
