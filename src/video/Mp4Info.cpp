#include "video/Mp4Info.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace brevlo::video {
namespace {

// What one look at a file may cost. A header read at the end of a file of any size starts a
// block of its own; a "moov" up to WholeMoovBytes is read in one go, a bigger one box by box.
constexpr std::size_t HeadBytes = 16 * 1024;
constexpr std::size_t ChunkBytes = 4 * 1024;
constexpr std::uint64_t WholeMoovBytes = 256 * 1024;
constexpr int MaxReads = 64;
constexpr std::uint64_t MaxBytesRead = 512 * 1024;
constexpr std::size_t MaxBlocks = 6;
// Small boxes read whole to be taken apart in memory (sample descriptions, titles).
constexpr std::uint64_t MaxSmallBox = 64 * 1024;
constexpr int MaxBoxes = 4096;
constexpr int MaxDepth = 8;
constexpr std::size_t MaxTitleBytes = 256;
// Reads spent on the boxes around "moov" once it is found: enough for the usual layouts, and a
// fragmented file with a box pair every few seconds does not use up the budget.
constexpr int TopLevelReads = 8;

constexpr std::uint32_t Code(const char* c) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[3]));
}
constexpr std::uint32_t NameCode = 0xA96E616Du;  // "\xA9nam"
// The user type of the "uuid" box that holds the titles the PSP shows.
constexpr std::array<std::uint8_t, 16> PspMetaUuid = {
    0x55, 0x53, 0x4D, 0x54, 0x21, 0xD2, 0x4F, 0xCE, 0xBB, 0x88, 0x69, 0x5C, 0xFA, 0xC9, 0xC7, 0x40};

// A bounds-checked view of bytes in memory: reads past its end give zero.
struct Span {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  bool Has(std::size_t at, std::size_t count) const { return at <= size && count <= size - at; }
  std::uint32_t U8(std::size_t at) const { return Has(at, 1) ? data[at] : 0; }
  std::uint32_t U16(std::size_t at) const { return Has(at, 2) ? U8(at) << 8 | U8(at + 1) : 0; }
  std::uint32_t U32(std::size_t at) const { return Has(at, 4) ? U16(at) << 16 | U16(at + 2) : 0; }
  std::uint64_t U64(std::size_t at) const {
    return Has(at, 8) ? static_cast<std::uint64_t>(U32(at)) << 32 | U32(at + 4) : 0;
  }
  Span Sub(std::size_t at, std::size_t count) const {
    if (at > size) return {};
    return {data + at, std::min(count, size - at)};
  }
  Span From(std::size_t at) const { return Sub(at, size); }
};

struct Box {
  std::uint32_t type = 0;
  std::uint64_t offset = 0;  // from the start of what it lies in
  std::uint64_t header = 0;
  std::uint64_t size = 0;
  std::uint64_t PayloadOffset() const { return offset + header; }
  std::uint64_t PayloadSize() const { return size - header; }
  std::uint64_t End() const { return offset + size; }
};

enum class Header { Ok, End, Bad };

// A box header from its first bytes (up to 16 of them in head); room is what its parent has
// left from where the box starts. Fewer than 8 bytes left are padding, not a box.
Header ParseHeader(Span head, std::uint64_t offset, std::uint64_t room, Box& box) {
  if (room < 8) return Header::End;
  if (!head.Has(0, 8)) return Header::Bad;
  box = {};
  box.offset = offset;
  box.type = head.U32(4);
  box.header = 8;
  const std::uint32_t size32 = head.U32(0);
  if (size32 == 1) {
    if (room < 16 || !head.Has(8, 8)) return Header::Bad;
    box.header = 16;
    box.size = head.U64(8);
  } else if (size32 == 0) {
    box.size = room;  // up to the end of what holds it
  } else {
    box.size = size32;
  }
  if (box.size < box.header || box.size > room) return Header::Bad;
  return Header::Ok;
}

