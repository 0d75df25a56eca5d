#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/FileSystem.h"

namespace brevlo::platform {

// Sizes the pieces a copy reads and writes so that none takes much longer than the target time,
// whatever the disk: the windows answer between pieces, so a slow memory stick needs small
// ones. A fast disk gets pieces that stay in the processor's cache, which beat larger ones.
class CopyStepSizer {
 public:
  static constexpr std::size_t Granule = 64 * 1024;
  static constexpr std::size_t MinStep = Granule;
  static constexpr std::size_t MaxStep = 256 * 1024;
  static constexpr std::size_t FirstStep = MaxStep;

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

// Seconds on a steady clock.
using StepClock = std::function<double()>;

// Progress is asked this often at most: each time costs a round of the windows' messages.
inline constexpr double ReportEverySeconds = 0.010;

// The pieces of one copy of total bytes; progress is asked after the first piece, then between
// pieces once the last time is ReportEverySeconds old, never after the last piece. The adapter opens, closes and, unless
// Done, removes the destination.
CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress, const StepClock& clock = {});

}  // namespace brevlo::platform
