#pragma once

#include <functional>

namespace brevlo::platform {

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  // Handles every window message waiting in the thread's queue, then returns.
  virtual void ProcessMessages() = 0;
  // One file call that may block for long and cannot be split (a large file's removal, its
  // rename into place): it runs while this thread goes on handling its messages, as between
  // the steps of a copy, and this returns once the call has ended, the thread's last error
  // being the call's. Unless an adapter knows better, the call simply runs here.
  virtual void RunWhilePumping(const std::function<void()>& call) { call(); }
  // The same for a long piece of work, with tick called on this thread about every tenth of a
  // second meanwhile (to show its progress). Unless an adapter knows better, the call simply
  // runs here and tick never does.
  virtual void RunWithTicks(const std::function<void()>& call, const std::function<void()>& tick) {
    (void)tick;
    call();
  }
};

// The same, handing back the call's one result.
template <class Call>
auto RunWhilePumping(IMessagePump& pump, Call&& call) -> decltype(call()) {
  decltype(call()) result{};
  pump.RunWhilePumping([&] { result = call(); });
  return result;
}

}  // namespace brevlo::platform
