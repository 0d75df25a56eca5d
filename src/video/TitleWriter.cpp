#include "video/TitleWriter.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "video/Mp4Info.h"

namespace brevlo::video {
namespace {

// A header this big belongs to a video of many hours; beyond it we copy byte for byte rather
// than hold it in memory.
constexpr std::uint64_t MaxMoovBytes = 64ull << 20;
constexpr int MaxTopBoxes = 4096;
constexpr int MaxDepth = 8;
constexpr std::uint64_t Max32 = 0xFFFFFFFFull;
constexpr std::uint64_t SectorBytes = 512;

constexpr std::array<std::uint8_t, 16> UsmtUuid = {0x55, 0x53, 0x4D, 0x54, 0x21, 0xD2, 0x4F, 0xCE,
                                                   0xBB, 0x88, 0x69, 0x5C, 0xFA, 0xC9, 0xC7, 0x40};
// Packed ISO 639 codes, as in every MP4 language field.
constexpr std::uint16_t LanguageEng = 0x15C7;
constexpr std::uint16_t LanguageUnd = 0x55C4;
// The entries of the PSP's metadata box, in the order its own files carry them.
constexpr std::uint32_t EntryTitle = 1;
constexpr std::uint32_t EntryDate = 3;
constexpr std::uint32_t EntryEncoder = 4;
constexpr std::uint32_t EntryFlags = 0x0B;
// The date the PSP's files carry when none is known.
constexpr const char* UnknownDate = "2006/04/01 11:11:11";

constexpr std::uint32_t Code(const char* c) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c[3]));
}

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] << 8 | p[1]);
}
std::uint32_t Get32(const std::uint8_t* p) {
  return Get16(p) << 16 | Get16(p + 2);
}
std::uint64_t Get64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(Get32(p)) << 32 | Get32(p + 4);
}
void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}
void Put64(Bytes& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v >> 32));
  Put32(out, static_cast<std::uint32_t>(v));
}

// UTF-16BE with its closing zero, as the PSP's entries hold text.
void PutUtf16(Bytes& out, const std::string& text) {
  for (std::uint32_t cp : CodePoints(text)) {
    if (cp >= 0x10000) {
      Put16(out, 0xD800 + ((cp - 0x10000) >> 10));
      Put16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      Put16(out, cp);
    }
  }
  Put16(out, 0);
}

// One entry of the PSP's metadata box: size, type, language, text encoding, text.
Bytes TextEntry(std::uint32_t type, std::uint16_t language, const std::string& text) {
  Bytes text16;
  PutUtf16(text16, text);
  Bytes entry;
  Put16(entry, static_cast<std::uint32_t>(10 + text16.size()));
  Put32(entry, type);
  Put16(entry, language);
  Put16(entry, 1);
  entry.insert(entry.end(), text16.begin(), text16.end());
  return entry;
}

Bytes FlagsEntry() {
  Bytes entry;
  Put16(entry, 12);
  Put32(entry, EntryFlags);
  Put16(entry, LanguageUnd);
  Put16(entry, 0);
  Put16(entry, 0x021C);
  return entry;
}

Bytes FreeBox(std::uint64_t size) {
  Bytes box;
  Put32(box, static_cast<std::uint32_t>(size));
  Put32(box, Code("free"));
  box.resize(static_cast<std::size_t>(size), 0);
  return box;
}

// A box of the header held in memory: the containers on the way to the chunk tables taken
// apart, the chunk tables read, everything else kept as its bytes.
struct Node {
  std::uint32_t type = 0;
  bool large = false;      // its size in the 64-bit form
  bool container = false;  // children, then tail
  std::vector<Node> children;
  Bytes tail;           // bytes after the last child, too few for a box
  bool chunks = false;  // a stco or co64 table
  bool wide = false;    // written as co64
  std::uint32_t versionFlags = 0;
  std::vector<std::uint64_t> offsets;
  Bytes raw;                 // a leaf: the whole box
  std::uint64_t offset = 0;  // from the start of the moov, as read
};

