#include "platform/portable/PortablePlatform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/CopyPlan.h"
#include "platform/CopySteps.h"

namespace fs = std::filesystem;

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace brevlo::platform {
namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

std::string HostPath(const std::string& windowsPath) {
  std::string p = windowsPath;
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void StdFileSystem::MapDrive(char letter, const std::string& hostFolder) {
  const int index = std::toupper(static_cast<unsigned char>(letter)) - 'A';
  if (index >= 0 && index < 26) driveRoots_[index] = hostFolder;
}

std::string StdFileSystem::Host(const std::string& windowsPath) const {
  if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
    const int index = std::toupper(static_cast<unsigned char>(windowsPath[0])) - 'A';
    if (index >= 0 && index < 26 && !driveRoots_[index].empty()) {
      return driveRoots_[index] + "/" + HostPath(windowsPath.substr(2));
    }
  }
  return HostPath(windowsPath);
}

bool StdFileSystem::DirectoryExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(Host(path), ec);
}

bool StdFileSystem::FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(Host(path), ec);
}

std::vector<DirEntry> StdFileSystem::ListDirectory(const std::string& folder,
                                                   const std::string& pattern) {
  std::vector<DirEntry> entries;
  VisitDirectory(folder, pattern, [&](const DirEntry& e) {
    entries.push_back(e);
    return true;
  });
  return entries;
}

void StdFileSystem::VisitDirectory(const std::string& folder, const std::string& pattern,
                                   const std::function<bool(const DirEntry&)>& visit) {
  std::error_code ec;
  fs::directory_iterator it(Host(folder), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!WildcardMatch(pattern, name)) continue;
    DirEntry e;
    e.name = name;
    // One stat gives type, permissions and size; big folders are listed often.
    struct stat info {};
    if (::stat(it->path().string().c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) e.attributes |= AttrDirectory;
    if (!name.empty() && name[0] == '.') e.attributes |= AttrHidden;
    if ((info.st_mode & S_IWUSR) == 0) e.attributes |= AttrReadOnly;
    if (S_ISREG(info.st_mode)) e.size = static_cast<std::uint64_t>(info.st_size);
#ifdef _WIN32
    e.modified = static_cast<std::uint64_t>(info.st_mtime);
#else
    e.modified = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                 static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
#endif
    if (!visit(e)) break;
  }
}

std::optional<std::uint64_t> StdFileSystem::FileSize(const std::string& path) {
  // Opened, so that an unreadable file has no size, but without a stream: a transfer asks
  // this three times per video.
  const int fd = ::open(Host(path).c_str(), O_RDONLY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool StdFileSystem::ReadFile(const std::string& path, std::vector<unsigned char>& out,
                             std::size_t maxBytes) {
  std::ifstream in(Host(path), std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) return false;
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(out.data()), size)) || size == 0;
}

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const bool ok = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

std::optional<FileStamp> StampOf(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
#if defined(_WIN32)
  const std::int64_t nanoseconds = 0;  // the C runtime's stat has whole seconds only
#else
  const std::int64_t nanoseconds = info.st_mtim.tv_nsec;
#endif
  return FileStamp{static_cast<std::uint64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtime) * 1000000000 + nanoseconds};
}

// Reads through a descriptor it may or may not own, so that a copy reads its plan's ranges
// from the very file it checked. One position, so one reader at a time.
class FdFileReader : public IFileReader {
 public:
  FdFileReader(int fd, std::uint64_t size, bool own) : fd_(fd), size_(size), own_(own) {}
  ~FdFileReader() override {
    if (own_) ::close(fd_);
  }
  FdFileReader(const FdFileReader&) = delete;
  FdFileReader& operator=(const FdFileReader&) = delete;
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      if (::lseek(fd_, static_cast<off_t>(offset + done), SEEK_SET) < 0) break;
      const auto got = ::read(fd_, static_cast<char*>(out) + done,
                              static_cast<unsigned>(std::min<std::size_t>(count - done, 1u << 20)));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }
  std::optional<FileStamp> Stamp() override { return StampOf(fd_); }

 private:
  int fd_;
  std::uint64_t size_;
  bool own_;
};
}  // namespace

