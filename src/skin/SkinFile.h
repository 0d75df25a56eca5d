#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevlo::skin {

// The skin container: a 24-byte file header, then a chain of 77-byte entry headers, each
// pointing at its data and at the next header; a header whose next offset is 0 ends the chain.
inline constexpr char SkinMagic[] = "BrevloSkin";
inline constexpr std::size_t SkinHeaderSize = 24;
inline constexpr std::size_t SkinEntryHeaderSize = 77;
inline constexpr std::size_t SkinNameSize = 64;
inline constexpr std::int32_t SkinFormatNumber = 1;

enum class SkinKind : std::uint8_t { Image = 0, Integer = 1, Flag = 2 };

struct SkinImageEntry {
  std::string name;
  std::vector<std::uint8_t> blob;
};
struct SkinIntEntry {
  std::string name;
  std::int32_t value = 0;
};
struct SkinFlagEntry {
  std::string name;
  std::uint8_t value = 0;
};

// What a skin file holds, each table in file order (duplicates kept).
struct SkinTables {
  std::vector<SkinImageEntry> images;
  std::vector<SkinIntEntry> integers;
  std::vector<SkinFlagEntry> flags;
};

// Reads a whole skin file held in memory. False for anything that would read outside the data
// or never end: an offset or size past the end, or a next-offset that does not move forward.
// Entries of an unknown kind are skipped; the magic and format number are not checked.
bool ParseSkin(const std::uint8_t* data, std::size_t size, SkinTables& out);

// Writes skin files: each entry's header directly followed by its data, then a terminator.
class SkinFileWriter {
 public:
  void AddImage(const std::string& name, const std::vector<std::uint8_t>& bmp);
  void AddInteger(const std::string& name, std::int32_t value);
  void AddFlag(const std::string& name, bool value);
  // An entry of any kind byte, for files that test the reader.
  void AddRaw(const std::string& name, std::uint8_t kind, const std::vector<std::uint8_t>& data);
  std::vector<std::uint8_t> Bytes() const;

 private:
  struct Entry {
    std::string name;
    std::uint8_t kind;
    std::vector<std::uint8_t> data;
  };
  std::vector<Entry> entries_;
};

}  // namespace brevlo::skin
