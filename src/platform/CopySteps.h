#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/FileSystem.h"

namespace brevlo::platform {

// Sizes the steps of a copy so that each takes about the target time, whatever the disk: the
// windows answer between steps, so a slow memory stick must get small steps and a fast disk
// large ones, which cost less per byte.
class CopyStepSizer {
 public:
  static constexpr std::size_t Granule = 64 * 1024;
  static constexpr std::size_t MinStep = Granule;
  static constexpr std::size_t MaxStep = 8 * 1024 * 1024;
  static constexpr std::size_t FirstStep = 256 * 1024;

  explicit CopyStepSizer(double targetSeconds = 0.015) : target_(targetSeconds) {}

  std::size_t Next() const { return next_; }
  // A step of that many bytes took that long: the next one is sized to the speed just seen,
  // growing at most twofold at a time, so that one quick step after a pause does not overshoot.
  void Took(std::size_t bytes, double seconds);

 private:
  double target_;
  std::size_t next_ = FirstStep;
};

// An adapter's read: bytes read into the buffer, 0 at the end, less than 0 on an error.
using StepRead = std::function<long long(char* buffer, std::size_t size)>;
using StepWrite = std::function<bool(const char* data, std::size_t size)>;

// The steps of one copy of total bytes; progress is asked between steps, never after the last.
// The adapter opens, closes and, unless Done, removes the destination.
CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress);

}  // namespace brevlo::platform
