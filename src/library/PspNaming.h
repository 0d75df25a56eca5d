#pragma once

#include <string>
#include <vector>

namespace brevlo::library {

// Index of the kind box: any value other than Mpeg4 counts as Mpeg4Avc.
enum VideoKind : int { Mpeg4 = 0, Mpeg4Avc = 1 };

inline constexpr int MaxPspNumber = 99999;

std::string WithTrailingBackslash(const std::string& path);
std::string WithoutExtension(const std::string& path);
// Extension from the last "." of the file name on, dot included; empty without one.
std::string ExtensionOf(const std::string& name);
std::string CompanionOf(const std::string& videoPath);

std::string PspKindFolder(int kind);  // "MP_ROOT\100MNV01\" or "MP_ROOT\101ANV01\"
std::string PspPrefix(int kind);      // "M4V" or "MAQ"
std::string PspFileName(int kind, int number);

// Number of a PSP video name of the given kind ("m4v00012.mp4" gives 12), or 0 when the name
// does not have that form. Case is ignored, as the PSP list's captions are compared.
int PspNumberOf(int kind, const std::string& name);

// Hands out free PSP names of one kind: the lowest number that no listed caption, no earlier
// name of the same run and no file already in the PSP folder holds. The taken numbers are
// gathered once, so each name costs no more than a pass over the list.
class PspNameSource {
 public:
  using ExistsFn = bool (*)(void* context, const std::string& fileName);

  PspNameSource(int kind, const std::vector<std::string>& listCaptions);
  // Checked for each candidate before it is handed out; the file may be absent from the list.
  void SetFolderCheck(ExistsFn exists, void* context);
  // Next free name, remembered as taken; prefix + "100000.MP4" when every number is taken.
  std::string Next();
  bool Full() const { return next_ > MaxPspNumber; }

 private:
  int kind_;
  std::vector<bool> taken_;
  int next_ = 1;
  ExistsFn exists_ = nullptr;
  void* context_ = nullptr;
};

// The name the next video of that kind would receive, given the PSP list and the names
// already handed out in the running transfer.
std::string NextFreePspFileName(int kind, const std::vector<std::string>& listCaptions,
                                const std::vector<std::string>& handedOut = {});

}  // namespace brevlo::library
