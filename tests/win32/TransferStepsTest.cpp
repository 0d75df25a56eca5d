// A copy long enough to take many steps, watched from a timer that fires between them: the
// progress window is in front, the bar moves within the file, and nothing else starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "TransferFixture.h"
#include "ui/AppPorts.h"
#include "app/win32/SecondaryForms.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// Ticks come only from the transfer's own rounds of messages: nothing else pumps meanwhile.
std::function<void()> onTick;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (onTick) onTick();
}

TEST_F(PspTransferTest, DuringACopyNoOtherOperationStarts) {
  constexpr std::size_t big = 128u << 20;
  ASSERT_TRUE(WriteSized(videos + "big.mp4", big));
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  platform::RecordingShell shell;
  form = std::make_unique<MainFormFixture>(app.Path(), &shell, false);
  progress = std::unique_ptr<app::TTransferForm>(app::NewTransferForm(ui::Application));
  BoxWatcher boxes({{"Mission Accomplished"}});
  std::vector<int> positions;
  int inFront = 0, mainEnabled = 0;
  onTick = [&] {
    if (!IsWindowVisible(progress->Handle()) || progress->pgb1->Position() == 100) return;
    positions.push_back(progress->pgb1->Position());
    inFront += GetActiveWindow() == progress->Handle() ? 1 : 0;
    mainEnabled += IsWindowEnabled(Form()->Handle()) ? 1 : 0;
    if (positions.size() > 1) return;
    // Every way a second operation could be asked for while the first one serves the windows.
    Form()->ltvPSPDragDrop(Form()->ltvPSP, Form()->ltvPC);
    Form()->btnMovePSP->Perform(BM_CLICK);
    SendMessageA(Form()->ltvPC->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 10));
    Form()->ltvPCDblClick(Form()->ltvPC);
    for (ui::TMenuItem* item : {Form()->Play1, Form()->Openthedirectory1, Form()->Move1,
                                Form()->Copy1, Form()->Delete1, Form()->Rename1}) {
      item->Click();
    }
    Form()->btnRefreshPC->Perform(BM_CLICK);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
  Form()->ltvPC->SetSelected(0, true);
  Form()->btnCopyPSP->Perform(BM_CLICK);
  Pump();
  KillTimer(nullptr, timer);
  onTick = nullptr;

  ASSERT_GE(positions.size(), 3u) << "the copy took too few steps to be watched";
  EXPECT_LT(positions.front(), positions.back());
  EXPECT_EQ(inFront, static_cast<int>(positions.size()));
  EXPECT_EQ(mainEnabled, 0);
  EXPECT_EQ(boxes.Seen().size(), 1u);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(Exists(videos + "big.mp4"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.MP4").size(), big);
  EXPECT_FALSE(Exists(Kind0() + "M4V00002.MP4"));
}

// The first file call the transfer hands to a helper thread takes two seconds.
class SlowFirstCall : public ui::AppPump {
 public:
  std::atomic<int> state{0};  // 1 while that call blocks, 2 after it
  void RunWhilePumping(const std::function<void()>& call) override {
    ui::AppPump::RunWhilePumping([&] {
      if (state == 0) {
        state = 1;
        Sleep(2000);
        state = 2;
      }
      call();
    });
  }
};

TEST_F(PspTransferTest, WhileACallBlocksTheWindowsAnswerAndNoOtherOperationStarts) {
  ASSERT_TRUE(WriteSized(videos + "big.mp4", 1u << 20));
  WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
  platform::RecordingShell shell;
  form = std::make_unique<MainFormFixture>(app.Path(), &shell, false);
  progress = std::unique_ptr<app::TTransferForm>(app::NewTransferForm(ui::Application));
  SlowFirstCall pump;
  Form()->Services().pump = &pump;
  BoxWatcher boxes({{"Mission Accomplished"}});
  // Another thread asks the main window every 20 ms, as the system does before it calls a
  // window hung.
  std::vector<double> answers;
  std::thread asker([&, window = Form()->Handle()] {
    while (pump.state < 2) {
      const auto sent = std::chrono::steady_clock::now();
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, nullptr);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - sent;
      if (pump.state == 1) answers.push_back(took.count());
      Sleep(20);
    }
  });
  int served = 0, mainEnabled = 0;
  onTick = [&] {
    if (pump.state != 1) return;
    ++served;
    mainEnabled += IsWindowEnabled(Form()->Handle()) ? 1 : 0;
    Form()->btnMovePSP->Perform(BM_CLICK);
    for (ui::TMenuItem* item : {Form()->Play1, Form()->Move1, Form()->Delete1, Form()->Rename1}) {
      item->Click();
    }
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
  Form()->ltvPC->SetSelected(0, true);
  Form()->btnCopyPSP->Perform(BM_CLICK);
  Pump();
  KillTimer(nullptr, timer);
  onTick = nullptr;
  pump.state = 2;
  asker.join();

  ASSERT_GE(answers.size(), 40u);
  const double worst = *std::max_element(answers.begin(), answers.end());
  RecordProperty("worst_answer_ms", static_cast<int>(worst + 0.5));
  EXPECT_LE(worst, 50.0);
  EXPECT_GE(served, 10);
  EXPECT_EQ(mainEnabled, 0);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(Exists(videos + "big.mp4"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.MP4").size(), 1u << 20);
  EXPECT_FALSE(Exists(Kind0() + "M4V00002.MP4"));
  // A call's result and its last error come back to the window's thread.
  const auto failing = [] {
    SetLastError(ERROR_SHARING_VIOLATION);
    return 7;
  };
  SetLastError(0);
  EXPECT_EQ(platform::RunWhilePumping(pump, failing), 7);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

}  // namespace
