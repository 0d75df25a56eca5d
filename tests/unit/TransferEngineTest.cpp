// The transfer engine over real folders: names, companions, questions, Stop, the three ends, and
// copies that fail, come out short or meet a full disk.
#include "operations/TransferEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "library/PspNaming.h"
#include "operations/MakeThumbnails.h"
#include "platform/portable/PortablePlatform.h"
#include "support/FakeTransferHost.h"
#include "support/ScratchFolder.h"

using namespace brevlo;
using namespace brevlo::operations;
namespace fs = std::filesystem;
using platform::Answer;

namespace {

class Scratch : public brevlo::testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("brevlo-xfer") {}
};

void Put(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// Copies that fail, come out short, or stop when a byte budget (a small disk) is used up;
// sizes that can be made to look larger than they are.
class FaultyFileSystem : public platform::StdFileSystem {
 public:
  std::set<std::string> failCopyFrom;      // Windows source paths whose copy fails half-way
  std::set<std::string> truncateCopyFrom;  // copied short, yet reported as done
  std::optional<std::uint64_t> budget;     // bytes left on the destination side
  std::map<std::string, std::uint64_t> fakeSize;
  std::vector<std::string> copiesFrom;
  std::set<std::string> failDelete;  // write-protected or locked: deletion refused

  bool refuseReplace = false;            // the old file held open by another program
  std::uint64_t freeBytes = 1ull << 30;  // what the PSP seems to have left

  std::optional<std::uint64_t> FreeBytes(const std::string&) override { return freeBytes; }
  bool WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    if (!budget || bytes.size() <= *budget) return StdFileSystem::WriteNew(path, bytes);
    StdFileSystem::WriteNew(path, {bytes.begin(), bytes.begin() + static_cast<long>(*budget)});
    return false;
  }

  bool Delete(const std::string& path) override {
    return failDelete.count(path) == 0 && StdFileSystem::Delete(path);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return !refuseReplace && StdFileSystem::Replace(from, to);
  }

  std::optional<std::uint64_t> FileSize(const std::string& path) override {
    const auto fake = fakeSize.find(path);
    if (fake != fakeSize.end()) return fake->second;
    return StdFileSystem::FileSize(path);
  }

  bool inSteps = false;  // videos in the adapter's real steps, without faults

  // Videos go in steps; the faults reach them through Copy, in one step.
  platform::CopyResult CopyInSteps(const std::string& from, const std::string& to,
                                   const platform::CopyProgress& progress) override {
    if (inSteps) return StdFileSystem::CopyInSteps(from, to, progress);
    return Copy(from, to) ? platform::CopyResult::Done : platform::CopyResult::Failed;
  }

  bool Copy(const std::string& from, const std::string& to) override {
    copiesFrom.push_back(from);
    const std::string content = Read(Host(from));
    if (failCopyFrom.count(from) != 0) return WritePart(to, content, content.size() / 2, false);
    if (truncateCopyFrom.count(from) != 0) {
      return WritePart(to, content, content.size() / 2, true);
    }
    if (budget) {
      if (content.size() > *budget) return WritePart(to, content, *budget, false);
      *budget -= content.size();
    }
    return StdFileSystem::Copy(from, to);
  }

 private:
  bool WritePart(const std::string& to, const std::string& content, std::size_t bytes,
                 bool result) {
    Put(Host(to), content.substr(0, bytes));
    if (budget) *budget -= std::min<std::uint64_t>(*budget, bytes);
    return result;
  }
};

using Row = brevlo::testing::FakeTransferHost::Row;

class Log {
 public:
  std::vector<std::string> events;
  void Add(const std::string& e) { events.push_back(e); }
};

class FakeProgress : public ITransferProgress {
 public:
  explicit FakeProgress(Log& log) : log_(log) {}
  TransferStopFlag* stop = nullptr;
  bool visible = false;
  std::vector<int> positions;
  std::vector<std::string> sources;
  std::vector<std::string> destinations;

  void ShowProgress(TransferStopFlag& flag) override {
    stop = &flag;
    visible = true;
    log_.Add("show");
  }
  void CloseProgress() override {
    visible = false;
    log_.Add("close");
  }
  void SetSource(const std::string& path) override { sources.push_back(path); }
  void SetDestination(const std::string& path) override { destinations.push_back(path); }
  void SetPosition(int percent) override {
    positions.push_back(percent);
    log_.Add("bar " + std::to_string(percent));
  }
  // What the Stop button does.
  void PressStop() {
    stop->Stop();
    CloseProgress();
  }

 private:
  Log& log_;
};

class FakeHost : public brevlo::testing::FakeTransferHost {
 public:
  explicit FakeHost(Log& log) {
    onRefreshPc = [&log] { log.Add("refresh pc"); };
    onRefreshPsp = [&log] { log.Add("refresh psp"); };
  }
};

class LoggingDialogs : public platform::ScriptedDialogs {
 public:
  explicit LoggingDialogs(Log& log) : log_(log) {}
  Answer Show(const std::string& text, const std::string& caption, unsigned flags) override {
    log_.Add("box " + caption);
    return ScriptedDialogs::Show(text, caption, flags);
  }

 private:
  Log& log_;
};

class TransferTest : public ::testing::Test {
 protected:
  TransferTest() {
    fs.MapDrive('C', pcRoot.string());
    fs.MapDrive('G', pspRoot.string());
    fs.MapDrive('A', appRoot.string());
    Put(appRoot / "DefaultPreview.THM", "default thumbnail");
    host.folders.SetPcFolder("C:\\Videos");
  }

  // A PC video with the given content, listed in the PC list; a companion when thumb is given.
  void PcVideo(const std::string& name, const std::string& content, const std::string& thumb = "",
               bool selected = false) {
    Put(pcDir / name, content);
    if (!thumb.empty()) Put(pcDir / (library::WithoutExtension(name) + ".THM"), thumb);
    host.pc.push_back({name, selected});
  }
  void PspVideo(const std::string& name, const std::string& content,
                const std::string& thumb = "thumb of " + std::string("psp"),
                bool selected = false) {
    Put(m4vDir / name, content);
    if (!thumb.empty()) Put(m4vDir / (library::WithoutExtension(name) + ".THM"), thumb);
    host.psp.push_back({name, selected});
  }

