#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/PaneFolders.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/MessagePump.h"

namespace brevlo::operations {

enum TransferMode : int { MoveToPsp = 0, CopyToPsp = 1, MoveToPc = 2, CopyToPc = 3 };

enum class VideoListId { Pc, Psp };

// FAT32 cannot hold a file of this size or more, so the PSP never receives one.
inline constexpr std::uint64_t PspFileSizeLimit = 4294967295ull;

// Shared by a transfer and its progress window: Stop only sets it, and the transfer looks at
// it before its next row. A conversion's worker reads it between its steps.
struct TransferStopFlag {
  std::atomic<int> TransferCanceled = 0;
  void Stop() { TransferCanceled = -1; }
  bool Stopped() const { return TransferCanceled != 0; }
};

// The progress window as the transfer sees it.
class ITransferProgress {
 public:
  virtual ~ITransferProgress() = default;
  // Shown without waiting; the main window takes no input while it is up. Its Stop button (and
  // closing it by hand) calls stop.Stop() and closes it.
  virtual void ShowProgress(TransferStopFlag& stop) = 0;
  // Closed by the transfer itself; this never counts as Stop.
  virtual void CloseProgress() = 0;
  virtual void SetSource(const std::string& path) = 0;
  virtual void SetDestination(const std::string& path) = 0;
  virtual void SetPosition(int percent) = 0;
  // A file's copy begins or ends: while one runs, the windows are served between its steps and
  // no other operation may start.
  virtual void SetCopying(bool /*copying*/) {}
  // What the row in hand is doing beyond a copy ("Converting clip.mkv, about 1:20 left");
  // empty: a copy.
  virtual void SetStatus(const std::string& /*text*/) {}
};

// "Converting <name>", with the time left once it can be told ("about 1:20 left").
std::string ConvertingStatus(const std::string& name, double fraction, double seconds);

// What the transfer needs of the main window besides the progress window.
class ITransferHost {
 public:
  virtual ~ITransferHost() = default;
  virtual int RowCount(VideoListId list) = 0;
  virtual std::string RowCaption(VideoListId list, int row) = 0;
  virtual bool RowSelected(VideoListId list, int row) = 0;
  virtual int SelectedCount(VideoListId list) = 0;
  virtual void SelectAll(VideoListId list) = 0;
  // Selected index of the video kind box.
  virtual int KindIndex() = 0;
  // The main window's folders; the transfer sets their kind to the kind box's.
  virtual library::PaneFolders& Folders() = 0;
  // Performs a click of the refresh button of that list.
  virtual void ClickRefreshPc() = 0;
  virtual void ClickRefreshPsp() = 0;
};

// A video's conversion in steps, as the transfer drives it: each step runs off the window's
// thread, and the transfer serves the windows and looks at Stop between them.
class IConversionJob {
 public:
  virtual ~IConversionJob() = default;
  enum class Step { Working, Done, Failed };
  // Works for a tenth of a second or so, so that Stop is seen between the steps.
  virtual Step Run() = 0;
  // Of the video's length, 0 to 1; read by the window's thread while Run works on another.
  virtual double Fraction() const = 0;
  virtual std::string Error() const = 0;
  // Bytes of the converted file, known once it is Done and closed.
  virtual std::uint64_t BytesWritten() const = 0;
  // Done, but the subtitles it was to draw into the picture could not be drawn at all.
  virtual bool SubtitlesLost() const { return false; }
};

// What a conversion may still add to its file once it has stopped growing step by step: the
// index a video file closes with, which grows with its length.
std::uint64_t ClosingReserve(std::uint64_t written);

// What a video needs on its way to the PSP as a kind.
enum class SourceFate { AsItIs, Convert, Unreadable };
struct ConversionCheck {
  SourceFate fate = SourceFate::AsItIs;
  std::uint64_t estimate = 0;  // the converted file's size at most, when it is converted
};

// Conversion on the way to the PSP. Check and Plays read the files: they run off the window's
// thread as Open's steps do.
class IVideoConverter {
 public:
  virtual ~IVideoConverter() = default;
  virtual ConversionCheck Check(const std::string& source, int kind) = 0;
  // Null with error set when the source cannot be converted. title: the PSP title it gets.
  virtual std::unique_ptr<IConversionJob> Open(const std::string& source, const std::string& target,
                                               int kind, const std::string& title,
                                               std::string& error) = 0;
  // Whether our own verdict says the PSP plays the file as that kind.
  virtual bool Plays(const std::string& file, int kind) = 0;
};

struct TransferEnvironment {
  platform::IFileSystem& fs;
  platform::IDialogs& dialogs;
  platform::IMessagePump& pump;
  ITransferHost& host;
  ITransferProgress& progress;
  std::string appFolder;  // with its trailing backslash
  // A video sent to the PSP without a PSP title gets its PC file name as one; the encoder
  // names the program in the title's box.
  bool pspTitles = false;
  std::string titleEncoder;
  // A picture of a video as a thumbnail file's bytes, empty for none; runs off the window's
  // thread. Unset: videos without a thumbnail get the default one.
  std::function<std::vector<std::uint8_t>(const std::string& video)> pictureOf;
  // Converts what the PSP would not play; unset: every video goes as it is.
  IVideoConverter* converter = nullptr;
};

enum class TransferEnd { Completed, Canceled, NothingToDo, Refused };

enum class NotTransferredReason {
  CopyFailed,         // the video (or its own thumbnail) did not arrive complete
  TooLargeForPsp,     // PspFileSizeLimit bytes or more
  PspFull,            // every number from 1 to 99999 is taken
  SameFile,           // source and destination are one file, or one folder, however spelt
  NoFreeName,         // no free "_New" name
  NoTemporaryName,    // every temporary name beside the destination is taken
  NotReplaced,        // the old file could not be replaced and stays as it was
  Stopped,            // Stop was pressed during its copy
  StoppedConverting,  // or during its conversion
  NotAVideo,          // dropped, but not an ".mp4" file
  Folder,             // dropped, but a folder
  NotReadable,        // not an ".mp4", and not a video this program reads
  NoRoom,             // its conversion would not fit in the PSP's free space
  ConversionFailed,   // the conversion failed, or its result would not play
};

struct NotTransferred {
  std::string caption;
  NotTransferredReason reason;
  std::string detail = {};  // what went wrong, where there is more to say
};

struct TransferReport {
  TransferEnd end = TransferEnd::Completed;
  int handled = 0;                   // selected rows dealt with, whether they arrived or not
  std::vector<std::string> arrived;  // destination paths, in order
  std::vector<NotTransferred> notTransferred;
  // Videos that arrived without their own thumbnail, which could not be read: its path.
  std::vector<std::string> thumbnailsLeft;
  // Moved videos that arrived but whose source could not be removed: the source's path.
  std::vector<std::string> notRemoved;
  // Moved videos that arrived converted: the originals stay where they were.
  std::vector<std::string> convertedKept;
  // Videos converted without the subtitles they were to get, none of which could be drawn.
  std::vector<std::string> subtitlesLost;
  bool Incomplete() const {
    return !notTransferred.empty() || !thumbnailsLeft.empty() || !notRemoved.empty();
  }
};

inline constexpr const char* CompletedText = "The transfer is completed.";
inline constexpr const char* CompletedCaption = "Mission Accomplished";
inline constexpr const char* CanceledText = "Transfer is canceled";
inline constexpr const char* CanceledCaption = "Canceled";
inline constexpr const char* OverwriteText = "The destination file is existent. Overwrite it?";
inline constexpr const char* OverwriteCaption = "Overwrite";
inline constexpr const char* NoPcFolderText = "Please choose a folder of the computer first.";
inline constexpr const char* NoPspText = "No PSP is connected.";
inline constexpr const char* TransferCaption = "Transfer";
inline constexpr const char* ConvertingText = "Converting";
inline constexpr const char* IncompleteCaption = "Transfer Incomplete";

// k / s x 100 to the nearest integer, a half going to the even neighbour.
int ProgressPercent(int handled, int selected);
// The same within a file: (k + copied / size) / s x 100, rounded alike, so that the bar never
// steps back when the file is done.
int ProgressPercent(int handled, int selected, std::uint64_t copied, std::uint64_t size);

// Whether a name in a PSP video folder is one of our temporary files: a PSP video name of that
// kind, or its thumbnail's, followed by ".part" and perhaps a number.
bool IsPspTemporaryName(int kind, const std::string& name);
// The same in a PC folder: a PSP video name of either kind, perhaps with "_New", "_New2", ...,
// or its thumbnail's, followed by ".part" and perhaps a number. Other names there may be
// another program's (a download in progress).
bool IsPcTemporaryName(const std::string& name);

// "clip_New.mp4", "clip_New2.mp4", ... for n = 1, 2, ...
std::string NewName(const std::string& fileName, int n);

// Free of "_New", "_New2", ... in the folder: neither the video nor its companion exists.
// Empty when none is free.
std::string FreeNewName(platform::IFileSystem& fs, const std::string& folder,
                        const std::string& fileName);

// The end message's text when some files stayed behind.
std::string NotTransferredText(const TransferReport& report, bool canceled, bool move);

class TransferEngine {
 public:
  explicit TransferEngine(const TransferEnvironment& env);

