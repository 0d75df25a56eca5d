// The tips of both lists in the real window, shown by resting the mouse on a row.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "support/JpegWriter.h"
#include "support/TestVideos.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// Rests the mouse on a row until its list shows a tip ending in the given text (the verdict
// line); answers the tip as shown, or what was seen last when it never came.
std::string TipOf(ui::TListView* list, int row, const std::string& ending) {
  RECT r{LVIR_LABEL, 0, 0, 0};
  SendMessageA(list->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&r));
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list->Handle(), &at);
  // Two steps, so that the list hears the mouse move even when it rests on that row already.
  MoveMouse({at.x + 3, at.y});
  MoveMouse(at);
  std::string seen;
  for (int waited = 0; waited < 6000; waited += 20) {
    ui::Application->ProcessMessages();
    HWND tip = list->InfoTipHandle();
    if (tip != nullptr && IsWindowVisible(tip)) {
      wchar_t text[1024] = {};
      GetWindowTextW(tip, text, 1024);
      seen = Utf8(text);
      if (seen.size() >= ending.size() &&
          seen.compare(seen.size() - ending.size(), ending.size(), ending) == 0) {
        return seen;
      }
    }
    Sleep(20);
  }
  return seen;
}

}  // namespace

TEST(VideoTips, RestingOnARowTellsTheVideosDetailsAndVerdict) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(160, 120, 0, 200, 0));
  const std::string pc = app.MakeFolder("videos");
  const std::string source = TestVideoFolder();
  ASSERT_TRUE(
      CopyFileA((source + "avc-main-480x272-psp.mp4").c_str(), (pc + "a.mp4").c_str(), FALSE))
      << "made by tools/make-test-videos.sh at build time";
  ASSERT_TRUE(WriteText(pc + "b.mp4", "not a video, whatever its name says"));
  MainFormFixture form(app.Path());
  ASSERT_TRUE(CopyFileA((source + "mpeg4-320x240.mp4").c_str(),
                        (form.PspFolder() + "MP_ROOT\\100MNV01\\M4V00001.MP4").c_str(), FALSE));
  form->edtPath->SetText(pc);
  form->btnRefreshPC->Perform(BM_CLICK);
  form->btnRefreshPSP->Perform(BM_CLICK);
  Pump();
  ASSERT_EQ(form->ltvPC->Count(), 2);
  ASSERT_EQ(form->ltvPSP->Count(), 1);

  const std::string dot = " \xC2\xB7 ";
  const std::string otherKind =
      "May not play on the PSP: H.264 video, but Video Type is \"MPEG-4 Video\"";
  const std::string pcTip = TipOf(form->ltvPC, 0, otherKind);
  EXPECT_EQ(pcTip.rfind("Holiday in \xC3\x86r\xC3\xB8\r\n0:01" + dot + "480 x 272" + dot +
                            "H.264 Main 3.0" + dot + "AAC 48 kHz stereo" + dot,
                        0),
            0u)
      << pcTip;
  EXPECT_NE(pcTip.find("\r\n" + otherKind), std::string::npos) << pcTip;
  SaveScreenshot(form->Handle(), "win32-video-tip");

  const std::string pspTip = TipOf(form->ltvPSP, 0, "Plays on the PSP");
  EXPECT_EQ(pspTip.rfind("0:01" + dot + "320 x 240" + dot + "MPEG-4 Simple 1" + dot, 0), 0u)
      << pspTip;
  EXPECT_EQ(TipOf(form->ltvPC, 1, "MP4 file"), "No details: not a complete MP4 file");

  // The details are kept for the row: the file emptied meanwhile still shows them, now judged
  // for the other kind. A refresh reads the folder, and the file, again.
  ASSERT_TRUE(WriteText(pc + "a.mp4", ""));
  form->cmbType->SetItemIndex(1);
  const std::string again = TipOf(form->ltvPC, 0, "\r\nPlays on the PSP");
  EXPECT_EQ(again.rfind("Holiday in", 0), 0u) << again;
  form->btnRefreshPC->Perform(BM_CLICK);
  Pump();
  EXPECT_EQ(TipOf(form->ltvPC, 0, "MP4 file"), "No details: not a complete MP4 file");

  // A tip due just as the window starts to wait for another of ours is given no text, which
  // keeps it hidden: shown, it would raise the window above that one.
  ASSERT_FALSE(TipOf(form->ltvPC, 0, "MP4 file").empty());
  const auto asked = [&] {
    NMTTDISPINFOW info{};
    info.hdr = {form->ltvPC->InfoTipHandle(), 0, TTN_GETDISPINFOW};
    SendMessageW(form->ltvPC->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return info.lpszText != nullptr ? Utf8(info.lpszText) : std::string();
  };
  EXPECT_FALSE(asked().empty());
  EnableWindow(form->Handle(), FALSE);
  EXPECT_EQ(asked(), "");
  EnableWindow(form->Handle(), TRUE);
}
