#include "platform/CopyPlan.h"

#include <algorithm>
#include <cstring>

namespace brevlo::platform {

std::uint64_t PlanSize(const CopyPlan& plan) {
  std::uint64_t size = 0;
  for (const PlanPiece& piece : plan) size += piece.Size();
  return size;
}

long long PlanReader::Read(char* buffer, std::size_t size) {
  while (piece_ < plan_.size() && done_ >= plan_[piece_].Size()) {
    ++piece_;
    done_ = 0;
  }
  if (piece_ >= plan_.size() || size == 0) return 0;
  const PlanPiece& piece = plan_[piece_];
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, piece.Size() - done_));
  if (piece.fromSource) {
    if (source_.ReadAt(piece.sourceOffset + done_, buffer, count) != count) return -1;
  } else {
    std::memcpy(buffer, piece.bytes.data() + done_, count);
  }
  done_ += count;
  return static_cast<long long>(count);
}

}  // namespace brevlo::platform
