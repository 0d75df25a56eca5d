// PSP titles through the real file adapter: written on the way to the PSP, and changed later
// in place or by a whole new file that takes the old one's place.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "operations/TransferEngine.h"
#include "operations/VideoTitle.h"
#include "platform/portable/PortablePlatform.h"
#include "support/FakeTransferHost.h"
#include "support/ScratchFolder.h"
#include "support/TestVideos.h"
#include "video/Mp4Info.h"

using namespace brevlo;
using namespace brevlo::operations;
namespace fs = std::filesystem;

namespace {

const std::string Holiday = "Holiday in \xC3\x86r\xC3\xB8";

class Progress : public ITransferProgress {
 public:
  TransferStopFlag* stop = nullptr;
  int shown = 0;
  void ShowProgress(TransferStopFlag& flag) override { stop = &flag, ++shown; }
  void CloseProgress() override { stop = nullptr; }
  void SetSource(const std::string&) override {}
  void SetDestination(const std::string&) override {}
  void SetPosition(int) override {}
  void SetCopying(bool on) override { copying = on; }
  bool copying = false;
};

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A test video with a megabyte box of its own at the end: long enough a copy to be stopped.
std::vector<std::uint8_t> LongVideo(const char* name) {
  auto bytes = brevlo::testing::ReadTestVideo(name);
  const std::uint32_t pad = 1 << 20;
  bytes.insert(bytes.end(), {static_cast<std::uint8_t>(pad >> 24),
                             static_cast<std::uint8_t>(pad >> 16), 0, 0, 'j', 'u', 'n', 'k'});
  bytes.resize(bytes.size() + pad - 8, 0);
  return bytes;
}

// The real files, but one write (failAt, counted from 0) stops part-way: only its first keep
// sectors land, as on a memory stick pulled out while it writes. Something may happen to a
// source between its plan and its copy.
class StoppingFiles : public platform::StdFileSystem {
 public:
  std::function<void(const std::string&)> beforePlannedCopy;
  platform::CopyResult CopyPlanInSteps(const std::string& from, const std::string& to,
                                       const platform::CopyPlan& plan,
                                       const platform::CopyProgress& progress) override {
    if (beforePlannedCopy && !plan.empty()) beforePlannedCopy(from);
    return StdFileSystem::CopyPlanInSteps(from, to, plan, progress);
  }
  int failAt = -1;
  std::uint64_t keep = 0;
  int writes = 0;
  bool WriteAt(const std::string& path, std::uint64_t offset,
               const std::vector<std::uint8_t>& bytes) override {
    if (writes++ != failAt) return StdFileSystem::WriteAt(path, offset, bytes);
    const std::uint64_t edge = (offset / 512 + keep) * 512;
    const auto landed = static_cast<std::size_t>(
        std::min<std::uint64_t>(bytes.size(), edge > offset ? edge - offset : 0));
    if (landed > 0)
      StdFileSystem::WriteAt(path, offset,
                             {bytes.begin(), bytes.begin() + static_cast<long>(landed)});
    return false;
  }
};

class PspTitles : public ::testing::Test {
 protected:
  PspTitles() {
    files.MapDrive('C', pc.string());
    files.MapDrive('G', psp.string());
    host.folders.SetPcFolder("C:\\");
  }

  std::optional<video::Mp4Details> Details(const fs::path& file) {
    auto reader = files.OpenReader(file.string());
    return reader ? video::ReadMp4Details(*reader) : std::nullopt;
  }

  TitleOutcome SetTitle(const std::string& name, const std::string& title) {
    TitleEnvironment env{files, dialogs, pump, progress, "Brevlo"};
    return ChangeVideoTitle(env, "G:\\MP_ROOT\\100MNV01\\" + name, title);
  }

