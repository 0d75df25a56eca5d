#include "skin/SkinReader.h"

#include <vector>

namespace brevlo::skin {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

template <typename Table>
const typename Table::value_type* Find(const Table& table, std::string_view name) {
  for (const auto& entry : table) {
    if (SameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

}  // namespace

TskSkinReader::TskSkinReader(platform::IFileSystem& files, const std::string& fileName)
    : files_(files) {
  if (!fileName.empty()) Load(fileName);
}

TskSkinReader::LoadResult TskSkinReader::Load(const std::string& fileName) {
  if (fileName.empty() || !files_.FileExists(fileName)) {
    ready_ = false;
    return LoadResult::NoFile;
  }
  std::vector<unsigned char> bytes;
  if (!files_.ReadFile(fileName, bytes, MaxSkinFileBytes)) return LoadResult::ReadFailure;
  return LoadFromMemory(bytes.data(), bytes.size());
}

TskSkinReader::LoadResult TskSkinReader::LoadFromMemory(const std::uint8_t* data,
                                                        std::size_t size) {
  SkinTables fresh;
  if (!ParseSkin(data, size, fresh)) return LoadResult::ReadFailure;
  tables_ = std::move(fresh);
  ready_ = true;
  if (OnLoaded) OnLoaded(*this);
  return LoadResult::Loaded;
}

bool TskSkinReader::GetImage(std::string_view name, TskBitmap& bitmap) const {
  if (!ready_) return false;
  const SkinImageEntry* entry = Find(tables_.images, name);
  if (entry == nullptr) return false;
  // A blob the decoder refuses draws as if the element were absent.
  return bitmap.LoadFromBmp(entry->blob.data(), entry->blob.size());
}

bool TskSkinReader::GetImageFrame(std::string_view name, TskBitmap& bitmap, int count,
                                  int index) const {
  if (!ready_) return false;
  TskBitmap whole;
  const bool found = GetImage(name, whole);
  bitmap = CutFrame(whole, count, index);
  return found;
}

int TskSkinReader::GetInt(std::string_view name) const {
  if (!ready_) return -1;
  const SkinIntEntry* entry = Find(tables_.integers, name);
  return entry != nullptr ? entry->value : -1;
}

bool TskSkinReader::GetBool(std::string_view name) const {
  if (!ready_) return false;
  const SkinFlagEntry* entry = Find(tables_.flags, name);
  return entry != nullptr && entry->value != 0;
}

}  // namespace brevlo::skin
