// Pictures of the videos in the real window: made off the window's thread, each put into its own
// row, the window answering meanwhile, and none reaching a row of a later fill.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "Harness.h"
#include "support/JpegWriter.h"
#include "support/TestVideos.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

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
  HWND list = form->ltvPC->Handle();
  auto fill = [&](const std::string& folder) {
    form->edtPath->SetText(folder);
    SendMessageA(form->edtPath->Handle(), WM_CHAR, '\r', 0);
  };
  auto shows = [&](const Clip* order, int count) {
    for (int i = 0; i < count; ++i) {
      const COLORREF shown = MiddleOf(images, ItemImage(list, i));
      EXPECT_TRUE(Near(shown, order[i].r, order[i].g, order[i].b))
          << "row " << i << " shows " << std::hex << shown;
    }
  };
  // A refill of another folder while the pictures of the first are on their way.
  fill(first);
  ASSERT_EQ(form->ltvPC->Count(), 5);
  // The fill itself decodes no video: every row starts with the default picture.
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(Near(MiddleOf(images, ItemImage(list, i)), 128, 128, 128)) << i;
  }
  fill(second);
  ASSERT_EQ(form->ltvPC->Count(), 6);
  ServeUntilPicturesDone(form.Form());
  shows(secondOrder, 5);
  EXPECT_TRUE(Near(MiddleOf(images, ItemImage(list, 5)), 191, 0, 191));  // its own, a gradient

  // The first folder again: its pictures are made while the window goes on answering.
  fill(first);
  const DWORD worst = ServeUntilPicturesDone(form.Form());
  EXPECT_LT(worst, 50u) << "the window took " << worst << " ms to answer";
  shows(firstOrder, 5);
}

namespace {
// A thumbnail of one flat colour that names its row: eight steps per channel.
COLORREF RowColour(int row) {
  return RGB(20 + (row % 8) * 30, 20 + (row / 8 % 8) * 30, 20 + (row / 64 % 8) * 30);
}

// The row a colour names, or -1.
int RowOfColour(COLORREF c) {
  int steps[3];
  const int channels[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
  for (int i = 0; i < 3; ++i) {
    const int step = (channels[i] - 20 + 15) / 30;
    if (step < 0 || step > 7 || std::abs(channels[i] - (20 + step * 30)) > 10) return -1;
    steps[i] = step;
  }
  return steps[0] + steps[1] * 8 + steps[2] * 64;
}

std::vector<std::uint8_t> FlatJpeg(COLORREF colour) {
  std::vector<std::uint8_t> row(160 * 3);
  for (std::size_t x = 0; x < 160; ++x) {
    row[x * 3] = GetRValue(colour);
    row[x * 3 + 1] = GetGValue(colour);
    row[x * 3 + 2] = GetBValue(colour);
  }
  return CompressJpeg(160, 120, JpegLayout::Rgb, 95, false, [&](int) { return row.data(); });
}

// The colour in the middle of the picture of a row as the list drew it on the screen.
COLORREF DrawnPicture(HWND list, int row) {
  RECT icon{LVIR_ICON, 0, 0, 0};
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
  HDC dc = GetDC(list);
  const COLORREF colour = GetPixel(dc, (icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
  ReleaseDC(list, dc);
  return colour;
}
}  // namespace

// More rows than the list keeps pictures for, scrolled through quickly and slowly, up and down:
// wherever it stops, every row on screen shows its own picture, read again when it was let go.
TEST(Pictures, EveryRowOnScreenShowsItsOwnPictureWhereverAScrollStops) {
  TempFolder app;
  BoxWatcher boxes(std::vector<BoxWatcher::Expected>{});
  WriteBytes(app / "DefaultPreview.THM", MakeJpeg(160, 120, 128, 128, 128));
  const std::string folder = app.MakeFolder("many");
  constexpr int rows = 500;  // the colours name 512
  for (int i = 0; i < rows; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "v%03d", i);
    WriteSized(folder + name + ".mp4", 10);
    WriteBytes(folder + name + ".THM", FlatJpeg(RowColour(i)));
  }
  MainFormFixture form(app.Path());
  form->edtPath->SetText(folder);
  SendMessageA(form->edtPath->Handle(), WM_CHAR, '\r', 0);
  ASSERT_EQ(form->ltvPC->Count(), rows);
  HWND list = form->ltvPC->Handle();
  const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(page, 0);
  auto stopAt = [&](int top) {
    const int current = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(list, LVM_SCROLL, 0, (top - current) * (r.bottom - r.top));
  };
  auto check = [&](const char* how) {
    for (const DWORD start = GetTickCount();
         form->PicturesPending() > 0 && GetTickCount() - start < 10000;) {
      Pump(5);
    }
    Pump(20);
    UpdateWindow(list);
    const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    for (int row = top; row < std::min(rows, top + page); ++row) {
      const COLORREF shown = DrawnPicture(list, row);
      EXPECT_EQ(RowOfColour(shown), row)
          << how << ": row " << row << " shows " << std::hex << shown;
    }
  };
  check("as filled");
  // Quickly, a page at a time without waiting, to the end.
  for (int top = page; top < rows; top += page) {
    stopAt(top);
    UpdateWindow(list);
    Pump();
  }
  check("at the end");
  // Slowly back up, stopping on the way; the first rows were let go long since.
  for (int top = rows - 50; top >= 0; top -= 97) {
    stopAt(top);
    check("on the way up");
  }
  stopAt(0);
  check("back at the top");
}
