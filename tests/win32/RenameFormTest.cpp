// The rename window against real windows and real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "operations/win32/RenameForm.h"
#include "operations/win32/TitleForm.h"
#include "platform/win32/Win32Platform.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

const char kM4vText[] =
    "The new filename is not capatible format for PSP. \n\r"
    "The proper format should be M4Vxxxxx.MP4 (e.g.M4V00198.mp4)\n\r"
    "\"xxxxx\" indicates a 5 digites number.";

// Owners of the message boxes activated while it is installed.
std::vector<HWND> boxOwners;

LRESULT CALLBACK RecordBoxOwner(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) boxOwners.push_back(GetWindow(window, GW_OWNER));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class RenameWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    videos = app.MakeFolder("videos");
    psp = app.MakeFolder("psp");
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path());
    rename = app::NewRenameForm(ui::Application);
    rename->OnRenamed = [this](bool pcSide) { renamedSides.push_back(pcSide); };
  }
  void TearDown() override {
    delete rename;
    form.reset();
  }
  app::TMainForm* Form() { return form->Form(); }
  std::vector<std::string> PcCaptions() {
    std::vector<std::string> captions;
    for (int i = 0; i < Form()->ltvPC->Count(); ++i) {
      captions.push_back(Form()->ltvPC->Item(i).caption);
    }
    return captions;
  }
  TempFolder app;
  std::string videos;
  std::string psp;
  std::unique_ptr<MainFormFixture> form;
  app::TRenameForm* rename = nullptr;
  std::vector<bool> renamedSides;
};

void ExpectBounds(ui::TControl* control, int left, int top, int width, int height) {
  const RECT r = control->BoundsRect();
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

}  // namespace

