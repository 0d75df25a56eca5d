// The About window, the links and the turning banner.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Harness.h"
#include "about/win32/AboutForm.h"
#include "app/win32/SecondaryForms.h"

using namespace brevlo;
using namespace brevlo::testing;

namespace {

// A click into a windowless control, delivered to the window that holds it.
void ClickOn(ui::TControl* control) {
  HWND holder = control->Parent()->Handle();
  const LPARAM at = MAKELPARAM(control->Left() + 3, control->Top() + 3);
  PostMessageA(holder, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(holder, WM_LBUTTONUP, 0, at);
  ui::Application->ProcessMessages();
}

// The pixels of a bitmap, to tell one picture from another.
std::vector<unsigned char> PixelsOf(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight * 4);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
            DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return pixels;
}

class AboutWindow : public ::testing::Test {
 protected:
  void SetUp() override { about = app::NewAboutForm(ui::Application); }
  void TearDown() override { delete about; }
  TempFolder folder;
  platform::RecordingShell shell;
  MainFormFixture form{folder.Path(), &shell};
  app::TAboutForm* about = nullptr;
};

}  // namespace

TEST_F(AboutWindow, LabelsSayWhoMadeWhat) {
  EXPECT_EQ(about->Caption(), "About");
  RECT client;
  GetClientRect(about->Handle(), &client);
  EXPECT_EQ(client.right, 503);
  EXPECT_EQ(client.bottom, 290);
  struct Want {
    ui::TControl* control;
    int left, top;
    const char* text;
  };
  const Want wants[] = {
      {about->labProgramName, 136, 14, "Brevlo"},
      {about->labVersion, 136, 32, "Version 1.8"},
      {about->labCopyright, 136, 50, "Copyright (C) Halvorn 2003-2007"},
      {about->labVisitWebsite, 136, 123, "Visit our website"},
      {about->labWebsite, 136, 139, "www.halvorn.example"},
      {about->Label7, 16, 8, "More video converting softwares"},
      {about->labMore, 184, 8, "(More)"},
      {about->Label8, 16, 27, "Halvorn Video Converter"},
      {about->Label9, 16, 43, "Halvorn DVD Ripper"},
      {about->Label10, 16, 59, "Halvorn Audio Studio"},
  };
  for (const Want& w : wants) {
    SCOPED_TRACE(w.text);
    EXPECT_EQ(w.control->Left(), w.left);
    EXPECT_EQ(w.control->Top(), w.top);
    EXPECT_EQ(w.control->Caption(), w.text);
  }
  EXPECT_EQ(about->Panel1->Height(), 167);
  EXPECT_EQ(about->panBottom->Top(), 167);
  EXPECT_EQ(about->panBottom->Height(), 123);
  EXPECT_EQ(about->btnTech->BoundsRect().left, 16);
  EXPECT_EQ(about->btnTech->BoundsRect().top, 88);
  EXPECT_EQ(about->btnTech->Caption(), "Tech Support");
  EXPECT_EQ(about->btnOK->BoundsRect().left, 408);
  EXPECT_EQ(about->btnOK->Caption(), "&OK");
  EXPECT_FALSE(about->imgbk->Picture.Empty());
  EXPECT_FALSE(about->Image2->Picture.Empty());
}

TEST_F(AboutWindow, EveryLinkGoesThroughTheShell) {
  ClickOn(about->labWebsite);
  ClickOn(about->labMore);
  ClickOn(about->Label8);
  ClickOn(about->Label9);
  ClickOn(about->Label10);
  about->btnTech->Perform(BM_CLICK);
  ClickOn(form->labWebsite);
  const std::vector<std::string> want = {"www.halvorn.example",
                                         "https://www.halvorn.example/",
                                         "https://www.halvorn.example/video-converter/",
                                         "https://www.halvorn.example/dvd-ripper/",
                                         "https://www.halvorn.example/audio-studio/",
                                         "mailto:support@halvorn.example",
                                         "https://www.halvorn.example/"};
  EXPECT_EQ(shell.opened, want);
}

TEST_F(AboutWindow, MainWindowWaitsWhileItIsUp) {
  ClickOn(form->labAbout);
  EXPECT_TRUE(IsWindowVisible(about->Handle()));
  EXPECT_FALSE(IsWindowEnabled(form->Handle()));
  SaveScreenshot(GetDesktopWindow(), "about-window");
  about->btnOK->Perform(BM_CLICK);
  EXPECT_FALSE(IsWindowVisible(about->Handle()));
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  // Again, closed by the title bar this time.
  ClickOn(form->labAbout);
  EXPECT_FALSE(IsWindowEnabled(form->Handle()));
  SendMessageA(about->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(about->Handle()));
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(AboutWindow, BannerTurnsAndOpensThePageShown) {
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval, 3000u);
  EXPECT_EQ(form->BannerIndex(), -1);
  ClickOn(form->Image2);
  EXPECT_TRUE(shell.opened.empty());
  ASSERT_EQ(form->imladv->Count(), 4);
  std::vector<std::vector<unsigned char>> banners;
  for (int i = 0; i < 4; ++i) {
    HBITMAP copy = form->imladv->CopyBitmap(i);
    banners.push_back(PixelsOf(copy));
    DeleteObject(copy);
    for (int j = 0; j < i; ++j) EXPECT_NE(banners[i], banners[j]) << "banners " << j << ", " << i;
  }
  for (int step = 0; step < 5; ++step) {
    form->Timer1Timer(form->Timer1);
    EXPECT_EQ(form->BannerIndex(), step % 4);
    // The picture on show is the banner of that index.
    EXPECT_EQ(PixelsOf(form->Image2->Picture.Handle()), banners[step % 4]) << "step " << step;
  }
  EXPECT_EQ(form->BannerIndex(), 0);
  EXPECT_TRUE(form->Timer1->Enabled());
  ClickOn(form->Image2);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], form->Values().BannerUrls[0]);
}
