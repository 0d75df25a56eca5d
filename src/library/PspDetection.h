#pragma once

#include <optional>
#include <string>

#include "platform/Drives.h"
#include "platform/FileSystem.h"

namespace brevlo::library {

inline constexpr const char* PspConnectionCaption = "PSP Connection";
// The two lines are parted by a line feed and then a carriage return, in that order.
inline constexpr const char* PspConnectionText =
    "Please connect your PSP to the computer and select the proper drive.\n\r"
    "Click \"Yes\" to detect the PSP automatically.";
inline constexpr const char* NoPspText = "No PSP is connected.";
inline constexpr const char* NoPspCaption = "Please connect your PSP";

// The first removable drive, A: to Z:, whose root holds a folder MP_ROOT; its root without a
// backslash ("G:"). Fixed, optical and network drives are never taken.
std::optional<std::string> FindPspDrive(platform::IDrives& drives, platform::IFileSystem& fs);

// "G:" of "G:\MP_ROOT" or "g:"; empty for a path without a drive letter (nothing chosen yet,
// the computer's root, a network path), which stands for no PSP drive at all.
std::string DrivePartOf(const std::string& path);

// The PSP drive root ("G:\") for a chosen path; empty when the path names no drive.
std::string PspDriveOf(const std::string& selectedPath);

// True when the drive root ("G:\") is set and still holds MP_ROOT.
bool PspReachable(const std::string& pspDrive, platform::IFileSystem& fs);

}  // namespace brevlo::library
