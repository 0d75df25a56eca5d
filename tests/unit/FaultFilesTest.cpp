// Odd videos and failing disks under a list fill and a transfer: empty videos, very long names,
// names with several dots or outside ASCII, a write-protected destination, a memory stick
// without the kind folder, and a PSP pulled out half-way. Each ends with every file either
// where it was or complete where it went, and with a message that names what stayed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "library/PspNaming.h"
#include "library/VideoList.h"
#include "operations/TransferEngine.h"
#include "platform/portable/PortablePlatform.h"
#include "support/FakeTransferHost.h"
#include "support/JpegWriter.h"

using namespace brevlo;
using namespace brevlo::operations;
namespace fs = std::filesystem;
using platform::Answer;

namespace {

using Files = std::map<std::string, std::string>;

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

// Every file under a folder with its contents.
Files Snapshot(const fs::path& root) {
  Files files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = Read(e.path());
  }
  return files;
}

// The write-protect switch of a memory stick, or a folder the user may not write to: nothing
// can be created, replaced, renamed or removed under the protected host folders.
class ProtectedFileSystem : public platform::StdFileSystem {
 public:
  std::vector<std::string> protectedRoots;  // host paths
  int refused = 0;

  // Videos go in steps; the faults reach them through Copy, in one step.
  platform::CopyResult CopyInSteps(const std::string& from, const std::string& to,
                                   const platform::CopyProgress&) override {
    return Copy(from, to) ? platform::CopyResult::Done : platform::CopyResult::Failed;
  }
  bool Copy(const std::string& from, const std::string& to) override {
    if (Refuse(to)) return false;
    return StdFileSystem::Copy(from, to);
  }
  bool Delete(const std::string& path) override {
    if (Refuse(path)) return false;
    return StdFileSystem::Delete(path);
  }
  bool Move(const std::string& from, const std::string& to) override {
    if (Refuse(from) || Refuse(to)) return false;
    return StdFileSystem::Move(from, to);
  }
  // The cable pulled out: the drive letter leads nowhere from now on.
  void Unplug(char letter) { MapDrive(letter, "/nonexistent/brevlo-unplugged"); }

  // A copy that dies half-way because the drive went: part of the file is written, then the
  // letter is gone.
  std::string unplugDuringCopyFrom;
  char unplugLetter = 'G';
  bool CopyHalfThenUnplug(const std::string& from, const std::string& to) {
    const std::string content = Read(Host(from));
    Put(Host(to), content.substr(0, content.size() / 2));
    Unplug(unplugLetter);
    return false;
  }

 private:
  bool Refuse(const std::string& windowsPath) {
    const std::string host = fs::path(Host(windowsPath)).lexically_normal().string();
    for (const auto& root : protectedRoots) {
      if (host.rfind(root, 0) == 0) {
        ++refused;
        return true;
      }
    }
    return false;
  }
};

class UnpluggingFileSystem : public ProtectedFileSystem {
 public:
  bool Copy(const std::string& from, const std::string& to) override {
    if (!unplugDuringCopyFrom.empty() && from == unplugDuringCopyFrom) {
      unplugDuringCopyFrom.clear();
      return CopyHalfThenUnplug(from, to);
    }
    return ProtectedFileSystem::Copy(from, to);
  }
};

class Progress : public ITransferProgress {
 public:
  void ShowProgress(TransferStopFlag&) override {}
  void CloseProgress() override {}
  void SetSource(const std::string&) override {}
  void SetDestination(const std::string&) override {}
  void SetPosition(int) override {}
};

class Host : public brevlo::testing::FakeTransferHost {
 public:
  Host() { folders.SetPcFolder("C:\\Videos"); }
};

class Sink : public library::IVideoListSink {
 public:
  struct Row {
    std::string caption;
    std::string size;
    std::string thumb;  // its own thumbnail's name, empty for none
  };
  std::vector<Row> rows;
  void Clear() override { rows.clear(); }
  void AddVideo(const library::ListedVideo& video, const std::string& size) override {
    rows.push_back({video.name, size, video.thumbnail});
  }
};

