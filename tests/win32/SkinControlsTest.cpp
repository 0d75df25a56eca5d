// Skinned controls on the program's real windows under real input: what they show, read back
// from the screen, and what pressing, keys and the painted scroll bars do.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "dirtree/win32/FileExplorer.h"
#include "operations/win32/TransferForm.h"
#include "skin/SkinDraw.h"
#include "skin/SkinScale.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Builder.h"
#include "ui/Dpi.h"
#include "ui/StdCtrls.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// What the screen shows of a window, frame included.
skin::TskBitmap Grab(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  skin::TskDib dib(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(dib.Dc(), 0, 0, dib.Width(), dib.Height(), screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  const skin::PixelView view = dib.View();
  skin::TskBitmap out(view.width, view.height);
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) out.Set(x, y, view.At(x, y) & 0xFFFFFF);
  }
  return out;
}

POINT At(HWND hwnd, int x, int y) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {r.left + x, r.top + y};
}

skin::Pixel SkinPixel(skin::TskSkinEngine* engine, const char* name) {
  return skin::ColorToPixel(engine->Reader().GetInt(name));
}

// A button face as the skin draws it: frame 1 to 3 of the button image over the form colour.
skin::TskBitmap Face(skin::TskSkinEngine* engine, int frame, int w, int h, int dpi = 96) {
  skin::TskBitmap image;
  skin::GetScaledImageFrame(engine->Reader(), "ButtonImage", image, 3, frame, dpi);
  skin::TskBitmap face(w, h, SkinPixel(engine, "FormBackgroundColor"));
  skin::DrawNineGrid(face.View(), image, skin::Rect{0, 0, w, h},
                     engine->Reader().GetBool("ButtonTransparentBool"));
  return face;
}

// Pixels of the outer four rows and columns (no text or focus mark reaches them) that differ.
int EdgeMismatches(const skin::TskBitmap& shown, const skin::TskBitmap& want) {
  int wrong = 0;
  for (int y = 0; y < want.Height(); ++y) {
    for (int x = 0; x < want.Width(); ++x) {
      const bool edge = x < 4 || y < 4 || x >= want.Width() - 4 || y >= want.Height() - 4;
      if (edge && shown.At(x, y) != want.At(x, y)) ++wrong;
    }
  }
  return wrong;
}

int RowMismatches(const skin::TskBitmap& shown, const skin::TskBitmap& want, int y, int from,
                  int to) {
  int wrong = 0;
  for (int x = from; x < to; ++x) wrong += shown.At(x, y) != want.At(x, y) ? 1 : 0;
  return wrong;
}

// A vertical bar's picture without its thumb: track colour, arrows stretched into 16 rows.
skin::TskBitmap BarEnds(skin::TskSkinEngine* engine, int w, int h) {
  skin::TskBitmap ends(w, h, SkinPixel(engine, "ScrollBarBackgroundColor"));
  const skin::TskBitmap& up = *engine->ScrollSet().Upright(1);
  const skin::TskBitmap& down = *engine->ScrollSet().Upright(4);
  skin::Blit(ends.View(), skin::Rect{0, 0, w, 16}, up, skin::Rect{0, 0, up.Width(), up.Height()},
             skin::Transparency::Of(skin::Magenta));
  skin::Blit(ends.View(), skin::Rect{0, h - 16, w, h}, down,
             skin::Rect{0, 0, down.Width(), down.Height()}, skin::Transparency::Of(skin::Magenta));
  return ends;
}

// Pixels of a painted vertical bar's arrows that the screen shows otherwise.
int ArrowMismatches(skin::TskSkinEngine* engine, HWND panel) {
  const skin::TskBitmap bar = Grab(panel);
  const skin::TskBitmap ends = BarEnds(engine, bar.Width(), bar.Height());
  int wrong = 0;
  for (int y : {0, 5, 10, 15, bar.Height() - 16, bar.Height() - 8, bar.Height() - 1}) {
    wrong += RowMismatches(bar, ends, y, 0, bar.Width());
  }
  return wrong;
}

}  // namespace