std::unique_ptr<IFileReader> StdFileSystem::OpenReader(const std::string& path) {
  const int fd = ::open(Host(path).c_str(), O_RDONLY | O_BINARY);
  if (fd < 0) return nullptr;
  const auto stamp = StampOf(fd);
  if (!stamp) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FdFileReader>(fd, stamp->size, true);
}

bool StdFileSystem::Copy(const std::string& from, const std::string& to) {
  std::error_code ec;
  return fs::copy_file(Host(from), Host(to), fs::copy_options::none, ec) && !ec;
}

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

CopyResult StdFileSystem::CopyInSteps(const std::string& from, const std::string& to,
                                      const CopyProgress& progress) {
  return CopyPlanInSteps(from, to, {}, progress);
}

CopyResult StdFileSystem::CopyPlanInSteps(const std::string& from, const std::string& to,
                                          const CopyPlan& plan, const CopyProgress& progress) {
  Fd source(::open(Host(from).c_str(), O_RDONLY | O_BINARY));
  struct stat info {};
  if (source.Get() < 0 || ::fstat(source.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return CopyResult::Failed;
  }
  auto total = static_cast<std::uint64_t>(info.st_size);
  std::unique_ptr<IFileReader> reader;
  std::optional<PlanReader> pieces;
  const auto stamp = StampOf(source.Get());
  if (!plan.empty()) {
    if (!plan.source || stamp != plan.source) return CopyResult::Failed;
    reader = std::make_unique<FdFileReader>(source.Get(), total, false);
    pieces.emplace(plan, *reader);
    total = PlanSize(plan);
  }
  const std::string target = Host(to);
  Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644));
  if (out.Get() < 0) return CopyResult::Failed;
  CopyResult result = CopyLoop(
      total,
      [&](char* buffer, std::size_t size) -> long long {
        if (pieces) return pieces->Read(buffer, size);
        ssize_t got;
        do {
          got = ::read(source.Get(), buffer, size);
        } while (got < 0 && errno == EINTR);
        return got;
      },
      [&](const char* data, std::size_t size) { return WriteAll(out.Get(), data, size); },
      progress);
  // Nothing here keeps writers out: a source changed meanwhile gave a mixed copy.
  if (!plan.empty() && result == CopyResult::Done && StampOf(source.Get()) != stamp) {
    result = CopyResult::Failed;
  }
  if (!out.Close() && result == CopyResult::Done) result = CopyResult::Failed;
  return result;
}

