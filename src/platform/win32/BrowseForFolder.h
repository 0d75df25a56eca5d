#pragma once

#include <windows.h>

#include <string>

namespace brevlo::platform {

// The shell's folder-browse dialog over the whole name space, opening on `folder` when it
// exists. On true `folder` holds the chosen folder; a folder that did not exist is emptied
// before the dialog shows, so a cancel then leaves it empty.
bool BrowseForFolder(HWND owner, const std::string& title, std::string& folder);

}  // namespace brevlo::platform
