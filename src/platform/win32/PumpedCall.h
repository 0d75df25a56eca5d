#pragma once

#include <functional>

#include "platform/MessagePump.h"

namespace brevlo::platform {

// Runs call on a short-lived thread of its own while this thread serves its windows through
// pump, and returns once the call has ended, with the call's last error as this thread's.
// The helper gets the call alone: it touches no window and shares nothing else. Once the
// program is ending, this waits for the call without serving anything, so that no file is
// left half renamed or half removed.
// tick, when given, runs on this thread between its messages about every tenth of a second.
void RunOnHelperThread(IMessagePump& pump, const std::function<void()>& call,
                       const std::function<void()>& tick = {});

}  // namespace brevlo::platform
