#pragma once

#include <string>

namespace brevlo::platform {

// Values as the Windows message box takes and returns them.
enum MessageFlags : unsigned {
  MbOk = 0x00,
  MbYesNo = 0x04,
  MbIconError = 0x10,
  MbIconQuestion = 0x20,
  MbIconExclamation = 0x30,
  MbIconInformation = 0x40,
  MbDefButton2 = 0x100,  // the second button (No of Yes and No) is the default
};

enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // Modal box owned by the window in front.
  virtual Answer Show(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // The standard error box: the application's title as caption, error icon, OK.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace brevlo::platform