  brevlo::testing::ScratchFolder scratch{"brevlo-titles"};
  fs::path pc = scratch.Dir("pc");
  fs::path psp = scratch.Dir("psp");
  fs::path m4v = scratch.Dir("psp/MP_ROOT/100MNV01");
  StoppingFiles files;
  platform::ScriptedDialogs dialogs;
  platform::CallbackPump pump;
  Progress progress;
  brevlo::testing::FakeTransferHost host;
};

TEST_F(PspTitles, CopiesToThePspTakeTheirFileNamesAsTitlesUnlessTheyHaveOne) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "titles on" : "titles off");
    fs::remove_all(m4v);
    fs::create_directories(m4v);
    Write(pc / (Holiday + ".mp4"), brevlo::testing::ReadTestVideo("mpeg4-320x240.mp4"));
    Write(pc / "Lecture 3.mp4", brevlo::testing::ReadTestVideo("avc-main-480x272-psp.mp4"));
    std::ofstream(pc / "Notes.mp4") << "not a video";
    host.pc = {{Holiday + ".mp4", true}, {"Lecture 3.mp4", true}, {"Notes.mp4", true}};
    TransferEngine engine(
        TransferEnvironment{files, dialogs, pump, host, progress, "", on, "Brevlo"});
    engine.TransferVideos(1);
    const auto first = Details(m4v / "M4V00001.MP4");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->pspTitle, on);
    EXPECT_EQ(first->title, on ? Holiday : std::string());
    EXPECT_EQ(Read(m4v / "M4V00001.MP4") == Read(pc / (Holiday + ".mp4")), !on);
    // A title of its own is kept, and what is not a video goes as it is.
    EXPECT_TRUE(Read(m4v / "M4V00002.MP4") == Read(pc / "Lecture 3.mp4"));
    EXPECT_EQ(Read(m4v / "M4V00003.MP4"), "not a video");
  }
}

TEST_F(PspTitles, ASourceReplacedBetweenItsPlanAndItsCopyIsAFailedRowNeverACopy) {
  const auto original = brevlo::testing::ReadTestVideo("mpeg4-320x240.mp4");
  Write(pc / "Holiday.mp4", original);
  host.pc = {{"Holiday.mp4", true}};
  // Another file of the same size, a moment newer, takes its name.
  files.beforePlannedCopy = [&](const std::string&) {
    auto other = original;
    other[other.size() / 2] ^= 0xFF;
    Write(pc / "other.mp4", other);
    fs::last_write_time(pc / "other.mp4",
                        fs::last_write_time(pc / "Holiday.mp4") + std::chrono::seconds(2));
    fs::rename(pc / "other.mp4", pc / "Holiday.mp4");
  };
  TransferEngine engine(
      TransferEnvironment{files, dialogs, pump, host, progress, "", true, "Brevlo"});
  engine.TransferVideos(1);
  EXPECT_TRUE(fs::is_empty(m4v));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("\r\nHoliday.mp4: "), std::string::npos)
      << dialogs.shown[0].text;
}

TEST_F(PspTitles, StopDuringATitledCopyLeavesNothingOnThePsp) {
  Write(pc / "Long.mp4", LongVideo("avc-main-720x480.mp4"));
  host.pc = {{"Long.mp4", true}};
  // Stop pressed while the copy runs (one pressed before it lets the row finish).
  pump.onPump = [&] {
    if (progress.stop != nullptr && progress.copying) progress.stop->Stop();
  };
  TransferEngine engine(
      TransferEnvironment{files, dialogs, pump, host, progress, "", true, "Brevlo"});
  engine.TransferVideos(1);
  EXPECT_TRUE(fs::is_empty(m4v));
}

