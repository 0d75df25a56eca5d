#include "ui/AppPorts.h"

#include "platform/win32/PumpedCall.h"
#include "ui/Forms.h"

namespace brevlo::ui {

void AppPump::ProcessMessages() {
  if (Application != nullptr) Application->ProcessMessages();
}

void AppPump::RunWhilePumping(const std::function<void()>& call) {
  platform::RunOnHelperThread(*this, call);
}

void AppPump::RunWithTicks(const std::function<void()>& call, const std::function<void()>& tick) {
  platform::RunOnHelperThread(*this, call, tick);
}

AppDialogs::AppDialogs()
    : platform::Win32Dialogs(
          [] {
            return static_cast<void*>(Application != nullptr ? Application->FrontWindow()
                                                             : nullptr);
          },
          [] { return Application != nullptr ? Application->Title : std::string("Error"); }) {}

}  // namespace brevlo::ui
