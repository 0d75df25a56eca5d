// The skin beside the platform on the real main window and message boxes: the window menu, what
// reaches the screen in one copy, the icon's timer, boxes beside our forms, high contrast.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "skin/win32/SkinEngine.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

COLORREF ScreenAt(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

int ClientTop(HWND hwnd) {
  RECT window;
  GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return origin.y - window.top;
}

// The records of a window's print of its client: head, one copy, end when drawn off screen.
UINT RecordsOfAPrint(HWND hwnd) {
  HDC record = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(record), PRF_CLIENT);
  HENHMETAFILE file = CloseEnhMetaFile(record);
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(file, sizeof header, &header);
  DeleteEnhMetaFile(file);
  return static_cast<UINT>(header.nRecords);
}

int timers = 0;
LRESULT CALLBACK CountTimers(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
  timers += msg == WM_TIMER ? 1 : 0;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool fakeHighContrast = false;
skin::TskSkinEngine* engine = nullptr;
// Looked at while up: the OK box's caption band, then the Yes/No box's over it.
int stage = 0, okTop = -1, yesNoTop = -1, yesNoButtons = -1, answer = 0;

void CALLBACK LookAtBoxes(HWND main, UINT, UINT_PTR, DWORD) {
  HWND ok = FindWindowA("#32770", "Band OK");
  HWND yesNo = FindWindowA("#32770", "Band Yes/No");
  if (stage == 0 && ok != nullptr) {
    stage = 1;
    okTop = ClientTop(ok);
    answer = MessageBoxA(ok, "Only Yes closes me.", "Band Yes/No", MB_YESNO);
    PostMessageA(ok, WM_COMMAND, IDOK, 0);
  } else if (stage == 1 && yesNo != nullptr) {
    stage = 2;
    yesNoTop = ClientTop(yesNo);
    yesNoButtons = static_cast<int>(engine->WrapperOf(yesNo)->CaptionLayoutNow().buttons.size());
    RECT r;
    GetWindowRect(main, &r);
    SetWindowPos(ok, nullptr, r.right + 10, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(yesNo, nullptr, r.right + 10, r.top + 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump(100);
    SaveScreenshot(GetDesktopWindow(), "skin-boxes-beside-the-main-window");
    PostMessageA(yesNo, WM_SYSCOMMAND, SC_CLOSE, 0);  // as Alt+F4 asks: the box stays
  } else if (stage == 2 && yesNo != nullptr) {
    stage = 3;
    PostMessageA(yesNo, WM_COMMAND, IDYES, 0);
  }
}

}  // namespace

TEST(SkinPlatform, MainWindowAndBoxesBesideThePlatform) {
  TempFolder app;
  MainFormFixture form(app.Path());
  engine = form->skSkinEngine1;
  HWND hwnd = form->Handle();
  SetWindowPos(hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  form->Show();
  Pump(50);
  const COLORREF skinColour = ui::ColorToRgb(engine->FormBackgroundColor());
  EXPECT_EQ(ScreenAt(form->StatusBar1->Handle(), 100, 10), skinColour);
  // The task bar's window menu minimises it.
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(hwnd));
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  // Group and combo boxes, the platform's hover paints included, reach it in one copy.
  EXPECT_EQ(RecordsOfAPrint(form->gpbPSP->Handle()), 3u);
  EXPECT_EQ(RecordsOfAPrint(form->cmbType->Handle()), 3u);

  // Message boxes: one caption band with our forms; no close where Yes or No must answer.
  SetTimer(hwnd, 0x7E57, 300, LookAtBoxes);
  MessageBoxA(hwnd, "Look at my caption.", "Band OK", MB_OK | MB_ICONINFORMATION);
  KillTimer(hwnd, 0x7E57);
  EXPECT_EQ(stage, 3);
  EXPECT_EQ(okTop, ClientTop(hwnd));
  EXPECT_EQ(yesNoTop, ClientTop(hwnd));
  EXPECT_EQ(yesNoButtons, 0);
  EXPECT_EQ(answer, IDYES);

  // A click on the icon, then the engine off within the double-click time: no menu, no timer.
  SetWindowSubclass(hwnd, CountTimers, 1, 0);
  const skin::Rect icon = engine->WrapperOf(hwnd)->CaptionLayoutNow().icon;
  RECT window;
  GetWindowRect(hwnd, &window);
  Click({window.left + (icon.left + icon.right) / 2, window.top + (icon.top + icon.bottom) / 2});
  engine->SetActive(false);
  timers = 0;
  Pump(static_cast<int>(GetDoubleClickTime()) + 300);
  EXPECT_EQ(timers, 0);
  RemoveWindowSubclass(hwnd, CountTimers, 1);
  engine->SetActive(true);

  // A dark high-contrast scheme: frame, face and text are the platform's; Active stays.
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
  COLORREF saved[4];
  for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(elements[i]);
  const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0)};
  skin::TskSkinEngine::SystemHighContrast = [] { return fakeHighContrast; };
  for (bool on : {true, false}) {
    fakeHighContrast = on;
    SetSysColors(4, elements, on ? dark : saved);
    SendMessageA(hwnd, on ? WM_SETTINGCHANGE : WM_SYSCOLORCHANGE, SPI_SETHIGHCONTRAST, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Pump(100);
    EXPECT_TRUE(engine->Active());
    EXPECT_EQ(SendMessageA(form->btnBrowse->Handle(), skin::SKM_ISSKINNED, 0, 0), on ? 0 : 1);
    EXPECT_EQ(ScreenAt(hwnd, 2, 470), on ? RGB(0, 0, 0) : skinColour);
    if (on) SaveScreenshot(hwnd, "skin-high-contrast");
  }
}