  TransferReport Run(int mode) {
    TransferEngine engine(TransferEnvironment{fs, dialogs, pump, host, progress, "A:\\"});
    return engine.TransferVideos(mode);
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> captions;
    for (const auto& s : dialogs.shown) captions.push_back(s.caption);
    return captions;
  }

  Scratch scratch;
  fs::path pcRoot = scratch.Dir("pc");
  fs::path pcDir = scratch.Dir("pc/Videos");
  fs::path pspRoot = scratch.Dir("psp");
  fs::path m4vDir = scratch.Dir("psp/MP_ROOT/100MNV01");
  fs::path maqDir = scratch.Dir("psp/MP_ROOT/101ANV01");
  fs::path appRoot = scratch.Dir("app");
  FaultyFileSystem fs;
  Log log;
  LoggingDialogs dialogs{log};
  platform::CallbackPump pump;
  FakeProgress progress{log};
  FakeHost host{log};
};

TEST_F(TransferTest, CopyToPspNamesInListOrderAcrossOneTransferWithCompanions) {
  PspVideo("M4V00001.MP4", "old");
  PcVideo("b.mp4", "video b", "thumb b");
  PcVideo("a.mp4", "video a");
  PcVideo("c.MP4", "video c", "thumb c");

  const TransferReport report = Run(CopyToPsp);

  // Nothing was selected, so everything was, in list order.
  for (const auto& r : host.pc) EXPECT_TRUE(r.selected);
  EXPECT_EQ(Read(m4vDir / "M4V00002.MP4"), "video b");
  EXPECT_EQ(Read(m4vDir / "M4V00002.THM"), "thumb b");
  EXPECT_EQ(Read(m4vDir / "M4V00003.MP4"), "video a");
  EXPECT_EQ(Read(m4vDir / "M4V00003.THM"), "default thumbnail");
  EXPECT_EQ(Read(m4vDir / "M4V00004.MP4"), "video c");
  EXPECT_EQ(Read(m4vDir / "M4V00004.THM"), "thumb c");
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "old");
  // A copy keeps its sources, and no temporary file stays behind.
  EXPECT_EQ(Names(pcDir), (std::set<std::string>{"a.mp4", "b.THM", "b.mp4", "c.MP4", "c.THM"}));
  EXPECT_EQ(Names(m4vDir).size(), 8u);
  EXPECT_EQ(report.end, TransferEnd::Completed);
  EXPECT_EQ(progress.sources, (std::vector<std::string>{"C:\\Videos\\b.mp4", "C:\\Videos\\a.mp4",
                                                        "C:\\Videos\\c.MP4"}));
  EXPECT_EQ(progress.destinations[0], "G:\\MP_ROOT\\100MNV01\\M4V00002.MP4");
  EXPECT_EQ(pump.calls, 3);
  // The folder state is normalised and stays so.
  EXPECT_EQ(host.folders.PcFolder(), "C:\\Videos\\");
  EXPECT_EQ(host.folders.PspFolder(), "G:\\MP_ROOT\\100MNV01\\");
  EXPECT_EQ(log.events, (std::vector<std::string>{"show", "bar 33", "bar 67", "bar 100",
                                                  "refresh pc", "refresh psp", "close",
                                                  "box Mission Accomplished", "bar 0"}));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "The transfer is completed.");
  EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | platform::MbIconInformation);
}

TEST_F(TransferTest, KindChoosesFolderAndPrefixAndOnlySelectedRowsGo) {
  host.kind = 1;
  PspVideo("M4V00001.MP4", "mpeg-4");
  PcVideo("a.mp4", "a", "", true);
  PcVideo("b.mp4", "b");
  PcVideo("c.mp4", "c", "", true);
  Run(CopyToPsp);
  EXPECT_EQ(host.folders.PspKindFolder(), "MP_ROOT\\101ANV01\\");
  EXPECT_EQ(host.folders.PspFolder(), "G:\\MP_ROOT\\101ANV01\\");
  EXPECT_EQ(Names(maqDir), (std::set<std::string>{"MAQ00001.MP4", "MAQ00001.THM", "MAQ00002.MP4",
                                                  "MAQ00002.THM"}));
  EXPECT_EQ(Read(maqDir / "MAQ00002.MP4"), "c");
  EXPECT_FALSE(host.pc[1].selected);

  // An index outside the box leaves the kind folder as it was.
  host.kind = -1;
  host.folders.SetKind(library::Mpeg4Avc);
  Run(CopyToPsp);
  EXPECT_EQ(host.folders.PspKindFolder(), "MP_ROOT\\101ANV01\\");
  EXPECT_TRUE(fs::exists(maqDir / "MAQ00003.MP4"));
}

TEST_F(TransferTest, NamesHeldByUnlistedFilesAreSkipped) {
  // The PSP list does not show these, but writing over them would lose them.
  Put(m4vDir / "M4V00001.MP4", "unlisted video");
  Put(m4vDir / "M4V00002.THM", "orphan thumbnail");
  PcVideo("a.mp4", "a");
  Run(CopyToPsp);
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "unlisted video");
  EXPECT_EQ(Read(m4vDir / "M4V00002.THM"), "orphan thumbnail");
  EXPECT_EQ(Read(m4vDir / "M4V00003.MP4"), "a");
}

TEST_F(TransferTest, MoveToPspRemovesSourcesWithTheirCompanions) {
  PcVideo("with.mp4", "with", "its thumb");
  PcVideo("without.mp4", "without");
  const TransferReport report = Run(MoveToPsp);
  EXPECT_TRUE(Names(pcDir).empty());
  EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "its thumb");
  EXPECT_EQ(Read(m4vDir / "M4V00002.THM"), "default thumbnail");
  EXPECT_EQ(Read(m4vDir / "M4V00002.MP4"), "without");
  EXPECT_TRUE(report.notTransferred.empty());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Mission Accomplished"}));
}

TEST_F(TransferTest, MissingDefaultThumbnailMeansNoCompanion) {
  fs::remove(appRoot / "DefaultPreview.THM");
  PcVideo("a.mp4", "a");
  Run(CopyToPsp);
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4"}));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Mission Accomplished"}));
}

