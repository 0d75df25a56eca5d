#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinFile.h"

namespace brevlo::skin {

// A skin file's named images, integers and flags. Names are compared without regard to case and
// the first entry of a name wins; a missing element answers false or -1.
class TskSkinReader {
 public:
  enum class LoadResult { Loaded, NoFile, ReadFailure };

  // An empty name loads nothing and leaves the reader not Ready.
  explicit TskSkinReader(platform::IFileSystem& files, const std::string& fileName = {});
  TskSkinReader(const TskSkinReader&) = delete;
  TskSkinReader& operator=(const TskSkinReader&) = delete;

  // A missing file makes the reader not Ready but keeps the tables. A file that cannot be read
  // whole changes nothing, so a half-read skin is never drawn from. OnLoaded follows a load.
  LoadResult Load(const std::string& fileName);
  // The same from bytes in memory, for skins that travel inside the program.
  LoadResult LoadFromMemory(const std::uint8_t* data, std::size_t size);

  bool Ready() const { return ready_; }
  bool GetImage(std::string_view name, TskBitmap& bitmap) const;
  // Frame `index` (1-based) of `count`; an absent image leaves the bitmap empty.
  bool GetImageFrame(std::string_view name, TskBitmap& bitmap, int count, int index) const;
  // -1 when not Ready or absent, so a skin cannot store -1 itself.
  int GetInt(std::string_view name) const;
  bool GetBool(std::string_view name) const;

  const SkinTables& Tables() const { return tables_; }

  std::function<void(TskSkinReader&)> OnLoaded;

 private:
  platform::IFileSystem& files_;
  SkinTables tables_;
  bool ready_ = false;
};

// Largest skin file we read.
inline constexpr std::size_t MaxSkinFileBytes = 64u * 1024u * 1024u;

}  // namespace brevlo::skin
