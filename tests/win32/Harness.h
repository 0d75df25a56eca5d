#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/MainForm.h"
#include "platform/portable/PortablePlatform.h"

namespace brevlo::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }  // with a trailing backslash
  std::string operator/(const std::string& name) const { return path_ + name; }
  std::string MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

bool WriteText(const std::string& path, const std::string& text);
bool WriteSized(const std::string& path, std::size_t bytes);
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);
void Pump(int milliseconds = 0);
// A key pressed and released on the keyboard, then pumped through the program's own loop for a
// while, which hands dialog keys to the form; a modal box's loop does that for itself.
void Key(WORD vk, bool pump = true);

// Watches for message boxes of this process from a second thread and answers the ones the test
// expects, in the order it expects them. Any other box is closed (Cancel, No or OK) and fails
// the test, and so does an expected box that never came.
class BoxWatcher {
 public:
  struct Box {
    std::string caption;
    std::string text;
    LRESULT skinned = 0;  // what the box answered the skin engine's question
  };
  struct Expected {
    std::string caption;
    int answer = IDOK;
    bool click = false;  // press the button itself rather than tell the box its command
  };
  explicit BoxWatcher(std::vector<Expected> expected = {});
  ~BoxWatcher();
  // One more box expected after those already named.
  void Expect(const std::string& caption, int answer = IDOK, bool click = false) {
    std::lock_guard<std::mutex> lock(mutex_);
    expected_.push_back({caption, answer, click});
  }
  std::vector<Box> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  void Run();
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Expected> expected_;
  std::vector<Box> seen_;
  std::vector<Box> unexpected_;
  std::thread thread_;
};

// A folder of the test plugged in as a drive letter of the running Wine, as a PSP on a USB
// cable would appear: removable (or fixed), seen by every drive call of the program.
class SimulatedDrive {
 public:
  SimulatedDrive(char letter, const std::string& folder, bool removable = true);
  ~SimulatedDrive();
  SimulatedDrive(const SimulatedDrive&) = delete;
  SimulatedDrive& operator=(const SimulatedDrive&) = delete;
  bool Plugged() const { return plugged_; }
  std::string Root() const { return std::string(1, letter_) + ":\\"; }
  bool Plug();
  void Unplug();

 private:
  char letter_;
  std::string folder_;
  bool removable_;
  bool plugged_ = false;
};

// Takes away the letters the tests plug in, should a run that was cut short have left them.
void UnplugTestDrives();

// Makes folder\MP_ROOT\100MNV01 and folder\MP_ROOT\101ANV01.
void MakePspFolders(const std::string& folder);

// A main window made for one test, over a program folder of the test's own. Unless told
// otherwise it finds a PSP, an empty one on drive P:, so that start-up asks nothing.
class MainFormFixture {
 public:
  // pictures: the maker of the videos' pictures, the program's own when null.
  explicit MainFormFixture(const std::string& appFolder, platform::IShell* shell = nullptr,
                           bool withPsp = true, media::IVideoPictures* pictures = nullptr);
  ~MainFormFixture();
  app::TMainForm* operator->() const { return form_; }
  app::TMainForm* Form() const { return form_; }
  void Close();

  std::string PspFolder() const { return pspFolder_; }

 private:
  std::string pspFolder_;
  std::unique_ptr<SimulatedDrive> psp_;
  app::TMainForm* form_;
};

// Real mouse input through the system's input queue, handled before returning.
void MoveMouse(POINT screen);
// Press and release go in together: a tree view waits for the release inside the press.
void Click(POINT screen);
// Mouse events (MOUSEEVENTF_ buttons, 0 for a move) queued at once and then handled, for input
// a modal loop reads, such as a drag of the caption.
void MouseSteps(std::initializer_list<std::pair<POINT, DWORD>> steps);

// A drag with the left button as a hand makes it: pressed at from, moved there in steps and
// released. The input comes from another thread, so that a drag loop of this one reads it.
void DragWithMouse(POINT from, POINT to);

// Saves the screen to a PNG-less BMP in the artefacts folder (the test script converts it).
bool SaveScreenshot(HWND window, const std::string& name);

// The place in its image list of the picture a list row shows, as the list asks for it.
int ItemImage(HWND list, int row);
// The colour in the middle of an image list's picture, as drawn.
COLORREF MiddleOf(HIMAGELIST images, int index);

}  // namespace brevlo::testing