// Boxes one after the other in [begin, end) of what bytes.Read reads from, memory or file;
// false at the first that does not fit, and when the walk grows past what any real file needs.
template <class Bytes, class Visit>
bool WalkBoxes(Bytes& bytes, std::uint64_t begin, std::uint64_t end, int& budget, Visit&& visit) {
  std::uint64_t at = begin;
  while (budget-- > 0 && at <= end) {
    std::uint8_t head[16] = {};
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(16, end - at));
    if (want >= 8 && !bytes.Read(at, want, head)) return false;
    Box box;
    switch (ParseHeader(Span{head, want}, at, end - at, box)) {
      case Header::End:
        return true;
      case Header::Bad:
        return false;
      case Header::Ok:
        break;
    }
    if (!visit(box)) return false;
    at = box.End();
  }
  return false;
}

// Bytes already in memory, read as the walker reads a file.
struct MemoryBytes {
  Span span;
  bool Read(std::uint64_t at, std::size_t count, std::uint8_t* out) const {
    if (!span.Has(static_cast<std::size_t>(at), count)) return false;
    std::memcpy(out, span.data + at, count);
    return true;
  }
};

// The boxes of a span, each with its payload; a walk of its own, with a budget of its own.
template <class Visit>
bool ForEachBox(Span bytes, Visit&& visit) {
  MemoryBytes memory{bytes};
  int budget = MaxBoxes;
  return WalkBoxes(memory, 0, bytes.size, budget, [&](const Box& box) {
    return visit(box.type, bytes.Sub(static_cast<std::size_t>(box.PayloadOffset()),
                                     static_cast<std::size_t>(box.PayloadSize())));
  });
}

// The file through a few cached blocks, within the budget of one look.
class Source {
 public:
  explicit Source(platform::IFileReader& file) : file_(file), size_(file.Size()) {}
  std::uint64_t Size() const { return size_; }
  Mp4ReadCost cost;

  // Keeps [offset, offset + count) in memory for the reads that follow.
  bool Load(std::uint64_t offset, std::uint64_t count) {
    if (count > size_ || offset > size_ - count) return false;
    if (Find(offset, count) != nullptr) return true;
    if (cost.reads >= MaxReads || count > MaxBytesRead - cost.bytes) return false;
    Block block{offset, std::vector<std::uint8_t>(static_cast<std::size_t>(count))};
    ++cost.reads;
    cost.bytes += count;
    if (file_.ReadAt(offset, block.bytes.data(), block.bytes.size()) != block.bytes.size()) {
      return false;
    }
    if (blocks_.size() >= MaxBlocks) blocks_.erase(blocks_.begin());
    blocks_.push_back(std::move(block));
    return true;
  }

  // count bytes at offset: from a block when one holds them, else one read of a chunk.
  bool Read(std::uint64_t offset, std::size_t count, std::uint8_t* out) {
    if (count > size_ || offset > size_ - count) return false;
    const Block* block = Find(offset, count);
    if (block == nullptr) {
      const std::uint64_t chunk =
          std::min<std::uint64_t>(std::max(count, ChunkBytes), size_ - offset);
      if (!Load(offset, chunk)) return false;
      block = &blocks_.back();
    }
    std::memcpy(out, block->bytes.data() + (offset - block->offset), count);
    return true;
  }

  bool ReadVector(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t>& out) {
    if (count > MaxSmallBox) return false;
    out.resize(static_cast<std::size_t>(count));
    return count == 0 || Read(offset, out.size(), out.data());
  }

 private:
  struct Block {
    std::uint64_t offset;
    std::vector<std::uint8_t> bytes;
  };
  const Block* Find(std::uint64_t offset, std::uint64_t count) const {
    for (const Block& b : blocks_) {
      if (offset >= b.offset && offset - b.offset <= b.bytes.size() &&
          count <= b.bytes.size() - (offset - b.offset)) {
        return &b;
      }
    }
    return nullptr;
  }

  platform::IFileReader& file_;
  std::uint64_t size_;
  std::vector<Block> blocks_;
};

