#include "platform/win32/PumpedCall.h"

#include <windows.h>
#include <process.h>

#include <exception>

namespace brevlo::platform {
namespace {

struct HelperCall {
  const std::function<void()>* call;
  DWORD error = 0;
  std::exception_ptr failure;
};

unsigned __stdcall RunHelper(void* context) {
  auto* job = static_cast<HelperCall*>(context);
  try {
    (*job->call)();
  } catch (...) {
    job->failure = std::current_exception();
  }
  job->error = GetLastError();
  return 0;
}

bool QuitPending() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

}  // namespace

void RunOnHelperThread(IMessagePump& pump, const std::function<void()>& call) {
  HelperCall job{&call};
  const auto thread =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunHelper, &job, 0, nullptr));
  if (thread == nullptr) {
    call();  // without a thread the call blocks, as it always did
    return;
  }
  // Input already waiting counts as well as input that arrives, so nothing waits for the call.
  while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
             WAIT_OBJECT_0 + 1 &&
         !QuitPending()) {
    pump.ProcessMessages();
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (job.failure) std::rethrow_exception(job.failure);
  SetLastError(job.error);
}

}  // namespace brevlo::platform
