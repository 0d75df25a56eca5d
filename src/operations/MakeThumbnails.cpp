#include "operations/MakeThumbnails.h"

#include "library/PspNaming.h"

namespace brevlo::operations {

ThumbnailsReport MakeThumbnails(platform::IFileSystem& fs, const std::string& folder,
                                const std::vector<std::string>& captions,
                                const PictureMaker& pictureOf,
                                const std::function<bool()>& stopped) {
  ThumbnailsReport report;
  const std::string base = library::WithTrailingBackslash(folder);
  const auto stop = [&] { return report.stopped = report.stopped || (stopped && stopped()); };
  for (const std::string& caption : captions) {
    if (stop()) break;
    const std::string video = base + caption;
    const std::string thumbnail = library::CompanionOf(video);
    if (fs.FileExists(thumbnail) || !fs.FileExists(video)) continue;
    const std::vector<std::uint8_t> picture = pictureOf(video);
    if (stop()) break;
    if (picture.empty()) {
      report.noPicture.push_back(caption);
      continue;
    }
    // The PSP folder's clean-up knows this name as ours.
    // One left by a run that the PSP's removal cut short would keep the new one out.
    const std::string temp = thumbnail + ".part";
    if (fs.FileExists(temp)) fs.Delete(temp);
    if (!fs.WriteNew(temp, picture)) {
      fs.Delete(temp);  // what a write cut short by a full card left of it
      report.notWritten.push_back(caption);
      continue;
    }
    if (fs.Move(temp, thumbnail)) {
      ++report.written;
    } else {
      fs.Delete(temp);
      report.notWritten.push_back(caption);
    }
  }
  return report;
}

std::string ThumbnailsReportText(const ThumbnailsReport& report) {
  std::string text;
  for (const auto& name : report.noPicture) {
    text +=
        "\r\n" + name + ": no picture can be made of it (it is not a video this program reads).";
  }
  for (const auto& name : report.notWritten) {
    text += "\r\n" + name + ": its thumbnail could not be written.";
  }
  if (text.empty()) return text;
  return "Some videos have no new thumbnail:" + text;
}

}  // namespace brevlo::operations