// One line of text fit for a tip: control characters become spaces, the ends are trimmed and
// a long title is cut at a character's edge.
std::string TidyTitle(const std::vector<std::uint32_t>& codePoints) {
  std::string out;
  for (std::uint32_t cp : codePoints) {
    if (cp == 0) break;
    if (cp < 0x20 || cp == 0x7F) cp = ' ';
    const std::string piece = Utf8Of(cp);
    if (out.size() + piece.size() > MaxTitleBytes) break;
    out += piece;
  }
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string TitleFromUtf16(Span text) {
  std::vector<std::uint32_t> cps;
  for (std::size_t i = 0; text.Has(i, 2); i += 2) {
    std::uint32_t u = text.U16(i);
    if (u >= 0xD800 && u < 0xDC00 && text.Has(i + 2, 2) && text.U16(i + 2) >= 0xDC00 &&
        text.U16(i + 2) < 0xE000) {
      u = 0x10000 + ((u - 0xD800) << 10) + (text.U16(i + 2) - 0xDC00);
      i += 2;
    } else if (u >= 0xD800 && u < 0xE000) {
      u = 0xFFFD;
    }
    cps.push_back(u);
  }
  return TidyTitle(cps);
}

std::string TitleFromUtf8(Span text) {
  if (text.size == 0) return {};
  return TidyTitle(CodePoints(std::string(reinterpret_cast<const char*>(text.data), text.size)));
}

// The PSP's own metadata: a "MTDT" box of entries (size, type, language, encoding, text);
// type 1 is the title, in UTF-16.
std::string PspTitle(Span uuidPayload) {
  std::string title;
  ForEachBox(uuidPayload.From(16), [&](std::uint32_t type, Span payload) {
    if (type != Code("MTDT")) return true;
    const std::uint32_t count = payload.U16(0);
    std::size_t at = 2;
    for (std::uint32_t i = 0; i < count && payload.Has(at, 10); ++i) {
      const std::uint32_t size = payload.U16(at);
      if (size < 10 || !payload.Has(at, size)) break;
      if (payload.U32(at + 2) == 1 && title.empty()) {
        title = TitleFromUtf16(payload.Sub(at + 10, size - 10));
      }
      at += size;
    }
    return true;
  });
  return title;
}

// "\xA9nam" in an item list ("data" box: type, locale, text) or in the older user data form
// (length, language, text).
std::string NameTitle(Span payload) {
  std::string title;
  if (payload.U32(4) == Code("data")) {
    ForEachBox(payload, [&](std::uint32_t type, Span data) {
      if (type == Code("data") && title.empty() && data.U32(0) == 1) {
        title = TitleFromUtf8(data.From(8));
      }
      return true;
    });
    return title;
  }
  return TitleFromUtf8(payload.Sub(4, payload.U16(0)));
}

std::string UserDataTitle(Span udta);

// "meta" is a full box in MP4 files and a plain one in QuickTime files.
std::string MetaTitle(Span meta) {
  const Span children = meta.U32(4) == Code("hdlr") ? meta : meta.From(4);
  std::string title;
  ForEachBox(children, [&](std::uint32_t type, Span payload) {
    if (type == Code("ilst")) {
      ForEachBox(payload, [&](std::uint32_t item, Span value) {
        if (item == NameCode && title.empty()) title = NameTitle(value);
        return true;
      });
    }
    return true;
  });
  return title;
}

std::string UserDataTitle(Span udta) {
  std::string title;
  ForEachBox(udta, [&](std::uint32_t type, Span payload) {
    if (title.empty() && type == NameCode) title = NameTitle(payload);
    if (title.empty() && type == Code("meta")) title = MetaTitle(payload);
    return true;
  });
  return title;
}

// MPEG-4 descriptors: a tag, then a length in up to four 7-bit groups.
bool NextDescriptor(Span bytes, std::size_t& at, std::uint32_t& tag, Span& body) {
  if (!bytes.Has(at, 2)) return false;
  tag = bytes.U8(at++);
  std::size_t length = 0;
  for (int i = 0; i < 4; ++i) {
    if (!bytes.Has(at, 1)) return false;
    const std::uint32_t b = bytes.U8(at++);
    length = length << 7 | (b & 0x7F);
    if ((b & 0x80) == 0) break;
  }
  if (!bytes.Has(at, length)) return false;
  body = bytes.Sub(at, length);
  at += length;
  return true;
}

struct DecoderConfig {
  std::uint32_t objectType = 0;  // 0x20 MPEG-4 Visual, 0x40 MPEG-4 Audio, ...
  Span specific;
};

// The elementary stream descriptor of an "esds" box: its decoder's object type and set-up.
std::optional<DecoderConfig> ReadEsds(Span esds) {
  std::size_t at = 4;  // version and flags
  std::uint32_t tag = 0;
  Span es;
  if (!NextDescriptor(esds, at, tag, es) || tag != 0x03) return std::nullopt;
  std::size_t pos = 3;  // ES_ID, flags
  const std::uint32_t flags = es.U8(2);
  if ((flags & 0x80) != 0) pos += 2;
  if ((flags & 0x40) != 0) pos += 1 + es.U8(pos);
  if ((flags & 0x20) != 0) pos += 2;
  Span config;
  while (NextDescriptor(es, pos, tag, config)) {
    if (tag != 0x04) continue;
    DecoderConfig result;
    result.objectType = config.U8(0);
    std::size_t inner = 13;
    Span specific;
    while (NextDescriptor(config, inner, tag, specific)) {
      if (tag == 0x05) result.specific = specific;
    }
    return result;
  }
  return std::nullopt;
}

class BitReader {
 public:
  explicit BitReader(Span bytes) : bytes_(bytes) {}
  std::uint32_t Take(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit_) {
      if (!bytes_.Has(bit_ / 8, 1)) {
        ok_ = false;
        return 0;
      }
      value = value << 1 | (bytes_.U8(bit_ / 8) >> (7 - bit_ % 8) & 1);
    }
    return value;
  }
  bool Ok() const { return ok_; }

 private:
  Span bytes_;
  std::size_t bit_ = 0;
  bool ok_ = true;
};