bool IsContainer(std::uint32_t type) {
  return type == Code("moov") || type == Code("trak") || type == Code("mdia") ||
         type == Code("minf") || type == Code("stbl");
}

bool ParseBox(const std::uint8_t* data, std::uint64_t room, int depth, Node& node,
              std::uint64_t& size);

bool ParseChildren(const std::uint8_t* data, std::uint64_t size, int depth, Node& node,
                   std::uint64_t base) {
  std::uint64_t at = 0;
  while (size - at >= 8) {
    Node child;
    child.offset = base + at;
    std::uint64_t childSize = 0;
    if (!ParseBox(data + at, size - at, depth + 1, child, childSize)) return false;
    node.children.push_back(std::move(child));
    at += childSize;
  }
  node.tail.assign(data + at, data + size);
  return true;
}

bool ParseBox(const std::uint8_t* data, std::uint64_t room, int depth, Node& node,
              std::uint64_t& size) {
  if (depth > MaxDepth || room < 8) return false;
  const std::uint32_t size32 = Get32(data);
  std::uint64_t header = 8;
  node.type = Get32(data + 4);
  if (size32 == 1) {
    if (room < 16) return false;
    node.large = true;
    header = 16;
    size = Get64(data + 8);
  } else {
    size = size32;  // 0, "up to the end", belongs to the file's last box, not inside a header
  }
  if (size < header || size > room) return false;
  const std::uint8_t* payload = data + header;
  const std::uint64_t payloadSize = size - header;
  if (IsContainer(node.type)) {
    node.container = true;
    return ParseChildren(payload, payloadSize, depth, node, node.offset + header);
  }
  if (node.type == Code("stco") || node.type == Code("co64")) {
    node.chunks = true;
    node.wide = node.type == Code("co64");
    const std::uint64_t width = node.wide ? 8 : 4;
    if (payloadSize < 8) return false;
    node.versionFlags = Get32(payload);
    const std::uint64_t count = Get32(payload + 4);
    if (payloadSize != 8 + count * width) return false;
    node.offsets.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint8_t* p = payload + 8 + i * width;
      node.offsets.push_back(node.wide ? Get64(p) : Get32(p));
    }
    return true;
  }
  node.raw.assign(data, data + size);
  return true;
}

std::uint64_t SizeOf(const Node& node) {
  if (node.chunks) return 16 + node.offsets.size() * (node.wide ? 8 : 4);
  if (!node.container) return node.raw.size();
  std::uint64_t size = node.tail.size();
  for (const Node& child : node.children) size += SizeOf(child);
  const bool large = node.large || size + 8 > Max32;
  return size + (large ? 16 : 8);
}

void Write(const Node& node, std::int64_t shift, Bytes& out) {
  if (node.chunks) {
    Put32(out, static_cast<std::uint32_t>(SizeOf(node)));
    Put32(out, node.wide ? Code("co64") : Code("stco"));
    Put32(out, node.versionFlags);
    Put32(out, static_cast<std::uint32_t>(node.offsets.size()));
    for (std::uint64_t offset : node.offsets) {
      const std::uint64_t moved = offset + static_cast<std::uint64_t>(shift);
      if (node.wide) {
        Put64(out, moved);
      } else {
        Put32(out, static_cast<std::uint32_t>(moved));
      }
    }
    return;
  }
  if (!node.container) {
    out.insert(out.end(), node.raw.begin(), node.raw.end());
    return;
  }
  const std::uint64_t size = SizeOf(node);
  if (size > Max32 || node.large) {
    Put32(out, 1);
    Put32(out, node.type);
    Put64(out, size);
  } else {
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, node.type);
  }
  for (const Node& child : node.children) Write(child, shift, out);
  out.insert(out.end(), node.tail.begin(), node.tail.end());
}

template <class Visit>
void ForEachNode(Node& node, Visit&& visit) {
  visit(node);
  for (Node& child : node.children) ForEachNode(child, visit);
}

