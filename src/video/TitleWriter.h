#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/CopyPlan.h"
#include "platform/FileSystem.h"

namespace brevlo::video {

// The PSP lists titles of up to this many UTF-16 units.
inline constexpr std::size_t MaxTitleUnits = 128;
// Room left behind a header we write, so that a later change of title fits in place.
inline constexpr std::uint64_t TitleRoomBytes = 1024;

// The text cut at MaxTitleUnits UTF-16 units, on a character's edge.
std::string CutTitle(const std::string& utf8);
// The title a video of this file name gets on the PSP: the name without its extension, cut.
std::string TitleForFileName(const std::string& fileName);
// A title may not hold these: the PSP shows them as boxes, a tip breaks its line.
bool HasControlCharacters(const std::string& utf8);

// The copy of source that the PSP lists under title: the same file with the PSP's title in its
// header and a little room behind it; every media byte as it was, the chunk offsets moved by the
// header's growth when the header lies before the media. Empty (copy byte for byte) when the
// file is not one whose header we understand in full, or already has a PSP title. encoder names
// the program in the title's box, as the PSP's own files do.
platform::CopyPlan PlanTitledCopy(platform::IFileReader& source, const std::string& title,
                                  const std::string& encoder);

// Bytes for one place of a file.
struct PlacedBytes {
  std::uint64_t offset = 0;
  std::vector<std::uint8_t> bytes;
};

// A new PSP title for an existing file; an empty title removes it.
struct TitleEdit {
  bool unchanged = false;  // the file already says so
  // When inPlace, the change is these writes, in this order, to the file that source names; the
  // file keeps its size, and reads whole after each write, also after one that stopped on a
  // sector's edge. The new box is made ready in room no reader looks at; writes of a few bytes
  // that each lie in one sector then take the old box out and the new one in.
  bool inPlace = false;
  std::vector<PlacedBytes> writes;
  std::optional<platform::FileStamp> source;
  // Otherwise the file made anew from this plan.
  platform::CopyPlan rewrite;
};
// Empty when the header is not one we understand in full.
std::optional<TitleEdit> PlanTitleChange(platform::IFileReader& source, const std::string& title,
                                         const std::string& encoder);

// The chunk offsets of every track, track by track; empty when the header cannot be taken apart.
std::optional<std::vector<std::uint64_t>> ReadChunkOffsets(platform::IFileReader& file);

}  // namespace brevlo::video
