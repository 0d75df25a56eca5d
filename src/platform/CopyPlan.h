#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::platform {

std::uint64_t PlanSize(const CopyPlan& plan);

// A plan's bytes in order, read in pieces as a copy loop asks for them: the pieces in memory
// as they are, the source's ranges read from it when their turn comes.
class PlanReader {
 public:
  PlanReader(const CopyPlan& plan, IFileReader& source) : plan_(plan), source_(source) {}
  // Bytes put in buffer; 0 at the end; -1 when the source cannot give a range it should.
  long long Read(char* buffer, std::size_t size);

 private:
  const CopyPlan& plan_;
  IFileReader& source_;
  std::size_t piece_ = 0;
  std::uint64_t done_ = 0;  // of the current piece
};

}  // namespace brevlo::platform
