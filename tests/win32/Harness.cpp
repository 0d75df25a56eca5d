#include "Harness.h"

#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "ui/Forms.h"

namespace brevlo::testing {
namespace {

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK CollectBoxes(HWND window, LPARAM list) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH] = {};
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "brevlo-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

std::string TempFolder::MakeFolder(const std::string& name) const {
  const std::string folder = path_ + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool WriteSized(const std::string& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block(4096, 'v');
  while (bytes > 0) {
    const std::size_t n = bytes < block.size() ? bytes : block.size();
    out.write(block.data(), static_cast<std::streamsize>(n));
    bytes -= n;
  }
  return static_cast<bool>(out);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (milliseconds > 0) Sleep(10);
  } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

BoxWatcher::BoxWatcher(std::vector<Expected> expected)
    : expected_(std::move(expected)), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
  stop_ = true;
  thread_.join();
  for (const Box& box : unexpected_) {
    ADD_FAILURE() << "Unexpected message box [" << box.caption << "] " << box.text;
  }
  for (const Expected& box : expected_) {
    ADD_FAILURE() << "Expected message box [" << box.caption << "] never came";
  }
}

void BoxWatcher::Run() {
  while (!stop_) {
    std::vector<HWND> boxes;
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&boxes));
    for (HWND box : boxes) {
      // The text of a message box is its static control 0xFFFF.
      Box seen{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
      DWORD_PTR skinned = 0;
      SendMessageTimeoutA(box, 0x2AAA, 0, 0, SMTO_ABORTIFHUNG, 2000, &skinned);
      seen.skinned = static_cast<LRESULT>(skinned);
      int answer = 0;
      bool click = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(seen);
        if (!expected_.empty() && expected_.front().caption == seen.caption) {
          answer = expected_.front().answer;
          click = expected_.front().click;
          expected_.erase(expected_.begin());
        } else {
          unexpected_.push_back(seen);
        }
      }
      if (answer == 0) {
        for (int button : {IDCANCEL, IDNO, IDOK}) {
          if (GetDlgItem(box, button) != nullptr) {
            answer = button;
            break;
          }
        }
      }
      if (click && GetDlgItem(box, answer) != nullptr) {
        PostMessageA(GetDlgItem(box, answer), BM_CLICK, 0, 0);
      } else {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
      }
      // Wait for it to go before looking again.
      for (int i = 0; i < 200 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
    }
    Sleep(20);
  }
}

namespace {

// Wine's mount manager request that gives a Unix folder a drive letter (or takes it away).
constexpr DWORD DefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};

bool DefineDrive(char letter, ULONG type, const std::string& unixPath) {
  std::vector<char> buffer(sizeof(UnixDrive) + unixPath.size() + 1, 0);
  auto* drive = reinterpret_cast<UnixDrive*>(buffer.data());
  drive->size = static_cast<ULONG>(buffer.size());
  drive->letter = static_cast<WCHAR>(letter | 0x20);
  drive->type = type;
  if (!unixPath.empty()) {
    std::memcpy(buffer.data() + sizeof(UnixDrive), unixPath.c_str(), unixPath.size() + 1);
    drive->mount_point_offset = sizeof(UnixDrive);
  }
  // Started first in a Wine session, we may be ahead of the mount manager: wait for it.
  HANDLE manager = INVALID_HANDLE_VALUE;
  for (int tries = 0; manager == INVALID_HANDLE_VALUE && tries < 600; ++tries) {
    if (tries > 0) Sleep(100);
    manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  const BOOL ok = DeviceIoControl(manager, DefineUnixDrive, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), nullptr, 0, &got, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

std::string UnixPathOf(const std::string& windowsPath) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (convert == nullptr) return {};
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unix = convert(wide.c_str());
  if (unix == nullptr) return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

}  // namespace

SimulatedDrive::SimulatedDrive(char letter, const std::string& folder, bool removable)
    : letter_(letter), folder_(folder), removable_(removable) {
  Plug();
}

SimulatedDrive::~SimulatedDrive() {
  Unplug();
}

bool SimulatedDrive::Plug() {
  const std::string unix = UnixPathOf(folder_);
  plugged_ = !unix.empty() && DefineDrive(letter_, removable_ ? 2 : 3, unix);
  return plugged_;
}

void SimulatedDrive::Unplug() {
  if (plugged_) DefineDrive(letter_, 0, {});
  plugged_ = false;
}

void UnplugTestDrives() {
  for (char letter : {'E', 'F', 'G', 'H', 'P'}) DefineDrive(letter, 0, {});
}

void MakePspFolders(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "MP_ROOT").c_str(), nullptr);
  CreateDirectoryA((folder + "MP_ROOT\\100MNV01").c_str(), nullptr);
  CreateDirectoryA((folder + "MP_ROOT\\101ANV01").c_str(), nullptr);
}