TEST(SkinControls, MainWindowButtonsBordersAndScrollBars) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  SetForegroundWindow(form->Handle());
  MoveMouse(At(form->Handle(), 5, 200));
  Pump(50);

  ui::TButton* button = form->btnRefreshPC;
  HWND hwnd = button->Handle();
  int clicks = 0;
  button->OnClick = [&clicks](ui::TObject*) { ++clicks; };
  RECT r;
  GetClientRect(hwnd, &r);
  const skin::TskBitmap normal = Face(engine, 1, r.right, r.bottom);
  const skin::TskBitmap hot = Face(engine, 2, r.right, r.bottom);
  const skin::TskBitmap pressed = Face(engine, 3, r.right, r.bottom);
  ASSERT_NE(EdgeMismatches(normal, hot), 0) << "the frames must differ to be told apart";
  ASSERT_NE(EdgeMismatches(hot, pressed), 0);
  EXPECT_EQ(EdgeMismatches(Grab(hwnd), normal), 0) << "normal";
  const POINT inside = At(hwnd, r.right / 2, r.bottom / 2);
  MoveMouse(inside);
  EXPECT_EQ(EdgeMismatches(Grab(hwnd), hot), 0) << "hot";
  MouseSteps({{inside, MOUSEEVENTF_LEFTDOWN}});
  skin::TskBitmap shown = Grab(hwnd);
  EXPECT_EQ(EdgeMismatches(shown, pressed), 0) << "pressed";
  // The press gave the focus: its dotted mark runs five pixels in, one further while pressed.
  EXPECT_GT(RowMismatches(shown, pressed, 6, 6, r.right - 6), 0);
  EXPECT_EQ(RowMismatches(shown, pressed, 5, 0, r.right), 0);
  // Let go outside: no click, and the face cools.
  const POINT outside = At(form->Handle(), 5, 200);
  MouseSteps({{outside, 0}, {outside, MOUSEEVENTF_LEFTUP}});
  Pump(30);
  EXPECT_EQ(clicks, 0);
  // The face cools when the leave reaches the button, which a busy machine may delay.
  for (int waited = 0; waited < 1000 && EdgeMismatches(Grab(hwnd), normal) != 0; waited += 20) {
    Pump(20);
  }
  EXPECT_EQ(EdgeMismatches(Grab(hwnd), normal), 0) << "after leaving";
  Click(inside);
  Pump(30);
  EXPECT_EQ(clicks, 1);
  MoveMouse(outside);
  shown = Grab(hwnd);
  EXPECT_EQ(RowMismatches(shown, normal, 4, 0, r.right), 0);
  EXPECT_GT(RowMismatches(shown, normal, 5, 5, r.right - 5), 0) << "focus mark inset by 5";
  EXPECT_EQ(GetFocus(), hwnd);
  Key(VK_SPACE);
  EXPECT_EQ(clicks, 2) << "Space";
  Key(VK_RETURN);
  EXPECT_EQ(clicks, 3) << "Enter";

  // A press on a button of a window that is not active starts no click.
  ui::TForm other(ui::Application);
  other.SetBounds(0, 0, 200, 100);
  other.Show();
  SetForegroundWindow(other.Handle());
  Pump(50);
  ASSERT_NE(GetActiveWindow(), form->Handle());
  PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump(50);
  EXPECT_EQ(clicks, 3);
  other.Hide();
  SetForegroundWindow(form->Handle());
  Pump(50);

  // Edits and lists: the two-colour border over the platform's edge.
  const skin::Pixel border = skin::MakePixel(104, 104, 104);
  const skin::Pixel inner = skin::MakePixel(238, 238, 238);
  for (ui::TWinControl* control :
       {static_cast<ui::TWinControl*>(form->edtPath), static_cast<ui::TWinControl*>(form->ltvPC)}) {
    const skin::TskBitmap edge = Grab(control->Handle());
    const int midY = edge.Height() / 2;
    const int midX = edge.Width() / 2;
    EXPECT_EQ(edge.At(0, midY), border) << control->Name;
    EXPECT_EQ(edge.At(1, midY), inner) << control->Name;
    EXPECT_EQ(edge.At(midX, 0), border) << control->Name;
    EXPECT_EQ(edge.At(midX, edge.Height() - 2), inner) << control->Name;
  }

  // A single-line edit gets the border but no painted bars.
  auto* edit = dynamic_cast<skin::TskSkinScrollWinControl*>(engine->SkinnerOf(form->edtPath));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Bar(true), nullptr);

  // A group box draws the labels it holds over its own face.
  const skin::TskBitmap group = Grab(form->gpbPSP->Handle());
  const RECT label = form->Label3->BoundsRect();
  int ink = 0;
  for (int y = label.top; y < label.bottom; ++y) {
    for (int x = label.left; x < label.right; ++x) ink += skin::PixelRed(group.At(x, y)) < 100;
  }
  EXPECT_GT(ink, 20) << "\"" << form->Label3->Caption() << "\" in its group box";

  // A list longer than the screen: its vertical bar painted from the scroll set.
  form->ltvPC->BeginUpdate();
  for (int i = 0; i < 200; ++i) form->ltvPC->AddItem("video " + std::to_string(i), "", -1);
  form->ltvPC->EndUpdate();
  Pump(100);
  auto* skinner = dynamic_cast<skin::TskSkinScrollWinControl*>(engine->SkinnerOf(form->ltvPC));
  ASSERT_NE(skinner, nullptr);
  ASSERT_NE(skinner->Bar(true), nullptr);
  HWND panel = skinner->Bar(true)->Handle();
  ASSERT_TRUE(IsWindowVisible(panel));
  EXPECT_TRUE(skinner->Bar(false) == nullptr || !IsWindowVisible(skinner->Bar(false)->Handle()))
      << "no horizontal bar";
  // An empty list shows no bar and has no panel window made for one.
  auto* empty = dynamic_cast<skin::TskSkinScrollWinControl*>(engine->SkinnerOf(form->ltvPSP));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Bar(true), nullptr);
  EXPECT_EQ(empty->Bar(false), nullptr);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(form->ltvPC->Handle(), OBJID_VSCROLL, &info));
  RECT placed;
  GetWindowRect(panel, &placed);
  EXPECT_TRUE(EqualRect(&placed, &info.rcScrollBar));
  const skin::TskBitmap bar = Grab(panel);
  const int w = bar.Width();
  const int h = bar.Height();
  EXPECT_EQ(ArrowMismatches(engine, panel), 0) << "arrows";
  const skin::TskBitmap ends = BarEnds(engine, w, h);
  // Track below the thumb in the track colour; the thumb drawn there.
  EXPECT_EQ(bar.At(w / 2, info.xyThumbBottom + 2), ends.At(w / 2, info.xyThumbBottom + 2));
  EXPECT_NE(bar.At(w / 2, (info.xyThumbTop + info.xyThumbBottom) / 2),
            ends.At(w / 2, (info.xyThumbTop + info.xyThumbBottom) / 2));

  // Presses on the painted panel scroll the list as presses on the bar would.
  const auto top = [&] { return SendMessageA(form->ltvPC->Handle(), LVM_GETTOPINDEX, 0, 0); };
  EXPECT_EQ(top(), 0);
  Click(At(panel, w / 2, h - 8));
  Pump(50);
  EXPECT_EQ(top(), 1) << "down arrow";
  Click(At(panel, w / 2, h - 24));
  Pump(50);
  EXPECT_GT(top(), 2) << "page down";
  const skin::TskBitmap moved = Grab(panel);
  EXPECT_NE(EdgeMismatches(moved, bar), 0) << "the thumb moved with the list";

  // The tree combo: its drop-down button outlined when hot, its floating tree's bar painted.
  dirtree::TDirTreeCombo* combo = form->cmbPSP;
  POINT corner{combo->Btn->Left(), combo->Btn->Top()};
  ClientToScreen(combo->Handle(), &corner);
  MoveMouse({corner.x + combo->Btn->Width() / 2, corner.y + combo->Btn->Height() / 2});
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, corner.x, corner.y + combo->Btn->Height() / 2), RGB(104, 104, 104));
  ReleaseDC(nullptr, screen);
  combo->SetTreeHeight(60);
  combo->ToggleDropDown();
  Pump(100);
  auto* tree = dynamic_cast<skin::TskSkinScrollWinControl*>(engine->SkinnerOf(combo->Tree));
  ASSERT_TRUE(tree != nullptr && tree->Bar(true) != nullptr);
  ASSERT_TRUE(GetScrollBarInfo(combo->Tree->Handle(), OBJID_VSCROLL, &info));
  GetWindowRect(tree->Bar(true)->Handle(), &placed);
  EXPECT_TRUE(IsWindowVisible(tree->Bar(true)->Handle()));
  EXPECT_TRUE(EqualRect(&placed, &info.rcScrollBar));
  EXPECT_EQ(ArrowMismatches(engine, tree->Bar(true)->Handle()), 0) << "shown over the tree";
  // A press on it scrolls the tree, and the drop-down stays.
  const auto firstShown = [&] {
    return SendMessageA(combo->Tree->Handle(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
  };
  const LRESULT before = firstShown();
  Click(At(tree->Bar(true)->Handle(), 5, placed.bottom - placed.top - 8));
  Pump(50);
  EXPECT_NE(firstShown(), before);
  EXPECT_TRUE(combo->DroppedDown());
  combo->ToggleDropDown();
  Pump(50);
  EXPECT_FALSE(IsWindowVisible(tree->Bar(true)->Handle())) << "hidden with the tree";

  // Without the skin every control is the platform's again, and still works.
  engine->SetActive(false);
  Pump(100);
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_NE(Grab(form->edtPath->Handle()).At(0, 5), border);
  EXPECT_NE(EdgeMismatches(Grab(hwnd), normal), 0);
  Click(inside);
  Pump(50);
  EXPECT_EQ(clicks, 4);
  engine->SetActive(true);
  Pump(100);
  EXPECT_EQ(Grab(form->edtPath->Handle()).At(0, 5), border);
}

TEST(SkinControls, TransferProgressAndADisabledCheckBox) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  auto* transfer = app::NewTransferForm(ui::Application);
  auto* check = ui::NewControl<ui::TCheckBox>(transfer, transfer, "chkTest", 16, 96, 120, 17);
  check->SetCaption("Checked");
  check->SetChecked(true);
  check->SetEnabled(false);
  transfer->pgb1->SetBounds(16, 72, 200, 17);
  engine->SkinAllFormsNow();
  transfer->Show();
  transfer->pgb1->SetPosition(50);
  Pump(100);

  HWND bar = transfer->pgb1->Handle();
  RECT client;
  GetClientRect(bar, &client);
  ASSERT_EQ(client.right, 200);
  skin::TskBitmap image;
  ASSERT_TRUE(engine->Reader().GetImage("ProgressBarImage", image));
  skin::TskBitmap want(200, client.bottom,
                       skin::ColorToPixel(engine->Reader().GetInt("FormBackgroundColor")));
  skin::Blit(want.View(), skin::Rect{0, 0, 100, client.bottom}, image,
             skin::Rect{0, 0, image.Width(), image.Height()}, skin::Transparency::None());
  const skin::TskBitmap shown = Grab(bar);
  int wrong = 0;
  for (int y = 0; y < client.bottom; ++y) wrong += RowMismatches(shown, want, y, 0, 200);
  EXPECT_EQ(wrong, 0) << "columns 0-99 the stretched image, the rest the form colour";

  // Disabled and checked: frame 3, at the left, centred in the height.
  skin::TskBitmap mark;
  ASSERT_TRUE(engine->Reader().GetImageFrame("CheckBoxImage", mark, 4, 3));
  const skin::TskBitmap box = Grab(check->Handle());
  const int top = (box.Height() - std::max(13, mark.Height())) / 2;
  int markWrong = 0;
  for (int y = 0; y < mark.Height(); ++y) {
    for (int x = 0; x < mark.Width(); ++x) markWrong += box.At(x, top + y) != mark.At(x, y);
  }
  EXPECT_EQ(markWrong, 0);
  delete transfer;
}

