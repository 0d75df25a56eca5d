#include "skin/SkinFile.h"

#include <algorithm>
#include <cstring>

namespace brevlo::skin {

namespace {

std::int64_t S32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

void PutS32(std::vector<std::uint8_t>& out, std::int64_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

// True when [offset, offset + length) lies inside the data.
bool Inside(std::int64_t offset, std::int64_t length, std::size_t size) {
  return offset >= 0 && length >= 0 && offset <= static_cast<std::int64_t>(size) &&
         length <= static_cast<std::int64_t>(size) - offset;
}

}  // namespace

bool ParseSkin(const std::uint8_t* data, std::size_t size, SkinTables& out) {
  out = {};
  if (data == nullptr || size < 16) return false;
  // Wider headers are read for their first 24 bytes; narrower ones lack the chain's start.
  const std::int64_t headerSize = S32(data + 12);
  if (headerSize < static_cast<std::int64_t>(SkinHeaderSize) || !Inside(0, headerSize, size)) {
    return false;
  }
  std::int64_t at = S32(data + 20);
  constexpr auto EntrySize = static_cast<std::int64_t>(SkinEntryHeaderSize);
  if (!Inside(at, EntrySize, size)) return false;
  for (;;) {
    const std::uint8_t* h = data + at;
    const std::int64_t next = S32(h + 73);
    if (next == 0) return true;
    if (next < at + EntrySize || !Inside(next, EntrySize, size)) return false;
    const char* nameBytes = reinterpret_cast<const char*>(h);
    std::string name(nameBytes, strnlen(nameBytes, SkinNameSize));
    const std::int64_t offset = S32(h + 65);
    const std::int64_t length = S32(h + 69);
    switch (h[64]) {
      case static_cast<std::uint8_t>(SkinKind::Image):
        if (!Inside(offset, length, size)) return false;
        out.images.push_back({std::move(name), {data + offset, data + offset + length}});
        break;
      case static_cast<std::uint8_t>(SkinKind::Integer):
        if (!Inside(offset, 4, size)) return false;
        out.integers.push_back({std::move(name), static_cast<std::int32_t>(S32(data + offset))});
        break;
      case static_cast<std::uint8_t>(SkinKind::Flag):
        if (!Inside(offset, 1, size)) return false;
        out.flags.push_back({std::move(name), data[offset]});
        break;
      default:
        break;
    }
    at = next;
  }
}

void SkinFileWriter::AddImage(const std::string& name, const std::vector<std::uint8_t>& bmp) {
  AddRaw(name, static_cast<std::uint8_t>(SkinKind::Image), bmp);
}

void SkinFileWriter::AddInteger(const std::string& name, std::int32_t value) {
  std::vector<std::uint8_t> data;
  PutS32(data, value);
  AddRaw(name, static_cast<std::uint8_t>(SkinKind::Integer), data);
}

void SkinFileWriter::AddFlag(const std::string& name, bool value) {
  AddRaw(name, static_cast<std::uint8_t>(SkinKind::Flag), {static_cast<std::uint8_t>(value)});
}

void SkinFileWriter::AddRaw(const std::string& name, std::uint8_t kind,
                            const std::vector<std::uint8_t>& data) {
  entries_.push_back({name.substr(0, SkinNameSize), kind, data});
}

std::vector<std::uint8_t> SkinFileWriter::Bytes() const {
  std::vector<std::uint8_t> out(12, 0);  // the magic, zero-padded
  std::memcpy(out.data(), SkinMagic, sizeof SkinMagic - 1);
  PutS32(out, SkinHeaderSize);
  PutS32(out, SkinFormatNumber);
  PutS32(out, SkinHeaderSize);
  auto header = [&out](const std::string& name, std::uint8_t kind, std::int64_t offset,
                       std::int64_t length, std::int64_t next) {
    const std::size_t at = out.size();
    out.resize(at + SkinNameSize, 0);
    std::copy(name.begin(), name.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    out.push_back(kind);
    PutS32(out, offset);
    PutS32(out, length);
    PutS32(out, next);
  };
  for (const Entry& e : entries_) {
    const auto dataAt = static_cast<std::int64_t>(out.size() + SkinEntryHeaderSize);
    const auto length = static_cast<std::int64_t>(e.data.size());
    header(e.name, e.kind, dataAt, length, dataAt + length);
    out.insert(out.end(), e.data.begin(), e.data.end());
  }
  header("", static_cast<std::uint8_t>(SkinKind::Flag), 0, 0, 0);
  return out;
}

}  // namespace brevlo::skin