// Where a leaf's payload starts: its size may be in the 64-bit form.
std::size_t LeafHeader(const Node& node) {
  return node.raw.size() >= 16 && Get32(node.raw.data()) == 1 ? 16 : 8;
}

bool IsUsmt(const Node& node) {
  const std::size_t header = LeafHeader(node);
  return node.type == Code("uuid") && node.raw.size() >= header + 16 &&
         std::equal(UsmtUuid.begin(), UsmtUuid.end(), node.raw.begin() + static_cast<long>(header));
}

// The PSP's metadata box taken apart: the boxes of its payload, the entries of its MTDT.
struct Usmt {
  Bytes before, after;  // the payload's other boxes, around the MTDT
  std::vector<Bytes> entries;
};

std::optional<Usmt> ParseUsmt(const Node& node) {
  const std::size_t start = LeafHeader(node) + 16;
  if (node.raw.size() < start) return std::nullopt;
  Usmt usmt;
  const std::uint8_t* data = node.raw.data() + start;
  const std::size_t size = node.raw.size() - start;
  bool found = false;
  for (std::size_t at = 0; at < size;) {
    if (size - at < 8) return std::nullopt;
    const std::uint32_t boxSize = Get32(data + at);
    if (boxSize < 8 || boxSize > size - at) return std::nullopt;
    Bytes& keep = found ? usmt.after : usmt.before;
    if (Get32(data + at + 4) == Code("MTDT") && !found) {
      found = true;
      if (boxSize < 10) return std::nullopt;
      const std::uint32_t count = Get16(data + at + 8);
      std::size_t e = at + 10;
      for (std::uint32_t i = 0; i < count && at + boxSize - e >= 10; ++i) {
        const std::uint32_t entrySize = Get16(data + e);
        if (entrySize < 10 || entrySize > at + boxSize - e) return std::nullopt;
        usmt.entries.emplace_back(data + e, data + e + entrySize);
        e += entrySize;
      }
    } else {
      keep.insert(keep.end(), data + at, data + at + boxSize);
    }
    at += boxSize;
  }
  if (!found) return std::nullopt;
  return usmt;
}

bool HasTitleEntry(const Usmt& usmt) {
  for (const Bytes& entry : usmt.entries) {
    if (Get32(entry.data() + 2) == EntryTitle && entry.size() >= 12 &&
        Get16(entry.data() + 10) != 0) {
      return true;
    }
  }
  return false;
}

// The box with title in place of its old one (empty: none), the other entries kept.
Bytes UsmtBox(const std::optional<Usmt>& old, const std::string& title,
              const std::string& encoder) {
  Usmt usmt;
  if (old) {
    usmt = *old;
    std::erase_if(usmt.entries, [](const Bytes& e) { return Get32(e.data() + 2) == EntryTitle; });
    if (!title.empty()) {
      auto at = std::find_if(usmt.entries.begin(), usmt.entries.end(),
                             [](const Bytes& e) { return Get32(e.data() + 2) == EntryDate; });
      usmt.entries.insert(at, TextEntry(EntryTitle, LanguageEng, title));
    }
  } else {
    usmt.entries.push_back(FlagsEntry());
    if (!encoder.empty()) usmt.entries.push_back(TextEntry(EntryEncoder, LanguageEng, encoder));
    usmt.entries.push_back(TextEntry(EntryTitle, LanguageEng, title));
    usmt.entries.push_back(TextEntry(EntryDate, LanguageUnd, UnknownDate));
  }
  Bytes mtdt;
  Put32(mtdt, 0);
  Put32(mtdt, Code("MTDT"));
  Put16(mtdt, static_cast<std::uint32_t>(usmt.entries.size()));
  for (const Bytes& entry : usmt.entries) mtdt.insert(mtdt.end(), entry.begin(), entry.end());
  const auto mtdtSize = static_cast<std::uint32_t>(mtdt.size());
  mtdt[0] = static_cast<std::uint8_t>(mtdtSize >> 24);
  mtdt[1] = static_cast<std::uint8_t>(mtdtSize >> 16);
  mtdt[2] = static_cast<std::uint8_t>(mtdtSize >> 8);
  mtdt[3] = static_cast<std::uint8_t>(mtdtSize);
  Bytes box;
  Put32(box, static_cast<std::uint32_t>(24 + usmt.before.size() + mtdt.size() + usmt.after.size()));
  Put32(box, Code("uuid"));
  box.insert(box.end(), UsmtUuid.begin(), UsmtUuid.end());
  box.insert(box.end(), usmt.before.begin(), usmt.before.end());
  box.insert(box.end(), mtdt.begin(), mtdt.end());
  box.insert(box.end(), usmt.after.begin(), usmt.after.end());
  return box;
}

