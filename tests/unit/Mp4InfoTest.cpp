// The details of real videos made by ffmpeg, of cut and hostile copies of them, and the PSP's
// verdict on each.
#include "video/Mp4Info.h"

#include <gtest/gtest.h>

#include <functional>

#include "video/PspPlayability.h"
#include "platform/portable/PortablePlatform.h"
#include "support/TestVideos.h"

using namespace brevlo;
using namespace brevlo::video;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string DotSep = " \xC2\xB7 ";

// A file in memory, or one of gigabytes that is mostly a hole between its head and its tail.
class SparseFile : public platform::IFileReader {
 public:
  SparseFile(Bytes head, std::uint64_t size, Bytes tail)
      : head_(std::move(head)), size_(size), tail_(std::move(tail)) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    auto* bytes = static_cast<std::uint8_t*>(out);
    const std::uint64_t tailAt = size_ - tail_.size();
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t at = offset + i;
      if (at >= size_) return i;
      bytes[i] = at < head_.size() ? head_[at] : at >= tailAt ? tail_[at - tailAt] : 0;
    }
    read_ += count;
    return count;
  }
  std::uint64_t read_ = 0;

 private:
  Bytes head_;
  std::uint64_t size_;
  Bytes tail_;
};

std::optional<Mp4Details> Read(const Bytes& bytes) {
  SparseFile file(bytes, bytes.size(), {});
  return ReadMp4Details(file);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
// Where the first box of that type starts (its type's first appearance in the file).
std::size_t BoxAt(const Bytes& b, const char* type) {
  const std::string needle(type, 4);
  const auto it = std::search(b.begin(), b.end(), needle.begin(), needle.end());
  EXPECT_NE(it, b.end()) << type;
  return static_cast<std::size_t>(it - b.begin()) - 4;
}

TEST(Mp4InfoTest, RealVideosGiveTheirFactsAndVerdict) {
  struct Case {
    const char* file;
    VideoKind kind;
    const char* facts;  // up to the bit rate
    const char* title;
    double fps;
    const char* verdict;
  };
  const Case cases[] = {
      {"mpeg4-320x240.mp4", Mpeg4, "0:01 · 320 x 240 · MPEG-4 Simple 1 · AAC 44.1 kHz stereo", "",
       25, "Plays on the PSP"},
      {"mpeg4-320x240.mp4", Mpeg4Avc, "0:01 · 320 x 240 · MPEG-4 Simple 1", "", 25,
       "May not play on the PSP: MPEG-4 video, but Video Type is \"MPEG-4 AVC Video\""},
      {"avc-main-480x272-psp.mp4", Mpeg4Avc,
       "0:01 · 480 x 272 · H.264 Main 3.0 · AAC 48 kHz stereo", "Holiday in Ærø", 29.97,
       "Plays on the PSP"},
      {"avc-high-1280x720.mp4", Mpeg4Avc, "0:01 · 1280 x 720 · H.264 High 3.1 · AAC 48 kHz stereo",
       "Plain title", 25,
       "Will not play on the PSP: H.264 High is not Main or Baseline Profile; H.264 level 3.1 "
       "is above 3.0; 1280 x 720 is larger than 480 x 272"},
      {"avc-main-720x480.mp4", Mpeg4Avc, "0:01 · 720 x 480 · H.264 Main 3.0 · AAC 22.05 kHz mono",
       "", 25, "May not play on the PSP: 720 x 480 is larger than 480 x 272"},
  };
  platform::StdFileSystem fs;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto file = fs.OpenReader(brevlo::testing::TestVideoFolder() + c.file);
    ASSERT_NE(file, nullptr) << "made by tools/make-test-videos.sh at build time";
    Mp4ReadCost cost;
    const auto details = ReadMp4Details(*file, &cost);
    ASSERT_TRUE(details.has_value());
    // The header only: the media of even these small files is never read whole.
    EXPECT_LE(cost.reads, 4);
    const std::string facts = c.facts;  // the dots are the program's own (UTF-8)
    const std::string line = FactsLine(*details, '.');
    EXPECT_EQ(line.substr(0, facts.size()), facts);
    EXPECT_NE(line.find("kbit/s" + DotSep), std::string::npos) << line;
    EXPECT_EQ(details->title, c.title);
    EXPECT_NEAR(details->video->frameRate, c.fps, 0.01);
    EXPECT_EQ(VerdictText(JudgeForPsp(*details, c.kind)), c.verdict);
    const std::string tip = DetailsTip(details, c.kind, '.');
    EXPECT_EQ(tip, (*c.title ? std::string(c.title) + "\r\n" : "") + line + "\r\n" + c.verdict);
  }
}

