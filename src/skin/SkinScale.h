#pragma once

// The skin is drawn at 96 dots per inch; on a screen of another scale its pictures and lengths
// are scaled once, when first needed at that scale, and painting draws from the scaled copies.

#include <string_view>

#include "skin/SkinBitmap.h"
#include "skin/SkinReader.h"

namespace brevlo::skin {

inline constexpr int SkinDesignDpi = 96;

// A length of the skin at dpi, rounded to the nearest pixel (halves away from zero). -1, the
// mark of a value the skin does not have, stays -1.
int ScaleLength(int value, int dpi);

// The picture resized to width x height by averaging the area each new pixel covers, so that a
// factor of 1.5 gives soft edges rather than doubled and single columns; whole factors repeat
// pixels exactly. Magenta marks see-through pixels and is never mixed: a pixel mostly covered
// by magenta becomes exact magenta, any other takes the average of the colours under it alone.
TskBitmap ResizeBitmap(const TskBitmap& source, int width, int height);
// The picture at dpi; unchanged at 96 or when empty.
TskBitmap ScaleBitmap(const TskBitmap& source, int dpi);

// The reader's pictures at dpi. A strip of frames is cut first and each frame scaled alone, so
// that neighbouring frames never bleed into each other.
bool GetScaledImage(const TskSkinReader& reader, std::string_view name, TskBitmap& bitmap, int dpi);
bool GetScaledImageFrame(const TskSkinReader& reader, std::string_view name, TskBitmap& bitmap,
                         int count, int index, int dpi);

}  // namespace brevlo::skin
