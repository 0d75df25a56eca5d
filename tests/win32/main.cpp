#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Harness.h"
#include "ui/Forms.h"

namespace {

// A message box nobody answers would stop the whole run; after a long while it is closed and
// named, so the test that raised it fails instead of hanging.
BOOL CALLBACK CloseForgottenBox(HWND window, LPARAM) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || std::string(cls) != "#32770" || !IsWindowVisible(window)) {
    return TRUE;
  }
  static HWND seen = nullptr;
  static DWORD since = 0;
  if (window != seen) {
    seen = window;
    since = GetTickCount();
    return TRUE;
  }
  if (GetTickCount() - since > 60000) {
    char caption[256] = {}, text[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetWindowTextA(GetDlgItem(window, 0xFFFF), text, sizeof text);
    // No test expected it: the test in hand fails.
    ADD_FAILURE() << "Unanswered message box closed: [" << caption << "] " << text;
    PostMessageA(window, WM_CLOSE, 0, 0);
    seen = nullptr;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  brevlo::ui::TApplication application;
  application.Initialize();
  brevlo::testing::UnplugTestDrives();
  std::atomic<bool> done{false};
  std::thread watchdog([&done] {
    while (!done) {
      EnumWindows(CloseForgottenBox, 0);
      Sleep(500);
    }
  });
  const int result = RUN_ALL_TESTS();
  done = true;
  watchdog.join();
  // Wine's explorer, which runs this program, does not pass its exit status on: write it down,
  // with how many tests there are and how many ran, for the test script to read.
  if (const char* file = std::getenv("BREVLO_TEST_STATUS"); file != nullptr && *file != '\0') {
    const auto* unit = ::testing::UnitTest::GetInstance();
    if (FILE* out = std::fopen(file, "w")) {
      std::fprintf(out, "status=%d total=%d ran=%d\n", result, unit->total_test_count(),
                   unit->test_to_run_count());
      std::fclose(out);
    }
  }
  return result;
}