TEST(Mp4InfoTest, CutAndHostileFilesGiveNoDetails) {
  const Bytes atEnd = brevlo::testing::ReadTestVideo("mpeg4-320x240.mp4");
  const Bytes atStart = brevlo::testing::ReadTestVideo("avc-high-1280x720.mp4");
  ASSERT_GT(atEnd.size(), 1000u);
  ASSERT_GT(atStart.size(), 1000u);
  ASSERT_LT(BoxAt(atStart, "moov"), BoxAt(atStart, "mdat"));
  struct Case {
    const char* name;
    const Bytes& base;
    std::function<void(Bytes&)> change;
  };
  const Case cases[] = {
      {"empty", atEnd, [](Bytes& b) { b.clear(); }},
      {"seven bytes", atEnd, [](Bytes& b) { b.resize(7); }},
      {"cut in the media", atStart, [](Bytes& b) { b.resize(b.size() / 2); }},
      {"cut in the header", atEnd, [](Bytes& b) { b.resize(b.size() - 100); }},
      {"cut in a box header", atEnd, [](Bytes& b) { b.resize(BoxAt(b, "moov") + 6); }},
      {"box shorter than its header", atEnd, [](Bytes& b) { Put32(b, 0, 4); }},
      {"64-bit size past the end", atEnd,
       [](Bytes& b) {
         Put32(b, 0, 1);
         Put32(b, 8, 0x7FFFFFFF);
       }},
      {"64-bit size shorter than its header", atEnd,
       [](Bytes& b) {
         Put32(b, 0, 1);
         Put32(b, 8, 0);
         Put32(b, 12, 8);
       }},
      {"media past the end", atStart,
       [](Bytes& b) { Put32(b, BoxAt(b, "mdat"), Get32(b, BoxAt(b, "mdat")) + 1); }},
      {"track past the end of the header", atStart,
       [](Bytes& b) { Put32(b, BoxAt(b, "trak"), Get32(b, BoxAt(b, "trak")) + 16); }},
      {"header without its movie header", atEnd, [](Bytes& b) { b[BoxAt(b, "mvhd") + 4] = 'x'; }},
      {"text", atEnd,
       [](Bytes& b) {
         const std::string text = "This is a letter, not a video.\n";
         b.assign(text.begin(), text.end());
       }},
      {"zeros", atEnd, [](Bytes& b) { b.assign(4096, 0); }},
  };
  for (const Case& c : cases) {
    Bytes bytes = c.base;
    c.change(bytes);
    const auto details = Read(bytes);
    EXPECT_FALSE(details.has_value()) << c.name;
    EXPECT_EQ(DetailsTip(details, Mpeg4, '.'), "No details: not a complete MP4 file") << c.name;
  }

  // What the format allows reads as before: a 64-bit size, a last box that runs to the end of
  // the file, padding after the last box.
  Bytes wide = atEnd;
  Put32(wide, 0, 1);
  wide.insert(wide.begin() + 8, 8, 0);
  Put32(wide, 12, Get32(atEnd, 0) + 8);
  Bytes open = atStart;
  Put32(open, BoxAt(open, "mdat"), 0);
  Bytes padded = atEnd;
  padded.insert(padded.end(), {0, 0, 0, 0});
  for (const Bytes* bytes : {&wide, &open, &padded}) {
    const auto details = Read(*bytes);
    ASSERT_TRUE(details.has_value());
    EXPECT_NE(details->video->width, 0u);
    EXPECT_EQ(details->fileSize, bytes->size());
  }
}

TEST(Mp4InfoTest, HeaderAtTheEndOfAHugeFileTakesAFewSmallReads) {
  const Bytes video = brevlo::testing::ReadTestVideo("mpeg4-320x240.mp4");
  const std::size_t moov = BoxAt(video, "moov");
  const std::uint64_t size = 5'000'000'000;
  // ftyp, then a 64-bit media box up to the header.
  Bytes head(video.begin(), video.begin() + Get32(video, 0));
  const std::uint64_t media = size - (video.size() - moov) - head.size();
  head.insert(head.end(), {0, 0, 0, 1, 'm', 'd', 'a', 't'});
  for (int shift = 56; shift >= 0; shift -= 8)
    head.push_back(static_cast<std::uint8_t>(media >> shift));
  SparseFile file(head, size,
                  Bytes(video.begin() + static_cast<std::ptrdiff_t>(moov), video.end()));
  Mp4ReadCost cost;
  const auto details = ReadMp4Details(file, &cost);
  ASSERT_TRUE(details.has_value());
  EXPECT_LE(cost.reads, 3);
  EXPECT_LE(file.read_, 64u * 1024);
  EXPECT_EQ(details->video->width, 320u);
  EXPECT_EQ(VerdictText(JudgeForPsp(*details, Mpeg4)),
            "Will not play on the PSP: 5 GB is more than a file on the PSP can hold (4 GB)");
}

}  // namespace
