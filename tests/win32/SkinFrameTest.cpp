// The skinned frame on real windows under real input: what it draws, which buttons each window
// gets, and what pressing, dragging and the system menu do.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Harness.h"
#include "about/win32/AboutForm.h"
#include "app/win32/SecondaryForms.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"
#include "skin/win32/SkinEngine.h"

using namespace brevlo;
using namespace brevlo::testing;
using skin::CaptionButtonKind;

namespace {

POINT OnWindow(HWND hwnd, int x, int y) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {r.left + x, r.top + y};
}

POINT Centre(HWND hwnd, const skin::Rect& r) {
  return OnWindow(hwnd, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

skin::Pixel ScreenPixel(HDC screen, POINT p) {
  const COLORREF c = GetPixel(screen, p.x, p.y);
  return skin::MakePixel(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Opaque pixels of a button frame that the screen does not show where the button is.
int Mismatches(HWND hwnd, const skin::Rect& where, const skin::TskBitmap& frame) {
  HDC screen = GetDC(nullptr);
  int wrong = 0;
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      if (frame.At(x, y) == skin::Magenta) continue;
      if (ScreenPixel(screen, OnWindow(hwnd, where.left + x, where.top + y)) != frame.At(x, y)) {
        ++wrong;
      }
    }
  }
  ReleaseDC(nullptr, screen);
  return wrong;
}

std::vector<CaptionButtonKind> Buttons(skin::TskSkinEngine* engine, HWND hwnd) {
  std::vector<CaptionButtonKind> kinds;
  skin::TskSkinWindow* wrapper = engine->WrapperOf(hwnd);
  if (wrapper == nullptr) return kinds;
  const skin::CaptionLayout layout = wrapper->CaptionLayoutNow();
  if (!layout.icon.Empty()) kinds.push_back(CaptionButtonKind::SystemMenu);
  for (const auto& button : layout.buttons) kinds.push_back(button.kind);
  return kinds;
}

// Chooses Close, the last item, of the system menu once it is up: from a timer, which the
// menu's own loop runs.
void ChooseCloseFromTheSystemMenu() {
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = nullptr;
    do {
      menu = FindWindowExA(nullptr, menu, "#32768", nullptr);
    } while (menu != nullptr && !IsWindowVisible(menu));
    if (menu == nullptr) return;
    KillTimer(nullptr, id);
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);  // up from the top wraps to the last item
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
}

// Widths of the blank and inked runs of the caption's text line (dark on the light caption),
// from the buttons leftwards, starting with blank.
std::vector<int> InkRuns(HWND hwnd, const skin::CaptionLayout& layout) {
  HDC screen = GetDC(nullptr);
  std::vector<int> runs{0};
  for (int x = layout.buttons.back().rect.left - 1; x >= layout.textLeft; --x) {
    bool inked = false;
    for (int y = layout.top; y < layout.top + 16 && !inked; ++y) {
      const skin::Pixel p = ScreenPixel(screen, OnWindow(hwnd, x, y));
      inked = skin::PixelRed(p) + skin::PixelGreen(p) + skin::PixelBlue(p) < 300;
    }
    if (inked != (runs.size() % 2 == 0)) runs.push_back(0);
    ++runs.back();
  }
  ReleaseDC(nullptr, screen);
  return runs;
}

skin::TskSkinEngine* boxEngine = nullptr;
std::vector<CaptionButtonKind> boxButtons;
int boxLooks = 0;

}  // namespace

