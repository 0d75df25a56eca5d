#pragma once

#include "encode.h"

namespace brevlo::artgen {

// The built-in skin as a complete skin file: every image, integer and flag of the catalogue in
// its order, then the terminator.
Bytes RenderSkinFile();

}  // namespace brevlo::artgen
