// Pictures of the videos in the real window: made off the window's thread, each put into its own
// row, the window answering meanwhile, and none reaching a row of a later fill.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Harness.h"
#include "support/JpegWriter.h"
#include "support/TestVideos.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// The colour in the middle of image i of a list's image list, as drawn.
COLORREF MiddleOf(HIMAGELIST images, int index) {
  int w = 0, h = 0;
  ImageList_GetIconSize(images, &w, &h);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
  const COLORREF colour = GetPixel(dc, w / 2, h / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool Near(COLORREF c, int r, int g, int b) {
  return std::abs(GetRValue(c) - r) < 50 && std::abs(GetGValue(c) - g) < 50 &&
         std::abs(GetBValue(c) - b) < 50;
}

struct Clip {
  const char* file;
  int r, g, b;
};
const Clip Red{"picture-16x9-red.mp4", 255, 0, 0};
const Clip Lime{"picture-4x3-lime.mp4", 0, 255, 0};
const Clip Blue{"picture-mpeg4-blue.avi", 0, 0, 255};
const Clip Cyan{"picture-portrait-cyan.mp4", 0, 255, 255};
const Clip Yellow{"picture-black-start-yellow.mp4", 255, 255, 0};

// Serves the window until no picture is waiting; the worst time the window took to answer a
// message sent from another thread meanwhile.
DWORD ServeUntilPicturesDone(app::TMainForm* form) {
  std::atomic<bool> done{false}, ended{false};
  std::atomic<DWORD> worst{0};
  HWND window = form->Handle();
  std::thread prober([&] {
    while (!done) {
      const DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
      const DWORD took = GetTickCount() - start;
      if (took > worst) worst = took;
      Sleep(5);
    }
    ended = true;
  });
  const DWORD start = GetTickCount();
  while (form->PicturesPending() > 0 && GetTickCount() - start < 60000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Pump();
  }
  Pump(100);  // the last posted message
  done = true;
  while (!ended) Pump(1);  // its last message is answered too
  prober.join();
  return worst;
}

}  // namespace

TEST(Pictures, RowsReceiveTheirOwnPicturesWhileTheWindowAnswersAndARefillWins) {
  TempFolder app;
  BoxWatcher boxes(std::vector<BoxWatcher::Expected>{});
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(160, 120, 128, 128, 128));
  const std::string source = TestVideoFolder();
  // Two folders of the same kind of rows in other orders: a picture of the first fill that
  // reached the second would show in the wrong row.
  const std::string first = app.MakeFolder("first");
  const std::string second = app.MakeFolder("second");
  const Clip firstOrder[] = {Red, Lime, Blue, Cyan, Yellow};
  const Clip secondOrder[] = {Yellow, Blue, Red, Lime, Cyan};
  for (int i = 0; i < 5; ++i) {
    const std::string name = std::string(1, static_cast<char>('a' + i)) + ".mp4";
    ASSERT_TRUE(CopyFileA((source + firstOrder[i].file).c_str(), (first + name).c_str(), TRUE));
    ASSERT_TRUE(CopyFileA((source + secondOrder[i].file).c_str(), (second + name).c_str(), TRUE));
  }
  // A video with a thumbnail of its own keeps it.
  ASSERT_TRUE(CopyFileA((source + Red.file).c_str(), (second + "f.mp4").c_str(), TRUE));
  WriteBytes(second + "f.THM", MakeJpeg(160, 120, 255, 0, 255));

  MainFormFixture form(app.Path());
  HIMAGELIST images = form->imlPC->Handle();
  auto fill = [&](const std::string& folder) {
    form->edtPath->SetText(folder);
    SendMessageA(form->edtPath->Handle(), WM_CHAR, '\r', 0);
  };
  auto shows = [&](const Clip* order, int count) {
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(Near(MiddleOf(images, i), order[i].r, order[i].g, order[i].b))
          << "row " << i << " shows " << std::hex << MiddleOf(images, i);
      EXPECT_EQ(form->ltvPC->Item(i).imageIndex, i);
    }
  };
  // A refill of another folder while the pictures of the first are on their way.
  fill(first);
  ASSERT_EQ(form->ltvPC->Count(), 5);
  // The fill itself decodes no video: every row starts with the default picture.
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Near(MiddleOf(images, i), 128, 128, 128)) << i;
  fill(second);
  ASSERT_EQ(form->ltvPC->Count(), 6);
  ServeUntilPicturesDone(form.Form());
  shows(secondOrder, 5);
  EXPECT_TRUE(Near(MiddleOf(images, 5), 191, 0, 191));  // its own, a gradient

  // The first folder again: its pictures are made while the window goes on answering.
  fill(first);
  const DWORD worst = ServeUntilPicturesDone(form.Form());
  EXPECT_LT(worst, 50u) << "the window took " << worst << " ms to answer";
  shows(firstOrder, 5);
}