TEST(SkinFrame, MainWindowFrameButtonsMenuAndCaption) {
  TempFolder app;
  MainFormFixture form(app.Path());
  HWND hwnd = form->Handle();
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  int closes = 0;
  form->OnClose = [&closes](ui::TObject*, ui::TCloseAction& action) {
    ++closes;
    action = ui::TCloseAction::None;
  };
  SetForegroundWindow(hwnd);
  Pump(50);
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;

  // One line of the border colour outside, then three of the form's background.
  HDC screen = GetDC(nullptr);
  for (int i = 0; i < 4; ++i) {
    const skin::Pixel want = i == 0 ? skin::MakePixel(38, 67, 121) : skin::MakePixel(241, 241, 241);
    EXPECT_EQ(ScreenPixel(screen, OnWindow(hwnd, i, h / 2)), want) << "left " << i;
    EXPECT_EQ(ScreenPixel(screen, OnWindow(hwnd, w - 1 - i, h / 2)), want) << "right " << i;
    EXPECT_EQ(ScreenPixel(screen, OnWindow(hwnd, w / 2, h - 1 - i)), want) << "bottom " << i;
  }
  ReleaseDC(nullptr, screen);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  EXPECT_EQ(GetWindowRgn(hwnd, region), SIMPLEREGION);
  GetRgnBox(region, &box);
  EXPECT_TRUE(box.left == 0 && box.top == 0 && box.right == w && box.bottom == h);
  DeleteObject(region);

  ASSERT_EQ(Buttons(engine, hwnd),
            (std::vector{CaptionButtonKind::SystemMenu, CaptionButtonKind::Close,
                         CaptionButtonKind::Minimize}));
  const skin::CaptionLayout layout = engine->WrapperOf(hwnd)->CaptionLayoutNow();
  const skin::CaptionButton& close = layout.buttons[0];
  const skin::CaptionButton& minimize = layout.buttons[1];
  const std::vector<skin::TskBitmap>& frames = engine->Frame().buttons;
  ASSERT_EQ(frames.size(), 18u);
  // Frames that look alike could not tell the states apart.
  ASSERT_TRUE(frames[15] != frames[16] && frames[16] != frames[17] && frames[12] != frames[13]);

  MoveMouse(Centre(hwnd, minimize.rect));
  EXPECT_EQ(Mismatches(hwnd, minimize.rect, frames[13]), 0) << "minimise hot";
  EXPECT_EQ(Mismatches(hwnd, close.rect, frames[15]), 0) << "close normal";
  MouseSteps({{Centre(hwnd, close.rect), MOUSEEVENTF_LEFTDOWN}});
  EXPECT_EQ(Mismatches(hwnd, close.rect, frames[17]), 0) << "close pressed";
  // Let go elsewhere on the caption: the press is forgotten and nothing closes.
  const POINT caption = OnWindow(hwnd, w / 2, 10);
  MouseSteps({{caption, 0}});
  EXPECT_EQ(Mismatches(hwnd, close.rect, frames[15]), 0) << "close after leaving it";
  MouseSteps({{caption, MOUSEEVENTF_LEFTUP}});
  // Nor does a press on the minimise button let go on it.
  MouseSteps({{Centre(hwnd, minimize.rect), MOUSEEVENTF_LEFTDOWN},
              {Centre(hwnd, close.rect), 0},
              {Centre(hwnd, close.rect), MOUSEEVENTF_LEFTUP}});
  Pump(50);
  EXPECT_EQ(closes, 0);
  // A press and release on it closes.
  Click(Centre(hwnd, close.rect));
  Pump(50);
  EXPECT_EQ(closes, 1);

  // The caption drags the window.
  const POINT moved{caption.x + 30, caption.y + 20};
  MouseSteps({{caption, MOUSEEVENTF_LEFTDOWN},
              {POINT{caption.x + 10, caption.y + 5}, 0},
              {moved, 0},
              {moved, MOUSEEVENTF_LEFTUP}});
  Pump(50);
  RECT after;
  GetWindowRect(hwnd, &after);
  EXPECT_EQ(after.left - r.left, 30);
  EXPECT_EQ(after.top - r.top, 20);
  EXPECT_EQ(after.right - after.left, w);

  // A right click on the caption opens the system menu; its Close closes.
  ChooseCloseFromTheSystemMenu();
  MouseSteps({{moved, MOUSEEVENTF_RIGHTDOWN}, {moved, MOUSEEVENTF_RIGHTUP}});
  Pump(100);
  EXPECT_EQ(closes, 2);

  // A double click on the icon closes.
  const POINT icon = Centre(hwnd, layout.icon);
  MoveMouse(icon);
  MouseSteps({{icon, MOUSEEVENTF_LEFTDOWN},
              {icon, MOUSEEVENTF_LEFTUP},
              {icon, MOUSEEVENTF_LEFTDOWN},
              {icon, MOUSEEVENTF_LEFTUP}});
  Pump(100);
  EXPECT_EQ(closes, 3);

  // A caption too long for its room ends in dots before the buttons.
  MoveMouse(OnWindow(hwnd, 300, 300));
  form->SetCaption(std::string(120, 'W'));
  Pump(50);
  const std::vector<int> runs = InkRuns(hwnd, layout);
  ASSERT_GE(runs.size(), 8u);
  const int blankAtTheEnd = runs[0] - (layout.buttons.back().rect.left - layout.textRight);
  EXPECT_GT(blankAtTheEnd, 0);
  EXPECT_LT(blankAtTheEnd, 40);
  // Three dots, then a W whose strokes run on for columns.
  EXPECT_LE(std::max({runs[1], runs[3], runs[5]}), 2);
  EXPECT_GT(runs[7], 4);
}

TEST(SkinFrame, DialogsAndMessageBoxesOnlyClose) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  ui::TForm* dialogs[] = {app::NewAboutForm(ui::Application), app::NewRenameForm(ui::Application),
                          app::NewTransferForm(ui::Application)};
  engine->SkinAllFormsNow();
  for (ui::TForm* dialog : dialogs) {
    dialog->Show();
    Pump(20);
    EXPECT_EQ(Buttons(engine, dialog->Handle()), (std::vector{CaptionButtonKind::Close}))
        << dialog->ClassName();
    delete dialog;
  }

  // A message box: looked at while it is up, then closed by its skinned close button. Should
  // that fail, the next tick closes it, and says so.
  boxEngine = engine;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "Frame test");
    if (box == nullptr) return;
    if (++boxLooks > 1) PostMessageA(box, WM_COMMAND, IDOK, 0);
    boxButtons = Buttons(boxEngine, box);
    if (skin::TskSkinWindow* wrapper = boxEngine->WrapperOf(box); wrapper != nullptr) {
      Click(Centre(box, wrapper->CaptionLayoutNow().buttons.front().rect));
    }
  });
  form->Services().dialogs->Show("Closed by its frame", "Frame test",
                                 platform::MbOk | platform::MbIconInformation);
  KillTimer(nullptr, timer);
  EXPECT_EQ(boxLooks, 1);
  EXPECT_EQ(boxButtons, (std::vector{CaptionButtonKind::Close}));
}
