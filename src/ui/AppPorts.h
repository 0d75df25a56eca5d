#pragma once

// The application object behind the ports that the engines talk through.

#include "platform/MessagePump.h"
#include "platform/win32/Win32Platform.h"

namespace brevlo::ui {

// Pumps like the main loop: Tab, accelerators and the key-down hook included. A call that may
// block runs on a helper thread meanwhile.
class AppPump : public platform::IMessagePump {
 public:
  void ProcessMessages() override;
  void RunWhilePumping(const std::function<void()>& call) override;
  void RunWithTicks(const std::function<void()>& call, const std::function<void()>& tick) override;
};

// Boxes owned by the window in front; the error box under the application's title.
class AppDialogs : public platform::Win32Dialogs {
 public:
  AppDialogs();
};

}  // namespace brevlo::ui
