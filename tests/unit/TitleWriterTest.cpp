// The PSP title written into copies of real videos made by ffmpeg: the copy plays the same
// frames, re-reads with the same facts and the title, and ffmpeg finds nothing wrong with it.
#include "video/TitleWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/CopyPlan.h"
#include "support/ScratchFolder.h"
#include "support/TestVideos.h"
#include "video/Mp4Info.h"

using namespace brevlo;
using namespace brevlo::video;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string Holiday = "Holiday in \xC3\x86r\xC3\xB8";

// Bytes in memory, or a head and a tail with a hole of zeros between them.
class MemoryFile : public platform::IFileReader {
 public:
  explicit MemoryFile(Bytes head, std::uint64_t hole = 0, Bytes tail = {})
      : head_(std::move(head)), hole_(hole), tail_(std::move(tail)) {}
  std::uint64_t Size() const override { return head_.size() + hole_ + tail_.size(); }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    auto* bytes = static_cast<std::uint8_t*>(out);
    const std::uint64_t tailAt = head_.size() + hole_;
    for (std::size_t i = 0; i < count; ++i, ++offset) {
      if (offset >= Size()) return i;
      bytes[i] = offset < head_.size() ? head_[offset]
                 : offset >= tailAt    ? tail_[offset - tailAt]
                                       : 0;
    }
    return count;
  }

 private:
  Bytes head_;
  std::uint64_t hole_;
  Bytes tail_;
};

// A planned copy as a file, read where asked.
class PlannedFile : public platform::IFileReader {
 public:
  PlannedFile(const platform::CopyPlan& plan, platform::IFileReader& source)
      : plan_(plan), source_(source) {}
  std::uint64_t Size() const override { return platform::PlanSize(plan_); }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    std::size_t done = 0;
    std::uint64_t at = 0;
    for (const auto& piece : plan_) {
      while (done < count && offset + done >= at && offset + done < at + piece.Size()) {
        const std::uint64_t inside = offset + done - at;
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(count - done, piece.Size() - inside));
        auto* dest = static_cast<std::uint8_t*>(out) + done;
        if (piece.fromSource) {
          source_.ReadAt(piece.sourceOffset + inside, dest, n);
        } else {
          std::copy_n(piece.bytes.begin() + static_cast<long>(inside), n, dest);
        }
        done += n;
      }
      at += piece.Size();
    }
    return done;
  }

 private:
  const platform::CopyPlan& plan_;
  platform::IFileReader& source_;
};

Bytes Materialize(const platform::CopyPlan& plan, platform::IFileReader& source) {
  Bytes out(static_cast<std::size_t>(platform::PlanSize(plan)));
  platform::PlanReader reader(plan, source);
  for (std::size_t at = 0;;) {
    const long long got = reader.Read(reinterpret_cast<char*>(out.data() + at), 3000);
    EXPECT_GE(got, 0);
    if (got <= 0) return out;
    at += static_cast<std::size_t>(got);
  }
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Each box of a path (containers walked, "trak" any of them) handed to change, which may
// replace it; the sizes of the boxes around it follow.
std::int64_t EditBoxes(Bytes& b, std::size_t begin, std::size_t end,
                       const std::vector<std::string>& path, std::size_t depth,
                       const std::function<Bytes(const Bytes&)>& change) {
  std::int64_t growth = 0;
  for (std::size_t at = begin; at + 8 <= end;) {
    const std::size_t size = Get32(b, at);
    if (std::string(b.begin() + static_cast<long>(at) + 4, b.begin() + static_cast<long>(at) + 8) ==
        path[depth]) {
      std::int64_t grew = 0;
      if (depth + 1 == path.size()) {
        const Bytes now = change(
            Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + size)));
        grew = static_cast<std::int64_t>(now.size()) - static_cast<std::int64_t>(size);
        b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + size));
        b.insert(b.begin() + static_cast<long>(at), now.begin(), now.end());
      } else {
        grew = EditBoxes(b, at + 8, at + size, path, depth + 1, change);
        Put32(b, at, static_cast<std::uint32_t>(static_cast<std::int64_t>(size) + grew));
      }
      growth += grew;
      end = static_cast<std::size_t>(static_cast<std::int64_t>(end) + grew);
      at = static_cast<std::size_t>(static_cast<std::int64_t>(at + size) + grew);
    } else {
      at += size;
    }
  }
  return growth;
}
const std::vector<std::string> StcoPath = {"moov", "trak", "mdia", "minf", "stbl", "stco"};