fs::path NewScratchFolder() {
  std::random_device random;
  fs::path root;
  do {
    root = fs::temp_directory_path() / ("brevlo-fault-files-" + std::to_string(random()));
  } while (!fs::create_directory(root));
  return root;
}

class FaultFiles : public ::testing::Test {
 protected:
  FaultFiles() {
    fs::create_directories(pcDir);
    fs::create_directories(m4vDir);
    fs::create_directories(maqDir);
    fs::create_directories(root / "app");
    brevlo::testing::WriteBytes((root / "app" / "DefaultPreview.THM").string(),
                                brevlo::testing::MakeJpeg(80, 60, 0, 0, 255));
    files.MapDrive('C', (root / "pc").string());
    files.MapDrive('G', (root / "psp").string());
    files.MapDrive('A', (root / "app").string());
  }
  ~FaultFiles() override { fs::remove_all(root); }

  void PcVideo(const std::string& name, const std::string& content, const std::string& thumb = "") {
    Put(pcDir / name, content);
    if (!thumb.empty()) Put(pcDir / (library::WithoutExtension(name) + ".THM"), thumb);
    host.pc.push_back({name, false});
  }
  void PspVideo(const std::string& name, const std::string& content, const std::string& thumb) {
    Put(m4vDir / name, content);
    Put(m4vDir / (library::WithoutExtension(name) + ".THM"), thumb);
    host.psp.push_back({name, false});
  }
  TransferReport Run(int mode) {
    TransferEngine engine(TransferEnvironment{files, dialogs, pump, host, progress, "A:\\"});
    return engine.TransferVideos(mode);
  }
  library::FillReport Fill(const fs::path& folder) {
    library::FillEnvironment env{files, locale, pump, "A:\\", nullptr};
    return library::FillVideoList(folder.string(), sink, env);
  }
  const std::string& LastText() const { return dialogs.shown.back().text; }
  const std::string& LastCaption() const { return dialogs.shown.back().caption; }

  fs::path root = NewScratchFolder();
  fs::path pcDir = root / "pc" / "Videos";
  fs::path m4vDir = root / "psp" / "MP_ROOT" / "100MNV01";
  fs::path maqDir = root / "psp" / "MP_ROOT" / "101ANV01";
  UnpluggingFileSystem files;
  platform::PlainLocale locale;
  platform::ScriptedDialogs dialogs;
  platform::CallbackPump pump;
  Progress progress;
  Host host;
  Sink sink;
};

}  // namespace

TEST_F(FaultFiles, EmptyVideoIsListedAndTravelsBothWays) {
  PcVideo("empty.mp4", "", "own thumb");
  Fill(pcDir);
  ASSERT_EQ(sink.rows.size(), 1u);
  EXPECT_EQ(sink.rows[0].size, "0");

  const TransferReport there = Run(MoveToPsp);
  EXPECT_TRUE(there.notTransferred.empty());
  EXPECT_EQ(Snapshot(root / "psp"), (Files{{"MP_ROOT/100MNV01/M4V00001.MP4", ""},
                                           {"MP_ROOT/100MNV01/M4V00001.THM", "own thumb"}}));
  EXPECT_TRUE(fs::is_empty(pcDir));

  host.psp = {{"M4V00001.MP4", false}};
  const TransferReport back = Run(CopyToPc);
  EXPECT_TRUE(back.notTransferred.empty());
  EXPECT_EQ(Snapshot(pcDir), (Files{{"M4V00001.MP4", ""}, {"M4V00001.THM", "own thumb"}}));
  EXPECT_EQ(LastCaption(), "Mission Accomplished");
}

