#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "media/VideoPicture.h"
#include "platform/JpegDecoder.h"

namespace brevlo::media {

// A thumbnail file's bytes (a baseline JPEG); empty when the video has no picture.
using PictureBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// A file as it was when its picture was asked for: a changed file is a new picture.
struct PictureKey {
  std::string path;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;
  bool operator<(const PictureKey& o) const {
    return std::tie(path, size, modified) < std::tie(o.path, o.size, o.modified);
  }
};

// One row of a list that waits for its picture. list and generation say which fill it was made
// for, so that a picture never reaches a row of another fill.
struct PictureJob {
  int list = 0;
  unsigned generation = 0;
  int row = 0;
  PictureKey file;        // the video
  std::string thumbnail;  // its own thumbnail file; empty when it has none
  bool frame = false;     // without a thumbnail to show, the video's own picture is made
  int width = platform::ThumbnailWidth;  // the size the row shows
  int height = platform::ThumbnailHeight;
};

enum class PictureSource {
  None,       // neither: the row keeps the default picture
  Thumbnail,  // its own thumbnail file
  Frame,      // a picture of the video itself
};

struct PictureDone {
  PictureJob job;
  PictureSource source = PictureSource::None;
  platform::Thumbnail pixels{0, 0};  // at the job's size, unless None
  int jpegError = 0;                 // the decoder's error for a thumbnail that is no JPEG
};

// Reads a whole file for the worker; false when it cannot.
using ReadWholeFile = std::function<bool(const std::string&, std::vector<std::uint8_t>&)>;

// Reads the thumbnails and makes the pictures of the rows on one thread of its own, in the order
// they were handed over, and keeps every picture it made of a video for the program's life (a
// failure is tried again when next asked for). The thread touches nothing but this object and
// the files it reads: finished pictures wait here until the window's thread takes them, and it
// is only told that there are some (ready is called on the worker's thread, and should only post
// a message). maker may be null: then no picture of a video is made.
class PictureWorker {
 public:
  PictureWorker(IVideoPictures* maker, std::function<void()> ready, ReadWholeFile read = {});
  ~PictureWorker();
  PictureWorker(const PictureWorker&) = delete;
  PictureWorker& operator=(const PictureWorker&) = delete;

  // The rows of one list that wait for pictures, in the order wanted; whatever the list waited
  // for before is dropped.
  void Submit(int list, std::vector<PictureJob> jobs);
  // Drops the waiting rows of a list (a refill or another folder).
  void Drop(int list);
  // The pictures finished since the last call.
  std::vector<PictureDone> TakeDone();
  // The picture of one file, known or made now on the calling thread (kept like the others).
  PictureBytes PictureOf(const PictureKey& file, const StopAsked& stop = {});
  // Rows waiting or being made, for tests and for the end of the program.
  std::size_t Pending();
  // While files are moved, replaced or converted the worker holds none of them open and takes
  // no share of the disk: Pause drops the waiting rows, has the one in hand given up and
  // returns once its files are closed. Rows submitted meanwhile wait for Resume.
  void Pause();
  void Resume();

 private:
  void Run();
  PictureBytes Known(const PictureKey& file);
  PictureDone Work(PictureJob job, std::unique_lock<std::mutex>& lock);
  bool Stopping();

  IVideoPictures* maker_;
  std::function<void()> ready_;
  ReadWholeFile read_;
  platform::JpegThumbnailDecoder decoder_;  // the worker thread's own
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<PictureJob> waiting_;
  std::vector<PictureDone> done_;
  std::map<PictureKey, PictureBytes> known_;
  bool working_ = false;
  bool ending_ = false;
  int paused_ = 0;
  std::thread thread_;
};

}  // namespace brevlo::media
