#pragma once

#include <string>

namespace brevlo::platform {

// The user's conventions for ordering names and writing numbers.
class ILocale {
 public:
  virtual ~ILocale() = default;
  // Negative, zero or positive, ignoring case, as a sorted list box orders its items.
  virtual int CompareIgnoreCase(const std::string& a, const std::string& b) = 0;
  virtual char DecimalSeparator() = 0;
  // The language the system speaks to the user ("en"); empty when it cannot tell.
  virtual std::string DisplayLanguage() { return {}; }
};

}  // namespace brevlo::platform