TEST_F(PspTitles, ATitleChangesInPlaceOrByAWholeNewFileNeverHalfWay) {
  // A file with no room behind its header, given a longer title than it had: written anew.
  Write(m4v / "M4V00001.MP4", brevlo::testing::ReadTestVideo("avc-main-480x272-psp.mp4"));
  EXPECT_EQ(SetTitle("M4V00001.MP4", "Birthday at the lake"), TitleOutcome::Changed);
  EXPECT_EQ(Details(m4v / "M4V00001.MP4")->title, "Birthday at the lake");
  EXPECT_EQ(progress.shown, 1);
  // Now it has room: a change is one write, the file keeps its size.
  const auto size = fs::file_size(m4v / "M4V00001.MP4");
  EXPECT_EQ(SetTitle("M4V00001.MP4", "Birthday party"), TitleOutcome::Changed);
  EXPECT_EQ(Details(m4v / "M4V00001.MP4")->title, "Birthday party");
  EXPECT_EQ(fs::file_size(m4v / "M4V00001.MP4"), size);
  EXPECT_EQ(SetTitle("M4V00001.MP4", ""), TitleOutcome::Changed);
  EXPECT_FALSE(Details(m4v / "M4V00001.MP4")->pspTitle);
  EXPECT_EQ(SetTitle("M4V00001.MP4", ""), TitleOutcome::Unchanged);
  EXPECT_EQ(progress.shown, 1);
  EXPECT_TRUE(dialogs.shown.empty());

  // Refused and failed changes say so and leave the file as it was.
  const std::string before = Read(m4v / "M4V00001.MP4");
  EXPECT_EQ(SetTitle("M4V00001.MP4", "Two\nlines"), TitleOutcome::Refused);
  std::ofstream(m4v / "M4V00002.MP4") << "not a video";
  EXPECT_EQ(SetTitle("M4V00002.MP4", "x"), TitleOutcome::Failed);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, TitleControlText);
  EXPECT_EQ(dialogs.shown[1].text, TitleUnknownText);
  EXPECT_TRUE(Read(m4v / "M4V00001.MP4") == before);

  // Stop while a long video is written anew: the old one stays whole, nothing is left beside.
  Write(m4v / "M4V00003.MP4", LongVideo("avc-main-480x272-psp.mp4"));
  const std::string old = Read(m4v / "M4V00003.MP4");
  pump.onPump = [&] {
    if (progress.stop != nullptr && progress.copying) progress.stop->Stop();
  };
  EXPECT_EQ(SetTitle("M4V00003.MP4", "A title longer than the old one"), TitleOutcome::Stopped);
  EXPECT_TRUE(Read(m4v / "M4V00003.MP4") == old);
  for (const auto& e : fs::directory_iterator(m4v)) {
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
  }
}

}  // namespace

namespace {

TEST_F(PspTitles, AChangeInPlaceStoppedPartWayLeavesAVideoThatReadsAndSaysSo) {
  const fs::path file = m4v / "M4V00001.MP4";
  Write(file, brevlo::testing::ReadTestVideo("avc-main-480x272-psp.mp4"));
  ASSERT_EQ(SetTitle("M4V00001.MP4", "Birthday at the seaside"), TitleOutcome::Changed);
  const std::string before = Read(file);
  const auto details = Details(file);
  // Shorter, longer than the room the old box leaves (so behind the header), and none.
  for (const std::string title : {"Birthday", "A birthday at the lake, with a cake", ""}) {
    int failAt = 0;
    for (bool done = false; !done; ++failAt) {
      for (const std::uint64_t keep : {0, 1, 2}) {
        SCOPED_TRACE(title + ": write " + std::to_string(failAt) + " stops after " +
                     std::to_string(keep) + " sectors");
        std::ofstream(file, std::ios::binary) << before;
        files.failAt = failAt, files.keep = keep, files.writes = 0;
        dialogs.shown.clear();
        const TitleOutcome outcome = SetTitle("M4V00001.MP4", title);
        files.failAt = -1;
        if (outcome == TitleOutcome::Changed) {
          done = true;  // every write went through
          break;
        }
        EXPECT_EQ(outcome, TitleOutcome::Failed);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_NE(dialogs.shown[0].text, TitleFailedText);  // not "as it was"
        EXPECT_EQ(dialogs.shown[0].text, TitleBrokenOffText);
        const auto now = Details(file);
        ASSERT_TRUE(now);
        EXPECT_TRUE(now->title == "Birthday at the seaside" || now->title == title ||
                    !now->pspTitle)
            << now->title;
        EXPECT_EQ(now->seconds, details->seconds);
        EXPECT_EQ(fs::file_size(file), before.size());
      }
    }
    EXPECT_GT(failAt, 2);  // in place, in several writes
    EXPECT_EQ(Details(file)->title, title);
  }
}

}  // namespace
