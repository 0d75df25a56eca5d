#pragma once

namespace brevlo::platform {

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  // Handles every window message waiting in the thread's queue, then returns.
  virtual void ProcessMessages() = 0;
};

}  // namespace brevlo::platform