TEST_F(RenameWindow, CaptionsAndPlaces) {
  EXPECT_EQ(rename->Caption(), "Rename");
  RECT client;
  GetClientRect(rename->Handle(), &client);
  EXPECT_EQ(client.right, 405);
  EXPECT_EQ(client.bottom, 108);
  EXPECT_EQ(rename->Label1->Caption(), "New Filename:");
  EXPECT_EQ(rename->Label1->Left(), 16);
  EXPECT_EQ(rename->Label1->Top(), 24);
  EXPECT_EQ(rename->edtNewname->Left(), 96);
  EXPECT_EQ(rename->edtNewname->Top(), 21);
  EXPECT_EQ(rename->edtNewname->Width(), 281);
  EXPECT_EQ(rename->btnOK->Caption(), "&OK");
  ExpectBounds(rename->btnOK, 192, 64, 75, 25);
  EXPECT_EQ(rename->Button2->Caption(), "&Cancel");
  ExpectBounds(rename->Button2, 288, 64, 75, 25);

  // The application's main window, as in the program, away from the screen's centre so that
  // the two centres differ.
  ui::Application->SetMainForm(Form());
  SetWindowPos(Form()->Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  Pump();
  ui::Application->SetMainForm(nullptr);
  RECT outer, main;
  GetWindowRect(rename->Handle(), &outer);
  GetWindowRect(Form()->Handle(), &main);
  EXPECT_NEAR((outer.left + outer.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (main.top + main.bottom) / 2, 1);
  SaveScreenshot(GetDesktopWindow(), "rename-window");
}

TEST_F(RenameWindow, MainWindowWaitsAndCancelChangesNothing) {
  WriteText(videos + "clip.mp4", "video");
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  EXPECT_TRUE(IsWindowVisible(rename->Handle()));
  EXPECT_FALSE(IsWindowEnabled(Form()->Handle()));
  EXPECT_EQ(rename->edtNewname->Text(), "clip.mp4");
  rename->edtNewname->SetText("holiday");
  rename->Button2->Perform(BM_CLICK);
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  EXPECT_TRUE(Exists(videos + "clip.mp4"));
  EXPECT_FALSE(Exists(videos + "holiday.MP4"));
  EXPECT_TRUE(renamedSides.empty());
  // Closed by the title bar too.
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  EXPECT_FALSE(IsWindowEnabled(Form()->Handle()));
  SendMessageA(rename->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
}

TEST_F(RenameWindow, RefusedPspNameIsToldByABoxOfTheRenameWindow) {
  WriteText(psp + "M4V00001.MP4", "video");
  WriteText(psp + "M4V00001.THM", "thumb");
  rename->ShowFor("PSP", psp + "M4V00001.MP4", "M4V00001.MP4");
  rename->edtNewname->SetText("m4v00010.MP4");
  boxOwners.clear();
  HHOOK hook = SetWindowsHookExA(WH_CBT, RecordBoxOwner, nullptr, GetCurrentThreadId());
  std::vector<BoxWatcher::Box> seen;
  {
    BoxWatcher boxes({{"Not a proper format"}});
    rename->btnOK->Perform(BM_CLICK);
    seen = boxes.Seen();
  }
  UnhookWindowsHookEx(hook);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "Not a proper format");
  EXPECT_EQ(seen[0].text, kM4vText);
  ASSERT_EQ(boxOwners.size(), 1u);
  EXPECT_EQ(boxOwners[0], rename->Handle());
  // The window stays for another try, with the name as typed.
  EXPECT_TRUE(IsWindowVisible(rename->Handle()));
  EXPECT_FALSE(IsWindowEnabled(Form()->Handle()));
  EXPECT_EQ(rename->edtNewname->Text(), "m4v00010.MP4");
  EXPECT_TRUE(Exists(psp + "M4V00001.MP4"));
  EXPECT_TRUE(Exists(psp + "M4V00001.THM"));
  EXPECT_TRUE(renamedSides.empty());

  // A proper name then goes through, with the lower-case extension as typed.
  rename->edtNewname->SetText("M4V00010.mp4");
  {
    BoxWatcher boxes;
    rename->btnOK->Perform(BM_CLICK);
    EXPECT_TRUE(boxes.Seen().empty());
  }
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  EXPECT_EQ(ReadText(psp + "M4V00010.mp4"), "video");
  EXPECT_EQ(ReadText(psp + "M4V00010.THM"), "thumb");
  EXPECT_FALSE(Exists(psp + "M4V00001.MP4"));
  EXPECT_EQ(renamedSides, std::vector<bool>{false});
}

TEST_F(RenameWindow, OkRenamesOnThePcSideAndTheListIsReloaded) {
  WriteText(videos + "clip.mp4", "video");
  WriteBytes(videos + "clip.THM", MakeJpeg(80, 60, 200, 0, 0));
  WriteText(videos + "other.mp4", "other");
  Form()->btnRefreshPC->Click();
  ASSERT_EQ(PcCaptions(), (std::vector<std::string>{"clip.mp4", "other.mp4"}));
  // From the PC list's menu, which hands the window the main window's own reload.
  Form()->ltvPC->SetSelected(0, true);
  Form()->Rename1->Click();
  ASSERT_TRUE(IsWindowVisible(rename->Handle()));
  EXPECT_EQ(rename->RenameSourcePath, videos + "clip.mp4");
  rename->edtNewname->SetText("holiday");
  rename->btnOK->Perform(BM_CLICK);
  EXPECT_EQ(rename->edtNewname->Text(), "holiday.MP4");
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  EXPECT_EQ(ReadText(videos + "holiday.MP4"), "video");
  EXPECT_TRUE(Exists(videos + "holiday.THM"));
  EXPECT_FALSE(Exists(videos + "clip.mp4"));
  EXPECT_FALSE(Exists(videos + "clip.THM"));
  EXPECT_EQ(PcCaptions(), (std::vector<std::string>{"holiday.MP4", "other.mp4"}));

  // A name that exists already: nothing replaced, nothing said, the window still closes.
  Form()->ltvPC->SetSelected(0, true);
  Form()->Rename1->Click();
  ASSERT_EQ(rename->RenameSourcePath, videos + "holiday.MP4");
  rename->edtNewname->SetText("other.mp4");
  {
    BoxWatcher boxes;
    rename->btnOK->Perform(BM_CLICK);
    EXPECT_TRUE(boxes.Seen().empty());
  }
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_EQ(ReadText(videos + "holiday.MP4"), "video");
  EXPECT_EQ(ReadText(videos + "other.mp4"), "other");
  EXPECT_TRUE(Exists(videos + "holiday.THM"));
  EXPECT_FALSE(Exists(videos + "other.THM"));
  EXPECT_EQ(PcCaptions(), (std::vector<std::string>{"holiday.MP4", "other.mp4"}));
}

TEST_F(RenameWindow, WithoutAPcFolderNoFileChanges) {
  WriteText(videos + "clip.mp4", "video");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(videos.c_str());
  // An empty PcFolder leaves the caption alone as the path.
  rename->ShowFor("PC", "clip.mp4", "clip.mp4");
  rename->edtNewname->SetText("holiday");
  rename->btnOK->Perform(BM_CLICK);
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(IsWindowVisible(rename->Handle()));
  EXPECT_TRUE(Exists(videos + "clip.mp4"));
  EXPECT_FALSE(Exists(videos + "holiday.MP4"));
}

namespace {
int escapeTicks = 0;
}  // namespace

// Escape closes each window of ours as its Cancel does (the About window has only OK), and a
// question of Yes and No says No; Enter presses the default button, also with the name as it was.
TEST_F(RenameWindow, EscapeCancelsAndEnterPressesOkInEveryWindowOfOurs) {
  WriteText(videos + "clip.mp4", "video");
  const auto shown = [](ui::TCustomForm* window) { return IsWindowVisible(window->Handle()) != 0; };
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  rename->edtNewname->SetText("holiday");
  Key(VK_ESCAPE);
  EXPECT_FALSE(shown(rename));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  Key(VK_RETURN);
  EXPECT_FALSE(shown(rename));
  EXPECT_TRUE(renamedSides.empty());
  rename->ShowFor("PC", videos + "clip.mp4", "clip.mp4");
  rename->edtNewname->SetText("holiday");
  Key(VK_RETURN);
  EXPECT_FALSE(shown(rename));
  EXPECT_TRUE(Exists(videos + "holiday.MP4"));

  app::TTitleForm* title = Form()->TitleForm;
  title->ShowFor(videos + "holiday.MP4", "Beach");
  Key(VK_ESCAPE);
  EXPECT_FALSE(shown(title));
  EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));

  std::unique_ptr<app::TAboutForm> about(app::NewAboutForm(ui::Application));
  for (WORD key : {VK_ESCAPE, VK_RETURN}) {
    about->Show();
    Key(key);
    EXPECT_FALSE(shown(about.get())) << key;
    EXPECT_TRUE(IsWindowEnabled(Form()->Handle()));
  }

  // Escape while the question is up; Yes after a second, should Escape not answer.
  escapeTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "Question");
    if (box == nullptr) return;
    if (++escapeTicks == 1) Key(VK_ESCAPE, false);
    if (escapeTicks == 5) PostMessageA(box, WM_COMMAND, IDYES, 0);
  });
  platform::Win32Dialogs dialogs([this]() -> void* { return Form()->Handle(); }, {});
  EXPECT_EQ(dialogs.Show("Go on?", "Question", platform::MbYesNo | platform::MbIconQuestion),
            platform::Answer::No);
  KillTimer(nullptr, timer);
}
