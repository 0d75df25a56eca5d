// The main window as a person sees it: every control where the design puts it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Harness.h"
#include "about/win32/AboutForm.h"
#include "app/win32/SecondaryForms.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TransferForm.h"
#include "ui/Dpi.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

struct Expected {
  const char* name;
  const char* parent;
  int left, top, width, height;  // width or height -1: decided by the text or the system
  const char* caption;           // nullptr: not checked here
};

const Expected kLayout[] = {
    {"panTop", "MainForm", 0, 0, 661, 69, nullptr},
    {"Image1", "panTop", 0, 0, 120, 69, nullptr},
    {"Image3", "panTop", 120, 0, 341, 69, nullptr},
    {"labTitle2", "panTop", 120, 2, -1, -1, "Brevlo"},
    {"labTitle1", "panTop", 118, 1, -1, -1, "Brevlo"},
    {"labAbout", "panTop", 128, 33, -1, -1, "About this Freeware"},
    {"labWebsite", "panTop", 128, 53, -1, -1, "Visit our website: www.halvorn.example"},
    {"labVersion", "panTop", 384, 33, -1, -1, "Version 1.8"},
    {"Panel1", "panTop", 461, 0, 200, 69, nullptr},
    {"Image2", "Panel1", 0, 0, 200, 69, nullptr},
    {"labPath", "MainForm", 7, 82, -1, -1, "Path:"},
    {"edtPath", "MainForm", 37, 78, 147, 21, nullptr},
    {"btnBrowse", "MainForm", 191, 77, 72, 25, "&Browse"},
    {"labPSP", "MainForm", 398, 82, -1, -1, "PSP:"},
    {"gpbPC", "MainForm", 5, 103, 260, 350, "Videos in the Computer"},
    {"ltvPC", "gpbPC", 8, 15, 243, 328, nullptr},
    {"gpbPSP", "MainForm", 395, 103, 260, 350, "Videos in the PSP"},
    {"Label3", "gpbPSP", 16, 21, -1, -1, "Video Type:"},
    {"cmbType", "gpbPSP", 80, 16, 169, -1, nullptr},
    {"ltvPSP", "gpbPSP", 8, 48, 243, 295, nullptr},
    {"btnMovePSP", "MainForm", 272, 144, 118, 25, "&Move to PSP -->"},
    {"btnCopyPSP", "MainForm", 272, 176, 118, 25, "&Copy to PSP -->"},
    {"btnMovePC", "MainForm", 272, 228, 118, 25, "<-- M&ove to PC"},
    {"btnCopyPC", "MainForm", 272, 260, 118, 25, "<-- Co&py to PC"},
    {"btnRename", "MainForm", 272, 311, 118, 25, "&Rename (PSP Video)"},
    {"btnDelete", "MainForm", 272, 343, 118, 25, "&Delete (PSP Video)"},
    {"btnRefreshPC", "MainForm", 8, 460, 75, 25, "Refr&esh"},
    {"Label1", "MainForm", 96, 468, -1, -1, "Video Num:"},
    {"labPCNum", "MainForm", 168, 469, 113, -1, "0"},
    {"btnRefreshPSP", "MainForm", 395, 460, 75, 25, "Re&fresh"},
    {"Label2", "MainForm", 483, 468, -1, -1, "Video Num:"},
    {"labPSPNum", "MainForm", 547, 468, 91, -1, "0"},
};

