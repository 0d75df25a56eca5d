#pragma once

#include <string_view>

#include "canvas.h"

namespace brevlo::artgen {

// A 5x7 bitmap font with descenders, drawn as round strokes joining neighbouring dots so that
// it scales to any size and stays antialiased.
struct TextStyle {
  double cell = 1;      // pixels per font dot; capitals are 7 cells high
  double weight = 1;    // stroke width in cells
  double tracking = 1;  // gap between letters in cells
  double slant = 0;     // horizontal shift per cell of height, for italics
};

double TextWidth(std::string_view text, const TextStyle& style);

// (x, y) is the top left of the capitals.
void DrawText(Canvas& canvas, std::string_view text, double x, double y, const TextStyle& style,
              const Paint& paint, double opacity = 1, double soft = 1);

}  // namespace brevlo::artgen