MainFormFixture::MainFormFixture(const std::string& appFolder, platform::IShell* shell,
                                 bool withPsp, media::IVideoPictures* pictures) {
  if (withPsp) {
    pspFolder_ = appFolder + "psp\\";
    MakePspFolders(pspFolder_);
    psp_ = std::make_unique<SimulatedDrive>('P', pspFolder_);
    if (!psp_->Plugged()) {
      std::fprintf(stderr, "The simulated PSP could not be plugged in\n");
      std::exit(2);
    }
  }
  app::MainServices services;
  services.exePath = appFolder + "Brevlo.exe";
  services.shell = shell;
  services.pictures = pictures;
  app::TMainForm::UseServices(services);
  form_ = new app::TMainForm(ui::Application);
  app::TMainForm::UseServices(app::MainServices{});
  // Without a display nothing below means anything; stop the whole run loudly.
  if (!IsWindow(form_->Handle())) {
    std::fprintf(stderr, "The main window could not be created (no display?)\n");
    std::exit(2);
  }
  form_->Show();
  Pump();
}

MainFormFixture::~MainFormFixture() {
  delete form_;
}

void MainFormFixture::Close() {
  SendMessageA(form_->Handle(), WM_CLOSE, 0, 0);
  Pump();
}

bool SaveScreenshot(HWND window, const std::string& name) {
  const char* folder = std::getenv("BREVLO_ARTIFACTS_WIN");
  if (folder == nullptr || *folder == '\0') return false;
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const int stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * h);
  std::ofstream out(std::string(folder) + "\\" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
  out.write(static_cast<const char*>(bits), stride * h);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return static_cast<bool>(out);
}

static INPUT MouseEvent(POINT screen, DWORD buttons) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  return input;
}

void Key(WORD vk, bool pump) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
  if (!pump) return;
  const DWORD end = GetTickCount() + 100;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    ui::Application->ProcessMessages();
    Sleep(10);
  }
}

// Handles the input that SendInput queued: until the cursor is there and no input waits, at
// most two seconds.
static void PumpInput(POINT screen) {
  const DWORD start = GetTickCount();
  for (;;) {
    Pump();
    POINT now{};
    GetCursorPos(&now);
    const bool arrived = now.x == screen.x && now.y == screen.y;
    if ((arrived && HIWORD(GetQueueStatus(QS_INPUT)) == 0) || GetTickCount() - start > 2000) break;
    Sleep(5);
  }
  Pump();
}

void MoveMouse(POINT screen) {
  INPUT move = MouseEvent(screen, 0);
  SendInput(1, &move, sizeof move);
  PumpInput(screen);
}

void MouseSteps(std::initializer_list<std::pair<POINT, DWORD>> steps) {
  std::vector<INPUT> inputs;
  for (const auto& [screen, buttons] : steps) inputs.push_back(MouseEvent(screen, buttons));
  if (inputs.empty()) return;
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof inputs[0]);
  PumpInput(std::prev(steps.end())->first);
}

// Press and release go in together: a tree view waits for the release inside the press.
void Click(POINT screen) {
  MoveMouse(screen);
  MouseSteps({{screen, MOUSEEVENTF_LEFTDOWN}, {screen, MOUSEEVENTF_LEFTUP}});
}

void DragWithMouse(POINT from, POINT to) {
  std::atomic<bool> done{false};
  std::thread hand([&done, from, to] {
    for (int k = -1; k <= 9; ++k) {
      const int f = k < 0 ? 0 : k > 8 ? 8 : k;
      INPUT input = MouseEvent({from.x + (to.x - from.x) * f / 8, from.y + (to.y - from.y) * f / 8},
                               k == 0   ? MOUSEEVENTF_LEFTDOWN
                               : k == 9 ? MOUSEEVENTF_LEFTUP
                                        : 0);
      SendInput(1, &input, sizeof input);
      Sleep(k == 8 ? 260 : 60);
    }
    Sleep(200);
    done = true;
  });
  while (!done) Pump(5);
  hand.join();
  Pump(100);
}

int ItemImage(HWND list, int row) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

COLORREF MiddleOf(HIMAGELIST images, int index) {
  int w = 0, h = 0;
  ImageList_GetIconSize(images, &w, &h);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
  const COLORREF colour = GetPixel(dc, w / 2, h / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

}  // namespace brevlo::testing