// Place of a control within its parent's client area, read from the window itself when it
// has one.
RECT PlaceOf(ui::TControl* control) {
  auto* windowed = dynamic_cast<ui::TWinControl*>(control);
  if (windowed == nullptr) return control->BoundsRect();
  RECT r;
  GetWindowRect(windowed->Handle(), &r);
  MapWindowPoints(nullptr, GetParent(windowed->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string CaptionOf(ui::TControl* control) {
  if (auto* windowed = dynamic_cast<ui::TWinControl*>(control)) {
    char text[256] = {};
    GetWindowTextA(windowed->Handle(), text, sizeof text);
    return text;
  }
  return control->Caption();
}

}  // namespace

class MainWindow : public ::testing::Test {
 protected:
  TempFolder app;
  MainFormFixture form{app.Path()};
};

TEST_F(MainWindow, EveryControlIsWhereTheDesignPutsIt) {
  for (const Expected& e : kLayout) {
    SCOPED_TRACE(e.name);
    auto* control = dynamic_cast<ui::TControl*>(form->FindComponent(e.name));
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control->Parent(), nullptr);
    EXPECT_EQ(control->Parent()->Name, e.parent);
    if (auto* windowed = dynamic_cast<ui::TWinControl*>(control)) {
      EXPECT_EQ(GetParent(windowed->Handle()), control->Parent()->Handle());
      EXPECT_TRUE(IsWindowVisible(windowed->Handle()));
    }
    const RECT r = PlaceOf(control);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    if (e.width >= 0) {
      EXPECT_EQ(r.right - r.left, e.width);
    }
    if (e.height >= 0) {
      EXPECT_EQ(r.bottom - r.top, e.height);
    }
    // Every label shows its whole text.
    if (dynamic_cast<ui::TLabel*>(control) != nullptr && e.width < 0) {
      HDC dc = GetDC(nullptr);
      SIZE size = ui::TCanvas(dc).TextExtent(control->Caption(), control->Font);
      ReleaseDC(nullptr, dc);
      EXPECT_GE(r.right - r.left, size.cx);
    }
    if (e.caption != nullptr) {
      EXPECT_EQ(CaptionOf(control), e.caption);
    }
  }
}

TEST_F(MainWindow, FixedFrameOfTheRightSize) {
  HWND window = form->Handle();
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 661);
  EXPECT_EQ(client.bottom, 516);
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  // The skin's frame carries the buttons; the menu style stays for the task bar's window menu.
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  // Centred on the screen.
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, 669);  // a 4-pixel frame and a 23-pixel caption
  EXPECT_EQ(frame.bottom - frame.top, 543);
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_LE(std::abs((frame.left + frame.right) / 2 - screenW / 2), 1);
}

TEST_F(MainWindow, ListViewsAreSingleColumnReportsWithThumbnails) {
  for (ui::TListView* list : {form->ltvPC, form->ltvPSP}) {
    HWND h = list->Handle();
    const LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_EQ(SendMessageA(h, LVM_GETCOLUMNWIDTH, 0, 0), 220);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageA(h, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(SendMessageA(h, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 80);
    EXPECT_EQ(cy, 60);
  }
  EXPECT_EQ(form->ltvPC->PopupMenu, form->PopupMenu1);
  EXPECT_EQ(form->ltvPSP->PopupMenu, form->PopupMenu2);
}

TEST_F(MainWindow, StatusBarHasFourPanelsAtTheBottom) {
  HWND bar = form->StatusBar1->Handle();
  int edges[8] = {};
  ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 4);
  EXPECT_EQ(edges[0], 260);
  EXPECT_EQ(edges[1], 398);
  EXPECT_EQ(edges[2], 658);
  RECT r = PlaceOf(form->StatusBar1);
  EXPECT_EQ(r.bottom, 516);
  EXPECT_EQ(r.right - r.left, 661);
}

TEST_F(MainWindow, KindBoxOffersBothKinds) {
  HWND combo = form->cmbType->Handle();
  ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  char text[64];
  SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "MPEG-4 Video");
  SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "MPEG-4 AVC Video");
  EXPECT_TRUE(GetWindowLongPtrA(combo, GWL_STYLE) & CBS_DROPDOWNLIST);
}

TEST_F(MainWindow, ContextMenusHoldTheirItemsInOrder) {
  const std::vector<std::pair<std::string, std::string>> pc = {
      {"Play1", "Play"},
      {"Openthedirectory1", "Open the directory"},
      {"", "-"},
      {"Move1", "Move to PSP"},
      {"Copy1", "Copy to PSP"},
      {"", "-"},
      {"Rename1", "Rename"},
      {"Delete1", "Delete"}};
  const std::vector<std::pair<std::string, std::string>> psp = {
      {"Play2", "Play"},
      {"Openthedirectory2", "Open the directory"},
      {"", "-"},
      {"Move2", "Move to PC"},
      {"Copy2", "Copy to PC"},
      {"", "-"},
      {"Rename2", "Rename"},
      {"Delete2", "Delete"},
      {"", "-"},
      {"SetTitle2", "Set Title..."},
      {"MakeThumbnails2", "Make Thumbnails"}};
  auto check = [](ui::TPopupMenu* menu,
                  const std::vector<std::pair<std::string, std::string>>& want) {
    const auto& items = menu->Items()->Items();
    ASSERT_EQ(items.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(items[i]->Caption, want[i].second);
      if (!want[i].first.empty()) {
        EXPECT_EQ(items[i]->Name, want[i].first);
      }
    }
  };
  check(form->PopupMenu1, pc);
  check(form->PopupMenu2, psp);
}