struct TopBox {
  std::uint32_t type = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint64_t header = 8;
};

// A file whose header we understand in full: its one moov in memory, where the header and the
// room behind it lie, and whether the media follows them.
struct Layout {
  std::uint64_t fileSize = 0;
  std::uint64_t regionStart = 0;  // the moov
  std::uint64_t regionEnd = 0;    // after the moov and the free boxes right behind it
  bool mediaAfter = false;
  bool moovToEnd = false;           // its size written as 0
  std::optional<TopBox> roomAfter;  // a free box right behind the moov
  std::optional<platform::FileStamp> stamp;
  Node moov;
};

std::optional<std::vector<TopBox>> TopBoxes(platform::IFileReader& file) {
  std::vector<TopBox> boxes;
  const std::uint64_t size = file.Size();
  for (std::uint64_t at = 0; at < size;) {
    if (boxes.size() >= MaxTopBoxes || size - at < 8) return std::nullopt;
    std::uint8_t head[16] = {};
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(16, size - at));
    if (file.ReadAt(at, head, want) != want) return std::nullopt;
    TopBox box{Get32(head + 4), at, Get32(head)};
    if (box.size == 1) {
      if (want < 16) return std::nullopt;
      box.header = 16;
      box.size = Get64(head + 8);
      if (box.size < 16) return std::nullopt;
    } else if (box.size == 0) {
      box.size = size - at;
    } else if (box.size < 8) {
      return std::nullopt;
    }
    if (box.size > size - at) return std::nullopt;
    boxes.push_back(box);
    at += box.size;
  }
  return boxes;
}

