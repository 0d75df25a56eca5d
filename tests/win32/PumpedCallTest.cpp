// A file call that blocks for two seconds, run while the window's thread serves its messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/win32/PumpedCall.h"
#include "ui/AppPorts.h"

using namespace brevlo;

namespace {

double NowMs() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Another thread asks the window every 20 ms, as the system does to tell a hung window, and
// times each answer.
class Asker {
 public:
  explicit Asker(HWND window)
      : thread_([this, window] {
          while (!done_) {
            const double sent = NowMs();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &ignored);
            answers_.push_back(NowMs() - sent);
            Sleep(20);
          }
        }) {}
  std::vector<double> Answers() {
    done_ = true;
    thread_.join();
    return answers_;
  }

 private:
  std::atomic<bool> done_{false};
  std::vector<double> answers_;
  std::thread thread_;
};

TEST(RunWhilePumping, WindowsAnswerWhileTheCallBlocksAndItsResultAndErrorComeBack) {
  HWND window =
      CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ui::AppPump pump;
  Asker asker(window);
  DWORD callThread = 0;
  SetLastError(0);
  const int result = platform::RunWhilePumping(pump, [&] {
    callThread = GetCurrentThreadId();
    Sleep(2000);
    SetLastError(ERROR_SHARING_VIOLATION);
    return 42;
  });
  const DWORD error = GetLastError();
  const std::vector<double> answers = asker.Answers();
  DestroyWindow(window);

  EXPECT_EQ(result, 42);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_NE(callThread, GetCurrentThreadId());
  ASSERT_GE(answers.size(), 40u);
  const double worst = *std::max_element(answers.begin(), answers.end());
  RecordProperty("worst_answer_ms", static_cast<int>(worst + 0.5));
  EXPECT_LE(worst, 50.0);
}

// A failure inside the call reaches the caller, and the program's end waits for the call.
TEST(RunWhilePumping, AFailureComesBackAndTheProgramsEndWaitsForTheCall) {
  ui::AppPump pump;
  EXPECT_THROW(pump.RunWhilePumping([] { throw std::runtime_error("no"); }), std::runtime_error);

  bool finished = false;
  PostQuitMessage(3);
  pump.RunWhilePumping([&] {
    Sleep(300);
    finished = true;
  });
  EXPECT_TRUE(finished);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