TEST_F(TransferTest, OverwriteQuestionYesReplacesVideoAndCompanion) {
  PspVideo("M4V00001.MP4", "psp video", "psp thumb");
  Put(pcDir / "M4V00001.MP4", "pc video");
  Put(pcDir / "M4V00001.THM", "pc thumb");
  dialogs.answers = {Answer::Yes};
  Run(CopyToPc);
  ASSERT_GE(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "The destination file is existent. Overwrite it?");
  EXPECT_EQ(dialogs.shown[0].caption, "Overwrite");
  EXPECT_EQ(dialogs.shown[0].flags, platform::MbYesNo | platform::MbIconQuestion);
  EXPECT_EQ(Read(pcDir / "M4V00001.MP4"), "psp video");
  EXPECT_EQ(Read(pcDir / "M4V00001.THM"), "psp thumb");
  EXPECT_EQ(Names(pcDir).size(), 2u);
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "psp video");
}

TEST_F(TransferTest, OverwriteYesKeepsOldFilesWhenTheNewCopyFails) {
  PspVideo("M4V00001.MP4", "psp video", "psp thumb");
  Put(pcDir / "M4V00001.MP4", "pc video");
  Put(pcDir / "M4V00001.THM", "pc thumb");
  fs.failCopyFrom = {"G:\\MP_ROOT\\100MNV01\\M4V00001.MP4"};
  dialogs.answers = {Answer::Yes};
  Run(MoveToPc);
  EXPECT_EQ(Read(pcDir / "M4V00001.MP4"), "pc video");
  EXPECT_EQ(Read(pcDir / "M4V00001.THM"), "pc thumb");
  EXPECT_EQ(Names(pcDir).size(), 2u);
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "psp video");
  EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "psp thumb");
}

TEST_F(TransferTest, OverwriteQuestionNoGivesNewNameAndAsksWhenOnlyCompanionExists) {
  PspVideo("M4V00001.MP4", "psp video", "psp thumb");
  Put(pcDir / "M4V00001.THM", "pc thumb");
  dialogs.answers = {Answer::No};
  Run(CopyToPc);
  EXPECT_EQ(dialogs.shown[0].caption, "Overwrite");
  EXPECT_EQ(Read(pcDir / "M4V00001.THM"), "pc thumb");
  EXPECT_EQ(Read(pcDir / "M4V00001_New.MP4"), "psp video");
  EXPECT_EQ(Read(pcDir / "M4V00001_New.THM"), "psp thumb");
  EXPECT_FALSE(fs::exists(pcDir / "M4V00001.MP4"));
}

TEST_F(TransferTest, TakenNewNamesAreNeverOverwritten) {
  PspVideo("M4V00001.MP4", "psp video", "psp thumb");
  Put(pcDir / "M4V00001.MP4", "pc video");
  Put(pcDir / "M4V00001_New.MP4", "first new");
  Put(pcDir / "M4V00001_New2.THM", "lone thumb of second new");
  dialogs.answers = {Answer::No};
  Run(CopyToPc);
  EXPECT_EQ(Read(pcDir / "M4V00001.MP4"), "pc video");
  EXPECT_EQ(Read(pcDir / "M4V00001_New.MP4"), "first new");
  EXPECT_EQ(Read(pcDir / "M4V00001_New2.THM"), "lone thumb of second new");
  EXPECT_EQ(Read(pcDir / "M4V00001_New3.MP4"), "psp video");
  EXPECT_EQ(Read(pcDir / "M4V00001_New3.THM"), "psp thumb");
  // Only the one question.
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Overwrite", "Mission Accomplished"}));
}

TEST(TransferNaming, NewNameKeepsTheExtension) {
  EXPECT_EQ(NewName("M4V00001.MP4", 1), "M4V00001_New.MP4");
  EXPECT_EQ(NewName("M4V00001.MP4", 2), "M4V00001_New2.MP4");
  EXPECT_EQ(NewName("a.b.mp4", 1), "a.b_New.mp4");
  EXPECT_EQ(NewName("clip", 3), "clip_New3");
}

TEST(TransferProgress, RoundsHalfToEven) {
  EXPECT_EQ(ProgressPercent(1, 8), 12);
  EXPECT_EQ(ProgressPercent(3, 8), 38);
  EXPECT_EQ(ProgressPercent(5, 8), 62);
  EXPECT_EQ(ProgressPercent(7, 8), 88);
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(2, 3), 67);
  EXPECT_EQ(ProgressPercent(1, 200), 0);  // 0.5 goes to 0
  EXPECT_EQ(ProgressPercent(3, 200), 2);  // 1.5 goes to 2
  EXPECT_EQ(ProgressPercent(0, 5), 0);
  EXPECT_EQ(ProgressPercent(6, 5), 100);
}

// Within a file the bar counts its bytes, rounded alike, so it never steps back at the file's end.
TEST(TransferProgress, WithinAFileCountsItsBytes) {
  struct Case {
    int handled, selected;
    std::uint64_t copied, size;
    int percent;
  } cases[] = {
      {0, 1, 0, 100, 0},
      {0, 1, 50, 100, 50},
      {0, 8, 999, 1000, 12},
      {2, 8, 999, 1000, 37},
      {3, 8, 0, 1000, 38},
      {1, 3, 1, 2, 50},
      {0, 2, 5, 0, 0},
      {1, 2, 7, 5, 100},
      {4, 5, 1, 3, 87},
      {0, 1, 4294967294ull, 4294967295ull, 100},
      {999, 1000, 1ull << 40, 1ull << 41, 100},
      {0, 3, 1ull << 39, 1ull << 40, 17},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressPercent(c.handled, c.selected, c.copied, c.size), c.percent)
        << c.handled << "/" << c.selected << " + " << c.copied << "/" << c.size;
  }
}