namespace {
struct BoxRun {
  UINT flags;
  int action;  // 0 click Yes, 1 Escape, 2 Enter, 3 Space on No, 4 click OK
  int faceMismatches = -1;
};
BoxRun* run = nullptr;
skin::TskSkinEngine* runEngine = nullptr;
}  // namespace

TEST(SkinControls, MessageBoxButtonsAreSkinnedAndStillAnswer) {
  TempFolder app;
  MainFormFixture form(app.Path());
  runEngine = form->skSkinEngine1;
  const struct {
    UINT flags;
    int action;
    int answer;
  } cases[] = {
      {MB_YESNO, 0, IDYES},
      {MB_YESNOCANCEL, 1, IDCANCEL},
      {MB_YESNO | MB_DEFBUTTON2, 2, IDNO},
      {MB_YESNO, 3, IDNO},
      {MB_OK, 4, IDOK},
  };
  for (const auto& c : cases) {
    BoxRun current{c.flags, c.action};
    run = &current;
    const UINT_PTR timer = SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR id, DWORD) {
      HWND box = FindWindowA("#32770", "Skinned box");
      if (box == nullptr) return;
      KillTimer(nullptr, id);
      HWND yes = GetDlgItem(box, (run->flags & 0xF) == MB_OK ? IDOK : IDYES);
      RECT r;
      GetClientRect(yes, &r);
      MoveMouse(At(box, 2, 2));
      run->faceMismatches = EdgeMismatches(Grab(yes), Face(runEngine, 1, r.right, r.bottom));
      switch (run->action) {
        case 0:
        case 4:
          Click(At(yes, r.right / 2, r.bottom / 2));
          break;
        case 1:
          Key(VK_ESCAPE, false);
          break;
        case 2:
          Key(VK_RETURN, false);
          break;
        default:
          SetFocus(GetDlgItem(box, IDNO));
          Key(VK_SPACE, false);
      }
    });
    const int answer = MessageBoxA(form->Handle(), "Answered?", "Skinned box", c.flags);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, c.answer) << "case " << c.action;
    EXPECT_EQ(current.faceMismatches, 0) << "case " << c.action;
  }
  run = nullptr;
}