Bytes ToCo64(const Bytes& stco) {
  Bytes co64(stco.begin(), stco.begin() + 16);
  const std::uint32_t count = Get32(stco, 12);
  for (std::uint32_t i = 0; i < count; ++i) {
    co64.insert(co64.end(), 4, 0);
    co64.insert(co64.end(), stco.begin() + 16 + 4 * i, stco.begin() + 20 + 4 * i);
  }
  Put32(co64, 0, static_cast<std::uint32_t>(co64.size()));
  co64[7] = '4', co64[6] = '6', co64[5] = 'o', co64[4] = 'c';
  return co64;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string SaveAs(const brevlo::testing::ScratchFolder& scratch, const std::string& name,
                   const Bytes& bytes) {
  const auto path = (scratch.Path() / name).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string Frames(const std::string& path) {
  return Shell("ffmpeg -nostdin -v error -i '" + path + "' -map 0 -c copy -f framemd5 - 2>&1");
}

TEST(TitleWriterTest, CopiesOfRealVideosCarryTheTitleAndTheSameMedia) {
  struct Case {
    const char* name;
    const char* file;
    std::function<void(Bytes&)> change;  // the source made from the test video
    bool titled;
    std::string title;  // read back from the copy
  };
  const auto co64 = [](Bytes& b) { EditBoxes(b, 0, b.size(), StcoPath, 0, ToCo64); };
  const auto usmt64 = [](Bytes& b) {
    EditBoxes(b, 0, b.size(), {"moov", "uuid"}, 0, [](const Bytes& box) {
      Bytes large = {0, 0, 0, 1, 'u', 'u', 'i', 'd', 0, 0, 0, 0};
      large.resize(16);
      Put32(large, 12, Get32(box, 0) + 8);
      large.insert(large.end(), box.begin() + 8, box.end());
      return large;
    });
  };
  const Case cases[] = {
      {"MPEG-4 Visual, header at the end", "mpeg4-320x240.mp4", {}, true, Holiday},
      {"MPEG-4 Visual, header first, common title",
       "mpeg4-176x144-faststart.mp4",
       {},
       true,
       Holiday},
      {"H.264 High, header first, common title", "avc-high-1280x720.mp4", {}, true, Holiday},
      {"H.264 Main, header at the end", "avc-main-720x480.mp4", {}, true, Holiday},
      {"its chunk offsets in co64 tables", "avc-main-720x480.mp4", co64, true, Holiday},
      {"a PSP title already", "avc-main-480x272-psp.mp4", {}, false, Holiday},
      {"a PSP title already, its box's size in 64 bits", "avc-main-480x272-psp.mp4", usmt64, false,
       Holiday},
      {"fragmented", "avc-fragmented.mp4", {}, false, ""},
      {"not an MP4 file", "made", [](Bytes& b) { b.assign(5000, 'x'); }, false, ""},
  };
  brevlo::testing::ScratchFolder scratch;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = brevlo::testing::ReadTestVideo(c.file);
    if (c.change) c.change(bytes);
    MemoryFile source(bytes);
    const auto plan = PlanTitledCopy(source, Holiday, "Brevlo");
    ASSERT_EQ(!plan.empty(), c.titled);
    if (!c.titled) continue;
    const Bytes copy = Materialize(plan, source);
    MemoryFile written(copy);
    const auto before = ReadMp4Details(source);
    const auto after = ReadMp4Details(written);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->title, c.title);
    EXPECT_TRUE(after->pspTitle);
    EXPECT_EQ(after->seconds, before->seconds);
    EXPECT_EQ(after->video, before->video);
    EXPECT_EQ(after->sound, before->sound);
    // Every chunk lies where the copy's header says, with the source's bytes.
    const auto from = ReadChunkOffsets(source), to = ReadChunkOffsets(written);
    ASSERT_TRUE(from && to);
    ASSERT_EQ(from->size(), to->size());
    for (std::size_t i = 0; i < from->size(); ++i) {
      EXPECT_TRUE(std::equal(bytes.begin() + static_cast<long>((*from)[i]),
                             bytes.begin() + static_cast<long>((*from)[i]) + 8,
                             copy.begin() + static_cast<long>((*to)[i])));
    }
    const std::string src = SaveAs(scratch, "source.mp4", bytes);
    const std::string dst = SaveAs(scratch, "copy.mp4", copy);
    const std::string frames = Frames(src);
    EXPECT_NE(frames.find("#format: frame checksums"), std::string::npos) << frames;
    EXPECT_EQ(Frames(dst), frames);
    EXPECT_EQ(Shell("ffprobe -v error '" + dst + "' 2>&1"), "");
    // A shorter title takes the old one's place, a longer one the room the copy left, and an
    // empty one takes the title away.
    for (const std::string& again :
         {std::string("Another"), std::string(), std::string("Longer than the holiday was")}) {
      SCOPED_TRACE(again);
      MemoryFile titled(copy);
      const auto edit = PlanTitleChange(titled, again, "Brevlo");
      ASSERT_TRUE(edit && edit->inPlace);
      Bytes changed = copy;
      for (const PlacedBytes& write : edit->writes) {
        ASSERT_LE(write.offset + write.bytes.size(), changed.size());
        std::copy(write.bytes.begin(), write.bytes.end(),
                  changed.begin() + static_cast<long>(write.offset));
      }
      MemoryFile result(changed);
      const auto reread = ReadMp4Details(result);
      ASSERT_TRUE(reread);
      EXPECT_EQ(reread->pspTitle, !again.empty());
      if (!again.empty()) {
        EXPECT_EQ(reread->title, again);
      }
      EXPECT_EQ(Frames(SaveAs(scratch, "changed.mp4", changed)), frames);
    }
  }
}

