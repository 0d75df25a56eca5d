// Filling a video list from real folders: names, sizes and the thumbnails the rows are shown with.
#include "library/VideoList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/portable/PortablePlatform.h"
#include "support/JpegWriter.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::library;
namespace fs = std::filesystem;

namespace {

class Scratch : public brevlo::testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("brevlo-list") {}
  std::string Dir(const std::string& name = "") const {
    return ScratchFolder::Dir(name).string() + "/";
  }
  void Put(const std::string& relative, std::size_t bytes) const {
    Write(relative, std::string(bytes, 'v'));
  }
  void Jpeg(const std::string& relative, std::uint8_t r, std::uint8_t g, std::uint8_t b,
            int w = 160, int h = 120) const {
    brevlo::testing::WriteBytes((Path() / relative).string(),
                                brevlo::testing::MakeJpeg(w, h, r, g, b));
  }
};

struct Row {
  std::string caption;
  std::string size;
  std::string thumbnail;
  std::uint64_t bytes = 0;
  std::uint64_t modified = 0;
};

class RecordingSink : public IVideoListSink {
 public:
  std::vector<Row> rows;
  int clears = 0;
  void Clear() override {
    ++clears;
    rows.clear();
  }
  void AddVideo(const ListedVideo& video, const std::string& sizeText) override {
    rows.push_back({video.name, sizeText, video.thumbnail, video.size, video.modified});
  }
};

class FillTest : public ::testing::Test {
 protected:
  Scratch scratch;
  std::string app = scratch.Dir("app");
  std::string videos = scratch.Dir("videos");
  platform::StdFileSystem fs;
  platform::PlainLocale locale;
  platform::CallbackPump pump;
  FillEnvironment env{fs, locale, pump, app, nullptr};
  RecordingSink sink;

  void SetUp() override { scratch.Jpeg("app/DefaultPreview.THM", 0, 255, 0); }
};

}  // namespace

TEST_F(FillTest, ListsVideosWithOwnOrDefaultThumbnailsAndSkipsOthers) {
  scratch.Put("videos/a.mp4", 1234567);
  scratch.Put("videos/a.thm", 300);  // the companion whatever its case, read when shown
  scratch.Put("videos/b.MP4", 2000000);
  scratch.Put("videos/c.avi", 10);
  scratch.Put("videos/.hidden.mp4", 10);
  scratch.Put("videos/clip.mp4v", 10);
  fs::create_directory(fs::path(videos) / "folder.mp4");

  const FillReport report = FillVideoList(videos, sink, env);
  EXPECT_TRUE(report.listed);
  ASSERT_EQ(report.rows, 2);
  ASSERT_EQ(sink.rows.size(), 2u);
  EXPECT_EQ(sink.rows[0].caption, "a.mp4");
  EXPECT_EQ(sink.rows[0].size, "1.234567");
  EXPECT_EQ(sink.rows[1].caption, "b.MP4");
  EXPECT_EQ(sink.rows[1].size, "2");
  EXPECT_EQ(sink.rows[0].thumbnail, "a.thm");
  EXPECT_EQ(sink.rows[1].thumbnail, "");  // the default stands in
  EXPECT_EQ(pump.calls, 2);               // once before each video
}

// With conversion on, the PC list takes the videos people have, in any case, each with its size,
// time and own thumbnail, if any (the others' pictures follow).
TEST_F(FillTest, OtherVideosWhenAskedAndTheRowsWithoutThumbnails) {
  const char* names[] = {"a.mp4",  "b.M4V", "c.mov",  "d.3gp",      "e.MKV",  "f.webm", "g.avi",
                         "h.wmv",  "i.asf", "j.flv",  "k.mpg",      "l.mpeg", "m.VOB",  "n.ts",
                         "o.m2ts", "p.mts", "p1.ogv", "p2.DivX",    "p3.f4v", "p4.dv",  "p5.MOD",
                         "p6.tod", "q.txt", "r.mp3",  "s.mkv.part", "ts"};
  for (const char* name : names) scratch.Put(std::string("videos/") + name, 10);
  scratch.Jpeg("videos/e.THM", 255, 0, 0);
  EXPECT_EQ(FillVideoList(videos, sink, env).rows, 1);  // ".mp4" only, as always
  env.otherVideos = true;
  const FillReport report = FillVideoList(videos, sink, env);
  ASSERT_EQ(report.rows, 22);
  EXPECT_EQ(sink.rows.back().caption, "p6.tod");
  int own = 0;
  for (const auto& row : sink.rows) own += !row.thumbnail.empty();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(sink.rows[4].thumbnail, "e.THM");
  EXPECT_EQ(sink.rows[5].caption, "f.webm");
  EXPECT_EQ(sink.rows[5].bytes, 10u);
  EXPECT_NE(sink.rows[5].modified, 0u);
}

TEST_F(FillTest, MissingFolderChangesNothing) {
  sink.rows.push_back({"old.mp4", "1", {}, 1, 0});
  int listed = 0;
  env.listed = [&] { ++listed; };
  const FillReport report = FillVideoList(videos + "nope", sink, env);
  EXPECT_FALSE(report.listed);
  EXPECT_EQ(sink.clears, 0);
  ASSERT_EQ(sink.rows.size(), 1u);
  EXPECT_FALSE(FillVideoList("", sink, env).listed);
  EXPECT_EQ(listed, 0);
}