constexpr std::uint32_t AacRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                      22050, 16000, 12000, 11025, 8000,  7350};

std::uint32_t AacRate(BitReader& bits) {
  const std::uint32_t index = bits.Take(4);
  if (index == 15) return bits.Take(24);
  return index < std::size(AacRates) ? AacRates[index] : 0;
}

std::string AacName(std::uint32_t type) {
  switch (type) {
    case 1:
      return "AAC Main";
    case 2:
      return "AAC";
    case 3:
      return "AAC SSR";
    case 4:
      return "AAC LTP";
    case 5:
      return "HE-AAC";
    case 29:
      return "HE-AAC v2";
    default:
      return "AAC (type " + std::to_string(type) + ")";
  }
}

// Codecs an "esds" box names by object type that we only name.
std::string ObjectTypeName(std::uint32_t type) {
  static constexpr struct {
    std::uint32_t first, last;
    const char* name;
  } Names[] = {{0x60, 0x65, "MPEG-2"}, {0x6A, 0x6A, "MPEG-1"}, {0x6C, 0x6C, "JPEG"},
               {0x69, 0x69, "MP3"},    {0x6B, 0x6B, "MP3"},    {0xA5, 0xA5, "AC-3"},
               {0xA6, 0xA6, "E-AC-3"}};
  for (const auto& n : Names) {
    if (type >= n.first && type <= n.last) return n.name;
  }
  return "MPEG-4 system type " + std::to_string(type);
}

// The AudioSpecificConfig of AAC: object type, sample rate, channels; the rate heard after
// spectral band replication for HE-AAC.
void ReadAacConfig(Span config, SoundFacts& sound) {
  BitReader bits(config);
  std::uint32_t type = bits.Take(5);
  if (type == 31) type = 32 + bits.Take(6);
  std::uint32_t rate = AacRate(bits);
  const std::uint32_t layout = bits.Take(4);
  if (type == 5 || type == 29) rate = AacRate(bits);
  if (!bits.Ok() || type == 0) return;
  sound.aacObjectType = static_cast<int>(type);
  if (rate != 0) sound.sampleRate = rate;
  static constexpr int Channels[] = {0, 1, 2, 3, 4, 5, 6, 8};
  if (layout > 0 && layout < std::size(Channels)) sound.channels = Channels[layout];
  if (type == 29 && sound.channels == 1) sound.channels = 2;  // parametric stereo
  sound.format = AacName(type);
}

