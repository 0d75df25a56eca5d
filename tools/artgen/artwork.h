#pragma once

#include <string>
#include <utility>
#include <vector>

#include "encode.h"

namespace brevlo::artgen {

// Every artwork file of the program, by file name, in a fixed order.
std::vector<std::pair<std::string, Bytes>> RenderAll();

}  // namespace brevlo::artgen