// Stop during a copy ends it at once; Stop pressed before the copy lets that row finish.
TEST_F(TransferTest, StopDuringACopyEndsItAndNamesTheRow) {
  const std::string big(3 << 20, 'b');
  for (const int mode : {MoveToPsp, CopyToPc, CopyToPsp}) {
    const bool toPsp = mode != CopyToPc, before = mode == CopyToPsp;
    SCOPED_TRACE(mode);
    for (const fs::path& dir : {pcDir, m4vDir}) {
      fs::remove_all(dir);
      fs::create_directories(dir);
    }
    host.pc.clear();
    host.psp.clear();
    dialogs.shown.clear();
    for (const char* name : {"M4V00001.MP4", "M4V00002.MP4", "M4V00003.MP4"}) {
      const std::string content = name[7] == '2' ? big : name;
      toPsp ? PcVideo(name, content, "t", true) : PspVideo(name, content, "t", true);
    }
    fs.inSteps = true;
    // The second row's turn: at its own round of messages, or at its copy's first piece.
    pump.calls = 0;
    pump.onPump = [&] {
      if (pump.calls == (before ? 2 : 3)) progress.PressStop();
    };
    const TransferReport report = Run(mode);
    EXPECT_EQ(report.end, TransferEnd::Canceled);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | platform::MbIconInformation);
    EXPECT_EQ(log.events.back(), "bar 0");
    // The bar had moved within the big file's row.
    EXPECT_GT(progress.positions.end()[-2], 33);
    const fs::path from = toPsp ? pcDir : m4vDir, to = toPsp ? m4vDir : pcDir;
    EXPECT_EQ(Read(from / "M4V00002.MP4"), big);
    if (before) {
      EXPECT_EQ(Read(to / "M4V00002.MP4"), big);
      continue;
    }
    EXPECT_NE(dialogs.shown[0].text.find("M4V00002.MP4: Stop was pressed"), std::string::npos);
    // Nothing of the stopped row on the other side, temporary or not.
    EXPECT_EQ(Names(to), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM"}));
  }
}

TEST_F(TransferTest, BarFollowsFourAndEightRows) {
  for (int i = 0; i < 8; ++i) PcVideo("v" + std::to_string(i) + ".mp4", "x");
  for (int i = 0; i < 4; ++i) host.pc[static_cast<std::size_t>(i)].selected = true;
  Run(CopyToPsp);
  EXPECT_EQ(progress.positions, (std::vector<int>{25, 50, 75, 100, 0}));
  for (auto& r : host.pc) r.selected = false;
  progress.positions.clear();
  Run(CopyToPsp);
  EXPECT_EQ(progress.positions, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100, 0}));
  EXPECT_TRUE(fs::exists(m4vDir / "M4V00012.MP4"));
}

TEST_F(TransferTest, StopDuringSecondOfFiveFinishesThatRowThenCancels) {
  for (int i = 1; i <= 5; ++i) PcVideo("v" + std::to_string(i) + ".mp4", "x", "t");
  pump.onPump = [this] {
    if (pump.calls == 2) progress.PressStop();
  };
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(report.end, TransferEnd::Canceled);
  // The row in hand went completely, source removal included; the others stayed.
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM", "M4V00002.MP4",
                                                  "M4V00002.THM"}));
  EXPECT_EQ(Names(pcDir),
            (std::set<std::string>{"v3.mp4", "v3.THM", "v4.mp4", "v4.THM", "v5.mp4", "v5.THM"}));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Transfer is canceled");
  EXPECT_EQ(dialogs.shown[0].caption, "Canceled");
  EXPECT_EQ(dialogs.shown[0].flags, platform::MbOk | platform::MbIconInformation);
  // No refresh; the bar goes back to 0 after the message.
  for (const auto& e : log.events) EXPECT_EQ(e.rfind("refresh", 0), std::string::npos);
  EXPECT_EQ(log.events.back(), "bar 0");
  EXPECT_EQ(*(log.events.end() - 2), "box Canceled");
  EXPECT_FALSE(progress.visible);
}

TEST_F(TransferTest, StopDuringLastRowEndsAsCompleted) {
  for (int i = 1; i <= 3; ++i) PcVideo("v" + std::to_string(i) + ".mp4", "x");
  pump.onPump = [this] {
    if (pump.calls == 3) progress.PressStop();
  };
  const TransferReport report = Run(CopyToPsp);
  EXPECT_EQ(report.end, TransferEnd::Completed);
  EXPECT_EQ(report.arrived.size(), 3u);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Mission Accomplished"}));
  EXPECT_NE(std::find(log.events.begin(), log.events.end(), "refresh psp"), log.events.end());
}

TEST_F(TransferTest, NextTransferStartsWithTheFlagCleared) {
  PcVideo("a.mp4", "a");
  TransferEngine engine(TransferEnvironment{fs, dialogs, pump, host, progress, "A:\\"});
  engine.Stop();
  EXPECT_EQ(engine.TransferCanceled(), -1);
  EXPECT_EQ(engine.TransferVideos(CopyToPsp).end, TransferEnd::Completed);
  EXPECT_TRUE(fs::exists(m4vDir / "M4V00001.MP4"));
}

TEST_F(TransferTest, EmptySourceListOpensClosesAndRefreshes) {
  const TransferReport report = Run(MoveToPc);
  EXPECT_EQ(report.end, TransferEnd::NothingToDo);
  EXPECT_EQ(log.events, (std::vector<std::string>{"show", "refresh pc", "refresh psp", "close",
                                                  "box Mission Accomplished", "bar 0"}));
}

TEST_F(TransferTest, FailedCopyInAMoveKeepsTheSourceAndLeavesNothingBehind) {
  PcVideo("good1.mp4", "good one", "t1");
  PcVideo("bad.mp4", std::string(1000, 'b'), "bad thumb");
  PcVideo("good2.mp4", "good two");
  fs.failCopyFrom = {"C:\\Videos\\bad.mp4"};
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(Read(pcDir / "bad.mp4"), std::string(1000, 'b'));
  EXPECT_EQ(Read(pcDir / "bad.THM"), "bad thumb");
  EXPECT_EQ(Names(pcDir), (std::set<std::string>{"bad.mp4", "bad.THM"}));
  // The failed row's name stays unused on the PSP, with no companion and no temporary file.
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM", "M4V00003.MP4",
                                                  "M4V00003.THM"}));
  EXPECT_EQ(Read(m4vDir / "M4V00003.MP4"), "good two");
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::CopyFailed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].caption, "Transfer Incomplete");
  EXPECT_NE(dialogs.shown[0].text.find("bad.mp4"), std::string::npos);
  EXPECT_EQ(dialogs.shown[0].text.find("good"), std::string::npos);
  EXPECT_EQ(log.events.back(), "bar 0");
}