// The profile_and_level_indication of an MPEG-4 Visual stream, when its set-up has one; else
// the object type of its video object layer.
void ReadMpeg4VisualConfig(Span config, VideoFacts& video) {
  for (std::size_t i = 0; config.Has(i, 5); ++i) {
    if (config.U8(i) != 0 || config.U8(i + 1) != 0 || config.U8(i + 2) != 1) continue;
    const std::uint32_t code = config.U8(i + 3);
    const std::uint32_t next = config.U8(i + 4);
    if (code == 0xB0 && next != 0 && next < 0xFE) {
      const std::uint32_t profile = next >> 4, level = next & 0x0F;
      if (next == 0x08 || next == 0x09 || (profile == 0 && level >= 1 && level <= 6)) {
        video.profile = "Simple";
        video.mpeg4Simple = true;
        video.level = next == 0x08   ? "0"
                      : next == 0x09 ? "0b"
                      : level == 4   ? "4a"
                                     : std::to_string(level);
      } else if (profile == 0xF && (level <= 5 || level == 7)) {
        video.profile = "Advanced Simple";
        video.level = level == 7 ? "3b" : std::to_string(level);
      } else if (profile == 0xF && level >= 8) {
        video.profile = "Fine Granularity Scalable";
        video.level = std::to_string(level - 8);
      } else {
        static constexpr struct {
          std::uint32_t code;
          const char* name;
        } Names[] = {{0x1, "Simple Scalable"},
                     {0x2, "Core"},
                     {0x3, "Main"},
                     {0x4, "N-bit"},
                     {0x9, "Advanced Real Time Simple"},
                     {0xA, "Core Scalable"},
                     {0xB, "Advanced Coding Efficiency"},
                     {0xC, "Advanced Core"}};
        video.profile = "profile " + std::to_string(next);
        for (const auto& n : Names) {
          if (n.code == profile) video.profile = n.name;
        }
        video.level = std::to_string(level);
      }
      return;
    }
    if (code >= 0x20 && code <= 0x2F) {
      const std::uint32_t type = (next & 0x7F) << 1 | config.U8(i + 5) >> 7;
      if (type == 1) {
        video.profile = "Simple";
        video.mpeg4Simple = true;
      } else if (type == 17) {
        video.profile = "Advanced Simple";
      } else if (type != 0) {
        video.profile = "object type " + std::to_string(type);
      }
      return;
    }
  }
}

void ReadAvcConfig(Span avcc, VideoFacts& video) {
  if (!avcc.Has(0, 4) || avcc.U8(0) != 1) return;
  const int profile = static_cast<int>(avcc.U8(1));
  const std::uint32_t constraints = avcc.U8(2);
  int level = static_cast<int>(avcc.U8(3));
  if (level == 11 && (constraints & 0x10) != 0 &&
      (profile == 66 || profile == 77 || profile == 88)) {
    level = 9;
  }
  video.h264Profile = profile;
  video.h264Level = level;
  static constexpr struct {
    int idc;
    const char* name;
  } Names[] = {{66, "Baseline"}, {77, "Main"},        {88, "Extended"},    {100, "High"},
               {110, "High 10"}, {122, "High 4:2:2"}, {244, "High 4:4:4"}, {44, "CAVLC 4:4:4"}};
  video.profile = "profile " + std::to_string(profile);
  for (const auto& n : Names) {
    if (n.idc == profile) video.profile = n.name;
  }
  video.level = level == 9 ? "1b" : std::to_string(level / 10) + "." + std::to_string(level % 10);
}

std::string FourCcText(std::uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>(code >> shift & 0xFF);
    if (c < 0x20 || c > 0x7E) return "unknown";
    text += c;
  }
  return "\"" + text + "\"";
}

struct CodeName {
  const char* code;
  const char* name;
};

const char* NameOf(std::uint32_t code, std::initializer_list<CodeName> names) {
  for (const CodeName& n : names) {
    if (Code(n.code) == code) return n.name;
  }
  return nullptr;
}

