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

void RunOnHelperThread(IMessagePump& pump, const std::function<void()>& call,
                       const std::function<void()>& tick) {
  HelperCall job{&call};
  const auto thread =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunHelper, &job, 0, nullptr));
  if (thread == nullptr) {
    call();  // without a thread the call blocks, as it always did
    return;
  }
  // Input already waiting counts as well as input that arrives, so nothing waits for the call.
  // A steady stream of messages must not hold the ticks back, hence the clock.
  constexpr DWORD TickMs = 100;
  DWORD ticked = GetTickCount();
  for (;;) {
    const DWORD since = GetTickCount() - ticked;
    const DWORD wait = !tick ? INFINITE : since >= TickMs ? 0 : TickMs - since;
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &thread, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED || QuitPending()) break;
    if (woke == WAIT_OBJECT_0 + 1) pump.ProcessMessages();
    if (tick && GetTickCount() - ticked >= TickMs) {
      ticked = GetTickCount();
      tick();
    }
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  if (job.failure) std::rethrow_exception(job.failure);
  SetLastError(job.error);
}

}  // namespace brevlo::platform
