// The PSP title of a video on a second line under its row's name, in both lists.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "support/JpegWriter.h"
#include "support/TestVideos.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// Pixels that are not the list's background in the band of a row where the second line goes.
int InkUnderName(ui::TListView* list, int row) {
  RECT label{LVIR_LABEL, 0, 0, 0};
  SendMessageA(list->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&label));
  const int middle = (label.top + label.bottom) / 2;
  HDC dc = GetDC(list->Handle());
  const COLORREF background = GetPixel(dc, label.right - 2, label.bottom - 2);
  int ink = 0;
  for (int y = middle + 8; y < label.bottom - 2; ++y) {
    for (int x = label.left; x < label.right - 4; ++x) ink += GetPixel(dc, x, y) != background;
  }
  ReleaseDC(list->Handle(), dc);
  return ink;
}

std::string ControlText(ui::TListView* list, int row) {
  char text[260] = {};
  LVITEMA item{};
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace

TEST(RowTitles, ARowWithAPspTitleShowsItUnderItsName) {
  TempFolder app;
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(160, 120, 0, 200, 0));
  const std::string pc = app.MakeFolder("videos");
  const std::string source = TestVideoFolder();
  // a: a PSP title; b: none; c: a PSP title that is its own name; d: only the common title.
  for (const auto& [from, to] : {std::pair{"avc-main-480x272-psp.mp4", "a.mp4"},
                                 {"mpeg4-320x240.mp4", "b.mp4"},
                                 {"avc-main-480x272-psp.mp4", "Holiday in \xC3\x86r\xC3\xB8.mp4"},
                                 {"avc-high-1280x720.mp4", "d.mp4"}}) {
    ASSERT_TRUE(CopyFileA((source + from).c_str(), (pc + to).c_str(), FALSE));
  }
  MainFormFixture form(app.Path());
  const std::string psp = form.PspFolder() + "MP_ROOT\\100MNV01\\";
  ASSERT_TRUE(CopyFileA((source + "avc-main-480x272-psp.mp4").c_str(),
                        (psp + "M4V00001.MP4").c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileA((source + "mpeg4-320x240.mp4").c_str(), (psp + "M4V00002.MP4").c_str(), FALSE));
  form->edtPath->SetText(pc);
  form->btnRefreshPC->Perform(BM_CLICK);
  form->btnRefreshPSP->Perform(BM_CLICK);
  SetForegroundWindow(form->Handle());
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump(200);
  ASSERT_EQ(form->ltvPC->Count(), 4);
  ASSERT_EQ(form->ltvPSP->Count(), 2);
  SaveScreenshot(form->Handle(), "win32-row-titles");

  for (ui::TListView* list : {form->ltvPC, form->ltvPSP}) {
    for (int row = 0; row < list->Count(); ++row) {
      const std::string& name = list->Item(row).caption;
      SCOPED_TRACE(name);
      EXPECT_EQ(InkUnderName(list, row) > 20, name == "a.mp4" || name == "M4V00001.MP4")
          << InkUnderName(list, row);
      // Everything that reads a row still reads its file name.
      EXPECT_EQ(ControlText(list, row), list->Item(row).caption);
    }
  }
}
