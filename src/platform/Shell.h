#pragma once

#include <string>

namespace brevlo::platform {

class IShell {
 public:
  virtual ~IShell() = default;
  // The shell's "open" action on a file, folder, web or mailto: address.
  virtual bool Open(const std::string& target) = 0;
};

}  // namespace brevlo::platform
