// The skin engine on real windows: which windows and controls it takes over, and that each
// gets its own handling back whenever the engine lets go.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Harness.h"
#include "library/PspDetection.h"
#include "operations/TransferEngine.h"
#include "skin/SkinRules.h"
#include "skin/win32/BuiltInSkin.h"
#include "skin/win32/SkinEngine.h"
#include "ui/Builder.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

LRESULT AskSkinned(ui::TControl* control) {
  return control->Perform(skin::SKM_ISSKINNED);
}

std::string SkinnerName(skin::TskSkinEngine* engine, const void* key) {
  skin::TskSkinControl* skinner = engine->SkinnerOf(key);
  return skinner != nullptr ? skinner->ClassName() : "";
}

int dialogDestroyed = 0;
int themeCaptionPaints = 0;

// A form of the test's own with an engine over the built-in skin, read from a file as a skin
// chosen by its name would be.
struct SkinnedForm {
  explicit SkinnedForm(const TempFolder& temp) {
    form = new ui::TForm(ui::Application);
    form->Name = "TestForm";
    form->SetClientSize(300, 200);
    std::string error;
    engine = skin::TskSkinEngine::Create(form, error);
    const std::string path = temp.Path() + std::to_string(++made) + ".skn";
    const std::vector<std::uint8_t> bytes = skin::BuiltInSkinBytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    engine->SetSkinFile(path);
    engine->SetActive(true);
  }
  ~SkinnedForm() { delete form; }
  ui::TForm* form;
  skin::TskSkinEngine* engine;
  static inline int made = 0;
};

}  // namespace

TEST(SkinEngine, MainWindowControlsGetTheSkinnerTheirClassCalls) {
  TempFolder app;
  MainFormFixture form(app.Path());
  skin::TskSkinEngine* engine = form->skSkinEngine1;
  ASSERT_TRUE(engine->Enabled());
  EXPECT_EQ(SendMessageA(form->Handle(), skin::SKM_ISSKINNED, 0, 0), 1);
  EXPECT_NE(engine->WrapperOf(form->Handle()), nullptr);
  form->Show();
  Pump(20);
  EXPECT_EQ(SendMessageA(form->Handle(), skin::SKM_ISACTIVE, 0, 0), 1);
  EXPECT_EQ(SendMessageA(form->edtPath->Handle(), skin::SKM_ISACTIVE, 0, 0), 0);

  const struct {
    ui::TControl* control;
    const char* skinner;
  } table[] = {
      {form->panTop, "TskSkinPanel"},
      {form->edtPath, "TskSkinScrollWinControl"},
      {form->btnBrowse, "TskSkinButton"},
      {form->cmbPSP, "TskSkinScrollWinControl"},
      {form->cmbPSP->Btn, "TskSkinSpeedButton"},
      {form->cmbPSP->Tree, "TskSkinScrollWinControl"},
      {form->gpbPC, "TskSkinGroupBox"},
      {form->ltvPC, "TskSkinScrollWinControl"},
      {form->gpbPSP, "TskSkinGroupBox"},
      {form->cmbType, "TskSkinComboBox"},
      {form->ltvPSP, "TskSkinScrollWinControl"},
      {form->btnMovePSP, "TskSkinButton"},
      {form->btnRefreshPSP, "TskSkinButton"},
      {form->StatusBar1, "TskSkinStatusBar"},
      {form->labPath, ""},
      {form->Image2, ""},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.control->Name);
    EXPECT_EQ(SkinnerName(engine, row.control), row.skinner);
    EXPECT_EQ(AskSkinned(row.control), row.skinner[0] != 0 ? 1 : 0);
  }
  // Both context menus and the system menu are drawn by the engine.
  for (ui::TPopupMenu* menu : {form->PopupMenu1, form->PopupMenu2, engine->BuiltInSystemMenu()}) {
    EXPECT_TRUE(menu->OwnerDraw) << menu->Name;
    EXPECT_TRUE(menu->Items()->Items().front()->IsOwnerDrawn()) << menu->Name;
  }
  EXPECT_TRUE(form->PopupMenu1->Add("Late1", "Added later")->IsOwnerDrawn());
  // Every windowed control of the form says so.
  for (auto* component : form->Components()) {
    auto* windowed = dynamic_cast<ui::TWinControl*>(component);
    if (windowed == nullptr || !windowed->HandleAllocated()) continue;
    SCOPED_TRACE(windowed->Name);
    EXPECT_EQ(SendMessageA(windowed->Handle(), skin::SKM_ISSKINNED, 0, 0), 1);
  }

  // Off: no control is claimed any more, each has only its own handling; on again: back.
  engine->SetActive(false);
  for (const auto& row : table) EXPECT_EQ(AskSkinned(row.control), 0) << row.control->Name;
  EXPECT_EQ(SendMessageA(form->Handle(), skin::SKM_ISSKINNED, 0, 0), 0);
  engine->SetActive(true);
  for (const auto& row : table) {
    EXPECT_EQ(AskSkinned(row.control), row.skinner[0] != 0 ? 1 : 0) << row.control->Name;
  }
}

