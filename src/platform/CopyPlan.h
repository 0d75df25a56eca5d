#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/FileSystem.h"

namespace brevlo::platform {

// One piece of a planned copy: bytes made in memory, or a range of the source file.
struct PlanPiece {
  std::vector<std::uint8_t> bytes;
  std::uint64_t sourceOffset = 0;
  std::uint64_t sourceLength = 0;
  bool fromSource = false;

  static PlanPiece Memory(std::vector<std::uint8_t> data) { return {std::move(data), 0, 0, false}; }
  static PlanPiece Source(std::uint64_t offset, std::uint64_t length) {
    return {{}, offset, length, true};
  }
  std::uint64_t Size() const { return fromSource ? sourceLength : bytes.size(); }
};

// What a destination is made of, in order. An empty plan is the source as it is.
using CopyPlan = std::vector<PlanPiece>;

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