TEST_F(MainWindow, MenuItemsClickTheirButtons) {
  int clicks = 0;
  for (ui::TButton* b : {form->btnMovePSP, form->btnCopyPSP, form->btnMovePC, form->btnCopyPC,
                         form->btnRename, form->btnDelete}) {
    b->OnClick = [&clicks, b](ui::TObject* sender) {
      EXPECT_EQ(sender, b);
      ++clicks;
    };
  }
  for (const char* name : {"Move1", "Copy1", "Move2", "Copy2", "Rename2", "Delete2"}) {
    auto* item = dynamic_cast<ui::TMenuItem*>(form->PopupMenu1->FindComponent(name));
    if (item == nullptr) item = dynamic_cast<ui::TMenuItem*>(form->PopupMenu2->FindComponent(name));
    ASSERT_NE(item, nullptr) << name;
    // Through the menu's own command, as a pick from the real menu arrives.
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
  }
  EXPECT_EQ(clicks, 6);
}

TEST_F(MainWindow, AltLettersPressTheirButtons) {
  const std::vector<std::pair<char, ui::TButton*>> keys = {
      {'B', form->btnBrowse}, {'M', form->btnMovePSP},   {'C', form->btnCopyPSP},
      {'O', form->btnMovePC}, {'P', form->btnCopyPC},    {'R', form->btnRename},
      {'D', form->btnDelete}, {'E', form->btnRefreshPC}, {'F', form->btnRefreshPSP}};
  for (const auto& [letter, button] : keys) {
    ui::TObject* pressed = nullptr;
    button->OnClick = [&pressed](ui::TObject* sender) { pressed = sender; };
    SetForegroundWindow(form->Handle());
    form->ltvPC->SetFocus();
    // What the system queues for Alt+letter.
    PostMessageA(form->ltvPC->Handle(), WM_SYSKEYDOWN, letter, 0x20000001);
    PostMessageA(form->ltvPC->Handle(), WM_SYSCHAR, static_cast<WPARAM>(letter + 32), 0x20000001);
    ui::Application->ProcessMessages();
    EXPECT_EQ(pressed, button) << "Alt+" << letter;
  }
}

TEST_F(MainWindow, TabAndShiftTabFollowTheLayoutOrder) {
  const std::vector<ui::TWinControl*> order = {
      form->edtPath,   form->btnBrowse,  form->cmbPSP,       form->ltvPC,        form->cmbType,
      form->ltvPSP,    form->btnMovePSP, form->btnCopyPSP,   form->btnMovePC,    form->btnCopyPC,
      form->btnRename, form->btnDelete,  form->btnRefreshPC, form->btnRefreshPSP};
  auto press = [](bool shift) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 0xC00F0001);
    ui::Application->ProcessMessages();
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
  };
  SetForegroundWindow(form->Handle());
  form->edtPath->SetFocus();
  ASSERT_EQ(GetFocus(), form->edtPath->Handle());
  for (std::size_t i = 1; i <= order.size(); ++i) {
    press(false);
    EXPECT_EQ(GetFocus(), order[i % order.size()]->Handle()) << "Tab " << i;
  }
  for (std::size_t i = order.size(); i-- > 0;) {
    press(true);
    EXPECT_EQ(GetFocus(), order[i]->Handle()) << "Shift+Tab to " << order[i]->Name;
  }
}

// ---- The same design at the screen's scale (run in prefixes at 120, 144 and 192 too) ------

