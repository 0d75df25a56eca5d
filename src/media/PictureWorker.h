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
  PictureKey file;
};

struct PictureDone {
  PictureJob job;
  PictureBytes picture;
};

// Makes the pictures of the rows on one thread of its own, in the order they were handed over,
// and keeps every picture for the program's life. The thread touches nothing but this object
// and the files it reads: finished pictures wait here until the window's thread takes them,
// and it is only told that there are some (ready is called on the worker's thread, and should
// only post a message).
class PictureWorker {
 public:
  PictureWorker(IVideoPictures& maker, std::function<void()> ready);
  ~PictureWorker();
  PictureWorker(const PictureWorker&) = delete;
  PictureWorker& operator=(const PictureWorker&) = delete;

  // The rows of one list that wait for pictures, in the order wanted: those whose pictures are
  // already known are answered at once and left out of the work; whatever the list waited for
  // before is dropped.
  std::vector<PictureDone> Submit(int list, std::vector<PictureJob> jobs);
  // Drops the waiting rows of a list (a refill or another folder).
  void Drop(int list);
  // The pictures finished since the last call.
  std::vector<PictureDone> TakeDone();
  // The picture of one file, known or made now on the calling thread (kept like the others).
  PictureBytes PictureOf(const PictureKey& file, const StopAsked& stop = {});
  // Rows waiting or being made, for tests and for the end of the program.
  std::size_t Pending();

 private:
  void Run();
  PictureBytes Known(const PictureKey& file);

  IVideoPictures& maker_;
  std::function<void()> ready_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<PictureJob> waiting_;
  std::vector<PictureDone> done_;
  std::map<PictureKey, PictureBytes> known_;
  bool working_ = false;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace brevlo::media
