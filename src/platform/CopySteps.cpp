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
                    const CopyProgress& progress) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[CopyStepSizer::MaxStep]);
  if (!buffer) return CopyResult::Failed;
  CopyStepSizer sizer;
  std::uint64_t copied = 0;
  for (;;) {
    const auto start = std::chrono::steady_clock::now();
    const long long got = read(buffer.get(), sizer.Next());
    if (got < 0) return CopyResult::Failed;
    if (got == 0) return CopyResult::Done;
    const auto bytes = static_cast<std::size_t>(got);
    if (!write(buffer.get(), bytes)) return CopyResult::Failed;
    copied += bytes;
    sizer.Took(bytes,
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (copied < total && progress && !progress(copied, total)) return CopyResult::Canceled;
  }
}

}  // namespace brevlo::platform
