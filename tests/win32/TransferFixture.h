#pragma once

// A program folder with the default thumbnail, a PC folder "videos" and an empty PSP on G:;
// Open puts the main window and the progress window over them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Harness.h"
#include "app/win32/SecondaryForms.h"
#include "operations/win32/TransferForm.h"
#include "support/JpegWriter.h"

namespace brevlo::testing {

class PspTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(app / "DefaultPreview.THM", MakeJpeg(80, 60, 0, 0, 200));
    videos = app.MakeFolder("videos");
    psp = app.Path() + "g\\";
    MakePspFolders(psp);
    drive = std::make_unique<SimulatedDrive>('G', psp);
    ASSERT_TRUE(drive->Plugged());
  }
  // maker: the pictures' maker, else the one in pictures, else the program's own.
  void Open(media::IVideoPictures* maker = nullptr) {
    WriteText(app / "Preferences.ini", "[Main]\r\nOutput Path=" + videos + "\r\n");
    form = std::make_unique<MainFormFixture>(app.Path(), nullptr, false,
                                             maker != nullptr ? maker : pictures);
    progress = std::unique_ptr<app::TTransferForm>(app::NewTransferForm(ui::Application));
  }
  void TearDown() override {
    progress.reset();
    form.reset();
  }
  app::TMainForm* Form() { return form->Form(); }
  std::string Kind0() const { return psp + "MP_ROOT\\100MNV01\\"; }

  TempFolder app;
  std::string videos;
  std::string psp;
  std::unique_ptr<SimulatedDrive> drive;
  std::unique_ptr<MainFormFixture> form;
  std::unique_ptr<app::TTransferForm> progress;
  media::IVideoPictures* pictures = nullptr;  // the program's own when none
};

}  // namespace brevlo::testing
