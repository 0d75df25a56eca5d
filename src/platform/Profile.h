#pragma once

#include <string>

namespace brevlo::platform {

// Windows profile (INI) files. Values read are cut to ProfileValueLimit characters.
inline constexpr std::size_t ProfileValueLimit = 2047;

class IProfile {
 public:
  virtual ~IProfile() = default;
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& fallback) = 0;
  // False when the file cannot be written.
  virtual bool WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

}  // namespace brevlo::platform