TEST_F(TransferTest, ShortCopyReportedAsDoneIsCaught) {
  PspVideo("M4V00001.MP4", std::string(4096, 'p'), "psp thumb");
  fs.truncateCopyFrom = {"G:\\MP_ROOT\\100MNV01\\M4V00001.MP4"};
  const TransferReport report = Run(MoveToPc);
  EXPECT_TRUE(Names(pcDir).empty());
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), std::string(4096, 'p'));
  EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "psp thumb");
  EXPECT_EQ(report.notTransferred.size(), 1u);
}

// Transfers that arrive yet leave something behind say so in the end message.
TEST_F(TransferTest, ArrivalsWithSomethingLeftBehindAreNamedInTheEndMessage) {
  struct Case {
    const char* what;
    int mode;
    std::string failCopy, failDelete;  // Windows paths
    std::set<std::string> pc, psp;     // file names afterwards
    std::string pspThumb;              // content of M4V00001.THM; empty: none
    std::string named;                 // in the end message
  };
  const std::vector<Case> cases = {
      {"unreadable own thumbnail, copy to the PSP",
       CopyToPsp,
       "C:\\Videos\\a.THM",
       "",
       {"a.mp4", "a.THM"},
       {"M4V00001.MP4", "M4V00001.THM"},
       "default thumbnail",
       "C:\\Videos\\a.THM"},
      {"unreadable own thumbnail, move to the PSP",
       MoveToPsp,
       "C:\\Videos\\a.THM",
       "",
       {"a.THM"},
       {"M4V00001.MP4", "M4V00001.THM"},
       "default thumbnail",
       "C:\\Videos\\a.THM"},
      {"unreadable PSP thumbnail, copy to the PC",
       CopyToPc,
       "G:\\MP_ROOT\\100MNV01\\M4V00001.THM",
       "",
       {"M4V00001.MP4"},
       {"M4V00001.MP4", "M4V00001.THM"},
       "psp thumb",
       "G:\\MP_ROOT\\100MNV01\\M4V00001.THM"},
      {"PSP video that cannot be removed after a move",
       MoveToPc,
       "",
       "G:\\MP_ROOT\\100MNV01\\M4V00001.MP4",
       {"M4V00001.MP4", "M4V00001.THM"},
       {"M4V00001.MP4", "M4V00001.THM"},
       "psp thumb",
       "G:\\MP_ROOT\\100MNV01\\M4V00001.MP4"},
      {"PC video that cannot be removed after a move",
       MoveToPsp,
       "",
       "C:\\Videos\\a.mp4",
       {"a.mp4", "a.THM"},
       {"M4V00001.MP4", "M4V00001.THM"},
       "thumb a",
       "C:\\Videos\\a.mp4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& dir : {pcDir, m4vDir}) {
      for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
    }
    host.pc.clear();
    host.psp.clear();
    dialogs.shown.clear();
    if (c.mode == CopyToPsp || c.mode == MoveToPsp) {
      PcVideo("a.mp4", "video a", "thumb a");
    } else {
      PspVideo("M4V00001.MP4", "video psp", "psp thumb");
    }
    fs.failCopyFrom = {c.failCopy};
    fs.failDelete = {c.failDelete};
    const TransferReport report = Run(c.mode);
    EXPECT_TRUE(report.notTransferred.empty());
    EXPECT_EQ(Names(pcDir), c.pc);
    EXPECT_EQ(Names(m4vDir), c.psp);
    EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), c.pspThumb);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Transfer Incomplete");
    EXPECT_NE(dialogs.shown[0].text.find(c.named), std::string::npos) << dialogs.shown[0].text;
  }
}

TEST_F(TransferTest, DiskFullPartWayKeepsEveryFileWhole) {
  for (int i = 1; i <= 4; ++i) {
    PcVideo("v" + std::to_string(i) + ".mp4", std::string(100, static_cast<char>('0' + i)), "tt");
  }
  fs.budget = 2 * (100 + 2) + 50;  // two rows and a half
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(report.arrived.size(), 2u);
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM", "M4V00002.MP4",
                                                  "M4V00002.THM"}));
  EXPECT_EQ(Names(pcDir), (std::set<std::string>{"v3.mp4", "v3.THM", "v4.mp4", "v4.THM"}));
  EXPECT_EQ(Read(pcDir / "v3.mp4"), std::string(100, '3'));
  EXPECT_EQ(Read(m4vDir / "M4V00002.MP4"), std::string(100, '2'));
  const std::string& text = dialogs.shown.back().text;
  EXPECT_NE(text.find("v3.mp4"), std::string::npos);
  EXPECT_NE(text.find("v4.mp4"), std::string::npos);
  EXPECT_NE(text.find("still where they were"), std::string::npos);
}

TEST_F(TransferTest, CanceledAfterAFailureSaysWhichFilesStayed) {
  PcVideo("bad.mp4", "bad");
  PcVideo("b.mp4", "b");
  fs.failCopyFrom = {"C:\\Videos\\bad.mp4"};
  pump.onPump = [this] {
    if (pump.calls == 1) progress.PressStop();
  };
  Run(CopyToPsp);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].caption, "Canceled");
  EXPECT_EQ(dialogs.shown[0].text.rfind("Transfer is canceled", 0), 0u);
  EXPECT_NE(dialogs.shown[0].text.find("bad.mp4"), std::string::npos);
}

TEST_F(TransferTest, NoPcFolderChangesNothing) {
  PcVideo("a.mp4", "a");
  for (const std::string folder : {"", "Videos", "Videos\\Clips", "C:Videos"}) {
    host.folders.SetPcFolder(folder);
    const library::PaneFolders before = host.folders;
    const TransferReport report = Run(MoveToPsp);
    EXPECT_EQ(report.end, TransferEnd::Refused) << folder;
    EXPECT_TRUE(host.folders == before) << folder;
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>(4, "Transfer"));
  EXPECT_EQ(dialogs.shown[0].text, "Please choose a folder of the computer first.");
  EXPECT_TRUE(log.events.size() == 4 && log.events[0] == "box Transfer");
  EXPECT_TRUE(Names(m4vDir).empty());
  EXPECT_TRUE(fs::exists(pcDir / "a.mp4"));
  EXPECT_FALSE(host.pc[0].selected);
}