void ReadVideoEntry(std::uint32_t format, Span entry, VideoFacts& video) {
  video.width = entry.U16(24);
  video.height = entry.U16(26);
  const char* name = NameOf(format, {{"avc1", "H.264"},
                                     {"avc2", "H.264"},
                                     {"avc3", "H.264"},
                                     {"avc4", "H.264"},
                                     {"mp4v", "MPEG-4"},
                                     {"hvc1", "HEVC"},
                                     {"hev1", "HEVC"},
                                     {"av01", "AV1"},
                                     {"vp08", "VP8"},
                                     {"vp09", "VP9"},
                                     {"s263", "H.263"},
                                     {"h263", "H.263"},
                                     {"jpeg", "Motion JPEG"},
                                     {"mjpa", "Motion JPEG"},
                                     {"mjpb", "Motion JPEG"},
                                     {"encv", "encrypted video"}});
  video.format = name != nullptr ? name : FourCcText(format);
  if (video.format == "H.264") video.codec = VideoCodec::H264;
  ForEachBox(entry.From(78), [&](std::uint32_t type, Span payload) {
    if (type == Code("avcC") && video.codec == VideoCodec::H264) ReadAvcConfig(payload, video);
    if (type == Code("esds") && format == Code("mp4v")) {
      const auto config = ReadEsds(payload);
      if (!config) return true;
      switch (config->objectType) {
        case 0x20:
          video.codec = VideoCodec::Mpeg4Visual;
          ReadMpeg4VisualConfig(config->specific, video);
          break;
        case 0x21:
          video.codec = VideoCodec::H264;
          video.format = "H.264";
          break;
        default:
          video.format = ObjectTypeName(config->objectType);
          break;
      }
    }
    return true;
  });
}

void ReadSoundEntry(std::uint32_t format, Span entry, SoundFacts& sound) {
  // Version 1 and 2 of the QuickTime sound description add fields before the boxes.
  const std::uint32_t version = entry.U16(8);
  std::size_t boxes = 28;
  sound.channels = static_cast<int>(entry.U16(16));
  sound.sampleRate = entry.U32(24) >> 16;
  if (version == 1) {
    boxes += 16;
  } else if (version == 2) {
    boxes += 36;
    double rate = 0;
    const std::uint64_t bits = entry.U64(32);
    std::memcpy(&rate, &bits, sizeof rate);
    sound.sampleRate = rate > 0 && rate < 1e7 ? static_cast<std::uint32_t>(rate) : 0;
    sound.channels = static_cast<int>(entry.U32(40) & 0xFFFF);
  }
  const char* name = NameOf(format, {{"ac-3", "AC-3"},
                                     {"ec-3", "E-AC-3"},
                                     {".mp3", "MP3"},
                                     {"alac", "ALAC"},
                                     {"samr", "AMR"},
                                     {"sawb", "AMR-WB"},
                                     {"Opus", "Opus"},
                                     {"fLaC", "FLAC"},
                                     {"sowt", "PCM"},
                                     {"twos", "PCM"},
                                     {"lpcm", "PCM"},
                                     {"in24", "PCM"},
                                     {"fl32", "PCM"},
                                     {"mp4a", "MPEG-4 audio"},
                                     {"enca", "encrypted sound"}});
  sound.format = name != nullptr ? name : FourCcText(format);
  if (format != Code("mp4a")) return;
  const auto take = [&](std::uint32_t type, Span payload, const auto& self) -> bool {
    // A QuickTime file keeps it one box deeper, in "wave".
    if (type == Code("wave")) {
      ForEachBox(payload, [&](std::uint32_t inner, Span box) { return self(inner, box, self); });
      return true;
    }
    if (type != Code("esds")) return true;
    const auto config = ReadEsds(payload);
    if (!config) return true;
    switch (config->objectType) {
      case 0x40:
        sound.codec = SoundCodec::Aac;
        sound.format = "AAC";
        ReadAacConfig(config->specific, sound);
        break;
      case 0x66:
      case 0x67:
      case 0x68:
        // MPEG-2 AAC: the object type tells the profile.
        sound.codec = SoundCodec::Aac;
        sound.aacObjectType = static_cast<int>(config->objectType) - 0x65;
        sound.format = AacName(static_cast<std::uint32_t>(sound.aacObjectType));
        break;
      default:
        sound.format = ObjectTypeName(config->objectType);
        break;
    }
    return true;
  };
  ForEachBox(entry.From(boxes),
             [&](std::uint32_t type, Span payload) { return take(type, payload, take); });
}

struct Track {
  std::uint32_t handler = 0;
  std::uint32_t timescale = 0;
  std::uint64_t duration = 0;
  std::uint64_t samples = 0;
  std::vector<std::uint8_t> description;  // the first sample entry
  std::uint32_t format = 0;
};

