// Transfers through the real buttons, with the progress window and the end messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "TransferFixture.h"
#include "media/VideoPicture.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// Every message box of a transfer as it comes up: its owner, and whether Stop could be pressed.
struct BoxUp {
  std::string caption;
  HWND owner;
  bool stopUsable;
};
std::vector<BoxUp> boxesUp;
HWND stopButton = nullptr;
bool endSession = false;
LRESULT endAnswer = -1;

LRESULT CALLBACK RecordBoxUp(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char cls[16] = {}, caption[128] = {};
    GetClassNameA(box, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      GetWindowTextA(box, caption, sizeof caption);
      const bool usable = IsWindowVisible(stopButton) && IsWindowEnabled(stopButton) &&
                          IsWindowEnabled(GetParent(stopButton));
      boxesUp.push_back({caption, GetWindow(box, GW_OWNER), usable});
      // Pressed while the question is up, as a person would; or the session ends meanwhile.
      if (usable && std::string(caption) == "Overwrite") {
        if (endSession) {
          endAnswer = SendMessageA(GetWindow(box, GW_OWNER), WM_QUERYENDSESSION, 0, 0);
        } else {
          PostMessageA(stopButton, BM_CLICK, 0, 0);
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Transfers : public PspTransferTest {
 protected:
  void SetUp() override {
    PspTransferTest::SetUp();
    WriteSized(videos + "a.mp4", 3000);
    WriteBytes(videos + "a.THM", MakeJpeg(80, 60, 200, 0, 0));
    WriteSized(videos + "b.mp4", 5000);
    WriteSized(videos + "c.mp4", 7000);
    Open();
  }
};

}  // namespace

TEST_F(Transfers, ProgressWindowAsDesigned) {
  EXPECT_EQ(progress->Caption(), "Transfering...");
  RECT client;
  GetClientRect(progress->Handle(), &client);
  EXPECT_EQ(client.right, 407);
  EXPECT_EQ(client.bottom, 137);
  EXPECT_EQ(progress->Label1->Caption(), "From:");
  EXPECT_EQ(progress->Label1->Left(), 16);
  EXPECT_EQ(progress->Label2->Caption(), "To:");
  EXPECT_EQ(progress->Label2->Left(), 26);
  EXPECT_EQ(progress->labSource->Left(), 50);
  EXPECT_EQ(progress->labSource->Width(), 349);
  EXPECT_EQ(progress->labDestination->Top(), 41);
  EXPECT_EQ(progress->labDestination->Width(), 353);
  const RECT bar = progress->pgb1->BoundsRect();
  EXPECT_EQ(bar.left, 16);
  EXPECT_EQ(bar.top, 72);
  EXPECT_EQ(bar.right - bar.left, 377);
  EXPECT_EQ(progress->Button1->Caption(), "&Stop");
  EXPECT_EQ(progress->Button1->Left(), 160);
  EXPECT_EQ(progress->Button1->Top(), 100);
}

TEST_F(Transfers, CopyToPspNamesTheVideosAndReloadsBothLists) {
  BoxWatcher boxes({{"Mission Accomplished"}});
  ASSERT_EQ(Form()->ltvPC->Count(), 3);
  ASSERT_EQ(Form()->ltvPSP->Count(), 0);
  Form()->btnCopyPSP->Perform(BM_CLICK);  // nothing selected: everything goes
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Mission Accomplished");
  EXPECT_EQ(seen[0].text, "The transfer is completed.");
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.MP4"), ReadText(videos + "a.mp4"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00002.MP4"), ReadText(videos + "b.mp4"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00003.MP4"), ReadText(videos + "c.mp4"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00001.THM"), ReadText(videos + "a.THM"));
  EXPECT_EQ(ReadText(Kind0() + "M4V00002.THM"), ReadText(app / "DefaultPreview.THM"));
  EXPECT_TRUE(Exists(videos + "a.mp4"));
  EXPECT_EQ(Form()->ltvPSP->Count(), 3);
  EXPECT_EQ(Form()->labPSPNum->Caption(), "3");
  EXPECT_EQ(Form()->ltvPC->Count(), 3);
  EXPECT_FALSE(IsWindowVisible(progress->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  EXPECT_EQ(progress->pgb1->Position(), 0);
}

TEST_F(Transfers, MoveToPcAsksBeforeReplacingAndNoKeepsBothFiles) {
  WriteSized(Kind0() + "M4V00001.MP4", 1234);
  WriteText(videos + "M4V00001.MP4", "the one already here");
  Form()->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  ASSERT_EQ(Form()->ltvPSP->Count(), 1);
  BoxWatcher boxes({{"Overwrite", IDNO}, {"Mission Accomplished"}});
  Form()->btnMovePC->Perform(BM_CLICK);
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "Overwrite");
  EXPECT_EQ(seen[0].text, "The destination file is existent. Overwrite it?");
  EXPECT_EQ(seen[1].caption, "Mission Accomplished");
  EXPECT_EQ(ReadText(videos + "M4V00001.MP4"), "the one already here");
  EXPECT_EQ(ReadText(videos + "M4V00001_New.MP4").size(), 1234u);
  EXPECT_FALSE(Exists(Kind0() + "M4V00001.MP4"));
  EXPECT_EQ(Form()->ltvPSP->Count(), 0);
}

TEST_F(Transfers, WithoutAPspNothingMoves) {
  drive->Unplug();
  BoxWatcher boxes({{"PSP Connection", IDNO}});
  Form()->ltvPC->SetSelected(0, true);
  Form()->btnMovePSP->Perform(BM_CLICK);
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "PSP Connection");
  EXPECT_TRUE(Exists(videos + "a.mp4"));
  EXPECT_FALSE(IsWindowVisible(progress->Handle()));
}

TEST_F(Transfers, ClosingTheProgressWindowActsLikeStop) {
  BoxWatcher boxes;
  operations::TransferStopFlag flag;
  progress->ShowProgress(flag);
  EXPECT_TRUE(IsWindowVisible(progress->Handle()));
  EXPECT_FALSE(IsWindowEnabled(Form()->Handle()));
  SendMessageA(progress->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_NE(flag.TransferCanceled, 0);
  EXPECT_FALSE(IsWindowVisible(progress->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));

  operations::TransferStopFlag second;
  progress->ShowProgress(second);
  progress->Button1->Perform(BM_CLICK);
  Pump();
  EXPECT_EQ(second.TransferCanceled, -1);
  EXPECT_FALSE(IsWindowVisible(progress->Handle()));

  operations::TransferStopFlag third;
  progress->ShowProgress(third);
  progress->CloseProgress();
  EXPECT_EQ(third.TransferCanceled, 0);
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
}

TEST_F(Transfers, BoxesBelongToTheMainWindowAndStopStaysUsableDuringTheQuestion) {
  WriteSized(Kind0() + "M4V00001.MP4", 1234);
  WriteSized(Kind0() + "M4V00002.MP4", 1234);
  WriteText(videos + "M4V00001.MP4", "the one already here");
  Form()->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  ASSERT_EQ(Form()->ltvPSP->Count(), 2);
  BoxWatcher boxes({{"Overwrite", IDNO}, {"Canceled"}});
  boxesUp.clear();
  stopButton = progress->Button1->Handle();
  HHOOK hook = SetWindowsHookExA(WH_CBT, RecordBoxUp, nullptr, GetCurrentThreadId());
  Form()->btnCopyPC->Perform(BM_CLICK);
  Pump();
  UnhookWindowsHookEx(hook);
  ASSERT_EQ(boxesUp.size(), 2u);
  EXPECT_EQ(boxesUp[0].caption, "Overwrite");
  EXPECT_TRUE(boxesUp[0].stopUsable);
  // Stop pressed during the question: that row goes, the next one does not.
  EXPECT_EQ(boxesUp[1].caption, "Canceled");
  for (const BoxUp& box : boxesUp) EXPECT_EQ(box.owner, Form()->Handle()) << box.caption;
  EXPECT_TRUE(Exists(videos + "M4V00001_New.MP4"));
  EXPECT_FALSE(Exists(videos + "M4V00002.MP4"));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));

  // Asked to end then, as the session's end asks: it stops as Stop does, then the program ends.
  DeleteFileA((videos + "M4V00001_New.MP4").c_str());
  DeleteFileA((videos + "M4V00001_New.THM").c_str());
  boxes.Expect("Overwrite", IDNO);
  boxes.Expect("Canceled");
  boxesUp.clear();
  endSession = true;
  hook = SetWindowsHookExA(WH_CBT, RecordBoxUp, nullptr, GetCurrentThreadId());
  Form()->btnCopyPC->Perform(BM_CLICK);
  Pump();
  UnhookWindowsHookEx(hook);
  endSession = false;
  EXPECT_EQ(endAnswer, FALSE);
  ASSERT_EQ(boxesUp.size(), 2u);
  EXPECT_EQ(boxesUp[1].caption, "Canceled");
  EXPECT_TRUE(Exists(videos + "M4V00001_New.MP4"));
  EXPECT_FALSE(Exists(videos + "M4V00002.MP4"));
  EXPECT_FALSE(IsWindowVisible(Form()->Handle()));
}