namespace {

int At(int design, int dpi) {
  return ui::ScaleByDpi(design, dpi);
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

SIZE TextSize(ui::TControl* control) {
  HDC dc = GetDC(nullptr);
  const SIZE size = ui::TCanvas(dc).TextExtent(control->Caption(), control->Font);
  ReleaseDC(nullptr, dc);
  return size;
}

// The main window against the design times dpi / 96: edges within a pixel, no two controls
// overlapping that do not in the design, every label's text inside its own rectangle and short
// of the next control to its right.
void ExpectMainWindowAt(app::TMainForm* form, int dpi) {
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_NEAR(client.right, At(661, dpi), 1);
  EXPECT_NEAR(client.bottom, At(516, dpi), 1);
  struct Placed {
    ui::TControl* control;
    RECT now;
    RECT design;  // sizes the text decides are taken from the window, scaled back
  };
  std::vector<Placed> placed;
  for (const Expected& e : kLayout) {
    SCOPED_TRACE(e.name);
    auto* control = dynamic_cast<ui::TControl*>(form->FindComponent(e.name));
    ASSERT_NE(control, nullptr);
    const RECT r = PlaceOf(control);
    EXPECT_NEAR(r.left, At(e.left, dpi), 1);
    EXPECT_NEAR(r.top, At(e.top, dpi), 1);
    if (e.width >= 0) {
      EXPECT_NEAR(r.right, At(e.left + e.width, dpi), 1);
    }
    if (e.height >= 0) {
      EXPECT_NEAR(r.bottom, At(e.top + e.height, dpi), 1);
    }
    if (dynamic_cast<ui::TLabel*>(control) != nullptr) {
      const SIZE text = TextSize(control);
      EXPECT_LE(text.cx, r.right - r.left);
      EXPECT_LE(text.cy, r.bottom - r.top + 1);
    }
    const RECT design{
        e.left, e.top,
        e.width >= 0 ? e.left + e.width : e.left + ui::UnscaleByDpi(r.right - r.left, dpi),
        e.height >= 0 ? e.top + e.height : e.top + ui::UnscaleByDpi(r.bottom - r.top, dpi)};
    placed.push_back({control, r, design});
  }
  for (const Placed& a : placed) {
    for (const Placed& b : placed) {
      if (&a == &b || a.control->Parent() != b.control->Parent() || Overlap(a.design, b.design)) {
        continue;
      }
      EXPECT_FALSE(Overlap(a.now, b.now)) << a.control->Name << " and " << b.control->Name;
      // A label's text, drawn from its left edge, stops before a neighbour on its line.
      const bool sameLine = a.now.top < b.now.bottom && b.now.top < a.now.bottom;
      if (dynamic_cast<ui::TLabel*>(a.control) != nullptr && sameLine &&
          b.now.left >= a.now.right) {
        EXPECT_LE(a.now.left + TextSize(a.control).cx, b.now.left)
            << a.control->Name << " reaches " << b.control->Name;
      }
    }
  }
  int edges[4] = {};
  ASSERT_EQ(
      SendMessageA(form->StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 4);
  EXPECT_EQ(edges[0], At(260, dpi));
  EXPECT_EQ(edges[1], At(398, dpi));
  EXPECT_EQ(edges[2], At(658, dpi));
  for (ui::TListView* list : {form->ltvPC, form->ltvPSP}) {
    EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETCOLUMNWIDTH, 0, 0), At(220, dpi));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list->SmallImages->Handle(), &cx, &cy);
    EXPECT_EQ(cx, At(80, dpi));
    EXPECT_EQ(cy, At(60, dpi));
  }
  EXPECT_EQ(form->cmbPSP->TreeHeight(), At(240, dpi));
}

}  // namespace

TEST_F(MainWindow, AtScaleEveryControlIsItsDesignTimesTheScale) {
  const int dpi = ui::SystemDpi();
  RecordProperty("dpi", dpi);
  EXPECT_EQ(form->Dpi(), dpi);
  ExpectMainWindowAt(form.Form(), dpi);
}

TEST_F(MainWindow, AtScaleMovedToAScreenOfAnotherScaleLaysItselfOutAgain) {
  const int dpi = ui::SystemDpi() == 144 ? 96 : 144;
  RECT window;
  GetWindowRect(form->Handle(), &window);
  RECT suggested{window.left + 10, window.top + 20, window.left + 10 + At(669, dpi),
                 window.top + 20 + At(543, dpi)};
  SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  ExpectMainWindowAt(form.Form(), dpi);
  RECT moved;
  GetWindowRect(form->Handle(), &moved);
  EXPECT_EQ(moved.left, suggested.left);
  EXPECT_EQ(moved.top, suggested.top);
}

TEST(DialogsAtScale, ClientAndControlsAreTheirDesignTimesTheScale) {
  TempFolder app;
  MainFormFixture main(app.Path());
  const int dpi = ui::SystemDpi();
  struct Dialog {
    ui::TForm* form;
    SIZE client;
    const char* control;
    RECT design;
  };
  const Dialog dialogs[] = {
      {app::NewAboutForm(ui::Application), {503, 290}, "btnOK", {408, 255, 483, 280}},
      {app::NewRenameForm(ui::Application), {405, 108}, "edtNewname", {96, 21, 377, 42}},
      {app::NewTransferForm(ui::Application), {407, 137}, "pgb1", {16, 72, 393, 89}}};
  for (const Dialog& d : dialogs) {
    SCOPED_TRACE(d.form->Name);
    RECT client;
    GetClientRect(d.form->Handle(), &client);
    EXPECT_NEAR(client.right, At(d.client.cx, dpi), 1);
    EXPECT_NEAR(client.bottom, At(d.client.cy, dpi), 1);
    auto* control = dynamic_cast<ui::TWinControl*>(d.form->FindComponent(d.control));
    ASSERT_NE(control, nullptr);
    RECT r;
    GetWindowRect(control->Handle(), &r);
    MapWindowPoints(nullptr, d.form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    const RECT want = ui::ScaleRectByDpi(d.design, dpi);
    EXPECT_NEAR(r.left, want.left, 1);
    EXPECT_NEAR(r.top, want.top, 1);
    EXPECT_NEAR(r.right, want.right, 1);
    EXPECT_NEAR(r.bottom, want.bottom, 1);
    delete d.form;
  }
}