// mvhd and mdhd share their start: version, flags, two times, time scale, duration.
void ReadTimes(Span payload, std::uint32_t& timescale, std::uint64_t& duration) {
  if (payload.U8(0) == 1) {
    timescale = payload.U32(20);
    duration = payload.U64(24);
  } else {
    timescale = payload.U32(12);
    duration = payload.U32(16);
    if (duration == 0xFFFFFFFFu) duration = 0;
  }
  if (duration == ~std::uint64_t{0}) duration = 0;
}

class MoovReader {
 public:
  MoovReader(Source& source, Mp4Details& details) : source_(source), details_(details) {}

  bool Read(const Box& moov) {
    std::uint32_t timescale = 0;
    std::uint64_t duration = 0;
    bool header = false;
    double longestTrack = 0;
    const bool ok = Children(moov, 1, [&](const Box& box) {
      std::vector<std::uint8_t> bytes;
      if (box.type == Code("mvhd")) {
        if (!Small(box, bytes, 32)) return false;
        ReadTimes(Span{bytes.data(), bytes.size()}, timescale, duration);
        header = timescale != 0;
      } else if (box.type == Code("trak")) {
        Track track;
        if (!ReadTrak(box, track)) return false;
        if (track.timescale != 0) {
          longestTrack =
              std::max(longestTrack, static_cast<double>(track.duration) / track.timescale);
        }
        Take(track);
      } else if (box.type == Code("mvex")) {
        return Children(box, 2, [&](const Box& child) {
          if (child.type != Code("mehd")) return true;
          if (!Small(child, bytes, 12)) return false;
          const Span span{bytes.data(), bytes.size()};
          fragments_ = span.U8(0) == 1 ? span.U64(4) : span.U32(4);
          return true;
        });
      } else if (box.type == Code("uuid") || box.type == Code("udta") || box.type == Code("meta")) {
        if (box.PayloadSize() > MaxSmallBox) return true;  // too big for a title: not one
        if (!Small(box, bytes, MaxSmallBox)) return false;
        const Span span{bytes.data(), bytes.size()};
        if (box.type == Code("uuid")) {
          if (span.Has(0, 16) &&
              std::equal(PspMetaUuid.begin(), PspMetaUuid.end(), bytes.begin())) {
            if (pspTitle_.empty()) pspTitle_ = PspTitle(span);
          }
        } else if (nameTitle_.empty()) {
          nameTitle_ = box.type == Code("udta") ? UserDataTitle(span) : MetaTitle(span);
        }
      }
      return true;
    });
    if (!ok || !header) return false;
    if (duration == 0 && fragments_ != 0) duration = fragments_;
    details_.seconds = static_cast<double>(duration) / timescale;
    if (details_.seconds == 0) details_.seconds = longestTrack;
    details_.title = !pspTitle_.empty() ? pspTitle_ : nameTitle_;
    details_.pspTitle = !pspTitle_.empty();
    return true;
  }

 private:
  template <class Visit>
  bool Children(const Box& parent, int depth, Visit&& visit) {
    if (depth > MaxDepth) return false;
    return WalkBoxes(source_, parent.PayloadOffset(), parent.End(), budget_, visit);
  }

  // The first bytes of a box's payload, up to limit.
  bool Small(const Box& box, std::vector<std::uint8_t>& out, std::uint64_t limit) {
    return source_.ReadVector(box.PayloadOffset(), std::min(box.PayloadSize(), limit), out);
  }

  bool ReadTrak(const Box& trak, Track& track) {
    return Children(trak, 2, [&](const Box& mdia) {
      if (mdia.type != Code("mdia")) return true;
      return Children(mdia, 3, [&](const Box& box) {
        std::vector<std::uint8_t> bytes;
        if (box.type == Code("mdhd")) {
          if (!Small(box, bytes, 32)) return false;
          ReadTimes(Span{bytes.data(), bytes.size()}, track.timescale, track.duration);
        } else if (box.type == Code("hdlr")) {
          if (!Small(box, bytes, 12)) return false;
          track.handler = Span{bytes.data(), bytes.size()}.U32(8);
        } else if (box.type == Code("minf")) {
          return Children(box, 4, [&](const Box& stbl) {
            return stbl.type != Code("stbl") || ReadStbl(stbl, track);
          });
        }
        return true;
      });
    });
  }