namespace {
// Makes a picture as a slow decoder does: holding the video open, without leave to delete it,
// until told to stop.
class HoldingPictures : public media::IVideoPictures {
 public:
  std::vector<std::uint8_t> ThumbnailOf(const std::string& path,
                                        const media::StopAsked& stop) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ++started;
    for (const DWORD start = GetTickCount(); !(stop && stop()) && GetTickCount() - start < 10000;) {
      Sleep(2);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return {};
  }
  std::atomic<int> started{0};
};
}  // namespace

// A picture being made of a PSP video must not keep a move from removing it: the pictures stop
// before the transfer's first file and come back after its refresh.
TEST_F(PspTransferTest, AMoveOffThePspIsNotHeldUpByAPictureBeingMade) {
  HoldingPictures holding;
  pictures = &holding;
  WriteSized(Kind0() + "M4V00001.MP4", 4000);  // neither has a thumbnail: pictures are made
  WriteSized(Kind0() + "M4V00002.MP4", 5000);
  Open();
  ASSERT_EQ(Form()->ltvPSP->Count(), 2);
  for (const DWORD start = GetTickCount(); holding.started == 0 && GetTickCount() - start < 5000;) {
    Pump(10);
  }
  ASSERT_EQ(holding.started, 1);  // the first row's video is held
  Form()->ltvPSP->SetSelected(0, true);
  BoxWatcher boxes({{"Mission Accomplished"}});
  Form()->btnMovePC->Perform(BM_CLICK);
  Pump();
  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "The transfer is completed.");
  EXPECT_FALSE(Exists(Kind0() + "M4V00001.MP4"));
  EXPECT_EQ(ReadText(videos + "M4V00001.MP4").size(), 4000u);
  // After the refresh the remaining row's picture is asked for again.
  ASSERT_EQ(Form()->ltvPSP->Count(), 1);
  for (const DWORD start = GetTickCount(); holding.started < 2 && GetTickCount() - start < 5000;) {
    Pump(10);
  }
  EXPECT_GE(holding.started, 2);
}