TEST(SkinControls, DialogTabControlAndToolBar) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  // A dialog of someone else's: skinned when it comes to the front, with what it holds then.
  HWND dialog = CreateWindowExA(0, "#32770", "Tabs", WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100,
                                320, 200, form->Handle(), nullptr, nullptr, nullptr);
  HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 10, 30, 280, 120,
                              dialog, nullptr, nullptr, nullptr);
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog,
                             nullptr, nullptr, nullptr);
  SendMessageA(tabs, WM_SETFONT, SendMessageA(form->Handle(), WM_GETFONT, 0, 0), FALSE);
  for (const char* name : {"One", "Two", "Three"}) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(name);
    SendMessageA(tabs, TCM_INSERTITEMA, 9, reinterpret_cast<LPARAM>(&item));
  }
  const auto barStyle = SendMessageA(bar, TB_GETSTYLE, 0, 0);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  Pump(100);
  ASSERT_NE(dynamic_cast<skin::TskSkinWndTabControl*>(engine->SkinnerOf(tabs)), nullptr);
  EXPECT_EQ(SendMessageA(bar, TB_GETSTYLE, 0, 0), barStyle | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT);

  // The page outlined; the selected tab and another from their two pictures.
  RECT page;
  GetClientRect(tabs, &page);
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  const skin::TskBitmap shown = Grab(tabs);
  EXPECT_EQ(shown.At(page.left - 2, (page.top + page.bottom) / 2), skin::MakePixel(104, 104, 104));
  for (int i = 0; i < 2; ++i) {
    RECT tab;
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
    const int w = tab.right - tab.left;
    const int h = tab.bottom - tab.top;
    skin::TskBitmap want(w, h, SkinPixel(engine, "FormBackgroundColor"));
    skin::DrawThreeH(
        want.View(),
        engine->TabSet().Get(
            i == 0 ? skin::TskSkinTabRes::SelectedTab : skin::TskSkinTabRes::OtherTab, 0),
        skin::Rect{0, 0, w, h}, false);
    int wrong = 0;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < w; ++x) wrong += shown.At(tab.left + x, tab.top + y) != want.At(x, y);
    }
    EXPECT_EQ(wrong, 0) << "tab " << i;
  }

  engine->SetActive(false);
  EXPECT_EQ(SendMessageA(bar, TB_GETSTYLE, 0, 0), barStyle) << "the tool bar's own style back";
  engine->SetActive(true);
  DestroyWindow(dialog);
}