TEST_F(TransferTest, FullPspIsRefusedInsteadOfASixDigitName) {
  for (int n = 1; n <= 99998; ++n) host.psp.push_back({library::PspFileName(0, n), false});
  PcVideo("last.mp4", "last");
  PcVideo("none.mp4", "none");
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(Read(m4vDir / "M4V99999.MP4"), "last");
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V99999.MP4", "M4V99999.THM"}));
  EXPECT_TRUE(fs::exists(pcDir / "none.mp4"));
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::PspFull);
  EXPECT_NE(dialogs.shown.back().text.find("no free video name"), std::string::npos);
}

TEST_F(TransferTest, VideoOfFourGigabytesIsRefusedForThePspBeforeCopying) {
  PcVideo("huge.mp4", "h");
  PcVideo("fits.mp4", "f");
  fs.fakeSize["C:\\Videos\\huge.mp4"] = 4294967295ull;
  const TransferReport report = Run(MoveToPsp);
  for (const auto& from : fs.copiesFrom) EXPECT_EQ(from.find("huge"), std::string::npos);
  EXPECT_TRUE(fs::exists(pcDir / "huge.mp4"));
  // The refused video takes no PSP name.
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "f");
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::TooLargeForPsp);
  EXPECT_NE(dialogs.shown.back().text.find("4 GB"), std::string::npos);
}

TEST_F(TransferTest, VideoJustUnderFourGigabytesIsTried) {
  PcVideo("big.mp4", "b");
  fs.fakeSize["C:\\Videos\\big.mp4"] = 4294967294ull;
  const TransferReport report = Run(CopyToPsp);
  EXPECT_NE(std::find(fs.copiesFrom.begin(), fs.copiesFrom.end(), "C:\\Videos\\big.mp4"),
            fs.copiesFrom.end());
  // Its real size differs from the one reported, so the copy does not count as complete.
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::CopyFailed);
  EXPECT_TRUE(Names(m4vDir).empty());
}

// The PC folder typed as the PSP folder, however spelt: no row may ask, overwrite, delete or
// make a "_New" twin of the only copy, and each is named in the end box.
TEST_F(TransferTest, PcFolderThatIsThePspFolderLosesNothingInAnySpelling) {
  fs.MapDrive('H', pspRoot.string());  // a second letter for the same stick
  fs::create_directory_symlink(m4vDir, pcRoot / "link");
  const char* spellings[] = {"G:\\MP_ROOT\\100MNV01",
                             "G:/MP_ROOT/100MNV01",
                             "G:\\MP_ROOT\\.\\100MNV01",
                             "G:\\MP_ROOT\\101ANV01\\..\\100MNV01",
                             "g:\\MP_ROOT\\100MNV01\\",
                             "H:\\MP_ROOT\\100MNV01",
                             "C:\\link"};
  for (const char* spelling : spellings) {
    for (const int mode : {MoveToPsp, CopyToPsp, MoveToPc, CopyToPc}) {
      for (const Answer answer : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(std::string(spelling) + " mode " + std::to_string(mode) +
                     (answer == Answer::Yes ? " yes" : " no"));
        fs::remove_all(m4vDir);
        fs::create_directories(m4vDir);
        host.psp.clear();
        host.pc.clear();
        PspVideo("M4V00001.MP4", "only copy", "its thumb");
        host.pc = host.psp;  // both lists show the one folder
        host.folders.SetPcFolder(spelling);
        dialogs.shown.clear();
        dialogs.answers = {answer};
        const TransferReport report = Run(mode);
        EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM"}));
        EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "only copy");
        EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "its thumb");
        ASSERT_EQ(report.notTransferred.size(), 1u);
        EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::SameFile);
        EXPECT_EQ(Boxes(), (std::vector<std::string>{"Transfer Incomplete"}));
        EXPECT_NE(dialogs.shown.back().text.find("M4V00001.MP4: it is already in that folder."),
                  std::string::npos);
      }
    }
  }
}

// Temporary names belong to us only when we made them: a user's "x.part" stays, and with every
// name taken the row fails instead of writing into one.
TEST_F(TransferTest, TemporaryNamesNeverTakeAFileOfTheUsers) {
  scratch.Dir("pc/Desk");
  Put(pcRoot / "Desk" / "clip.mp4", "clip");
  Put(pcDir / "clip.mp4.part", "user's own");
  const auto drop = [&] {
    TransferEngine engine(TransferEnvironment{fs, dialogs, pump, host, progress, "A:\\"});
    return engine.TransferFiles(CopyToPc, {"C:\\Desk\\clip.mp4"});
  };
  drop();
  EXPECT_EQ(Read(pcDir / "clip.mp4"), "clip");
  EXPECT_EQ(Read(pcDir / "clip.mp4.part"), "user's own");

  fs::remove(pcDir / "clip.mp4");
  fs::remove(pcDir / "clip.THM");
  for (int n = 2; n < 1000; ++n) Put(pcDir / ("clip.mp4.part" + std::to_string(n)), "taken");
  const TransferReport report = drop();
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::NoTemporaryName);
  EXPECT_EQ(Names(pcDir).size(), 999u);
  EXPECT_EQ(Read(pcDir / "clip.mp4.part"), "user's own");
  EXPECT_EQ(Read(pcDir / "clip.mp4.part999"), "taken");
  EXPECT_EQ(Read(pcRoot / "Desk" / "clip.mp4"), "clip");
}

// Yes to "Overwrite" puts the new file in place in one step; when that step is refused (the old
// video held open by a player), the old video and its thumbnail stay whole and nothing is left.
TEST_F(TransferTest, ReplaceRefusedAtTheLastStepKeepsTheOldFileWhole) {
  PspVideo("M4V00001.MP4", "psp video", "psp thumb");
  Put(pcDir / "M4V00001.MP4", "pc video");
  Put(pcDir / "M4V00001.THM", "pc thumb");
  fs.refuseReplace = true;
  dialogs.answers = {Answer::Yes};
  const TransferReport report = Run(MoveToPc);
  EXPECT_EQ(Names(pcDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM"}));
  EXPECT_EQ(Read(pcDir / "M4V00001.MP4"), "pc video");
  EXPECT_EQ(Read(pcDir / "M4V00001.THM"), "pc thumb");
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "psp video");
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::NotReplaced);
}