TEST(SkinEngine, TagsSkinnersAndWrappersAreDecidedOnce) {
  TempFolder temp;
  SkinnedForm f(temp);
  auto* plain = ui::NewButton(f.form, f.form, "plain", 10, 10, 80, 25, "Plain");
  auto* untouched = ui::NewButton(f.form, f.form, "untouched", 10, 40, 80, 25, "Untouched");
  untouched->Tag = 9999;
  int clicks = 0;
  untouched->OnClick = [&clicks](ui::TObject*) { ++clicks; };
  // A named embedded form is visited as part of its host, and may be wrapped on its own too.
  auto* embedded = new ui::TForm(f.form);
  embedded->Name = "Embedded";
  embedded->SetParent(f.form);
  auto* speed = ui::NewControl<ui::TSpeedButton>(embedded, embedded, "speed", 0, 0, 20, 20);
  auto* inner = ui::NewButton(embedded, embedded, "inner", 30, 0, 60, 25, "Inner");
  // The class table, tried from its last row up, on real controls: a glyph button is a button,
  // a memo an edit, a radio button no check box.
  const struct {
    ui::TControl* control;
    const char* skinner;
  } thin[] = {
      {ui::NewControl<ui::TBitBtn>(f.form, f.form, "bit", 100, 10, 60, 25), "TskSkinButton"},
      {ui::NewControl<ui::TMemo>(f.form, f.form, "memo", 100, 40, 60, 40),
       "TskSkinScrollWinControl"},
      {ui::NewControl<ui::TCheckBox>(f.form, f.form, "check", 170, 10, 60, 20), "TskSkinCheckBox"},
      {ui::NewControl<ui::TRadioButton>(f.form, f.form, "radio", 170, 40, 60, 20),
       "TskSkinRadioButton"},
      {ui::NewControl<ui::TScrollBar>(f.form, f.form, "bar", 240, 10, 16, 60), "TskSkinScrollBar"},
      {ui::NewControl<ui::TProgressBar>(f.form, f.form, "progress", 10, 150, 200, 16),
       "TskSkinProgressBar"},
  };
  f.form->Handle();
  embedded->Handle();

  skin::TskSkinWindow* wrapper = f.engine->SkinWindow(f.form->Handle(), false);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(f.engine->SkinWindow(f.form->Handle(), false), wrapper);
  EXPECT_EQ(SkinnerName(f.engine, plain), "TskSkinButton");
  EXPECT_EQ(SkinnerName(f.engine, untouched), "");
  EXPECT_EQ(AskSkinned(untouched), 0);
  SendMessageA(untouched->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(SkinnerName(f.engine, speed), "TskSkinSpeedButton");
  EXPECT_EQ(SkinnerName(f.engine, inner), "TskSkinButton");
  for (const auto& row : thin) EXPECT_EQ(SkinnerName(f.engine, row.control), row.skinner);

  // Visiting the embedded form again, even while windowed controls would not say they are
  // skinned, gives nothing a second skinner.
  f.engine->SetActive(false);
  skin::TskSkinWindow* second = f.engine->SkinWindow(embedded->Handle(), false);
  f.engine->SetActive(true);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->Skinners().empty());
  std::size_t total = 0;
  for (const auto& window : f.engine->Windows()) total += window->Skinners().size();
  EXPECT_EQ(total, 9u);  // plain, the six in the table, speed, inner

  // With a DisabledTag of 0 a control with Tag 0 keeps its skinner but is left alone by it.
  f.engine->DisabledTag = 0;
  EXPECT_EQ(AskSkinned(plain), 0);
  f.engine->DisabledTag = 9999;
  EXPECT_EQ(AskSkinned(plain), 1);

  // Every form of the program, save those tagged out.
  auto* tagged = new ui::TForm(ui::Application);
  tagged->Tag = 9999;
  auto* zero = new ui::TForm(ui::Application);
  f.engine->SkinAllFormsNow();
  EXPECT_EQ(f.engine->WrapperOf(tagged->Handle()), nullptr);
  EXPECT_NE(f.engine->WrapperOf(zero->Handle()), nullptr);
  f.engine->UnskinOtherForms();
  EXPECT_EQ(f.engine->Windows().size(), 1u);
  EXPECT_NE(f.engine->WrapperOf(f.form->Handle()), nullptr);
  delete tagged;
  delete zero;

  f.engine->UnskinWindow(f.form->Handle());
  EXPECT_EQ(f.engine->WrapperOf(f.form->Handle()), nullptr);
  EXPECT_EQ(AskSkinned(plain), 0);
  EXPECT_EQ(SendMessageA(f.form->Handle(), skin::SKM_ISSKINNED, 0, 0), 0);
}

