#include "operations/TransferEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "library/PspNaming.h"
#include "library/VideoList.h"
#include "operations/VideoPaths.h"
#include "platform/CopyPlan.h"
#include "video/TitleWriter.h"

namespace brevlo::operations {

using library::CompanionOf;
using library::WithoutExtension;
using library::WithTrailingBackslash;
using platform::Answer;

namespace {

// A part of a copy is removed in slices of this size from its end. On a FAT32 memory stick
// freeing a file walks its whole chain: under Wine, where one such call holds up every thread
// of the program, 160 MB went in 48 to 311 ms at once and in slices of 32 MB of at most 125 ms.
constexpr std::uint64_t RemoveSlice = 32ull << 20;

// The warning icon, as the Windows message box takes it.
constexpr unsigned MbIconWarning = 0x30;
constexpr std::size_t MaxListedFailures = 20;

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

const char* ReasonText(NotTransferredReason reason) {
  switch (reason) {
    case NotTransferredReason::CopyFailed:
      return "the copy did not arrive complete (a full or removed disk, or a file in use)";
    case NotTransferredReason::NotReplaced:
      return "the file there could not be replaced (it may be in use or read-only), so it "
             "stays as it was";
    case NotTransferredReason::TooLargeForPsp:
      return "it is 4 GB or larger, and the PSP's memory stick cannot hold a file that big";
    case NotTransferredReason::PspFull:
      return "the PSP has no free video name left (every number up to 99999 is taken)";
    case NotTransferredReason::SameFile:
      return "it is already in that folder";
    case NotTransferredReason::NoTemporaryName:
      return "no free name is left beside it for the copy in progress";
    case NotTransferredReason::NoFreeName:
      return "no free \"_New\" name is left for it";
    case NotTransferredReason::Stopped:
      return "Stop was pressed during its copy";
    case NotTransferredReason::StoppedConverting:
      return "Stop was pressed during its conversion";
    case NotTransferredReason::NotAVideo:
      return "it is not a video, and only videos (.mp4 files) are taken";
    case NotTransferredReason::Folder:
      return "it is a folder, and only videos (.mp4 files) are taken";
    case NotTransferredReason::NotReadable:
      return "it is not a video this program can read";
    case NotTransferredReason::NoRoom:
      return "converted for the PSP it would not fit in the space left on the PSP";
    case NotTransferredReason::ConversionFailed:
      return "it could not be converted for the PSP";
  }
  return "";
}

struct FolderCheck {
  platform::IFileSystem* fs;
  std::string folder;
};

// A name is not free while its video or its companion lies in the folder, listed or not.
bool PspNameInUse(void* context, const std::string& fileName) {
  auto* check = static_cast<FolderCheck*>(context);
  const std::string path = check->folder + fileName;
  return check->fs->FileExists(path) || check->fs->FileExists(CompanionOf(path));
}

int RoundHalfEven(unsigned __int128 numerator, unsigned __int128 denominator) {
  unsigned __int128 q = numerator / denominator;
  const unsigned __int128 twice = 2 * (numerator % denominator);
  if (twice > denominator || (twice == denominator && q % 2 != 0)) ++q;
  return static_cast<int>(q);
}

}  // namespace

int ProgressPercent(int handled, int selected) {
  return ProgressPercent(handled, selected, 0, 0);
}

int ProgressPercent(int handled, int selected, std::uint64_t copied, std::uint64_t size) {
  if (selected <= 0 || handled >= selected) return 100;
  if (handled < 0) handled = 0;
  if (size == 0) {
    size = 1;
    copied = 0;
  }
  copied = std::min(copied, size);
  using Wide = unsigned __int128;
  const Wide done = static_cast<Wide>(handled) * size + copied;
  return RoundHalfEven(100 * done, static_cast<Wide>(selected) * size);
}

bool IsPspTemporaryName(int kind, const std::string& name) {
  const std::size_t mark = name.rfind(".part");
  if (mark == std::string::npos) return false;
  const std::string number = name.substr(mark + 5);
  if (number.size() > 3 || number.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  std::string base = name.substr(0, mark);
  std::string extension = library::ExtensionOf(base);
  for (char& c : extension) c = AsciiLower(c);
  if (extension == ".thm") base = WithoutExtension(base) + ".MP4";
  return library::PspNumberOf(kind, base) != 0;
}

bool IsPcTemporaryName(const std::string& name) {
  const std::size_t mark = name.rfind(".part");
  if (mark == std::string::npos) return false;
  const std::string base = name.substr(0, mark);
  std::string stem = WithoutExtension(base);
  // A PSP video's name with "_New", "_New2", ... when the PC folder already had it.
  const std::size_t newMark = stem.rfind("_New");
  if (newMark != std::string::npos) {
    const std::string number = stem.substr(newMark + 4);
    if (number.size() <= 5 && number.find_first_not_of("0123456789") == std::string::npos) {
      stem.resize(newMark);
    }
  }
  const std::string candidate = stem + library::ExtensionOf(base) + name.substr(mark);
  return IsPspTemporaryName(library::Mpeg4, candidate) ||
         IsPspTemporaryName(library::Mpeg4Avc, candidate);
}

std::string NewName(const std::string& fileName, int n) {
  std::string suffix = "_New";
  if (n > 1) suffix += std::to_string(n);
  return WithoutExtension(fileName) + suffix + library::ExtensionOf(fileName);
}

std::string FreeNewName(platform::IFileSystem& fs, const std::string& folder,
                        const std::string& fileName) {
  for (int n = 1; n < 100000; ++n) {
    const std::string name = NewName(fileName, n);
    const std::string path = folder + name;
    if (!fs.FileExists(path) && !fs.FileExists(CompanionOf(path)) && !fs.DirectoryExists(path)) {
      return name;
    }
  }
  return {};
}

namespace {
void AppendList(std::string& text, const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size() && i < MaxListedFailures; ++i) text += "\r\n" + lines[i];
  if (lines.size() > MaxListedFailures) {
    text += "\r\n... and " + std::to_string(lines.size() - MaxListedFailures) + " more.";
  }
}
}  // namespace

std::string NotTransferredText(const TransferReport& report, bool canceled, bool move) {
  std::string text = canceled ? std::string(CanceledText) + "." : std::string();
  const auto& rows = report.notTransferred;
  if (!rows.empty()) {
    text += canceled ? "\r\n\r\nThese files were not transferred:\r\n"
                     : "The transfer is completed, except for these files, which were not "
                       "transferred:\r\n";
    std::vector<std::string> lines;
    for (const auto& row : rows) {
      lines.push_back(row.caption + ": " + ReasonText(row.reason) +
                      (row.detail.empty() ? "" : " (" + row.detail + ")") + ".");
    }
    AppendList(text, lines);
    if (move) text += "\r\n\r\nThese files were not moved: they are still where they were.";
  } else if (!canceled) {
    text += "The transfer is completed, with these exceptions.";
  }
  if (!report.thumbnailsLeft.empty()) {
    text += "\r\n\r\nThese thumbnails could not be read, so their videos went without them";
    text += move ? " (the thumbnails stay where they were):\r\n" : ":\r\n";
    AppendList(text, report.thumbnailsLeft);
  }
  if (!report.notRemoved.empty()) {
    text +=
        "\r\n\r\nThese files were copied but could not be removed from where they were, so "
        "they are now on both sides:\r\n";
    AppendList(text, report.notRemoved);
  }
  if (!report.subtitlesLost.empty()) {
    text += text.empty() ? std::string(CompletedText) : std::string();
    text +=
        "\r\n\r\nThese videos were converted without their subtitles, which could not be "
        "drawn:\r\n";
    AppendList(text, report.subtitlesLost);
  }
  if (!report.convertedKept.empty()) {
    text += text.empty() ? std::string(CompletedText) : std::string();
    text +=
        "\r\n\r\nThese videos were converted for the PSP, so their originals stay on the "
        "PC:\r\n";
    AppendList(text, report.convertedKept);
  }
  return text;
}

TransferEngine::TransferEngine(const TransferEnvironment& env) : env_(env) {}

// Texts cannot tell: "G:/MP_ROOT/100MNV01", "g:\\mp_root\\.\\100mnv01\\", a second drive letter
// or a short name all reach one folder. A destination yet to be made is the source when it
// would land in the source's own folder.
bool TransferEngine::OneFile(const std::string& source, const std::string& destination) {
  if (env_.fs.FileExists(destination)) return env_.fs.SameFile(source, destination);
  return env_.fs.SameFile(FolderPartOf(source), FolderPartOf(destination));
}

std::string TransferEngine::TempNameFor(const std::string& target) {
  for (int n = 1; n < 1000; ++n) {
    const std::string temp = target + ".part" + (n > 1 ? std::to_string(n) : std::string());
    if (!env_.fs.FileExists(temp) && !env_.fs.DirectoryExists(temp)) return temp;
  }
  return {};
}

// The copy counts only when the system reports success and every byte is there: a full disk
// or a removed drive can leave a short file behind.
TransferEngine::Copied TransferEngine::CopyComplete(const std::string& from,
                                                    const std::string& temp,
                                                    std::optional<std::uint64_t> size,
                                                    std::optional<BarPlace> bar,
                                                    const std::string& pspTitle) {
  if (temp.empty()) return Copied::NoName;
  if (!size) size = env_.fs.FileSize(from);
  platform::CopyResult result = platform::CopyResult::Failed;
  if (size && bar) {
    // A title for the PSP: the header made anew in memory, the media copied behind it.
    platform::CopyPlan plan;
    if (!pspTitle.empty()) {
      if (const auto reader = env_.fs.OpenReader(from)) {
        plan = video::PlanTitledCopy(*reader, pspTitle, env_.titleEncoder);
      }
      if (platform::PlanSize(plan) >= PspFileSizeLimit) plan.clear();
      if (!plan.empty()) size = platform::PlanSize(plan);
    }
    // Stop pressed before this copy began lets the row finish, as between files it always did.
    const bool stoppedBefore = stop_.Stopped();
    int shown = ProgressPercent(bar->handled, bar->selected);
    env_.progress.SetCopying(true);
    const platform::CopyProgress progress = [&](std::uint64_t copied, std::uint64_t total) {
      const int percent = ProgressPercent(bar->handled, bar->selected, copied, total);
      if (percent != shown) env_.progress.SetPosition(shown = percent);
      env_.pump.ProcessMessages();
      return stoppedBefore || !stop_.Stopped();
    };
    result = plan.empty() ? env_.fs.CopyInSteps(from, temp, progress)
                          : env_.fs.CopyPlanInSteps(from, temp, plan, progress);
    env_.progress.SetCopying(false);
  } else if (size && env_.fs.Copy(from, temp)) {
    result = platform::CopyResult::Done;
  }
  if (result == platform::CopyResult::Done) {
    const std::optional<std::uint64_t> copied = env_.fs.FileSize(temp);
    if (copied && *copied == *size) return Copied::Complete;
  }
  // The name was free when chosen, so whatever now has it is what this copy left.
  RemovePart(temp);
  return result == platform::CopyResult::Canceled ? Copied::Stopped : Copied::Failed;
}

std::string ConvertingStatus(const std::string& name, double fraction, double seconds) {
  std::string text = std::string(ConvertingText) + " " + name;
  // The first seconds tell nothing of the pace.
  if (fraction < 0.02 || seconds < 2 || fraction >= 1) return text;
  const long left = std::lround(seconds * (1 - fraction) / fraction);
  char clock[32];
  std::snprintf(clock, sizeof clock, "%ld:%02ld", left / 60, left % 60);
  return text + ", about " + clock + " left";
}

std::uint64_t ClosingReserve(std::uint64_t written) {
  // About a hundredth of the media at the rates the PSP takes, more for a still picture; and
  // what the muxer still holds in its buffers.
  return written / 16 + (1ull << 20);
}

TransferEngine::Copied TransferEngine::ConvertComplete(const std::string& source,
                                                       const std::string& temp, int kind,
                                                       const std::string& title, std::string& error,
                                                       bool& subtitlesLost) {
  if (temp.empty()) return Copied::NoName;
  // The estimate judged before the start can fall short: the growing file is judged too.
  const std::optional<std::uint64_t> room = env_.fs.FreeBytes(FolderPartOf(temp));
  std::unique_ptr<IConversionJob> job;
  Serving([&] {
    job = env_.converter->Open(source, temp, kind, title, error);
    return true;
  });
  if (!job) {
    if (env_.fs.FileExists(temp)) RemovePart(temp);
    return Copied::Failed;
  }
  const std::string name = FileNamePartOf(source);
  const auto started = std::chrono::steady_clock::now();
  env_.progress.SetPosition(0);
  env_.progress.SetStatus(ConvertingStatus(name, 0, 0));
  env_.progress.SetCopying(true);
  IConversionJob::Step step = IConversionJob::Step::Working;
  Copied outgrown = Copied::Complete;
  int shown = 0;
  std::string status;
  const auto show = [&] {
    if (!job) return;  // closed by the end of the session
    const double fraction = std::clamp(job->Fraction(), 0.0, 1.0);
    const int percent = static_cast<int>(fraction * 100);
    if (percent != shown) env_.progress.SetPosition(shown = percent);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
    std::string now = ConvertingStatus(name, fraction, spent.count());
    if (now != status) env_.progress.SetStatus(status = std::move(now));
  };
  // The worker goes from step to step without waiting for the window's thread, which shows the
  // progress meanwhile; each step ends within a tenth of a second or so, and Stop between two.
  std::atomic<bool> working{true};
  conversion_ = &job;
  converting_ = &working;
  env_.pump.RunWithTicks(
      [&] {
        while (step == IConversionJob::Step::Working && !stop_.Stopped()) {
          step = job->Run();
          if (step != IConversionJob::Step::Working) break;
          const std::optional<std::uint64_t> size = env_.fs.FileSize(temp);
          if (!size) continue;
          const std::uint64_t closing = *size + ClosingReserve(*size);
          if (closing >= PspFileSizeLimit) {
            outgrown = Copied::TooLarge;
          } else if (room && closing > *room) {
            outgrown = Copied::NoRoom;
          } else {
            continue;
          }
          break;
        }
        working = false;
      },
      show);
  conversion_ = nullptr;
  converting_ = nullptr;
  show();
  const bool closed = !job;
  const std::uint64_t written = closed ? 0 : job->BytesWritten();
  if (step == IConversionJob::Step::Failed && !closed) error = job->Error();
  subtitlesLost = step == IConversionJob::Step::Done && !closed && job->SubtitlesLost();
  // Closing lets go of the file; a stopped job cuts its output short there.
  if (!closed) env_.pump.RunWhilePumping([&] { job.reset(); });
  env_.progress.SetCopying(false);
  env_.progress.SetStatus({});
  Copied result = Copied::Complete;
  if (outgrown != Copied::Complete) {
    result = outgrown;
  } else if (closed || step == IConversionJob::Step::Working) {
    result = Copied::Stopped;
  } else if (step == IConversionJob::Step::Failed) {
    result = Copied::Failed;
  } else if (env_.fs.FileSize(temp) != std::optional<std::uint64_t>(written)) {
    error = "the converted file did not arrive whole";
    result = Copied::Failed;
  } else if (!RunWhilePumping(env_.pump, [&] { return env_.converter->Plays(temp, kind); })) {
    // Never a success that the PSP would refuse.
    error = "the result would not play on the PSP";
    result = Copied::Failed;
  }
  if (result != Copied::Complete) RemovePart(temp);
  return result;
}

void TransferEngine::RemoveStaleTemporaries(const std::string& folder,
                                            const std::function<bool(const std::string&)>& ours) {
  for (const platform::DirEntry& e : env_.fs.ListDirectory(folder, "*.part*")) {
    if ((e.attributes & platform::AttrDirectory) == 0 && ours(e.name)) RemovePart(folder + e.name);
  }
}

TransferEngine::Stage TransferEngine::StagePicture(const std::string& sourceVideo, Staged& staged) {
  std::vector<std::uint8_t> bytes;
  Serving([&] {
    bytes = env_.pictureOf(sourceVideo);
    return true;
  });
  if (bytes.empty()) return Stage::Nothing;
  staged.temp = TempNameFor(staged.target);
  staged.from = sourceVideo;
  if (staged.temp.empty()) return Stage::Failed;
  if (Serving([&] { return env_.fs.WriteNew(staged.temp, bytes); })) return Stage::Arrived;
  RemovePart(staged.temp);
  staged.temp.clear();
  return Stage::Failed;
}

TransferEngine::Stage TransferEngine::StageThumbnail(const std::string& sourceVideo,
                                                     const std::string& destinationVideo,
                                                     Staged& staged, bool own, bool picture) {
  std::string from = CompanionOf(sourceVideo);
  staged.own = own && env_.fs.FileExists(from);
  if (!staged.own && picture && env_.pictureOf) {
    staged.target = CompanionOf(destinationVideo);
    // A picture that cannot be made or written leaves the default thumbnail to do.
    if (StagePicture(sourceVideo, staged) == Stage::Arrived) return Stage::Arrived;
  }
  if (!staged.own) {
    // Without a program folder the default would be looked up in the current folder.
    if (env_.appFolder.empty()) return Stage::Nothing;
    from = WithTrailingBackslash(env_.appFolder) + library::DefaultThumbnailName;
    if (!env_.fs.FileExists(from)) return Stage::Nothing;
  }
  staged.target = CompanionOf(destinationVideo);
  staged.temp = TempNameFor(staged.target);
  staged.from = from;
  if (CopyComplete(from, staged.temp) == Copied::Complete) return Stage::Arrived;
  staged.temp.clear();
  return Stage::Failed;
}

bool TransferEngine::Place(const Staged& staged, bool replace) {
  const bool placed = Serving([&] {
    if (!(replace ? env_.fs.Replace(staged.temp, staged.target)
                  : env_.fs.Move(staged.temp, staged.target))) {
      return false;
    }
    env_.fs.CopyAttributes(staged.from, staged.target);
    return true;
  });
  if (!placed) RemovePart(staged.temp);
  return placed;
}

void TransferEngine::Discard(const Staged& staged) {
  if (!staged.temp.empty()) RemovePart(staged.temp);
}

void TransferEngine::EndSession() {
  stop_.Stop();
  sessionEnding_ = true;
  if (conversion_ != nullptr && converting_ != nullptr) {
    // Its worker leaves within a step once Stop is set; only then may the job close here.
    for (int waited = 0; *converting_ && waited < 300; ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!*converting_) conversion_->reset();
  }
  // A file still being copied goes once the copy lets go of it, at the latest with the process.
  for (const Staged* staged : {rowThumb_, rowVideo_}) {
    if (staged != nullptr && !staged->temp.empty()) env_.fs.Delete(staged->temp);
  }
}

bool TransferEngine::Serving(const std::function<bool()>& call) {
  env_.progress.SetCopying(true);
  const bool result = platform::RunWhilePumping(env_.pump, call);
  env_.progress.SetCopying(false);
  return result;
}

// From the end, each slice one call, the windows served before the next. The main window stays
// disabled throughout, the rounds of messages between slices included.
bool TransferEngine::RemovePart(const std::string& path) {
  env_.progress.SetCopying(true);
  std::optional<std::uint64_t> size = env_.fs.FileSize(path);
  while (size && *size > RemoveSlice) {
    *size -= RemoveSlice;
    if (!platform::RunWhilePumping(env_.pump, [&] { return env_.fs.Truncate(path, *size); })) {
      break;
    }
    env_.pump.ProcessMessages();
  }
  const bool removed = platform::RunWhilePumping(env_.pump, [&] { return env_.fs.Delete(path); });
  env_.progress.SetCopying(false);
  return removed;
}

// Ends with the progress window closed and a box that names any row left behind; the lists
// keep what they show.
TransferReport TransferEngine::EndCanceled(TransferReport& report, bool move) {
  env_.progress.CloseProgress();
  const bool stoppedOnly =
      report.thumbnailsLeft.empty() && report.notRemoved.empty() &&
      std::all_of(report.notTransferred.begin(), report.notTransferred.end(),
                  [](const NotTransferred& row) {
                    return row.reason == NotTransferredReason::Stopped ||
                           row.reason == NotTransferredReason::StoppedConverting;
                  });
  // Nobody is left to read it once the session ends.
  if (!sessionEnding_) {
    env_.dialogs.Show(
        report.Incomplete() ? NotTransferredText(report, true, move) : std::string(CanceledText),
        CanceledCaption,
        platform::MbOk | (stoppedOnly ? platform::MbIconInformation : MbIconWarning));
  }
  env_.progress.SetPosition(0);
  report.end = TransferEnd::Canceled;
  return report;
}

TransferReport TransferEngine::TransferVideos(int mode) {
  return Transfer(mode, nullptr);
}

TransferReport TransferEngine::TransferFiles(int mode, const std::vector<std::string>& paths) {
  if (mode != CopyToPsp && mode != CopyToPc) {
    TransferReport report;
    report.end = TransferEnd::Refused;
    return report;
  }
  return Transfer(mode, &paths);
}

TransferReport TransferEngine::Transfer(int mode, const std::vector<std::string>* dropped) {
  TransferReport report;
  if (mode < MoveToPsp || mode > CopyToPc) {
    report.end = TransferEnd::Refused;
    return report;
  }
  const bool toPsp = mode == MoveToPsp || mode == CopyToPsp;
  const bool move = mode == MoveToPsp || mode == MoveToPc;
  // Files dropped on the PSP list need no PC folder, and those dropped on the PC list no PSP.
  const bool needPc = dropped == nullptr || !toPsp;
  const bool needPsp = dropped == nullptr || toPsp;
  library::PaneFolders& pane = env_.host.Folders();
  if (needPc && !IsRootedFolder(pane.PcFolder())) {
    env_.dialogs.Show(NoPcFolderText, TransferCaption,
                      platform::MbOk | platform::MbIconInformation);
    report.end = TransferEnd::Refused;
    return report;
  }
  if (needPsp && !IsRootedFolder(pane.PspDrive())) {
    env_.dialogs.Show(NoPspText, TransferCaption, platform::MbOk | platform::MbIconInformation);
    report.end = TransferEnd::Refused;
    return report;
  }

  stop_.TransferCanceled = 0;
  sessionEnding_ = false;
  env_.progress.ShowProgress(stop_);

  const int kind = env_.host.KindIndex();
  if (kind == library::Mpeg4 || kind == library::Mpeg4Avc) {
    pane.SetKind(static_cast<library::VideoKind>(kind));
  }
  // Fixed for this transfer, whatever happens to the windows while it runs.
  const struct {
    std::string PcFolder;
    std::string PspFolder;
  } folders{pane.PcFolder(), pane.PspFolder()};

  // The videos that go, by their full paths, in order.
  std::vector<std::string> sources;
  if (dropped != nullptr) {
    // A folder window's selection holds each video's thumbnail beside it: it goes with its video.
    const auto lowered = [](std::string text) {
      for (char& c : text) c = AsciiLower(c);
      return text;
    };
    std::vector<std::string> companions;
    for (const std::string& path : *dropped) {
      if (lowered(library::ExtensionOf(FileNamePartOf(path))) == ".mp4" ||
          library::IsOtherVideoName(FileNamePartOf(path))) {
        companions.push_back(lowered(CompanionOf(path)));
      }
    }
    for (const std::string& path : *dropped) {
      const std::string extension = lowered(library::ExtensionOf(FileNamePartOf(path)));
      if (env_.fs.DirectoryExists(path)) {
        report.notTransferred.push_back({FileNamePartOf(path), NotTransferredReason::Folder});
      } else if (extension == ".thm" &&
                 std::ranges::find(companions, lowered(path)) != companions.end()) {
        continue;
      } else if (extension != ".mp4" && !(toPsp && env_.converter != nullptr &&
                                          library::IsOtherVideoName(FileNamePartOf(path)))) {
        report.notTransferred.push_back({FileNamePartOf(path), NotTransferredReason::NotAVideo});
      } else {
        sources.push_back(path);
      }
    }
  } else {
    const VideoListId list = toPsp ? VideoListId::Pc : VideoListId::Psp;
    if (env_.host.SelectedCount(list) == 0) env_.host.SelectAll(list);
    const std::string& from = toPsp ? folders.PcFolder : folders.PspFolder;
    for (int row = 0; row < env_.host.RowCount(list); ++row) {
      if (env_.host.RowSelected(list, row))
        sources.push_back(from + env_.host.RowCaption(list, row));
    }
  }
  const int count = static_cast<int>(sources.size());

  // Names handed out in this transfer count as taken; so do files that the list does not show.
  std::optional<library::PspNameSource> names;
  FolderCheck check{&env_.fs, folders.PspFolder};
  if (toPsp) {
    std::vector<std::string> captions;
    const int pspRows = env_.host.RowCount(VideoListId::Psp);
    for (int i = 0; i < pspRows; ++i) captions.push_back(env_.host.RowCaption(VideoListId::Psp, i));
    names.emplace(kind, captions);
    names->SetFolderCheck(&PspNameInUse, &check);
    RemoveStaleTemporaries(folders.PspFolder, [kind](const std::string& name) {
      return IsPspTemporaryName(kind, name);
    });
  } else {
    RemoveStaleTemporaries(folders.PcFolder, IsPcTemporaryName);
  }

  for (const std::string& source : sources) {
    if (stop_.Stopped()) return EndCanceled(report, move);

    const std::string caption = FileNamePartOf(source);
    std::string destination;
    bool replace = false;
    std::optional<NotTransferredReason> refused;
    std::optional<std::uint64_t> sourceSize;
    bool convert = false;
    if (toPsp) {
      sourceSize = env_.fs.FileSize(source);
      ConversionCheck fate;
      if (env_.converter != nullptr) {
        Serving([&] {
          fate = env_.converter->Check(source, kind);
          return true;
        });
        convert = fate.fate == SourceFate::Convert;
      }
      // A conversion is judged by the size it will have; nothing is written that cannot fit.
      const std::optional<std::uint64_t> arriving =
          convert ? std::optional<std::uint64_t>(fate.estimate) : sourceSize;
      const std::optional<std::uint64_t> room =
          convert ? env_.fs.FreeBytes(folders.PspFolder) : std::nullopt;
      if (fate.fate == SourceFate::Unreadable) {
        refused = NotTransferredReason::NotReadable;
      } else if (arriving && *arriving >= PspFileSizeLimit) {
        refused = NotTransferredReason::TooLargeForPsp;
      } else if (room && *arriving > *room) {
        refused = NotTransferredReason::NoRoom;
      } else if (env_.fs.SameFile(FolderPartOf(source), folders.PspFolder)) {
        refused = NotTransferredReason::SameFile;
      } else {
        const std::string name = names->Next();
        if (library::PspNumberOf(kind, name) == 0) refused = NotTransferredReason::PspFull;
        destination = folders.PspFolder + name;
      }
    } else {
      destination = folders.PcFolder + caption;
      // Asked before anything: a PC folder that is the PSP folder by another spelling would
      // otherwise offer to overwrite the video with itself, or make a "_New" twin beside it.
      if (OneFile(source, destination)) {
        refused = NotTransferredReason::SameFile;
      } else if (env_.fs.FileExists(destination) || env_.fs.FileExists(CompanionOf(destination))) {
        const Answer answer = env_.dialogs.Show(OverwriteText, OverwriteCaption,
                                                platform::MbYesNo | platform::MbIconQuestion);
        if (answer == Answer::Yes) {
          replace = true;
        } else {
          const std::string name = FreeNewName(env_.fs, folders.PcFolder, caption);
          if (name.empty()) refused = NotTransferredReason::NoFreeName;
          destination = folders.PcFolder + name;
        }
      }
    }

    env_.progress.SetSource(source);
    env_.progress.SetDestination(destination);
    env_.pump.ProcessMessages();

    bool arrived = false;
    std::string whyNot;
    if (!refused) {
      // Companion first, then the video, each under a temporary name; neither takes its real
      // name before the video is complete, so a failure leaves the destination as it was.
      Staged thumb;
      Staged video;
      const RowFiles rowFiles(*this, thumb, video);
      Stage thumbStage = StageThumbnail(source, destination, thumb, true, toPsp);
      // An own thumbnail that cannot be read does not hold its video back: on the PSP the
      // video gets the default one instead, and the end message names the thumbnail.
      const bool thumbLost = thumbStage == Stage::Failed && thumb.own;
      if (thumbLost) {
        thumb = Staged{};
        thumbStage =
            toPsp ? StageThumbnail(source, destination, thumb, false, true) : Stage::Nothing;
      }
      video = Staged{TempNameFor(destination), destination, source, false};
      const std::string title =
          toPsp && env_.pspTitles ? video::TitleForFileName(caption) : std::string();
      bool subtitlesLost = false;
      const Copied copied =
          convert ? ConvertComplete(source, video.temp, kind, title, whyNot, subtitlesLost)
                  : CopyComplete(source, video.temp, sourceSize, BarPlace{report.handled, count},
                                 title);
      if (copied == Copied::Stopped) {
        if (thumbStage == Stage::Arrived) Discard(thumb);
        report.notTransferred.push_back({caption, convert ? NotTransferredReason::StoppedConverting
                                                          : NotTransferredReason::Stopped});
        return EndCanceled(report, move);
      }
      if (copied != Copied::Complete) {
        if (thumbStage == Stage::Arrived) Discard(thumb);
        refused = copied == Copied::NoName     ? NotTransferredReason::NoTemporaryName
                  : copied == Copied::NoRoom   ? NotTransferredReason::NoRoom
                  : copied == Copied::TooLarge ? NotTransferredReason::TooLargeForPsp
                  : convert                    ? NotTransferredReason::ConversionFailed
                                               : NotTransferredReason::CopyFailed;
      } else if (!Place(video, replace)) {
        // The old video, if any, is untouched; so is its thumbnail.
        if (thumbStage == Stage::Arrived) Discard(thumb);
        refused = replace ? NotTransferredReason::NotReplaced : NotTransferredReason::CopyFailed;
      } else {
        arrived = true;
        const bool thumbPlaced = thumbStage == Stage::Arrived && Place(thumb, replace);
        // A thumbnail of the replaced video must not stay beside the new one.
        if (replace && !thumbPlaced) env_.fs.Delete(CompanionOf(destination));
        if (thumbLost) report.thumbnailsLeft.push_back(CompanionOf(source));
        if (subtitlesLost) report.subtitlesLost.push_back(source);
        if (move && convert) {
          // The PSP got a changed picture and sound: the user's original stays.
          report.convertedKept.push_back(source);
        } else if (move) {
          if (!Serving([&] { return env_.fs.Delete(source); })) {
            report.notRemoved.push_back(source);  // its thumbnail stays with it
          } else if (thumbPlaced && thumb.own) {
            // Only a thumbnail that reached the other side may leave this one.
            env_.fs.Delete(CompanionOf(source));
          }
        }
      }
    }
    if (arrived) {
      report.arrived.push_back(destination);
    } else {
      report.notTransferred.push_back({caption, *refused, whyNot});
    }

    ++report.handled;
    env_.progress.SetPosition(ProgressPercent(report.handled, count));
  }

  if (report.handled == 0) report.end = TransferEnd::NothingToDo;
  env_.host.ClickRefreshPc();
  if (needPsp) env_.host.ClickRefreshPsp();
  env_.progress.CloseProgress();
  if (sessionEnding_) {
    // A last row that ended as the session did: no box.
  } else if (!report.Incomplete()) {
    env_.dialogs.Show(report.convertedKept.empty() && report.subtitlesLost.empty()
                          ? CompletedText
                          : NotTransferredText(report, false, move),
                      CompletedCaption, platform::MbOk | platform::MbIconInformation);
  } else {
    env_.dialogs.Show(NotTransferredText(report, false, move), IncompleteCaption,
                      platform::MbOk | MbIconWarning);
  }
  env_.progress.SetPosition(0);
  return report;
}

}  // namespace brevlo::operations
