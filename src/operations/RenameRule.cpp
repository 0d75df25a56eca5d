#include "operations/RenameRule.h"

#include "library/PspNaming.h"
#include "operations/VideoPaths.h"

namespace brevlo::operations {
namespace {

bool IsDecimal(char c) {
  return c >= '0' && c <= '9';
}

bool IsHex(char c) {
  return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool AllOf(const std::string& text, std::size_t from, bool (*digit)(char)) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (!digit(text[i])) return false;
  }
  return true;
}

}  // namespace

bool ConvertsToInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    return AllOf(text, i + 1, IsHex);
  }
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    return AllOf(text, i + 2, IsHex);
  }
  return AllOf(text, i, IsDecimal);
}

std::string NameExtensionOf(const std::string& name) {
  const std::string file = FileNamePartOf(name);
  const auto dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : file.substr(dot);
}

bool FitsPspNamingRule(const std::string& newName, const std::string& prefix) {
  if (newName.substr(0, 3) != prefix) return false;
  const std::string stem = library::WithoutExtension(newName);
  const std::string digits = stem.size() > 3 ? stem.substr(3) : std::string();
  if (digits.size() != 5) return false;
  if (!ConvertsToInteger(digits)) return false;
  return UpperAscii(NameExtensionOf(newName)) == ".MP4";
}

std::string PspPrefixOf(const std::string& videoPath) {
  return FileNamePartOf(videoPath).substr(0, 3);
}

std::string NotProperFormatText(const std::string& prefix) {
  std::string text = "The new filename is not capatible format for PSP. ";
  text += "\n\r";
  text += "The proper format should be ";
  text += prefix;
  text += "xxxxx.MP4 (e.g.";
  text += prefix;
  text += "00198.mp4)";
  text += "\n\r";
  text += "\"xxxxx\" indicates a 5 digites number.";
  return text;
}

std::string WithMp4Extension(const std::string& name) {
  return UpperAscii(NameExtensionOf(name)) == ".MP4" ? name : name + ".MP4";
}

RenameResult RenameVideo(platform::IFileSystem& fs, platform::IDialogs& dialogs,
                         const std::string& side, const std::string& sourcePath,
                         const std::string& newName) {
  RenameResult result;
  if (side == "PSP") {
    const std::string prefix = PspPrefixOf(sourcePath);
    if (!FitsPspNamingRule(newName, prefix)) {
      dialogs.Show(NotProperFormatText(prefix), NotProperFormatCaption,
                   platform::MbOk | platform::MbIconInformation);
      result.outcome = RenameOutcome::Refused;
      result.newName = newName;
      return result;
    }
  }
  result.newName = WithMp4Extension(newName);
  const std::string folder = library::WithTrailingBackslash(FolderPartOf(sourcePath));
  if (!IsRootedFolder(folder) || !fs.Move(sourcePath, folder + result.newName)) {
    return result;
  }
  result.outcome = RenameOutcome::Renamed;
  // Cut the extension off the file name only, so a dot in a folder name never counts.
  const std::string oldCompanion =
      folder + library::WithoutExtension(FileNamePartOf(sourcePath)) + ".THM";
  if (fs.FileExists(oldCompanion)) {
    fs.Move(oldCompanion, folder + library::WithoutExtension(result.newName) + ".THM");
  }
  return result;
}

}  // namespace brevlo::operations