  bool ReadStbl(const Box& stbl, Track& track) {
    return Children(stbl, 5, [&](const Box& box) {
      std::vector<std::uint8_t> bytes;
      if (box.type == Code("stsd")) {
        if (!Small(box, bytes, MaxSmallBox)) return false;
        const Span span{bytes.data(), bytes.size()};
        Box entry;
        if (span.U32(4) == 0 ||
            ParseHeader(span.Sub(8, 16), 0, span.size - std::min<std::size_t>(8, span.size),
                        entry) != Header::Ok) {
          return true;  // a description cut by our limit or empty: the track stays unknown
        }
        track.format = entry.type;
        const Span body = span.Sub(8 + static_cast<std::size_t>(entry.header),
                                   static_cast<std::size_t>(entry.PayloadSize()));
        track.description.assign(body.data, body.data + body.size);
      } else if (box.type == Code("stsz") || box.type == Code("stz2")) {
        if (!Small(box, bytes, 12)) return false;
        track.samples = Span{bytes.data(), bytes.size()}.U32(8);
      }
      return true;
    });
  }

  void Take(const Track& track) {
    const Span entry{track.description.data(), track.description.size()};
    if (track.format == 0) return;
    if (track.handler == Code("vide") && !details_.video) {
      VideoFacts video;
      ReadVideoEntry(track.format, entry, video);
      if (track.duration != 0 && track.timescale != 0) {
        video.frameRate = static_cast<double>(track.samples) * track.timescale /
                          static_cast<double>(track.duration);
      }
      details_.video = video;
    } else if (track.handler == Code("soun") && !details_.sound) {
      SoundFacts sound;
      ReadSoundEntry(track.format, entry, sound);
      details_.sound = sound;
    }
  }

  Source& source_;
  Mp4Details& details_;
  int budget_ = MaxBoxes;
  std::uint64_t fragments_ = 0;
  std::string pspTitle_;
  std::string nameTitle_;
};

}  // namespace

std::optional<Mp4Details> ReadMp4Details(platform::IFileReader& file, Mp4ReadCost* cost) {
  Source source(file);
  Mp4Details details;
  details.fileSize = source.Size();
  auto done = [&](bool ok) -> std::optional<Mp4Details> {
    if (cost != nullptr) *cost = source.cost;
    if (!ok) return std::nullopt;
    return details;
  };
  if (source.Size() < 8 || !source.Load(0, std::min<std::uint64_t>(source.Size(), HeadBytes))) {
    return done(false);
  }
  // Every box of the file must fit in it: one that runs past the end means a cut file.
  std::optional<Box> moov;
  bool enough = false;
  int budget = MaxBoxes;
  const bool fits = WalkBoxes(source, 0, source.Size(), budget, [&](const Box& box) {
    if (box.type == Code("moov") && !moov) moov = box;
    enough = moov && source.cost.reads >= TopLevelReads;
    return !enough;
  });
  if (!(fits || enough) || !moov) return done(false);
  if (moov->size <= WholeMoovBytes && !source.Load(moov->offset, moov->size)) return done(false);
  return done(MoovReader(source, details).Read(*moov));
}

std::string Utf8Of(std::uint32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Code points of UTF-8 text; a byte that starts no character stands for U+FFFD.
std::vector<std::uint32_t> CodePoints(const std::string& text) {
  std::vector<std::uint32_t> out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint32_t b = s[i];
    const int extra = b < 0x80             ? 0
                      : (b & 0xE0) == 0xC0 ? 1
                      : (b & 0xF0) == 0xE0 ? 2
                      : (b & 0xF8) == 0xF0 ? 3
                                           : -1;
    std::uint32_t cp = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < n;
    for (int k = 1; ok && k <= extra; ++k) {
      const std::uint32_t c = s[i + static_cast<std::size_t>(k)];
      ok = (c & 0xC0) == 0x80;
      cp = cp << 6 | (c & 0x3F);
    }
    static constexpr std::uint32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < Least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace brevlo::video
