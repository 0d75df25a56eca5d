// The skin file parser and the picture decoder on arbitrary bytes: never a crash or a wild
// read, and whatever parses must write out and parse back to the same tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/SkinBitmap.h"
#include "skin/SkinFile.h"

using namespace brevlo::skin;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameTables(const SkinTables& a, const SkinTables& b) {
  if (a.images.size() != b.images.size() || a.integers.size() != b.integers.size() ||
      a.flags.size() != b.flags.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.images.size(); ++i) {
    if (a.images[i].name != b.images[i].name || a.images[i].blob != b.images[i].blob) return false;
  }
  for (std::size_t i = 0; i < a.integers.size(); ++i) {
    if (a.integers[i].name != b.integers[i].name || a.integers[i].value != b.integers[i].value) {
      return false;
    }
  }
  for (std::size_t i = 0; i < a.flags.size(); ++i) {
    // The writer stores a flag as 0 or 1.
    if (a.flags[i].name != b.flags[i].name || (a.flags[i].value != 0) != (b.flags[i].value != 0)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SkinTables tables;
  if (!ParseSkin(data, size, tables)) return 0;
  SkinFileWriter writer;
  for (const auto& e : tables.images) {
    writer.AddImage(e.name, e.blob);
    TskBitmap picture;
    if (picture.LoadFromBmp(e.blob.data(), e.blob.size())) {
      TskBitmap frame = CutFrame(picture, 3, 2);
      RotateLeft(frame);
      RotateRight(picture);
      Check(picture.Width() > 0 && picture.Height() > 0);
    }
  }
  for (const auto& e : tables.integers) writer.AddInteger(e.name, e.value);
  for (const auto& e : tables.flags) writer.AddFlag(e.name, e.value != 0);
  const auto bytes = writer.Bytes();
  SkinTables again;
  Check(ParseSkin(bytes.data(), bytes.size(), again));
  // Tables keep their kinds apart, so the order across kinds may change but not within one.
  Check(SameTables(tables, again));
  return 0;
}
