// Folder icons as the tree shows them: each must be the one the shell gives when asked about
// that very path, also for folders asked after others that share their icons.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32ShellInfo.h"
#include "support/ScratchFolder.h"

using namespace brevlo;

namespace {

int ShellIcon(const std::string& path, UINT flags) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags) == 0) {
    return -1;
  }
  return info.iIcon;
}

TEST(ShellInfo, FolderIconsAreThoseOfTheirOwnPath) {
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
    EXPECT_EQ(shell.SmallIcon(path), ShellIcon(path, 0)) << path;
    EXPECT_EQ(shell.SmallOpenIcon(path), ShellIcon(path, SHGFI_OPENICON)) << path;
  }
  EXPECT_NE(shell.SmallIcon(root), shell.SmallIcon(plain));
}

}  // namespace
