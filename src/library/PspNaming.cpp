#include "library/PspNaming.h"

#include <cstdio>

namespace brevlo::library {

std::string WithTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') {
    return path;
  }
  return path + '\\';
}

std::string WithoutExtension(const std::string& path) {
  const auto dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string ExtensionOf(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string CompanionOf(const std::string& videoPath) {
  return WithoutExtension(videoPath) + ".THM";
}

std::string PspKindFolder(int kind) {
  return kind == Mpeg4 ? "MP_ROOT\\100MNV01\\" : "MP_ROOT\\101ANV01\\";
}

std::string PspPrefix(int kind) {
  return kind == Mpeg4 ? "M4V" : "MAQ";
}

std::string PspFileName(int kind, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%05d", number);
  return PspPrefix(kind) + digits + ".MP4";
}

int PspNumberOf(int kind, const std::string& name) {
  // Exactly prefix + five digits + ".MP4": twelve characters.
  if (name.size() != 12) {
    return 0;
  }
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper.compare(0, 3, PspPrefix(kind)) != 0 || upper.compare(8, 4, ".MP4") != 0) {
    return 0;
  }
  int number = 0;
  for (int i = 3; i < 8; ++i) {
    const char c = upper[static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

PspNameSource::PspNameSource(int kind, const std::vector<std::string>& listCaptions)
    : kind_(kind), taken_(MaxPspNumber + 2, false) {
  for (const auto& caption : listCaptions) {
    taken_[static_cast<std::size_t>(PspNumberOf(kind, caption))] = true;
  }
}

void PspNameSource::SetFolderCheck(ExistsFn exists, void* context) {
  exists_ = exists;
  context_ = context;
}

std::string PspNameSource::Next() {
  while (next_ <= MaxPspNumber) {
    const int n = next_++;
    if (taken_[static_cast<std::size_t>(n)]) {
      continue;
    }
    taken_[static_cast<std::size_t>(n)] = true;
    const std::string name = PspFileName(kind_, n);
    if (exists_ != nullptr && exists_(context_, name)) {
      continue;
    }
    return name;
  }
  return PspFileName(kind_, MaxPspNumber + 1);
}

std::string NextFreePspFileName(int kind, const std::vector<std::string>& listCaptions,
                                const std::vector<std::string>& handedOut) {
  std::vector<std::string> taken = listCaptions;
  taken.insert(taken.end(), handedOut.begin(), handedOut.end());
  return PspNameSource(kind, taken).Next();
}

}  // namespace brevlo::library
