#include "media/PictureWorker.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace brevlo::media {

namespace {
bool ReadWithStreams(const std::string& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad() && out.size() <= platform::MaxJpegBytes;
}
}  // namespace

PictureWorker::PictureWorker(IVideoPictures* maker, std::function<void()> ready, ReadWholeFile read)
    : maker_(maker),
      ready_(std::move(ready)),
      read_(read ? std::move(read) : ReadWithStreams),
      thread_([this] { Run(); }) {}

PictureWorker::~PictureWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    waiting_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

PictureBytes PictureWorker::Known(const PictureKey& file) {
  const auto found = known_.find(file);
  return found == known_.end() ? nullptr : found->second;
}

void PictureWorker::Submit(int list, std::vector<PictureJob> jobs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(waiting_, [list](const PictureJob& j) { return j.list == list; });
    for (auto& job : jobs) {
      job.list = list;
      waiting_.push_back(std::move(job));
    }
  }
  wake_.notify_all();
}

void PictureWorker::Drop(int list) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(waiting_, [list](const PictureJob& j) { return j.list == list; });
}

std::vector<PictureDone> PictureWorker::TakeDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(done_, {});
}

std::size_t PictureWorker::Pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_.size() + (working_ ? 1 : 0);
}

void PictureWorker::Pause() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++paused_;
  waiting_.clear();
  idle_.wait(lock, [this] { return !working_; });
}

void PictureWorker::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_ > 0) --paused_;
  }
  wake_.notify_all();
}

bool PictureWorker::Stopping() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ending_ || paused_ > 0;
}

PictureBytes PictureWorker::PictureOf(const PictureKey& file, const StopAsked& stop) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (PictureBytes known = Known(file)) return known;
  }
  if (maker_ == nullptr) return std::make_shared<const std::vector<std::uint8_t>>();
  auto made =
      std::make_shared<const std::vector<std::uint8_t>>(maker_->ThumbnailOf(file.path, stop));
  // Cut short, or no picture: not the file's lasting answer, asked again next time.
  if ((stop && stop()) || made->empty()) return made;
  std::lock_guard<std::mutex> lock(mutex_);
  known_.emplace(file, made);
  return made;
}

// Called with the lock held; works without it.
PictureDone PictureWorker::Work(PictureJob job, std::unique_lock<std::mutex>& lock) {
  PictureDone done;
  done.job = std::move(job);
  const PictureJob& j = done.job;
  PictureBytes known = j.frame ? Known(j.file) : nullptr;
  lock.unlock();
  std::vector<std::uint8_t> bytes;
  platform::Thumbnail pixels(j.width, j.height);
  if (!j.thumbnail.empty() && read_(j.thumbnail, bytes)) {
    const auto result = decoder_.Decode(bytes.data(), bytes.size(), pixels);
    if (result.ok) {
      done.source = PictureSource::Thumbnail;
      done.pixels = std::move(pixels);
    } else {
      done.jpegError = result.errorCode;
    }
  }
  if (done.source == PictureSource::None && j.frame && maker_ != nullptr) {
    if (!known) {
      // The program's end or a transfer does not wait for a slow file: the read gives up.
      auto made = std::make_shared<const std::vector<std::uint8_t>>(
          maker_->ThumbnailOf(j.file.path, [this] { return Stopping(); }));
      if (!made->empty() && !Stopping()) {
        std::lock_guard<std::mutex> l(mutex_);
        known_.emplace(j.file, made);
        known = std::move(made);
      }
    }
    if (known && decoder_.Decode(known->data(), known->size(), pixels).ok) {
      done.source = PictureSource::Frame;
      done.pixels = std::move(pixels);
    }
  }
  lock.lock();
  return done;
}

void PictureWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || (paused_ == 0 && !waiting_.empty()); });
    if (ending_) return;
    PictureJob job = std::move(waiting_.front());
    waiting_.pop_front();
    working_ = true;
    PictureDone done = Work(std::move(job), lock);
    working_ = false;
    idle_.notify_all();
    if (ending_) return;
    // A row given up for a transfer is asked for again by the refresh after it.
    if (paused_ > 0) continue;
    done_.push_back(std::move(done));
    lock.unlock();
    if (ready_) ready_();
    lock.lock();
  }
}

}  // namespace brevlo::media