// A window told it is on a screen of another scale (as when moved there) draws its frame and
// controls from the skin at that scale.
TEST(SkinControls, MainWindowAtAnotherScale) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  HWND main = form->Handle();
  skin::TskSkinWindow* wrapper = engine->WrapperOf(main);
  ASSERT_NE(wrapper, nullptr);
  const int start = ui::WindowDpi(main);
  EXPECT_EQ(wrapper->Dpi(), start);
  const int dpi = start == 144 ? 192 : 144;
  RECT r;
  GetWindowRect(main, &r);
  // At the screen's corner: the window grows with the scale and must stay on the screen to be
  // read back.
  RECT suggested{0, 0, MulDiv(r.right - r.left, dpi, start), MulDiv(r.bottom - r.top, dpi, start)};
  SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  SetForegroundWindow(main);
  MoveMouse(At(main, 5, 300));
  Pump(100);
  ASSERT_EQ(wrapper->Dpi(), dpi);

  // The client starts below the taller caption band and inside the wider side border.
  const skin::FrameMetrics metrics = wrapper->Metrics();
  EXPECT_EQ(metrics.captionHeight, skin::ScaleLength(engine->CaptionHeight(), dpi));
  POINT client{0, 0};
  ClientToScreen(main, &client);
  GetWindowRect(main, &r);
  EXPECT_EQ(client.y - r.top, metrics.CaptionBand());
  EXPECT_EQ(client.x - r.left, metrics.Side());
  EXPECT_EQ(metrics.Side(), skin::ScaleLength(4, dpi));
  const skin::TskBitmap window = Grab(main);
  const skin::FrameAtDpi& frame = engine->AtDpi(dpi).frame;

  // Caption buttons are the scaled pictures, pixel for pixel, where the layout puts them.
  const skin::CaptionLayout layout = wrapper->CaptionLayoutNow();
  ASSERT_FALSE(layout.buttons.empty());
  for (const skin::CaptionButton& button : layout.buttons) {
    const skin::TskBitmap& picture = frame.art.buttons[button.normalFrame - 1];
    ASSERT_EQ(button.rect.Width(), picture.Width());
    int wrong = 0;
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const skin::Pixel p = picture.At(x, y);
        wrong += p != skin::Magenta && window.At(button.rect.left + x, button.rect.top + y) != p;
      }
    }
    EXPECT_EQ(wrong, 0) << "caption button " << static_cast<int>(button.kind);
  }

  // A push button's face from the scaled frames: corners in proportion, not the 96 ones.
  HWND refresh = form->btnRefreshPC->Handle();
  GetClientRect(refresh, &r);
  const skin::TskBitmap scaled = Face(engine, 1, r.right, r.bottom, dpi);
  ASSERT_NE(EdgeMismatches(scaled, Face(engine, 1, r.right, r.bottom)), 0);
  EXPECT_EQ(EdgeMismatches(Grab(refresh), scaled), 0) << "button face at " << dpi;
}
