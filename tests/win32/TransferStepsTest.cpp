// A copy long enough to take many steps, watched from a timer that fires between them: the
// progress window is in front, the bar moves within the file, and nothing else starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TransferFixture.h"
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

}  // namespace
