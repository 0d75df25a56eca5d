// A copy long enough to take many steps, watched from a timer that fires between them: the
// windows answer, the bar moves within the file, Stop ends the copy, and nothing else starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TransferFixture.h"
#include "skin/SkinRules.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

constexpr std::size_t BigVideo = 128u << 20;

// What the timer does at each tick during a transfer; the ticks come only from the transfer's
// own handling of messages, since nothing else pumps meanwhile.
std::function<void()> onTick;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (onTick) onTick();
}

class TransferSteps : public PspTransferTest {
 protected:
  void SetUp() override {
    PspTransferTest::SetUp();
    ASSERT_TRUE(WriteSized(videos + "big.mp4", BigVideo));
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path(), &shell, false);
    progress = std::make_unique<app::TTransferForm>(ui::Application);
    ASSERT_EQ(Form()->ltvPC->Count(), 1);
    timer = SetTimer(nullptr, 0, 10, Tick);
  }
  void TearDown() override {
    KillTimer(nullptr, timer);
    onTick = nullptr;
    PspTransferTest::TearDown();
  }
  // Ticks seen while the copy was under way: a position short of 100 on the bar.
  bool Copying() const {
    return IsWindowVisible(progress->Handle()) && progress->pgb1->Position() < 100;
  }
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((Kind0() + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
  }

  platform::RecordingShell shell;
  UINT_PTR timer = 0;
};

TEST_F(TransferSteps, WindowsAnswerTheBarMovesAndNothingElseStarts) {
  BoxWatcher boxes({{"Mission Accomplished"}});
  std::vector<int> positions;
  int active = 0, mainEnabled = 0, tries = 0;
  LRESULT progressSkin = 0, mainSkin = 0;
  onTick = [&] {
    if (!Copying()) return;
    positions.push_back(progress->pgb1->Position());
    active += GetActiveWindow() == progress->Handle() ? 1 : 0;
    mainEnabled += IsWindowEnabled(Form()->Handle()) ? 1 : 0;
    progressSkin = SendMessageA(progress->Handle(), skin::SKM_ISACTIVE, 0, 0);
    mainSkin = SendMessageA(Form()->Handle(), skin::SKM_ISACTIVE, 0, 0);
    if (tries++ > 0) return;
    // Every way a second operation could be asked for while the first one serves the windows.
    Form()->ltvPC->SetSelected(0, true);
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
  Form()->btnCopyPSP->Perform(BM_CLICK);
  Pump();

  ASSERT_GE(positions.size(), 3u) << "the copy took too few steps to be watched";
  EXPECT_GT(tries, 0);
  // Rising within the one file, and never past where the file's end puts it.
  EXPECT_LT(positions.front(), positions.back());
  for (std::size_t i = 1; i < positions.size(); ++i) EXPECT_LE(positions[i - 1], positions[i]);
  EXPECT_EQ(active, static_cast<int>(positions.size()));
  EXPECT_EQ(mainEnabled, 0);
  if (progressSkin != 0) {
    EXPECT_EQ(progressSkin, 1);
    EXPECT_EQ(mainSkin, 2);
  }
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(Exists(videos + "big.mp4"));
  EXPECT_EQ(Leftovers(), (std::vector<std::string>{"M4V00001.MP4", "M4V00001.THM"}));
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.MP4").size(), BigVideo);
}

// Stop in the middle, for a copy and for a move: the end box at once, naming the row, and
// nothing left on the PSP.
TEST_F(TransferSteps, StopDuringTheCopyEndsItAndKeepsTheSource) {
  for (ui::TButton* button : {Form()->btnCopyPSP, Form()->btnMovePSP}) {
    BoxWatcher boxes({{"Canceled"}});
    int ticks = 0;
    onTick = [&] {
      if (Copying() && progress->pgb1->Position() > 0 && ticks++ == 0) {
        progress->Button1->Perform(BM_CLICK);
      }
    };
    button->Perform(BM_CLICK);
    Pump();
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << button->Caption();
    EXPECT_NE(seen[0].text.find("big.mp4"), std::string::npos) << seen[0].text;
    EXPECT_EQ(Leftovers(), std::vector<std::string>{}) << button->Caption();
    EXPECT_EQ(ReadText(videos + "big.mp4").size(), BigVideo);
    EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
    EXPECT_FALSE(Form()->TransferRunning());
  }
}

}  // namespace