TEST_F(FaultFiles, NamesOfTwoHundredAndMoreCharactersKeepTheirCompanions) {
  const std::string name = std::string(220, 'n') + ".mp4";
  const std::string atTheLimit =
      std::string(251, 'l') + ".mp4";  // 255 bytes, the most a name holds
  brevlo::testing::WriteBytes((pcDir / (std::string(220, 'n') + ".THM")).string(),
                              brevlo::testing::MakeJpeg(80, 60, 255, 0, 0));
  Put(pcDir / name, "long");
  Put(pcDir / atTheLimit, "longest");
  Fill(pcDir);
  ASSERT_EQ(sink.rows.size(), 2u);
  EXPECT_EQ(sink.rows[0].caption, atTheLimit);
  EXPECT_EQ(sink.rows[1].caption, name);
  EXPECT_EQ(sink.rows[1].thumb, std::string(220, 'n') + ".THM") << "its own, not the default";

  host.pc = {{atTheLimit, false}, {name, false}};
  const Files pcBefore = Snapshot(pcDir);
  Run(CopyToPsp);
  EXPECT_EQ(Snapshot(pcDir), pcBefore);
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), "longest");
  EXPECT_EQ(Read(m4vDir / "M4V00002.MP4"), "long");
  EXPECT_EQ(Read(m4vDir / "M4V00002.THM"), pcBefore.at(std::string(220, 'n') + ".THM"));

  // Back to the PC, where both names are taken: the "_New" name of the longest one does not
  // fit in a file name, so it stays on the PSP and is named in the message.
  fs::remove(m4vDir / "M4V00001.MP4");
  fs::remove(m4vDir / "M4V00001.THM");
  fs::remove(m4vDir / "M4V00002.MP4");
  fs::remove(m4vDir / "M4V00002.THM");
  PspVideo(atTheLimit, "psp longest", "t1");
  PspVideo(name, "psp long", "t2");
  dialogs.answers = {Answer::No, Answer::No};
  const TransferReport report = Run(MoveToPc);
  EXPECT_EQ(Read(pcDir / (std::string(220, 'n') + "_New.mp4")), "psp long");
  EXPECT_EQ(Read(pcDir / (std::string(220, 'n') + "_New.THM")), "t2");
  EXPECT_EQ(Read(pcDir / atTheLimit), "longest");
  EXPECT_EQ(Read(m4vDir / atTheLimit), "psp longest");
  EXPECT_EQ(Read(m4vDir / (std::string(251, 'l') + ".THM")), "t1");
  EXPECT_FALSE(fs::exists(m4vDir / name));
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].caption, atTheLimit);
  EXPECT_EQ(LastCaption(), "Transfer Incomplete");
  EXPECT_NE(LastText().find(atTheLimit), std::string::npos);
  EXPECT_NE(LastText().find("still where they were"), std::string::npos);
}

TEST_F(FaultFiles, SeveralDotsCutOnlyAtTheLastOne) {
  PcVideo("my.holiday.2007.mp4", "holiday", "holiday thumb");
  PcVideo("a.mp4.mp4", "double", "double thumb");
  PcVideo("clip..mp4", "dots", "");
  Put(pcDir / "my.THM", "must not be taken for the holiday's");
  Put(pcDir / "a.THM", "nor this for a.mp4.mp4");
  brevlo::testing::WriteBytes((pcDir / "clip..THM").string(),
                              brevlo::testing::MakeJpeg(80, 60, 255, 0, 0));
  Put(pcDir / "my.holiday.2007.THM", "holiday thumb");
  Fill(pcDir);
  ASSERT_EQ(sink.rows.size(), 3u);
  EXPECT_EQ(sink.rows[1].caption, "clip..mp4");
  EXPECT_EQ(sink.rows[1].thumb, "clip..THM") << "clip..THM is its own";

  const Files others = {{"my.THM", "must not be taken for the holiday's"},
                        {"a.THM", "nor this for a.mp4.mp4"}};
  const TransferReport there = Run(MoveToPsp);
  EXPECT_TRUE(there.notTransferred.empty());
  EXPECT_EQ(Snapshot(pcDir), others);
  EXPECT_EQ(Read(m4vDir / "M4V00001.THM"), "holiday thumb");
  EXPECT_EQ(Read(m4vDir / "M4V00002.MP4"), "double");
  EXPECT_EQ(Read(m4vDir / "M4V00002.THM"), "double thumb");
  EXPECT_EQ(Read(m4vDir / "M4V00003.MP4"), "dots");

  // And back under "_New" names, which go in before the last dot only.
  PspVideo("my.holiday.2007.mp4", "psp holiday", "psp holiday thumb");
  Put(pcDir / "my.holiday.2007.mp4", "pc holiday");
  host.psp = {{"my.holiday.2007.mp4", true}};
  dialogs.answers = {Answer::No};
  Run(MoveToPc);
  EXPECT_EQ(Read(pcDir / "my.holiday.2007.mp4"), "pc holiday");
  EXPECT_EQ(Read(pcDir / "my.holiday.2007_New.mp4"), "psp holiday");
  EXPECT_EQ(Read(pcDir / "my.holiday.2007_New.THM"), "psp holiday thumb");
  EXPECT_EQ(Read(pcDir / "my.THM"), others.at("my.THM"));
}

