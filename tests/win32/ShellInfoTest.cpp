// Icons as the tree shows them: each must be the picture the shell gives when asked about that
// very path, also for paths asked after others that share their icons.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32ShellInfo.h"
#include "support/ScratchFolder.h"

using namespace brevlo;

namespace {

// The pixels of one icon of a list drawn on a background of its own colour.
std::vector<DWORD> Drawn(HIMAGELIST list, int index, COLORREF background) {
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(list, &width, &height);
  BITMAPINFO bmi{};
  bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, dib);
  RECT all{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  std::vector<DWORD> result(pixels, pixels + width * height);
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return result;
}

// The shell's own picture of an item, from the platform's shared list.
std::vector<DWORD> ShellPicture(LPCSTR item, UINT flags, COLORREF background) {
  SHFILEINFOA info{};
  const auto list = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(item, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags));
  if (list == nullptr) return {};
  return Drawn(list, info.iIcon, background);
}

void ExpectShellPicture(int ours, LPCSTR item, UINT flags, const std::string& what) {
  ASSERT_GE(ours, 0) << what;
  // Two backgrounds: a mask or an alpha channel lost on the way shows on one of them.
  for (COLORREF background : {RGB(255, 0, 255), RGB(0, 128, 0)}) {
    const std::vector<DWORD> expected = ShellPicture(item, flags, background);
    ASSERT_FALSE(expected.empty()) << what;
    EXPECT_EQ(Drawn(platform::SmallIconList(), ours, background), expected) << what;
  }
}

TEST(ShellInfo, IconsAreThePicturesTheShellGivesForTheirOwnPath) {
  brevlo::testing::ScratchFolder scratch("brevlo-icons");
  const std::string plain = scratch.Dir("Plain").string();
  const std::string full = scratch.Dir("Full").string();
  for (int i = 0; i < 50; ++i) scratch.Write("Full/clip" + std::to_string(i) + ".mp4", "x");
  // A folder that carries an icon of its own, as the shell's customised folders do.
  const std::string custom = scratch.Dir("Custom").string();
  scratch.Write("Custom/desktop.ini", "[.ShellClassInfo]\r\nIconResource=shell32.dll,-8\r\n");
  SetFileAttributesA(custom.c_str(), FILE_ATTRIBUTE_SYSTEM);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string root = std::string(windows, 2) + "\\";

  platform::Win32ShellInfo shell;
  // Plain folders first, so that those asked later could wrongly take their icons.
  const std::vector<std::string> paths{plain, full, custom, root, scratch.Path().string() + "\\"};
  for (const std::string& path : paths) {
    ExpectShellPicture(shell.SmallIcon(path), path.c_str(), 0, path);
    ExpectShellPicture(shell.SmallOpenIcon(path), path.c_str(), SHGFI_OPENICON, path + " open");
  }
  EXPECT_NE(shell.SmallIcon(root), shell.SmallIcon(plain));
  // The same picture is kept once, however many paths show it.
  EXPECT_EQ(platform::Win32ShellInfo().SmallIcon(full), shell.SmallIcon(plain));

  const auto computer = shell.ComputerFolder();
  ASSERT_TRUE(computer.has_value());
  EXPECT_FALSE(computer->displayName.empty());
  LPITEMIDLIST pidl = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)));
  ExpectShellPicture(computer->iconIndex, reinterpret_cast<LPCSTR>(pidl), SHGFI_PIDL, "computer");
  CoTaskMemFree(pidl);
}

}  // namespace