  // Copies or moves the selected videos of one list to the other side, one after the other.
  TransferReport TransferVideos(int mode);
  // Copies files named by their full paths (dropped from another program) as the selected rows
  // of a copy would go: CopyToPsp or CopyToPc only. Only ".mp4" files are taken, in any case;
  // folders and other files are named in the end message. A copy to the PC reloads only the
  // PC list, and needs no PSP.
  TransferReport TransferFiles(int mode, const std::vector<std::string>& paths);

  // The Stop button.
  void Stop() { stop_.Stop(); }
  // The session ends, and the process may be ended as soon as this returns (it is called from
  // inside the running transfer's round of messages): the transfer stops without another word,
  // and what it wrote under temporary names goes now.
  void EndSession();
  int TransferCanceled() const { return stop_.TransferCanceled; }

 private:
  struct Staged {
    std::string temp;
    std::string target;
    std::string from;  // whose attributes the file takes once it has its name
    bool own = false;  // the source's own thumbnail, not the default one
  };
  enum class Stage { Arrived, Failed, Nothing };
  // Names the row's temporary files to the end of the session while the row is in hand.
  struct RowFiles {
    TransferEngine& engine;
    RowFiles(TransferEngine& e, const Staged& thumb, const Staged& video) : engine(e) {
      engine.rowThumb_ = &thumb;
      engine.rowVideo_ = &video;
    }
    ~RowFiles() { engine.rowThumb_ = engine.rowVideo_ = nullptr; }
    RowFiles(const RowFiles&) = delete;
    RowFiles& operator=(const RowFiles&) = delete;
  };
  enum class Copied { Complete, Failed, Stopped, NoName, NoRoom, TooLarge };
  // Where a video's copy stands on the bar: rows handled before it, rows selected.
  struct BarPlace {
    int handled;
    int selected;
  };