TEST_F(FaultFiles, NamesOutsideAsciiAreListedAndCopiedByteForByte) {
  const std::string cafe = "Caf\xC3\xA9 \xE2\x80\x93 \xC3\xA9t\xC3\xA9.mp4";  // Café – été
  const std::string video = "\xE3\x83\x93\xE3\x83\x87\xE3\x82\xAA.mp4";       // ビデオ
  const std::string greek = "\xCE\xB2\xCE\xAF\xCE\xBD\xCF\x84\xCE\xB5\xCE\xBF.MP4";  // βίντεο
  brevlo::testing::WriteBytes((pcDir / (library::WithoutExtension(cafe) + ".THM")).string(),
                              brevlo::testing::MakeJpeg(80, 60, 255, 0, 0));
  Put(pcDir / cafe, "cafe");
  Put(pcDir / video, "video");
  Put(pcDir / greek, "greek");
  Fill(pcDir);
  ASSERT_EQ(sink.rows.size(), 3u);
  std::set<std::string> captions;
  for (const auto& r : sink.rows) captions.insert(r.caption);
  EXPECT_EQ(captions, (std::set<std::string>{cafe, video, greek}));
  for (const auto& r : sink.rows) {
    EXPECT_EQ(!r.thumb.empty(), r.caption == cafe) << r.caption;
  }

  // To the PSP and back: the PSP names are plain, the way home restores every byte.
  host.pc = {{cafe, false}, {video, false}, {greek, false}};
  const Files before = Snapshot(pcDir);
  EXPECT_TRUE(Run(MoveToPsp).notTransferred.empty());
  EXPECT_TRUE(fs::is_empty(pcDir));
  for (const auto& [name, content] : before) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".THM") continue;
    PspVideo(name, content, "psp thumb of " + name);
  }
  EXPECT_TRUE(Run(CopyToPc).notTransferred.empty());
  EXPECT_EQ(Read(pcDir / cafe), "cafe");
  EXPECT_EQ(Read(pcDir / video), "video");
  EXPECT_EQ(Read(pcDir / greek), "greek");
  EXPECT_EQ(Read(pcDir / (library::WithoutExtension(greek) + ".THM")), "psp thumb of " + greek);
}

TEST_F(FaultFiles, WriteProtectedPspTakesNothingAndTheSourcesStay) {
  PcVideo("a.mp4", "a", "thumb a");
  PcVideo("b.mp4", "b");
  files.protectedRoots = {(root / "psp").string()};
  const Files before = Snapshot(root);
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(Snapshot(root), before);
  EXPECT_GT(files.refused, 0);
  ASSERT_EQ(report.notTransferred.size(), 2u);
  EXPECT_EQ(LastCaption(), "Transfer Incomplete");
  EXPECT_NE(LastText().find("a.mp4"), std::string::npos);
  EXPECT_NE(LastText().find("b.mp4"), std::string::npos);
  EXPECT_NE(LastText().find("still where they were"), std::string::npos);
}

TEST_F(FaultFiles, WriteProtectedPcFolderKeepsOldFilesAndThePspOnes) {
  PspVideo("M4V00001.MP4", "psp one", "psp thumb one");
  PspVideo("M4V00002.MP4", "psp two", "psp thumb two");
  Put(pcDir / "M4V00001.MP4", "pc one");
  files.protectedRoots = {pcDir.string()};
  const Files before = Snapshot(root);
  dialogs.answers = {Answer::Yes};  // even with the user's word to replace
  const TransferReport report = Run(MoveToPc);
  EXPECT_EQ(Snapshot(root), before);
  EXPECT_EQ(report.notTransferred.size(), 2u);
  EXPECT_EQ(LastCaption(), "Transfer Incomplete");
}