// Left by a copy that the end of the program cut short: ours only in the folder that a transfer
// goes to, and in a PC folder only under a PSP video's name; other names may be another
// program's.
TEST_F(TransferTest, LeftoverTemporaryNamesGoOnlyFromTheFolderSentTo) {
  for (const char* name : {"M4V00001.MP4.part", "m4v00007.thm.part12", "notes.part",
                           "MAQ00001.MP4.part", "M4V00002.MP4.partial"}) {
    Put(m4vDir / name, "left");
  }
  Put(maqDir / "MAQ00001.MP4.part", "other kind");
  Put(pcDir / "M4V00002.MP4.part", "someone's file");
  PcVideo("a.mp4", "a");
  Run(CopyToPsp);
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM", "notes.part",
                                                  "MAQ00001.MP4.part", "M4V00002.MP4.partial"}));
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "a");
  EXPECT_TRUE(fs::exists(maqDir / "MAQ00001.MP4.part"));
  EXPECT_EQ(Read(pcDir / "M4V00002.MP4.part"), "someone's file");

  Put(m4vDir / "M4V00003.MP4.part", "left");
  for (const char* name : {"maq00004_New2.thm.part7", "M4V00005_New.MP4.part", "movie.mp4.part",
                           "M4V00006_Newer.MP4.part", "M4V00007.MP4.partial"}) {
    Put(pcDir / name, "left");
  }
  host.psp = {{"M4V00001.MP4", true}};
  dialogs.answers = {Answer::No};
  Run(CopyToPc);
  EXPECT_TRUE(fs::exists(m4vDir / "M4V00003.MP4.part"));
  EXPECT_EQ(Names(pcDir),
            (std::set<std::string>{"a.mp4", "M4V00001.MP4", "M4V00001.THM", "movie.mp4.part",
                                   "M4V00006_Newer.MP4.part", "M4V00007.MP4.partial"}));
}

}  // namespace

// Dropped files go as selected rows would: only ".mp4" files, in any case; to the PC without a
// PSP, whose list is then left alone.
TEST_F(TransferTest, DroppedFilesAreCopiedAsRowsAndOnlyVideosAreTaken) {
  scratch.Dir("pc/Desk/folder.mp4");
  for (const char* name : {"x.MP4", "x.THM", "z.THM", "notes.txt"}) {
    Put(pcRoot / "Desk" / name, name);
  }
  host.folders.SetPspDrive("");
  TransferEngine engine(TransferEnvironment{fs, dialogs, pump, host, progress, "A:\\"});
  // A thumbnail beside its video goes with it; one without its video is named.
  const TransferReport report = engine.TransferFiles(
      CopyToPc, {"C:\\Desk\\x.THM", "C:\\Desk\\notes.txt", "C:\\Desk\\folder.mp4",
                 "C:\\Desk\\z.THM", "C:\\Desk\\x.MP4"});
  EXPECT_EQ(Read(pcDir / "x.MP4"), "x.MP4");
  EXPECT_EQ(Read(pcDir / "x.THM"), "x.THM");
  ASSERT_EQ(report.notTransferred.size(), 3u);
  EXPECT_EQ(report.notTransferred[1].reason, NotTransferredReason::Folder);
  EXPECT_EQ(report.notTransferred[2].caption, "z.THM");
  EXPECT_EQ(log.events, (std::vector<std::string>{"show", "bar 100", "refresh pc", "close",
                                                  "box Transfer Incomplete", "bar 0"}));
  EXPECT_EQ(engine.TransferFiles(MoveToPsp, {"C:\\Desk\\x.MP4"}).end, TransferEnd::Refused);
}

namespace {
// Converts by name: "keep" goes as it is, "junk" is no video, "huge" would not fit the PSP's
// file limit, "bad" converts to something the PSP refuses; the rest convert in three steps into
// "converted <name>". stopAt: the step during which Stop is pressed.
class FakeConverter : public IVideoConverter {
 public:
  FakeProgress* progress = nullptr;
  int stopAt = 0;
  int steps = 0;
  platform::StdFileSystem* fs = nullptr;
  FaultyFileSystem* faulty = nullptr;  // with grow: the size each step adds, as the engine sees it
  std::uint64_t grow = 0;

  ConversionCheck Check(const std::string& source, int) override {
    if (source.find("keep") != std::string::npos) return {SourceFate::AsItIs, 0};
    if (source.find("junk") != std::string::npos) return {SourceFate::Unreadable, 0};
    if (source.find("huge") != std::string::npos) return {SourceFate::Convert, PspFileSizeLimit};
    if (source.find("roomy") != std::string::npos) return {SourceFate::Convert, 2ull << 30};
    return {SourceFate::Convert, 1000};
  }
  class Job : public IConversionJob {
   public:
    Job(FakeConverter& c, std::string target, std::string text)
        : c_(c), target_(std::move(target)), text_(std::move(text)) {}
    ~Job() override {
      if (c_.grow) c_.faulty->fakeSize.erase(target_);
    }
    Step Run() override {
      ++c_.steps;
      if (c_.stopAt == c_.steps) c_.progress->PressStop();
      Put(c_.fs->Host(target_), text_.substr(0, ++done_ * text_.size() / 3));
      if (c_.grow) c_.faulty->fakeSize[target_] = done_ * c_.grow;
      return done_ == 3 ? Step::Done : Step::Working;
    }
    double Fraction() const override { return done_ / 3.0; }
    std::string Error() const override { return {}; }
    std::uint64_t BytesWritten() const override { return text_.size(); }

   private:
    FakeConverter& c_;
    std::string target_, text_;
    int done_ = 0;
  };
  std::unique_ptr<IConversionJob> Open(const std::string&, const std::string& target, int,
                                       const std::string& title, std::string&) override {
    return std::make_unique<Job>(*this, target, "converted " + title);
  }
  bool Plays(const std::string& file, int) override {
    return Read(fs->Host(file)).find("bad") == std::string::npos;
  }
};
}  // namespace