std::optional<Node> ReadMoov(platform::IFileReader& file, const TopBox& moov, bool& moovToEnd) {
  if (moov.size > MaxMoovBytes) return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(moov.size));
  if (file.ReadAt(moov.offset, bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
  Node node;
  std::uint64_t size = 0;
  // A last box of size 0 reaches to the end of the file: it is written back with its size.
  if (Get32(bytes.data()) == 0) {
    moovToEnd = true;
    const auto real = static_cast<std::uint32_t>(moov.size);
    if (moov.size > Max32) return std::nullopt;
    bytes[0] = static_cast<std::uint8_t>(real >> 24);
    bytes[1] = static_cast<std::uint8_t>(real >> 16);
    bytes[2] = static_cast<std::uint8_t>(real >> 8);
    bytes[3] = static_cast<std::uint8_t>(real);
  }
  if (!ParseBox(bytes.data(), bytes.size(), 0, node, size) || size != moov.size) {
    return std::nullopt;
  }
  return node;
}

std::optional<Layout> ReadLayout(platform::IFileReader& file) {
  // Before the first read, so that a change while we read shows as one.
  const auto stamp = file.Stamp();
  if (!ReadMp4Details(file)) return std::nullopt;
  const auto boxes = TopBoxes(file);
  if (!boxes) return std::nullopt;
  std::optional<std::size_t> moovAt;
  for (std::size_t i = 0; i < boxes->size(); ++i) {
    const std::uint32_t type = (*boxes)[i].type;
    // Fragments and segment indexes point at the media by their own offsets.
    if (type == Code("moof") || type == Code("mfra") || type == Code("sidx")) return std::nullopt;
    if (type == Code("moov")) {
      if (moovAt) return std::nullopt;
      moovAt = i;
    }
  }
  if (!moovAt) return std::nullopt;
  Layout layout;
  layout.stamp = stamp;
  layout.fileSize = file.Size();
  const TopBox& moov = (*boxes)[*moovAt];
  layout.regionStart = moov.offset;
  layout.regionEnd = moov.offset + moov.size;
  for (std::size_t i = *moovAt + 1; i < boxes->size(); ++i) {
    if ((*boxes)[i].type != Code("free") && (*boxes)[i].type != Code("skip")) break;
    if (i == *moovAt + 1) layout.roomAfter = (*boxes)[i];
    layout.regionEnd += (*boxes)[i].size;
  }
  auto node = ReadMoov(file, moov, layout.moovToEnd);
  if (!node) return std::nullopt;
  layout.moov = std::move(*node);

  bool before = false, after = false, fragmented = false;
  ForEachNode(layout.moov, [&](Node& n) {
    if (n.type == Code("mvex")) fragmented = true;
    for (std::uint64_t offset : n.offsets) {
      if (offset >= layout.fileSize) fragmented = true;  // not a file we understand
      if (offset < layout.regionStart) {
        before = true;
      } else if (offset >= layout.regionEnd) {
        after = true;
      } else {
        fragmented = true;  // media inside the header
      }
    }
  });
  if (fragmented || (before && after)) return std::nullopt;
  layout.mediaAfter = after;
  if (after) {
    // Other boxes that point into the file by absolute offsets would need moving too.
    bool pointers = false;
    ForEachNode(layout.moov, [&](Node& n) {
      for (const char* code : {"saio", "iloc"}) {
        const std::uint32_t c = Code(code);
        const std::uint8_t pattern[4] = {
            static_cast<std::uint8_t>(c >> 24), static_cast<std::uint8_t>(c >> 16),
            static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)};
        if (n.type == c ||
            std::search(n.raw.begin(), n.raw.end(), pattern, pattern + 4) != n.raw.end()) {
          pointers = true;
        }
      }
    });
    if (pointers) return std::nullopt;
  }
  return layout;
}

// The moov with the new PSP box in place of the old one, or at its end.
bool PutTitle(Layout& layout, const std::string& title, const std::string& encoder,
              bool keepExisting, bool& unchanged) {
  unchanged = false;
  auto& children = layout.moov.children;
  const auto old = std::find_if(children.begin(), children.end(), IsUsmt);
  std::optional<Usmt> usmt;
  if (old != children.end()) {
    usmt = ParseUsmt(*old);
    if (!usmt) return false;
    if (keepExisting && HasTitleEntry(*usmt)) return false;
  }
  if (title.empty() && (!usmt || !HasTitleEntry(*usmt))) {
    unchanged = true;
    return true;
  }
  Node box;
  box.type = Code("uuid");
  box.raw = UsmtBox(usmt, title, encoder);
  // A second box, as older versions of ours could add, would hide the new title.
  const bool more =
      old != children.end() && std::find_if(old + 1, children.end(), IsUsmt) != children.end();
  if (old != children.end()) {
    if (box.raw == old->raw && !more) unchanged = true;
    *old = std::move(box);
    if (more) children.erase(std::remove_if(old + 1, children.end(), IsUsmt), children.end());
  } else {
    children.push_back(std::move(box));
  }
  return true;
}

