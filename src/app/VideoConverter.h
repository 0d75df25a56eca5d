#pragma once

#include <functional>
#include <memory>
#include <string>

#include "operations/TransferEngine.h"
#include "platform/FileSystem.h"

namespace brevlo::app {

// The transfer's converter: our own verdict decides what goes as it is, the media room converts
// the rest and its result is judged by the same verdict.
class VideoConverter : public operations::IVideoConverter {
 public:
  // libraryPath: a path as the media libraries open it (the program's own paths on Windows).
  explicit VideoConverter(platform::IFileSystem& fs,
                          std::function<std::string(const std::string&)> libraryPath = {});
  operations::ConversionCheck Check(const std::string& source, int kind) override;
  std::unique_ptr<operations::IConversionJob> Open(const std::string& source,
                                                   const std::string& target, int kind,
                                                   const std::string& title,
                                                   std::string& error) override;
  bool Plays(const std::string& file, int kind) override;

 private:
  std::string LibraryPath(const std::string& path) const;
  platform::IFileSystem& fs_;
  std::function<std::string(const std::string&)> libraryPath_;
};

// The tip of a PC row that is not an MP4: what it holds as the libraries see it, and that it goes
// converted; or that it is no video this program reads.
std::string OtherVideoTip(const std::string& libraryPath, char decimalSeparator);

inline constexpr const char* WillBeConvertedText = "Will be converted for the PSP";

}  // namespace brevlo::app