TEST_F(TransferTest, WhatThePspWouldNotPlayIsConvertedOnTheWayAndTheOriginalsStay) {
  FakeConverter converter;
  converter.progress = &progress;
  converter.fs = &fs;
  PcVideo("clip.mkv", "mkv", "own thumb");
  PcVideo("keep.mp4", "mp4");
  PcVideo("junk.wmv", "?");
  PcVideo("huge.avi", "avi");
  PcVideo("bad.mkv", "mkv");
  PcVideo("roomy.mkv", "mkv");
  TransferEnvironment env{fs, dialogs, pump, host, progress, "A:\\", true, "Brevlo"};
  env.converter = &converter;
  TransferEngine engine(env);
  const TransferReport report = engine.TransferVideos(MoveToPsp);

  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "converted clip");
  EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "own thumb");
  EXPECT_EQ(Names(m4vDir), (std::set<std::string>{"M4V00001.MP4", "M4V00001.THM", "M4V00002.MP4",
                                                  "M4V00002.THM"}));
  // Converted: the original and its thumbnail stay; as it is: moved.
  EXPECT_EQ(Names(pcDir), (std::set<std::string>{"clip.mkv", "clip.THM", "junk.wmv", "huge.avi",
                                                 "bad.mkv", "roomy.mkv"}));
  EXPECT_EQ(report.convertedKept, std::vector<std::string>{"C:\\Videos\\clip.mkv"});
  ASSERT_EQ(report.notTransferred.size(), 4u);
  EXPECT_EQ(report.notTransferred[0].reason, NotTransferredReason::NotReadable);
  EXPECT_EQ(report.notTransferred[1].reason, NotTransferredReason::TooLargeForPsp);
  EXPECT_EQ(report.notTransferred[2].reason, NotTransferredReason::ConversionFailed);
  EXPECT_EQ(report.notTransferred[3].reason, NotTransferredReason::NoRoom);
  const std::string& text = dialogs.shown.back().text;
  EXPECT_NE(text.find("bad.mkv: it could not be converted for the PSP (the result would not play "
                      "on the PSP)."),
            std::string::npos);
  EXPECT_NE(
      text.find(
          "converted for the PSP, so their originals stay on the PC:\r\n\r\nC:\\Videos\\clip.mkv"),
      std::string::npos);
}

TEST_F(TransferTest, StopDuringAConversionLeavesNothingOnThePsp) {
  FakeConverter converter;
  converter.progress = &progress;
  converter.fs = &fs;
  converter.stopAt = 2;
  PcVideo("clip.mkv", "mkv");
  TransferEnvironment env{fs, dialogs, pump, host, progress, "A:\\"};
  env.converter = &converter;
  const TransferReport report = TransferEngine(env).TransferVideos(CopyToPsp);
  EXPECT_EQ(report.end, TransferEnd::Canceled);
  EXPECT_NE(dialogs.shown.back().text.find("clip.mkv: Stop was pressed during its conversion."),
            std::string::npos);
  EXPECT_EQ(converter.steps, 2);
  EXPECT_TRUE(Names(m4vDir).empty());
  EXPECT_EQ(Names(pcDir), std::set<std::string>{"clip.mkv"});
}

// A conversion that outgrows its estimate stops once its file, with the index it closes with,
// would pass the PSP's free space or its file limit, and leaves nothing.
TEST_F(TransferTest, ConversionOutgrowingItsEstimateStopsInTime) {
  PcVideo("clip.mkv", "mkv");
  const struct {
    std::uint64_t free, grow;
    NotTransferredReason reason;
  } cases[] = {{1ull << 30, 600ull << 20, NotTransferredReason::NoRoom},
               {64ull << 30, 1950ull << 20, NotTransferredReason::TooLargeForPsp}};  // 3.8 GiB
  for (const auto& c : cases) {
    FakeConverter converter;
    converter.fs = converter.faulty = &fs;
    converter.grow = c.grow;
    fs.freeBytes = c.free;
    TransferEnvironment env{fs, dialogs, pump, host, progress, "A:\\"};
    env.converter = &converter;
    const TransferReport report = TransferEngine(env).TransferVideos(CopyToPsp);
    EXPECT_EQ(converter.steps, 2);
    ASSERT_EQ(report.notTransferred.size(), 1u);
    EXPECT_EQ(report.notTransferred[0].reason, c.reason);
    EXPECT_TRUE(Names(m4vDir).empty());
  }
}

// "Make Thumbnails" on a card that fills up during the write, and over the ".part" of a PSP
// pulled out before: no ".part" stays, and the leftover never keeps the thumbnail out.
TEST_F(TransferTest, MakeThumbnailsLeavesNoPartAndIsNeverBlockedByOne) {
  PspVideo("M4V00001.MP4", "video", "");
  for (const bool full : {true, false}) {
    if (!full) Put(m4vDir / "M4V00001.THM.part", "half");
    fs.budget = full ? std::optional<std::uint64_t>(50) : std::nullopt;
    const auto report = MakeThumbnails(fs, "G:\\MP_ROOT\\100MNV01", {"M4V00001.MP4"},
                                       [](auto&) { return std::vector<std::uint8_t>(99, 1); });
    EXPECT_EQ(report.written, full ? 0 : 1);
    EXPECT_EQ(Names(m4vDir).size(), full ? 1u : 2u);
    EXPECT_FALSE(fs::exists(m4vDir / "M4V00001.THM.part"));
  }
}

// The session's end comes within the transfer's round of messages, and the process may be ended
// once it returns: the temporary files go then, and no box follows.
TEST_F(TransferTest, EndOfTheSessionRemovesTheTemporaryFilesAtOnce) {
  PcVideo("big.mp4", std::string(3 << 20, 'b'));
  fs.inSteps = true;
  TransferEngine engine(TransferEnvironment{fs, dialogs, pump, host, progress, "A:\\"});
  std::vector<std::size_t> left;  // before and after, within the copy
  pump.onPump = [&] {
    if (pump.calls == 2) left = {Names(m4vDir).size(), (engine.EndSession(), Names(m4vDir).size())};
  };
  EXPECT_EQ(engine.TransferVideos(MoveToPsp).end, TransferEnd::Canceled);
  EXPECT_EQ(left, (std::vector<std::size_t>{2, 0}));
  EXPECT_TRUE(dialogs.shown.empty());
}
