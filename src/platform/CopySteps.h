#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/FileSystem.h"

namespace brevlo::platform {

// The piece a copy reads and writes at a time. It stays in the processor's cache, which under
// Wine copies as fast as any larger piece, and a memory stick at 5 MB/s writes it in 13 ms.
inline constexpr std::size_t CopyPiece = 64 * 1024;

// Progress is asked this often at most: each time costs a round of the windows' messages.
inline constexpr double ReportEverySeconds = 0.010;
// A file no larger than this is copied without a round of messages: a thumbnail or a short
// clip takes a moment on any disk.
inline constexpr std::size_t QuietCopyBytes = 4 * CopyPiece;

// An adapter's read: bytes read into the buffer, 0 at the end, less than 0 on an error.
using StepRead = std::function<long long(char* buffer, std::size_t size)>;
using StepWrite = std::function<bool(const char* data, std::size_t size)>;
// Seconds on a steady clock.
using StepClock = std::function<double()>;
// Runs one step of pieces and returns once it has ended; a caller that serves its windows
// meanwhile (RunWhilePumping) keeps them answering through a read or write that stalls.
using StepRunner = std::function<void(const std::function<void()>& step)>;

// The pieces of one copy of total bytes; progress is asked once QuietCopyBytes are copied, then
// between pieces once the last time is ReportEverySeconds old, never after the last piece. The
// pieces between two questions are one step, handed to run when given. The adapter opens and
// closes the destination.
CopyResult CopyLoop(std::uint64_t total, const StepRead& read, const StepWrite& write,
                    const CopyProgress& progress, const StepClock& clock = {},
                    const StepRunner& run = {});

}  // namespace brevlo::platform
