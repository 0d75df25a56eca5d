#pragma once

// High dynamic range pictures (BT.2100: BT.2020 colours with the PQ or HLG curve) brought to
// what an ordinary screen shows: tones up to half of reference white (203 cd/m2) kept as
// they are, brighter ones up to 1000 cd/m2 rolled off into the top, BT.709 colours. Pure maths.

#include <string>

#include "media/PictureChain.h"

namespace brevlo::media {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

// Coded R'G'B' (0..1) of the high dynamic range picture to coded R'G'B' (0..1) of a BT.709
// picture for a screen of gamma 2.4. An Sdr curve passes through unchanged.
Rgb ToneMapped(Curve curve, Rgb coded);

// The mapping as a 3D table in the .cube text form, size points a side.
std::string ToneTable(Curve curve, int size);

// A file name made safe to stand as an option's value inside a filter description.
std::string FilterEscaped(const std::string& path);

}  // namespace brevlo::media