TEST(SkinEngine, GoingFirstGivesEveryWindowItsHandlingBack) {
  TempFolder temp;
  SkinnedForm f(temp);
  auto* button = ui::NewButton(f.form, f.form, "b", 10, 10, 80, 25, "B");
  f.engine->SkinWindow(f.form->Handle(), false);
  HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND child = CreateWindowExA(0, "BUTTON", "child", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20,
                               foreign, nullptr, GetModuleHandleA(nullptr), nullptr);
  f.engine->SkinWindow(foreign, true);
  ASSERT_EQ(SendMessageA(child, skin::SKM_ISSKINNED, 0, 0), 1);
  ASSERT_EQ(AskSkinned(button), 1);

  delete f.engine;  // while everything is still wrapped
  for (HWND hwnd : {f.form->Handle(), foreign, child, button->Handle()}) {
    EXPECT_EQ(SendMessageA(hwnd, skin::SKM_ISSKINNED, 0, 0), 0);
  }
  int clicks = 0;
  button->OnClick = [&clicks](ui::TObject*) { ++clicks; };
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  DestroyWindow(foreign);

  // A wrapped form that goes first takes its wrapper with it.
  SkinnedForm again(temp);
  auto* extra = new ui::TForm(ui::Application);
  again.engine->SkinWindow(extra->Handle(), false);
  ASSERT_EQ(again.engine->Windows().size(), 1u);
  delete extra;
  EXPECT_TRUE(again.engine->Windows().empty());
}

