#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevlo::platform {

// Attribute bits as the Windows kernel reports them, so both adapters speak the same values.
enum FileAttribute : unsigned {
  AttrReadOnly = 0x01,
  AttrHidden = 0x02,
  AttrSystem = 0x04,
  AttrDirectory = 0x10,
};

// A copy made in steps reports between steps how far it is; answering false cancels it.
using CopyProgress = std::function<bool(std::uint64_t copied, std::uint64_t total)>;

enum class CopyResult { Done, Failed, Canceled };

// One piece of a planned copy: bytes made in memory, or a range of the source file.
struct PlanPiece {
  std::vector<std::uint8_t> bytes;
  std::uint64_t sourceOffset = 0;
  std::uint64_t sourceLength = 0;
  bool fromSource = false;

  static PlanPiece Memory(std::vector<std::uint8_t> data) { return {std::move(data), 0, 0, false}; }
  static PlanPiece Source(std::uint64_t offset, std::uint64_t length) {
    return {{}, offset, length, true};
  }
  std::uint64_t Size() const { return fromSource ? sourceLength : bytes.size(); }
};

// What a file is, as far as a plan made from it can tell: its size and its last change, the
// latter in the adapter's own units.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

// What a destination is made of, in order. An empty plan is the source as it is. Its ranges
// hold only for the file they were read from: source names it, and a copy from any other file
// (one replaced or changed since) fails.
struct CopyPlan : std::vector<PlanPiece> {
  std::optional<FileStamp> source;
};

struct DirEntry {
  std::string name;
  unsigned attributes = 0;
  std::uint64_t size = 0;
  // Last write, in the system's own units: only ever compared with itself.
  std::uint64_t modified = 0;
};

// An open file read at chosen offsets, for readers that look at a few parts of a big file.
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  virtual std::uint64_t Size() const = 0;
  // Up to count bytes from offset; fewer only at the end of the file or on a read error.
  virtual std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) = 0;
  // The open file as it is now; empty when the reader cannot tell (bytes in memory).
  virtual std::optional<FileStamp> Stamp() { return std::nullopt; }
};

// Files and folders addressed by 8-bit Windows path texts (backslash separated).
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Entries of a folder whose names match a wildcard such as "*.mp4" (case ignored); "." and
  // ".." are never returned. An unreadable or missing folder yields no entries.
  virtual std::vector<DirEntry> ListDirectory(const std::string& folder,
                                              const std::string& pattern) = 0;
  // The same entries one at a time, for as long as visit answers true; the rest of the folder
  // is then not read.
  virtual void VisitDirectory(const std::string& folder, const std::string& pattern,
                              const std::function<bool(const DirEntry&)>& visit) = 0;
  // Size in bytes, opened for reading only; empty when the file cannot be opened.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
  // Whole contents up to maxBytes; false when unreadable or larger than maxBytes.
  virtual bool ReadFile(const std::string& path, std::vector<unsigned char>& out,
                        std::size_t maxBytes) = 0;
  // Opened for reading only and shared with everyone; null when it cannot be opened.
  virtual std::unique_ptr<IFileReader> OpenReader(const std::string&) { return nullptr; }
  // Never replaces or empties an existing destination (nor a source named as its own
  // destination): the copy fails instead and leaves that file as it was.
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  // The same copy in steps short enough that the caller can keep its windows answering between
  // them; progress is asked between steps. A copy that fails or is canceled leaves the part it
  // wrote for the caller to remove (removing a large file can take long, and the caller knows
  // how to keep its windows answering meanwhile), and never touches a file it did not create.
  // Unless an adapter knows better, the whole file is one step.
  virtual CopyResult CopyInSteps(const std::string& from, const std::string& to,
                                 const CopyProgress& /*progress*/) {
    return Copy(from, to) ? CopyResult::Done : CopyResult::Failed;
  }
  // The same copy made to a plan: its pieces in memory and the ranges of from it names, in
  // order. An empty plan copies from as it is.
  virtual CopyResult CopyPlanInSteps(const std::string& from, const std::string& to,
                                     const CopyPlan& plan, const CopyProgress& progress) = 0;
  // Writes bytes at offset over an existing file's own bytes in one call; never changes its
  // size. False when the file cannot be written there. The Win32 adapter answers once the bytes
  // are on the disk, so that a series of writes reaches it in its order.
  virtual bool WriteAt(const std::string& path, std::uint64_t offset,
                       const std::vector<std::uint8_t>& bytes) = 0;
  // Bytes the caller may still write on the volume of a folder; empty when it cannot be told.
  virtual std::optional<std::uint64_t> FreeBytes(const std::string& /*folder*/) {
    return std::nullopt;
  }
  // A new file holding bytes; never replaces an existing one. Unless an adapter knows how, false.
  virtual bool WriteNew(const std::string& /*path*/, const std::vector<std::uint8_t>& /*bytes*/) {
    return false;
  }
  virtual bool Delete(const std::string& path) = 0;
  // Cuts a file down to size bytes, freeing the rest; false when it cannot.
  virtual bool Truncate(const std::string& /*path*/, std::uint64_t /*size*/) { return false; }
  // Never replaces an existing destination.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  // Puts from in the place of to in one step, whether to exists or not; when it fails, both
  // stay exactly as they were.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Whether two paths, however spelt, name one existing file or folder.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  // Gives to the read-only, hidden and system marks of from.
  virtual void CopyAttributes(const std::string& from, const std::string& to) = 0;
  // To the Recycle Bin (or the desktop's trash), from where the user can take it back. False,
  // the file left where it is, when the bin would not keep it (the system would delete it for
  // good instead) or the move failed.
  virtual bool Recycle(const std::string& path) = 0;
};

}  // namespace brevlo::platform
