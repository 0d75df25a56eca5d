#include "platform/CopySteps.h"

#include <chrono>
#include <vector>

namespace brevlo::platform {

CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress, const StepClock& clock) {
  const StepClock now = clock ? clock : [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  std::vector<char> buffer(CopyPiece);
  std::uint64_t copied = 0;
  double reported = now();
  for (bool first = true;;) {
    const long long got = read(buffer.data(), buffer.size());
    if (got < 0) return CopyResult::Failed;
    if (got == 0) return CopyResult::Done;
    if (!write(buffer.data(), static_cast<std::size_t>(got))) return CopyResult::Failed;
    copied += static_cast<std::uint64_t>(got);
    if (copied < total && copied >= QuietCopyBytes && progress &&
        (first || now() - reported >= ReportEverySeconds)) {
      if (!progress(copied, total)) return CopyResult::Canceled;
      reported = now();
      first = false;
    }
  }
}

}  // namespace brevlo::platform
