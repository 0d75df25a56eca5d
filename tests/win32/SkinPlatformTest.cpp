// The skin living with the platform: high contrast, the window menu, the theme's own caption
// messages, message boxes beside our forms, foreign and mirrored dialogs, and what a control
// repaints when the mouse merely passes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "skin/win32/SkinEngine.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

bool fakeHighContrast = false;

COLORREF ScreenAt(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// How many drawing steps a window's print of its client takes, recorded in a metafile.
int DrawingsOfAPrint(HWND hwnd) {
  HDC reference = GetDC(hwnd);
  HDC record = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
  SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(record), PRF_CLIENT);
  HENHMETAFILE file = CloseEnhMetaFile(record);
  ReleaseDC(hwnd, reference);
  int drawings = 0;
  EnumEnhMetaFile(
      nullptr, file,
      [](HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM count) -> int {
        switch (r->iType) {
          case EMR_BITBLT:
          case EMR_STRETCHBLT:
          case EMR_STRETCHDIBITS:
          case EMR_SETDIBITSTODEVICE:
          case EMR_EXTTEXTOUTW:
          case EMR_EXTTEXTOUTA:
          case EMR_FILLRGN:
          case EMR_FRAMERGN:
          case EMR_PAINTRGN:
          case EMR_RECTANGLE:
          case EMR_LINETO:
          case EMR_POLYLINE16:
          case EMR_POLYGON16:
          case EMR_SETPIXELV:
            ++*reinterpret_cast<int*>(count);
            break;
          default:
            break;
        }
        return 1;
      },
      &drawings, nullptr);
  DeleteEnhMetaFile(file);
  return drawings;
}

int ClientTop(HWND hwnd) {
  RECT window;
  GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return origin.y - window.top;
}

// What reaches a window's own handling behind the engine's wrapper.
struct Seen {
  int themeCaption = 0;
  int timers = 0;
};
LRESULT CALLBACK Counting(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data) {
  auto* seen = reinterpret_cast<Seen*>(data);
  if (msg == 0x00AE || msg == 0x00AF) ++seen->themeCaption;
  if (msg == WM_TIMER) ++seen->timers;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// A modeless dialog from a template in memory: BUTTON children of the given styles and a
// read-only edit last.
HWND MakeDialog(DWORD exStyle, const std::vector<DWORD>& buttons, DWORD visible = WS_VISIBLE) {
  std::vector<WORD> t;
  auto words = [&t](std::initializer_list<WORD> list) {
    for (WORD w : list) t.push_back(w);
  };
  auto dword = [&words](DWORD v) { words({LOWORD(v), HIWORD(v)}); };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | visible | DS_SETFONT);
  dword(exStyle);
  const auto count = static_cast<WORD>(buttons.size() + 1);
  words({count, 10, 10, 200, 160, 0, 0, 0, 8});
  for (char c : std::string("MS Sans Serif")) t.push_back(static_cast<WORD>(c));
  t.push_back(0);
  auto item = [&t, &words, &dword](DWORD style, WORD cls, WORD id) {
    if (t.size() % 2 != 0) t.push_back(0);
    dword(WS_CHILD | WS_VISIBLE | style);
    dword(0);
    const auto y = static_cast<WORD>(5 + (id - 100) * 18);
    words({5, y, 120, 14, id, 0xFFFF, cls, 'x', 0, 0});
  };
  WORD id = 100;
  for (DWORD style : buttons) item(style, 0x80, id++);
  item(ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, 0x81, id);
  HWND dialog = CreateDialogIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  return dialog;
}

// The two boxes, looked at from a timer while they are up: the OK box first, the Yes/No box
// opened over it.
struct Boxes {
  skin::TskSkinEngine* engine = nullptr;
  HWND main = nullptr;
  int stage = 0;
  int okTop = -1, yesNoTop = -1;
  bool okClose = false, yesNoClose = true, yesNoStayed = false;
  int yesNoAnswer = 0;
} boxes;

bool HasClose(HWND box) {
  skin::TskSkinWindow* wrapper = boxes.engine->WrapperOf(box);
  if (wrapper == nullptr) return true;
  for (const auto& button : wrapper->CaptionLayoutNow().buttons) {
    if (button.kind == skin::CaptionButtonKind::Close) return true;
  }
  return false;
}

