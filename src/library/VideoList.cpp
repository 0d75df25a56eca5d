#include "library/VideoList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "library/PspNaming.h"

namespace brevlo::library {
namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ReplaceSeparator(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

}  // namespace

bool IsVideoName(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".mp4";
}

bool IsOtherVideoName(const std::string& name) {
  static const char* const extensions[] = {
      ".m4v", ".mov", ".3gp",  ".mkv", ".webm", ".avi",  ".wmv", ".asf", ".flv", ".mpg", ".mpeg",
      ".vob", ".ts",  ".m2ts", ".mts", ".ogv",  ".divx", ".f4v", ".dv",  ".mod", ".tod"};
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string ext = LowerAscii(name.substr(dot));
  for (const char* e : extensions) {
    if (ext == e) return true;
  }
  return false;
}

std::string FormatSizeMB(std::uint64_t bytes, char decimalSeparator) {
  const double value = static_cast<double>(bytes) / 1000000.0;
  if (value == 0.0) {
    return "0";
  }
  // Fifteen significant digits, then drop trailing zeros; scientific below 0.00001.
  char sci[64];
  std::snprintf(sci, sizeof sci, "%.14e", value);
  std::string text = sci;
  const auto epos = text.find('e');
  std::string mantissa = text.substr(0, epos);
  const int exponent = std::atoi(text.c_str() + epos + 1);
  std::string digits;
  for (char c : mantissa) {
    if (c >= '0' && c <= '9') digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (exponent < -5) {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out += decimalSeparator + digits.substr(1);
    out += "E-" + std::to_string(-exponent);
    return out;
  }
  if (exponent < 0) {
    out = "0";
    out += decimalSeparator;
    out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    return out;
  }
  const auto intDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= intDigits) {
    return digits + std::string(intDigits - digits.size(), '0');
  }
  return digits.substr(0, intDigits) + decimalSeparator + digits.substr(intDigits);
}

std::optional<std::string> FileSizeMB(const std::string& path, platform::IFileSystem& fs,
                                      char decimalSeparator) {
  const auto size = fs.FileSize(path);
  if (!size) {
    return std::nullopt;
  }
  return FormatSizeMB(*size, decimalSeparator);
}

double ParseSizeMB(const std::string& text, char decimalSeparator) {
  if (text.empty()) {
    return 0.0;
  }
  const std::string plain = ReplaceSeparator(text, decimalSeparator, '.');
  char* end = nullptr;
  const double value = std::strtod(plain.c_str(), &end);
  if (end == plain.c_str() || !std::isfinite(value) || value < 0) {
    return 0.0;
  }
  return value;
}

std::string SelectionSummary(int count, double totalMB, char decimalSeparator) {
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", totalMB);
  return std::to_string(count) + " Selected.  " + ReplaceSeparator(number, '.', decimalSeparator) +
         "MB Total.";
}

FillReport FillVideoList(const std::string& folder, IVideoListSink& sink, FillEnvironment& env) {
  FillReport report;
  if (folder.empty() || !env.fs.DirectoryExists(folder)) {
    return report;
  }
  report.listed = true;
  sink.Clear();

  // One listing serves for the videos, their sizes and their companions: a big folder costs
  // no extra look-up per video.
  std::vector<platform::DirEntry> videos;
  std::unordered_map<std::string, std::string> companions;  // lower-case name -> as listed
  for (auto& entry : env.fs.ListDirectory(folder, "*")) {
    if ((entry.attributes & platform::AttrDirectory) != 0) continue;
    if (IsVideoName(entry.name) || (env.otherVideos && IsOtherVideoName(entry.name))) {
      if ((entry.attributes & (platform::AttrHidden | platform::AttrSystem)) == 0) {
        videos.push_back(std::move(entry));
      }
    } else {
      companions.emplace(LowerAscii(entry.name), entry.name);
    }
  }
  std::stable_sort(videos.begin(), videos.end(),
                   [&](const platform::DirEntry& a, const platform::DirEntry& b) {
                     return env.locale.CompareIgnoreCase(a.name, b.name) < 0;
                   });
  if (env.listed) env.listed();

  sink.Reserve(videos.size());
  const std::string defaultPath = env.appFolder + DefaultThumbnailName;
  const char separator = env.locale.DecimalSeparator();
  bool defaultExists = false;
  bool defaultChecked = false;
  ListedVideo row;
  for (auto& video : videos) {
    env.pump.ProcessMessages();
    if (env.superseded && env.superseded()) {
      report.superseded = true;
      return report;
    }
    const auto own = companions.find(LowerAscii(WithoutExtension(video.name) + ".THM"));
    if (own == companions.end()) {
      if (!defaultChecked) {
        defaultExists = env.fs.FileExists(defaultPath);
        defaultChecked = true;
      }
      if (!defaultExists) continue;
      row.thumbnail.clear();
    } else {
      row.thumbnail = own->second;
    }
    row.name = std::move(video.name);
    row.size = video.size;
    row.modified = video.modified;
    sink.AddVideo(row, FormatSizeMB(row.size, separator));
    ++report.rows;
  }
  return report;
}

}  // namespace brevlo::library