// The header grown or shrunk as it must be, the chunk offsets behind it moved to match; a stco
// whose offsets would pass 4 GiB becomes a co64, which grows the header again.
Bytes NewHeader(Layout& layout, std::uint64_t room) {
  std::int64_t growth = 0;
  for (bool again = true; again;) {
    again = false;
    const std::uint64_t header = SizeOf(layout.moov) + room;
    growth = static_cast<std::int64_t>(header) -
             static_cast<std::int64_t>(layout.regionEnd - layout.regionStart);
    if (!layout.mediaAfter) break;
    ForEachNode(layout.moov, [&](Node& n) {
      if (!n.chunks || n.wide) return;
      for (std::uint64_t offset : n.offsets) {
        if (static_cast<std::int64_t>(offset) + growth > static_cast<std::int64_t>(Max32)) {
          n.wide = true;
          again = true;
          return;
        }
      }
    });
  }
  Bytes out;
  out.reserve(static_cast<std::size_t>(SizeOf(layout.moov) + room));
  Write(layout.moov, layout.mediaAfter ? growth : 0, out);
  if (room > 0) {
    const Bytes free = FreeBox(room);
    out.insert(out.end(), free.begin(), free.end());
  }
  return out;
}

platform::CopyPlan Rewrite(Layout& layout) {
  platform::CopyPlan plan;
  plan.source = layout.stamp;
  if (layout.regionStart > 0) plan.push_back(platform::PlanPiece::Source(0, layout.regionStart));
  plan.push_back(platform::PlanPiece::Memory(NewHeader(layout, TitleRoomBytes)));
  if (layout.regionEnd < layout.fileSize) {
    plan.push_back(
        platform::PlanPiece::Source(layout.regionEnd, layout.fileSize - layout.regionEnd));
  }
  return plan;
}

// A box of the moov, or the free box behind it, as it lies in the file.
struct Slot {
  std::uint64_t at = 0;
  std::uint64_t size = 0;
  std::uint64_t header = 8;
  bool inMoov = true;
};

bool OneSector(const PlacedBytes& write) {
  return write.offset / SectorBytes == (write.offset + write.bytes.size() - 1) / SectorBytes;
}

Bytes Field32(std::uint32_t v) {
  Bytes b;
  Put32(b, v);
  return b;
}