TEST(SkinEngine, ForeignDialogChildrenByClassAndStyle) {
  TempFolder temp;
  SkinnedForm f(temp);
  // A dialog template in memory: BUTTON children of styles 0, 3, 7 and 9, a simple and a
  // drop-down combo box, buttons the platform draws alone, a read-only edit.
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) { t.insert(t.end(), {LOWORD(v), HIWORD(v)}); };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT);
  dword(0);
  t.insert(t.end(), {11, 10, 10, 200, 240, 0, 0, 0, 8});  // items, place, menu, class, title, font
  for (char c : std::string("MS Sans Serif")) t.push_back(static_cast<WORD>(c));
  t.push_back(0);
  const struct {
    WORD cls;
    DWORD style;
  } items[] = {{0x80, BS_PUSHBUTTON},      {0x80, BS_AUTOCHECKBOX}, {0x80, BS_GROUPBOX},
               {0x80, BS_AUTORADIOBUTTON}, {0x85, CBS_SIMPLE},      {0x85, CBS_DROPDOWN},
               {0x80, BS_OWNERDRAW},       {0x80, BS_PUSHBOX},      {0x80, BS_COMMANDLINK},
               {0x80, BS_SPLITBUTTON},     {0x81, ES_READONLY}};
  WORD id = 100;
  for (const auto& item : items) {
    if (t.size() % 2 != 0) t.push_back(0);  // each item starts on a DWORD
    dword(WS_CHILD | WS_VISIBLE | item.style);
    dword(0);
    const auto y = static_cast<WORD>(5 + (id - 100) * 20);
    t.insert(t.end(), {5, y, 80, 14, id++, 0xFFFF, item.cls, 'x', 0, 0});
  }
  // Made and activated, as a message box would be.
  const auto shown = [&t] {
    HWND made = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr,
        [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR {
          if (msg == WM_DESTROY) ++dialogDestroyed;
          if (msg == 0x00AE || msg == 0x00AF) ++themeCaptionPaints;
          return FALSE;
        },
        0);
    SetActiveWindow(made);
    Pump(50);
    return made;
  };
  HWND dialog = shown();
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(f.engine->WrapperOf(dialog), nullptr);
  EXPECT_TRUE(f.engine->WrapperOf(dialog)->IsDialog());
  const char* expected[] = {
      "TskSkinWndButton",  "TskSkinWndCheckBox", "", "TskSkinWndRadioButton", "",
      "TskSkinWndComboBox"};  // and none for the rest
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(SkinnerName(f.engine, GetDlgItem(dialog, 100 + i)), i < 6 ? expected[i] : "");
  }
  // A read-only edit asks as a label does, but is answered opaque: its text scrolls.
  HDC dc = GetDC(dialog);
  SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, 110)));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  ReleaseDC(dialog, dc);
  // The theme's own caption paints stop in front of the window.
  SendMessageA(dialog, 0x00AE, 0, 0);
  SendMessageA(dialog, 0x00AF, 0, 0);
  EXPECT_EQ(themeCaptionPaints, 0);
  DestroyWindow(dialog);
  EXPECT_EQ(f.engine->WrapperOf(dialog), nullptr);
  EXPECT_EQ(dialogDestroyed, 1);  // its own clean-up still ran
  // Mirrored, the same dialog keeps the platform's frame, whose hit test mirrors with it.
  t[2] = LOWORD(WS_EX_LAYOUTRTL);
  t[3] = HIWORD(WS_EX_LAYOUTRTL);
  HWND mirrored = shown();
  ASSERT_NE(mirrored, nullptr);
  EXPECT_EQ(f.engine->WrapperOf(mirrored), nullptr);
  DestroyWindow(mirrored);
}

TEST(SkinEngine, MessageBoxesAreSkinnedOnlyWhileDialogsAreAsked) {
  TempFolder app;
  MainFormFixture form(app.Path());
  platform::IDialogs& dialogs = *form->Services().dialogs;
  {
    BoxWatcher boxes;
    boxes.Expect(operations::CompletedCaption, IDOK, true);
    boxes.Expect(library::PspConnectionCaption, IDNO, true);
    boxes.Expect(library::PspConnectionCaption, IDYES, true);
    EXPECT_EQ(dialogs.Show(operations::CompletedText, operations::CompletedCaption,
                           platform::MbOk | platform::MbIconInformation),
              platform::Answer::Ok);
    form->Folders().SetPspDrive("");
    EXPECT_FALSE(form->EnsurePspConnected());
    form->Folders().SetPspDrive("");
    EXPECT_TRUE(form->EnsurePspConnected());  // Yes looks again and finds the PSP
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& box : seen) EXPECT_EQ(box.skinned, 1) << box.caption;
  }
  form->skSkinEngine1->SkinDialogs = false;
  {
    BoxWatcher boxes;
    boxes.Expect(library::PspConnectionCaption, IDYES, true);
    form->Folders().SetPspDrive("");
    EXPECT_TRUE(form->EnsurePspConnected());
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].skinned, 0);
  }
}

