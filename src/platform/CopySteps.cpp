#include "platform/CopySteps.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>

namespace brevlo::platform {

void CopyStepSizer::Took(std::size_t bytes, double seconds) {
  if (bytes == 0) return;
  double wanted = static_cast<double>(MaxStep);
  if (seconds > 0) wanted = static_cast<double>(bytes) * target_ / seconds;
  wanted = std::min({wanted, 2.0 * static_cast<double>(bytes), static_cast<double>(MaxStep)});
  next_ = std::clamp(static_cast<std::size_t>(wanted) / Granule * Granule, MinStep, MaxStep);
}

CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress, const StepClock& clock) {
  const StepClock now = clock ? clock : [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[CopyStepSizer::MaxStep]);
  if (!buffer) return CopyResult::Failed;
  CopyStepSizer sizer;
  std::uint64_t copied = 0;
  double reported = now();
  for (;;) {
    const double start = now();
    const long long got = read(buffer.get(), sizer.Next());
    if (got < 0) return CopyResult::Failed;
    if (got == 0) return CopyResult::Done;
    const auto bytes = static_cast<std::size_t>(got);
    if (!write(buffer.get(), bytes)) return CopyResult::Failed;
    copied += bytes;
    const double end = now();
    sizer.Took(bytes, end - start);
    const bool first = copied == bytes;
    if (copied < total && progress && (first || end - reported >= ReportEverySeconds)) {
      if (!progress(copied, total)) return CopyResult::Canceled;
      reported = now();
    }
  }
}
}  // namespace brevlo::platform