TEST_F(FaultFiles, MissingKindFolderIsNotCreatedAndEveryVideoStays) {
  fs::remove_all(maqDir);
  host.kind = library::Mpeg4Avc;
  PcVideo("a.mp4", "a", "thumb a");
  PcVideo("b.mp4", "b");
  const Files before = Snapshot(root);
  const TransferReport report = Run(MoveToPsp);
  EXPECT_EQ(Snapshot(root), before);
  EXPECT_FALSE(fs::exists(maqDir));
  EXPECT_EQ(host.folders.PspFolder(), "G:\\MP_ROOT\\101ANV01\\");
  ASSERT_EQ(report.notTransferred.size(), 2u);
  EXPECT_NE(LastText().find("a.mp4"), std::string::npos);
  // Its list keeps what it showed before: the missing folder is not a fill.
  sink.rows.push_back({"shown before", "1", {}});
  EXPECT_FALSE(Fill(maqDir).listed);
  EXPECT_EQ(sink.rows.size(), 1u);
}

TEST_F(FaultFiles, PspPulledOutBetweenTwoVideos) {
  for (int i = 1; i <= 4; ++i) {
    PcVideo("v" + std::to_string(i) + ".mp4", std::string(100, static_cast<char>('0' + i)), "t");
  }
  pump.onPump = [this] {
    if (pump.calls == 3) files.Unplug('G');
  };
  const Files pcBefore = Snapshot(pcDir);
  const TransferReport report = Run(MoveToPsp);
  // Two arrived and left the PC; the two after the cable went stayed whole where they were.
  EXPECT_EQ(report.arrived.size(), 2u);
  ASSERT_EQ(report.notTransferred.size(), 2u);
  EXPECT_EQ(report.notTransferred[0].caption, "v3.mp4");
  for (const char* name : {"v3.mp4", "v3.THM", "v4.mp4", "v4.THM"}) {
    EXPECT_EQ(Read(pcDir / name), pcBefore.at(name)) << name;
  }
  EXPECT_FALSE(fs::exists(pcDir / "v1.mp4"));
  EXPECT_EQ(Snapshot(m4vDir), (Files{{"M4V00001.MP4", pcBefore.at("v1.mp4")},
                                     {"M4V00001.THM", "t"},
                                     {"M4V00002.MP4", pcBefore.at("v2.mp4")},
                                     {"M4V00002.THM", "t"}}));
  EXPECT_NE(LastText().find("removed disk"), std::string::npos);
}

TEST_F(FaultFiles, PspPulledOutDuringACopyLeavesNoShortVideo) {
  PcVideo("a.mp4", std::string(1000, 'a'), "ta");
  PcVideo("b.mp4", std::string(1000, 'b'), "tb");
  files.unplugDuringCopyFrom = "C:\\Videos\\b.mp4";
  const Files pcBefore = Snapshot(pcDir);
  const TransferReport report = Run(MoveToPsp);
  ASSERT_EQ(report.notTransferred.size(), 1u);
  EXPECT_EQ(report.notTransferred[0].caption, "b.mp4");
  EXPECT_EQ(Read(pcDir / "b.mp4"), pcBefore.at("b.mp4"));
  EXPECT_EQ(Read(pcDir / "b.THM"), "tb");
  // Plugged in again: a half-written file may be left under a temporary name, never under a
  // name the PSP shows, and never as the companion of a video that did not arrive.
  for (const auto& [name, content] : Snapshot(m4vDir)) {
    const bool shown = name.size() == 12 && (name.substr(8) == ".MP4" || name.substr(8) == ".THM");
    if (!shown) continue;
    EXPECT_TRUE(name.rfind("M4V00001.", 0) == 0) << name;
  }
  EXPECT_EQ(Read(m4vDir / "M4V00001.MP4"), std::string(1000, 'a'));
}