TEST(SkinEngine, SettersAndTheSystemMenu) {
  TempFolder temp;
  SkinnedForm f(temp);
  std::string error;
  EXPECT_EQ(skin::TskSkinEngine::Create(f.form, error), nullptr);
  EXPECT_EQ(error, "One form can only catch one TskSkinEngine!");
  ui::TComponent plainOwner(nullptr);
  EXPECT_EQ(skin::TskSkinEngine::Create(&plainOwner, error), nullptr);
  EXPECT_EQ(error, "Must be placed on a Form");

  EXPECT_EQ(f.engine->SetBuiltIn(true), "BuiltIn property only can be specified at design time!");
  f.engine->SetDesigning(true);
  const std::string chosen = f.engine->SkinFile();
  f.engine->SetSkinFile(temp / "missing.skn");  // found nowhere: nothing changes
  EXPECT_EQ(f.engine->SkinFile(), chosen);
  EXPECT_EQ(f.engine->SetBuiltIn(true), "");
  f.engine->SetDesigning(false);

  // A name found nowhere else is looked for beside the program.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string beside(exe);
  beside = beside.substr(0, beside.find_last_of('\\') + 1) + "BesideTheProgram.skn";
  CopyFileA(f.engine->SkinFile().c_str(), beside.c_str(), FALSE);
  f.engine->SetSkinFile("Q:\\no such folder\\BesideTheProgram.skn");
  EXPECT_EQ(f.engine->SkinFile(), beside);
  EXPECT_TRUE(f.engine->Ready());
  DeleteFileA(beside.c_str());

  // While the engine is on, no scroll bar may carry a size grip.
  HWND grip = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_SIZEGRIP, 0, 0, 16, 16,
                              f.form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(grip, nullptr);
  HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 16, 60,
                             f.form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(bar, nullptr);

  ui::TMenuItem* items = f.engine->BuiltInSystemMenu()->Items();
  ASSERT_EQ(items->Items().size(), 4u);
  EXPECT_EQ(items->Items()[3]->Caption, "&Close");
  f.engine->SetResSysMenuClose("Schlie&ssen");
  EXPECT_EQ(items->Items()[3]->Caption, "Schlie&ssen");

  // Opened for a dialog-framed form: only Close can be chosen, and choosing it closes.
  f.form->BorderStyle = ui::TBorderStyle::Dialog;
  f.form->BorderIcons = ui::biSystemMenu;
  // Shown the first time as the program's main form, it has the other forms wrapped too, once
  // it is up: not before it shows.
  skin::TskSkinWindow* wrapper = f.engine->SkinWindow(f.form->Handle(), false);
  ui::TCustomForm* mainForm = ui::Application->MainForm();
  ui::Application->SetMainForm(f.form);
  auto* other = new ui::TForm(ui::Application);
  other->Handle();
  f.form->Show();
  ui::Application->SetMainForm(mainForm);
  EXPECT_EQ(f.engine->WrapperOf(other->Handle()), nullptr);
  Pump(50);
  EXPECT_NE(f.engine->WrapperOf(other->Handle()), nullptr);
  delete other;
  bool closed = false;
  f.form->OnClose = [&closed](ui::TObject*, ui::TCloseAction& action) {
    closed = true;
    action = ui::TCloseAction::None;
  };
  std::thread chooser([] {
    for (int i = 0; i < 200; ++i) {
      Sleep(20);
      HWND menu = FindWindowA("#32768", nullptr);
      if (menu != nullptr && IsWindowVisible(menu)) {
        // Up from the top wraps to the last item, Close.
        PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
        Sleep(50);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        return;
      }
    }
  });
  f.engine->PopupSystemMenu(wrapper, POINT{100, 100});
  chooser.join();
  const auto& sys = items->Items();
  EXPECT_FALSE(sys[0]->Enabled);
  EXPECT_FALSE(sys[1]->Enabled);
  EXPECT_TRUE(sys[3]->Enabled);
  Pump(50);
  EXPECT_TRUE(closed);
}