  // size: the source's, when already known. With a place on the bar, the copy goes in steps,
  // serving the windows between them, and Stop pressed meanwhile ends it.
  Copied CopyComplete(const std::string& from, const std::string& temp,
                      std::optional<std::uint64_t> size = std::nullopt,
                      std::optional<BarPlace> bar = std::nullopt, const std::string& pspTitle = {});
  // The source converted for the PSP into temp, its progress on the bar across the video's
  // length; Stop pressed meanwhile ends it within a step. subtitlesLost: it arrived without the
  // subtitles it was to get.
  Copied ConvertComplete(const std::string& source, const std::string& temp, int kind,
                         const std::string& title, std::string& error, bool& subtitlesLost);
  // dropped: the paths of TransferFiles; none: the selected rows of the source list.
  TransferReport Transfer(int mode, const std::vector<std::string>* dropped);
  TransferReport EndCanceled(TransferReport& report, bool move);
  // Temporary files that a copy cut short by the end of the program left in the folder sent to;
  // ours: whether a name there is one of them.
  void RemoveStaleTemporaries(const std::string& folder,
                              const std::function<bool(const std::string&)>& ours);
  // Empty when every temporary name is taken.
  std::string TempNameFor(const std::string& target);
  // The source's own thumbnail (unless own is false), else with picture a picture of the video,
  // else the default one.
  Stage StageThumbnail(const std::string& sourceVideo, const std::string& destinationVideo,
                       Staged& staged, bool own, bool picture);
  // A picture of the video under a temporary name beside the destination's thumbnail.
  Stage StagePicture(const std::string& sourceVideo, Staged& staged);
  // Renames the staged file into place (over the old one, in one step, when replacing); when
  // that fails the staged file goes and the old one stays whole.
  bool Place(const Staged& staged, bool replace);
  void Discard(const Staged& staged);
  // One file call that may block for long (a rename into place, a large file's removal): it
  // runs while the windows are served, as between the steps of a copy, and no other operation
  // starts meanwhile.
  bool Serving(const std::function<bool()>& call);
  // Removes a part of a copy that this program wrote, the windows served throughout.
  bool RemovePart(const std::string& path);
  bool OneFile(const std::string& source, const std::string& destination);

  TransferEnvironment env_;
  TransferStopFlag stop_;
  // The session is ending: no box, no question.
  bool sessionEnding_ = false;
  // The row in hand's temporary files, for the end of the session.
  const Staged* rowThumb_ = nullptr;
  const Staged* rowVideo_ = nullptr;
  // The conversion in hand: its job, and whether its worker is still in a step.
  std::unique_ptr<IConversionJob>* conversion_ = nullptr;
  const std::atomic<bool>* converting_ = nullptr;
};

}  // namespace brevlo::operations