void CALLBACK LookAtBoxes(HWND, UINT, UINT_PTR, DWORD) {
  HWND ok = FindWindowA("#32770", "Band test OK");
  HWND yesNo = FindWindowA("#32770", "Band test Yes/No");
  if (boxes.stage == 0 && ok != nullptr) {
    boxes.stage = 1;
    boxes.okTop = ClientTop(ok);
    boxes.okClose = HasClose(ok);
    boxes.yesNoAnswer = MessageBoxA(ok, "Close me by Yes only.", "Band test Yes/No", MB_YESNO);
    PostMessageA(ok, WM_COMMAND, IDOK, 0);
  } else if (boxes.stage == 1 && yesNo != nullptr) {
    boxes.stage = 2;
    boxes.yesNoTop = ClientTop(yesNo);
    boxes.yesNoClose = HasClose(yesNo);
    RECT main;
    GetWindowRect(boxes.main, &main);
    RECT box;
    GetWindowRect(ok, &box);
    SetWindowPos(ok, nullptr, main.right + 10, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(yesNo, nullptr, main.right + 10, main.top + box.bottom - box.top + 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    UpdateWindow(ok);
    UpdateWindow(yesNo);
    Pump(100);
    SaveScreenshot(GetDesktopWindow(), "skin-boxes-beside-the-main-window");
    // As a press of Alt+F4 would ask: a box without a close button stays.
    PostMessageA(yesNo, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (boxes.stage == 2 && yesNo != nullptr) {
    boxes.stage = 3;
    boxes.yesNoStayed = true;
    PostMessageA(yesNo, WM_COMMAND, IDYES, 0);
  } else if (boxes.stage == 2 && ok != nullptr && yesNo == nullptr) {
    boxes.stage = 3;  // gone after the close: answered as no caller expects
  }
}

}  // namespace

TEST(SkinPlatform, HighContrastTakesTheSkinAwayAndBackWithTheStatusBarsColour) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  HWND hwnd = form->Handle();
  form->Show();
  Pump(50);
  const COLORREF skinColour = ui::ColorToRgb(engine->FormBackgroundColor());
  HWND bar = form->StatusBar1->Handle();
  RECT r;
  GetClientRect(bar, &r);
  // The bar takes the colour the form has with the skin, not the one it had before.
  EXPECT_EQ(ScreenAt(bar, r.right / 2, r.bottom - 3), skinColour);
  // The window keeps its menu for the task bar, and the task bar's minimise works.
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU, 0);
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED), 0u);
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(hwnd));
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump(50);

  // A dark high-contrast scheme: the form, its labels and frame are the platform's.
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT,
                          COLOR_3DFACE};
  COLORREF saved[std::size(elements)];
  for (std::size_t i = 0; i < std::size(elements); ++i) saved[i] = GetSysColor(elements[i]);
  const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0),
                           RGB(0, 0, 0)};
  fakeHighContrast = true;
  skin::TskSkinEngine::SystemHighContrast = [] { return fakeHighContrast; };
  SetSysColors(static_cast<int>(std::size(elements)), elements, dark);
  SendMessageA(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Pump(100);
  EXPECT_TRUE(engine->Active());
  EXPECT_TRUE(engine->HighContrast());
  EXPECT_EQ(SendMessageA(hwnd, skin::SKM_ISSKINNED, 0, 0), 0);
  EXPECT_EQ(SendMessageA(form->btnBrowse->Handle(), skin::SKM_ISSKINNED, 0, 0), 0);
  EXPECT_EQ(form->Color, ui::clBtnFace);
  EXPECT_EQ(ScreenAt(hwnd, 2, 470), RGB(0, 0, 0));
  SaveScreenshot(hwnd, "skin-high-contrast");

  // The mode ends: the skin is back, the bar again in its colour.
  fakeHighContrast = false;
  SetSysColors(static_cast<int>(std::size(elements)), elements, saved);
  SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Pump(100);
  skin::TskSkinEngine::SystemHighContrast = [] { return false; };
  EXPECT_FALSE(engine->HighContrast());
  EXPECT_EQ(SendMessageA(hwnd, skin::SKM_ISSKINNED, 0, 0), 1);
  EXPECT_EQ(SendMessageA(form->btnBrowse->Handle(), skin::SKM_ISSKINNED, 0, 0), 1);
  EXPECT_EQ(ScreenAt(bar, r.right / 2, r.bottom - 3), skinColour);
}

