#include "platform/CopySteps.h"

#include <chrono>
#include <optional>
#include <vector>

namespace brevlo::platform {

CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress, const StepClock& clock, const StepRunner& run) {
  const StepClock now = clock ? clock : [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  std::vector<char> buffer(CopyPiece);
  std::uint64_t copied = 0;
  double reported = now();
  bool first = true;
  std::optional<CopyResult> end;
  // Pieces until the copy ends or progress is due.
  const std::function<void()> step = [&] {
    for (;;) {
      const long long got = read(buffer.data(), buffer.size());
      if (got <= 0 || !write(buffer.data(), static_cast<std::size_t>(got))) {
        end = got == 0 ? CopyResult::Done : CopyResult::Failed;
        return;
      }
      copied += static_cast<std::uint64_t>(got);
      if (copied < total && copied >= QuietCopyBytes && progress &&
          (first || now() - reported >= ReportEverySeconds)) {
        return;
      }
    }
  };
  for (;;) {
    if (run) {
      run(step);
    } else {
      step();
    }
    if (end) return *end;
    if (!progress(copied, total)) return CopyResult::Canceled;
    reported = now();
    first = false;
  }
}

}  // namespace brevlo::platform