TEST_F(FillTest, AnExistingFolderIsTakenBeforeTheFirstRow) {
  scratch.Put("videos/a.mp4", 1);
  scratch.Put("videos/b.mp4", 1);
  std::vector<std::string> events;
  env.listed = [&] { events.push_back("listed after " + std::to_string(sink.clears) + " clear"); };
  pump.onPump = [&] { events.push_back("pump"); };
  FillVideoList(videos, sink, env);
  const std::vector<std::string> want = {"listed after 1 clear", "pump", "pump"};
  EXPECT_EQ(events, want);
}

TEST_F(FillTest, FolderWithAndWithoutTrailingSeparatorListTheSame) {
  scratch.Put("videos/x.mp4", 5);
  const std::string bare = videos.substr(0, videos.size() - 1);
  EXPECT_EQ(FillVideoList(bare, sink, env).rows, 1);
  EXPECT_EQ(FillVideoList(bare + "\\", sink, env).rows, 1);
}

TEST_F(FillTest, OrderIgnoresCase) {
  for (const char* name : {"b.mp4", "A.mp4", "c.MP4", "a2.mp4"})
    scratch.Put(std::string("videos/") + name, 1);
  FillVideoList(videos, sink, env);
  ASSERT_EQ(sink.rows.size(), 4u);
  EXPECT_EQ(sink.rows[0].caption, "A.mp4");
  EXPECT_EQ(sink.rows[1].caption, "a2.mp4");
  EXPECT_EQ(sink.rows[2].caption, "b.mp4");
  EXPECT_EQ(sink.rows[3].caption, "c.MP4");
}

TEST_F(FillTest, WithoutAnyThumbnailTheVideoIsLeftOut) {
  fs::remove(fs::path(app) / "DefaultPreview.THM");
  scratch.Put("videos/a.mp4", 1);
  scratch.Jpeg("videos/a.THM", 0, 0, 255);
  scratch.Put("videos/b.mp4", 1);
  FillVideoList(videos, sink, env);
  ASSERT_EQ(sink.rows.size(), 1u);
  EXPECT_EQ(sink.rows[0].caption, "a.mp4");
}

TEST_F(FillTest, ReadOnlyVideoKeepsItsSize) {
  scratch.Put("videos/a.mp4", 3000000);
  fs::permissions(fs::path(videos) / "a.mp4", fs::perms::owner_read);
  FillVideoList(videos, sink, env);
  ASSERT_EQ(sink.rows.size(), 1u);
  EXPECT_EQ(sink.rows[0].size, "3");
}

TEST_F(FillTest, ANewerFillTakesOverHalfWay) {
  for (int i = 0; i < 5; ++i) scratch.Put("videos/v" + std::to_string(i) + ".mp4", 1);
  int calls = 0;
  env.superseded = [&] { return ++calls == 3; };
  const FillReport report = FillVideoList(videos, sink, env);
  EXPECT_TRUE(report.superseded);
  EXPECT_EQ(sink.rows.size(), 2u);
}

TEST(SizeText, ShortestGeneralFormInDecimalMegabytes) {
  EXPECT_EQ(FormatSizeMB(12345678, '.'), "12.345678");
  EXPECT_EQ(FormatSizeMB(2000000, '.'), "2");
  EXPECT_EQ(FormatSizeMB(1234567, '.'), "1.234567");
  EXPECT_EQ(FormatSizeMB(1234567, ','), "1,234567");
  EXPECT_EQ(FormatSizeMB(0, '.'), "0");
  EXPECT_EQ(FormatSizeMB(500000, '.'), "0.5");
  EXPECT_EQ(FormatSizeMB(10, '.'), "0.00001");
  EXPECT_EQ(FormatSizeMB(1, '.'), "1E-6");
  EXPECT_EQ(FormatSizeMB(4700000000ull, '.'), "4700");
  EXPECT_EQ(FormatSizeMB(123456789012345678ull, '.'), "123456789012.346");
}

TEST(SizeText, ReadsBackWhatItWrites) {
  for (std::uint64_t bytes : {0ull, 1ull, 10ull, 1234567ull, 2250000ull, 4700000000ull}) {
    EXPECT_DOUBLE_EQ(ParseSizeMB(FormatSizeMB(bytes, ','), ','), static_cast<double>(bytes) / 1e6);
  }
  EXPECT_EQ(ParseSizeMB("", '.'), 0.0);
  EXPECT_EQ(ParseSizeMB("garbage", '.'), 0.0);
}

TEST(SelectionText, TwoBlanksAfterSelectedAndNoneBeforeMB) {
  EXPECT_EQ(SelectionSummary(2, 3.75, '.'), "2 Selected.  3.75MB Total.");
  EXPECT_EQ(SelectionSummary(1, 1.234567, '.'), "1 Selected.  1.23MB Total.");
  EXPECT_EQ(SelectionSummary(3, 0.004, ','), "3 Selected.  0,00MB Total.");
  EXPECT_EQ(SelectionSummary(1, 1234.5, '.'), "1 Selected.  1234.50MB Total.");
}