bool StdFileSystem::WriteAt(const std::string& path, std::uint64_t offset,
                            const std::vector<std::uint8_t>& bytes) {
  Fd file(::open(Host(path).c_str(), O_WRONLY));
  struct stat info {};
  if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      offset > static_cast<std::uint64_t>(info.st_size) ||
      bytes.size() > static_cast<std::uint64_t>(info.st_size) - offset ||
      ::lseek(file.Get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return false;
  }
  const bool written =
      WriteAll(file.Get(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return file.Close() && written;
}

std::optional<std::uint64_t> StdFileSystem::FreeBytes(const std::string& folder) {
  std::error_code ec;
  const auto space = fs::space(Host(folder), ec);
  if (ec) return std::nullopt;
  return space.available;
}

bool StdFileSystem::WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  Fd file(::open(Host(path).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
  if (file.Get() < 0) return false;
  const bool written =
      WriteAll(file.Get(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return file.Close() && written;
}

bool StdFileSystem::Delete(const std::string& path) {
  std::error_code ec;
  const auto host = Host(path);
  return fs::is_regular_file(host, ec) && fs::remove(host, ec);
}

bool StdFileSystem::Move(const std::string& from, const std::string& to) {
  std::error_code ec;
  const auto target = Host(to);
  if (fs::exists(target, ec)) return false;
  fs::rename(Host(from), target, ec);
  return !ec;
}

bool StdFileSystem::Truncate(const std::string& path, std::uint64_t size) {
  const std::string host = Host(path);
  struct stat info {};
  return ::stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::truncate(host.c_str(), static_cast<off_t>(size)) == 0;
}

bool StdFileSystem::Replace(const std::string& from, const std::string& to) {
  // rename() takes the place of an existing file in one step.
  return ::rename(Host(from).c_str(), Host(to).c_str()) == 0;
}

bool StdFileSystem::SameFile(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  return !a.empty() && !b.empty() && ::stat(Host(a).c_str(), &x) == 0 &&
         ::stat(Host(b).c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

void StdFileSystem::CopyAttributes(const std::string& from, const std::string& to) {
  struct stat source {
  }, target{};
  const std::string host = Host(to);
  if (::stat(Host(from).c_str(), &source) != 0 || ::stat(host.c_str(), &target) != 0) return;
  // Read-only is the only mark the host keeps: the owner's write permission.
  ::chmod(host.c_str(), (target.st_mode & ~S_IWUSR) | (source.st_mode & S_IWUSR));
}

// The desktop's trash as freedesktop.org describes it: the file under files/, where it came
// from and when under info/.
bool StdFileSystem::Recycle(const std::string& path) {
  const fs::path source = fs::absolute(Host(path));
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) return false;
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if ((data == nullptr || *data == '\0') && home == nullptr) return false;
  const fs::path trash = (data != nullptr && *data != '\0') ? fs::path(data) / "Trash"
                                                            : fs::path(home) / ".local/share/Trash";
  fs::create_directories(trash / "files", ec);
  fs::create_directories(trash / "info", ec);
  const std::string name = source.filename().string();
  for (int n = 1; n < 10000; ++n) {
    const std::string unique = n == 1 ? name : name + "." + std::to_string(n);
    const fs::path info = trash / "info" / (unique + ".trashinfo");
    // O_EXCL claims the name, so two deletions never share one.
    Fd claim(::open(info.string().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
    if (claim.Get() < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const std::time_t now = std::time(nullptr);
    char when[32] = {};
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    const std::string text =
        "[Trash Info]\nPath=" + source.string() + "\nDeletionDate=" + when + "\n";
    const bool written = WriteAll(claim.Get(), text.data(), text.size()) && claim.Close();
    if (written && !fs::exists(trash / "files" / unique, ec) &&
        ::rename(source.string().c_str(), (trash / "files" / unique).string().c_str()) == 0) {
      return true;
    }
    ::unlink(info.string().c_str());
    return false;
  }
  return false;
}

int PlainLocale::CompareIgnoreCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int x = static_cast<unsigned char>(Lower(a[i]));
    const int y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

Answer ScriptedDialogs::Show(const std::string& text, const std::string& caption, unsigned flags) {
  shown.push_back({text, caption, flags});
  if (answers.empty()) {
    return (flags & MbYesNo) != 0 ? Answer::No : Answer::Ok;
  }
  const Answer a = answers.front();
  answers.pop_front();
  return a;
}

namespace {
int LetterIndex(const std::string& root) {
  if (root.empty()) return -1;
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
  return (c >= 'A' && c <= 'Z' && root.size() >= 2 && root[1] == ':') ? c - 'A' : -1;
}
}  // namespace

std::uint32_t TableDrives::LogicalDriveMask() {
  std::uint32_t mask = 0;
  for (const auto& d : drives) mask |= 1u << (d.letter - 'A');
  return mask;
}

DriveType TableDrives::TypeOf(const std::string& root) {
  const int index = LetterIndex(root);
  for (const auto& d : drives) {
    if (d.letter - 'A' == index) return d.type;
  }
  return DriveType::NoRootDir;
}

bool TableDrives::HasMedium(const std::string& root) {
  const int index = LetterIndex(root);
  for (const auto& d : drives) {
    if (d.letter - 'A' == index) return d.medium;
  }
  return false;
}

}  // namespace brevlo::platform