// The writes that put box into the first slot it fits, each leaving a file that reads: the
// old boxes become free ones (their title goes), the box is made ready as a free box's
// content, split off as a free box of its own size, taken into the moov when it lies behind
// it, and last given its type (the new title comes). A write into a free box's content changes
// nothing a reader sees however much of it lands; every other write is a few bytes in one
// sector, which a disk writes whole or not at all. Empty when no slot fits.
std::optional<std::vector<PlacedBytes>> InPlaceWrites(const Layout& layout,
                                                      const std::vector<Slot>& olds,
                                                      const std::vector<Slot>& frees,
                                                      const Bytes& box) {
  std::vector<Slot> slots = olds;
  slots.insert(slots.end(), frees.begin(), frees.end());
  if (layout.roomAfter && !layout.moovToEnd) {
    slots.push_back(
        {layout.roomAfter->offset, layout.roomAfter->size, layout.roomAfter->header, false});
  }
  const std::uint64_t u = box.size();
  const auto part = [&](std::size_t from, std::size_t to) {
    return Bytes(box.begin() + static_cast<long>(from), box.begin() + static_cast<long>(to));
  };
  for (const Slot& slot : slots) {
    if (slot.size != u && slot.size < u + 8) continue;
    std::vector<PlacedBytes> writes;
    std::vector<std::size_t> commits;
    const auto commit = [&](std::uint64_t at, Bytes bytes) {
      commits.push_back(writes.size());
      writes.push_back({at, std::move(bytes)});
    };
    const Bytes freeType = {'f', 'r', 'e', 'e'};
    for (const Slot& old : olds) commit(old.at + 4, freeType);
    if (slot.size > u) {
      Bytes rest = Field32(static_cast<std::uint32_t>(slot.size - u));
      rest.insert(rest.end(), freeType.begin(), freeType.end());
      if (slot.size - u > Max32) continue;
      writes.push_back({slot.at + u, std::move(rest)});
    }
    if (u > slot.header) writes.push_back({slot.at + slot.header, part(slot.header, u)});
    if (slot.header != 8 || slot.size != u) commit(slot.at, Field32(static_cast<std::uint32_t>(u)));
    if (slot.header > 8) writes.push_back({slot.at + 8, part(8, slot.header)});
    if (!slot.inMoov) {
      const std::uint64_t grown = slot.at + u - layout.regionStart;
      if (layout.moov.large) {
        Bytes size;
        Put64(size, grown);
        commit(layout.regionStart + 8, std::move(size));
      } else if (grown <= Max32) {
        commit(layout.regionStart, Field32(static_cast<std::uint32_t>(grown)));
      } else {
        continue;
      }
    }
    commit(slot.at + 4, part(4, 8));
    if (std::all_of(commits.begin(), commits.end(),
                    [&](std::size_t i) { return OneSector(writes[i]); })) {
      return writes;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string CutTitle(const std::string& utf8) {
  std::string out;
  std::size_t units = 0;
  for (std::uint32_t cp : CodePoints(utf8)) {
    units += cp >= 0x10000 ? 2 : 1;
    if (units > MaxTitleUnits) break;
    out += Utf8Of(cp);
  }
  return out;
}

std::string TitleForFileName(const std::string& fileName) {
  std::string name = fileName.substr(fileName.find_last_of("\\/") + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return CutTitle(name);
}

bool HasControlCharacters(const std::string& utf8) {
  for (std::uint32_t cp : CodePoints(utf8)) {
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0x2028 || cp == 0x2029) return true;
  }
  return false;
}

platform::CopyPlan PlanTitledCopy(platform::IFileReader& source, const std::string& title,
                                  const std::string& encoder) {
  if (title.empty()) return {};
  auto layout = ReadLayout(source);
  bool unchanged = false;
  if (!layout || !PutTitle(*layout, CutTitle(title), encoder, true, unchanged) || unchanged) {
    return {};
  }
  return Rewrite(*layout);
}

std::optional<TitleEdit> PlanTitleChange(platform::IFileReader& source, const std::string& title,
                                         const std::string& encoder) {
  auto layout = ReadLayout(source);
  if (!layout) return std::nullopt;
  // The places the new box may take, read before the title changes the moov in memory.
  std::vector<Slot> olds, frees;
  for (const Node& child : layout->moov.children) {
    const Slot slot{layout->regionStart + child.offset, child.raw.size(), LeafHeader(child)};
    if (IsUsmt(child)) olds.push_back(slot);
    if (!child.container && (child.type == Code("free") || child.type == Code("skip"))) {
      frees.push_back(slot);
    }
  }
  TitleEdit edit;
  edit.source = layout->stamp;
  if (!PutTitle(*layout, CutTitle(title), encoder, false, edit.unchanged)) return std::nullopt;
  if (edit.unchanged) return edit;
  const auto box = std::find_if(layout->moov.children.begin(), layout->moov.children.end(), IsUsmt);
  if (box != layout->moov.children.end()) {
    if (auto writes = InPlaceWrites(*layout, olds, frees, box->raw)) {
      edit.inPlace = true;
      edit.writes = std::move(*writes);
      return edit;
    }
  }
  edit.rewrite = Rewrite(*layout);
  return edit;
}

std::optional<std::vector<std::uint64_t>> ReadChunkOffsets(platform::IFileReader& file) {
  const auto boxes = TopBoxes(file);
  if (!boxes) return std::nullopt;
  for (const TopBox& box : *boxes) {
    if (box.type != Code("moov")) continue;
    bool toEnd = false;
    auto moov = ReadMoov(file, box, toEnd);
    if (!moov) return std::nullopt;
    std::vector<std::uint64_t> offsets;
    ForEachNode(
        *moov, [&](Node& n) { offsets.insert(offsets.end(), n.offsets.begin(), n.offsets.end()); });
    return offsets;
  }
  return std::nullopt;
}

}  // namespace brevlo::video