TEST(TitleWriterTest, TheTitleBoxIsLaidOutAsThePspFormatWritesIt) {
  // ffmpeg's -f psp names itself in the box; given its name, ours must be the same bytes.
  const Bytes reference = brevlo::testing::ReadTestVideo("avc-main-480x272-psp.mp4");
  const std::string usmt = "USMT";
  // The tracks have boxes of their own; the title's is the header's last.
  const auto at = std::find_end(reference.begin(), reference.end(), usmt.begin(), usmt.end());
  ASSERT_NE(at, reference.end());
  const std::size_t box = static_cast<std::size_t>(at - reference.begin()) - 8;
  const Bytes expected(reference.begin() + static_cast<long>(box),
                       reference.begin() + static_cast<long>(box + Get32(reference, box)));
  // The second entry is the encoder's name: size, type 4, language, encoding, UTF-16 text.
  std::string encoder;
  for (std::size_t i = 56; expected[i] != 0 || expected[i + 1] != 0; i += 2)
    encoder += static_cast<char>(expected[i + 1]);
  EXPECT_EQ(encoder.substr(0, 4), "Lavf");
  MemoryFile source(brevlo::testing::ReadTestVideo("avc-main-720x480.mp4"));
  const Bytes copy = Materialize(PlanTitledCopy(source, Holiday, encoder), source);
  const auto found = std::search(copy.begin(), copy.end(), expected.begin(), expected.end());
  EXPECT_NE(found, copy.end());
}

TEST(TitleWriterTest, ChunkOffsetsThatWouldPass4GiBBecomeCo64) {
  // The high-definition video with its header first and a hole of nearly 4 GiB before its media.
  Bytes head = brevlo::testing::ReadTestVideo("avc-high-1280x720.mp4");
  const std::string mdat = "mdat";
  const std::size_t media =
      static_cast<std::size_t>(std::search(head.begin(), head.end(), mdat.begin(), mdat.end()) -
                               head.begin()) -
      4;
  const Bytes tail(head.begin() + static_cast<long>(media), head.end());
  head.resize(media);
  MemoryFile plain(brevlo::testing::ReadTestVideo("avc-high-1280x720.mp4"));
  const auto offsets = ReadChunkOffsets(plain);
  ASSERT_TRUE(offsets);
  const std::uint32_t hole =
      0xFFFFFFFFu - *std::max_element(offsets->begin(), offsets->end()) - 100;
  EditBoxes(head, 0, head.size(), StcoPath, 0, [&](const Bytes& stco) {
    Bytes moved = stco;
    for (std::size_t i = 16; i < moved.size(); i += 4) Put32(moved, i, Get32(moved, i) + hole);
    return moved;
  });
  head.insert(head.end(), {0, 0, 0, 0, 'j', 'u', 'n', 'k'});
  Put32(head, head.size() - 8, hole);
  MemoryFile source(head, hole - 8, tail);
  const auto plan = PlanTitledCopy(source, "Far", "Brevlo");
  ASSERT_FALSE(plan.empty());
  PlannedFile copy(plan, source);
  const auto moved = ReadChunkOffsets(copy);
  ASSERT_TRUE(moved);
  const std::uint64_t growth = platform::PlanSize(plan) - source.Size();
  for (std::size_t i = 0; i < offsets->size(); ++i) {
    EXPECT_EQ((*moved)[i], (*offsets)[i] + hole + growth);
  }
  EXPECT_GT(*std::max_element(moved->begin(), moved->end()), 0xFFFFFFFFull);
  const auto details = ReadMp4Details(copy);
  ASSERT_TRUE(details);
  EXPECT_EQ(details->title, "Far");
}

TEST(TitleWriterTest, TitlesFromFileNames) {
  const std::string long16(200, 'a');
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  EXPECT_EQ(TitleForFileName("C:\\Videos\\" + Holiday + ".mp4"), Holiday);
  EXPECT_EQ(TitleForFileName("a.b.mp4"), "a.b");
  EXPECT_EQ(TitleForFileName(long16 + ".mp4"), std::string(128, 'a'));
  EXPECT_EQ(TitleForFileName(std::string(127, 'a') + emoji + ".mp4"), std::string(127, 'a'));
  EXPECT_EQ(TitleForFileName(std::string(126, 'a') + emoji + ".mp4"),
            std::string(126, 'a') + emoji);
  EXPECT_TRUE(HasControlCharacters("a\tb"));
  EXPECT_FALSE(HasControlCharacters(Holiday));
}

}  // namespace