TEST(SkinPlatform, GroupAndComboBoxesReachTheScreenInOneCopy) {
  TempFolder app;
  MainFormFixture form(app.Path());
  form->Show();
  Pump(50);
  const COLORREF skinColour = ui::ColorToRgb(form->skSkinEngine1->FormBackgroundColor());
  HWND group = form->gpbPSP->Handle();
  HWND combo = form->cmbType->Handle();
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  // Every paint, the platform's hover paints among them, is one copy of a finished picture.
  EXPECT_EQ(DrawingsOfAPrint(group), 1);
  EXPECT_EQ(DrawingsOfAPrint(combo), 1);
  RedrawWindow(group, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Pump(20);
  // Under the label in the group box, the button's corner and its arrow in the combo box.
  EXPECT_EQ(ScreenAt(group, 5, 42), skinColour);
  EXPECT_EQ(ScreenAt(combo, info.rcButton.left + 2, info.rcButton.top + 2), skinColour);
  EXPECT_EQ(ScreenAt(combo, (info.rcButton.left + info.rcButton.right) / 2,
                     (info.rcButton.top + info.rcButton.bottom) / 2 - 2),
            RGB(0, 0, 0));
}

TEST(SkinPlatform, BoxesShareTheCaptionBandAndAYesNoBoxHasNoClose) {
  TempFolder app;
  MainFormFixture form(app.Path());
  form->Show();
  Pump(50);
  boxes = Boxes{};
  boxes.engine = form->skSkinEngine1;
  boxes.main = form->Handle();
  SetWindowPos(boxes.main, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, LookAtBoxes);
  MessageBoxA(boxes.main, "Look at my caption.", "Band test OK", MB_OK | MB_ICONINFORMATION);
  KillTimer(nullptr, timer);
  EXPECT_EQ(boxes.stage, 3);
  const int mainTop = ClientTop(boxes.main);
  EXPECT_EQ(boxes.okTop, mainTop);
  EXPECT_EQ(boxes.yesNoTop, mainTop);
  EXPECT_TRUE(boxes.okClose);
  EXPECT_FALSE(boxes.yesNoClose);
  EXPECT_TRUE(boxes.yesNoStayed);
  EXPECT_EQ(boxes.yesNoAnswer, IDYES);
}

TEST(SkinPlatform, ForeignDialogsButtonKindsReadOnlyEditsThemeCaptionAndMirroring) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  // Owner-drawn, push-box, command-link and split buttons are the platform's.
  const std::vector<DWORD> kinds = {BS_PUSHBUTTON, BS_OWNERDRAW, BS_PUSHBOX, BS_COMMANDLINK,
                                    BS_SPLITBUTTON};
  HWND dialog = MakeDialog(0, kinds, 0);
  ASSERT_NE(dialog, nullptr);
  // Ours first, so that the engine's wrapper comes in front of it when it is shown.
  Seen seen;
  SetWindowSubclass(dialog, Counting, 1, reinterpret_cast<DWORD_PTR>(&seen));
  ShowWindow(dialog, SW_SHOW);
  SetActiveWindow(dialog);
  Pump(50);
  ASSERT_NE(engine->WrapperOf(dialog), nullptr);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(engine->SkinnerOf(GetDlgItem(dialog, static_cast<int>(100 + i))) != nullptr, i == 0);
  }
  // A read-only edit is answered opaque, a label see-through.
  HWND edit = GetDlgItem(dialog, static_cast<int>(100 + kinds.size()));
  HDC dc = GetDC(dialog);
  SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(edit));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetBkColor(dc), ui::ColorToRgb(engine->FormBackgroundColor()));
  SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  ReleaseDC(dialog, dc);
  // The theme's caption paints are answered in front of the window.
  SendMessageA(dialog, 0x00AE, 0, 0);
  SendMessageA(dialog, 0x00AF, 0, 0);
  EXPECT_EQ(seen.themeCaption, 0);
  RemoveWindowSubclass(dialog, Counting, 1);
  DestroyWindow(dialog);

  // A mirrored dialog keeps the platform's frame, whose geometry mirrors as its hit test does.
  HWND mirrored = MakeDialog(WS_EX_LAYOUTRTL, {BS_PUSHBUTTON});
  ASSERT_NE(mirrored, nullptr);
  SetActiveWindow(mirrored);
  Pump(50);
  EXPECT_EQ(engine->WrapperOf(mirrored), nullptr);
  EXPECT_EQ(SendMessageA(mirrored, skin::SKM_ISSKINNED, 0, 0), 0);
  DestroyWindow(mirrored);
}

TEST(SkinPlatform, TheIconsMenuTimerGoesWhenTheEngineIsSwitchedOff) {
  TempFolder app;
  MainFormFixture form(app.Path());
  form->Show();
  Pump(50);
  HWND hwnd = form->Handle();
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  Seen seen;
  SetWindowSubclass(hwnd, Counting, 1, reinterpret_cast<DWORD_PTR>(&seen));
  const skin::Rect icon = engine->WrapperOf(hwnd)->CaptionLayoutNow().icon;
  ASSERT_FALSE(icon.Empty());
  RECT window;
  GetWindowRect(hwnd, &window);
  // Timers of the form's own are counted apart: only the icon's may not come.
  form->Timer1->SetEnabled(false);
  seen.timers = 0;
  Click({window.left + (icon.left + icon.right) / 2, window.top + (icon.top + icon.bottom) / 2});
  engine->SetActive(false);
  Pump(static_cast<int>(GetDoubleClickTime()) + 400);
  EXPECT_EQ(seen.timers, 0);
  RemoveWindowSubclass(hwnd, Counting, 1);
  engine->SetActive(true);
}
