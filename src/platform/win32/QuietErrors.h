#pragma once

#include <windows.h>

namespace brevlo::platform {

// No "insert a disk" boxes while a drive is looked at. The thread's own mode: the process's is
// shared with the helper thread, whose set and restore would interleave with this one's.
class QuietErrors {
 public:
  QuietErrors() {
    if (!SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_)) set_ = false;
  }
  ~QuietErrors() {
    if (set_) SetThreadErrorMode(previous_, nullptr);
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD previous_ = 0;
  bool set_ = true;
};

}  // namespace brevlo::platform
