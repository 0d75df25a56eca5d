#include "media/PictureWorker.h"

#include <utility>

namespace brevlo::media {

PictureWorker::PictureWorker(IVideoPictures& maker, std::function<void()> ready)
    : maker_(maker), ready_(std::move(ready)), thread_([this] { Run(); }) {}

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

std::vector<PictureDone> PictureWorker::Submit(int list, std::vector<PictureJob> jobs) {
  std::vector<PictureDone> answered;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(waiting_, [list](const PictureJob& j) { return j.list == list; });
    for (auto& job : jobs) {
      job.list = list;
      if (PictureBytes known = Known(job.file)) {
        answered.push_back({std::move(job), std::move(known)});
      } else {
        waiting_.push_back(std::move(job));
      }
    }
  }
  wake_.notify_all();
  return answered;
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

PictureBytes PictureWorker::PictureOf(const PictureKey& file, const StopAsked& stop) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (PictureBytes known = Known(file)) return known;
  }
  auto made =
      std::make_shared<const std::vector<std::uint8_t>>(maker_.ThumbnailOf(file.path, stop));
  if (stop && stop()) return made;  // cut short: not the file's real answer
  std::lock_guard<std::mutex> lock(mutex_);
  known_.emplace(file, made);
  return made;
}

void PictureWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
    if (ending_) return;
    PictureJob job = std::move(waiting_.front());
    waiting_.pop_front();
    PictureBytes picture = Known(job.file);
    if (!picture) {
      working_ = true;
      lock.unlock();
      // The program's end does not wait for a slow file: the read gives up when asked.
      auto made = std::make_shared<const std::vector<std::uint8_t>>(
          maker_.ThumbnailOf(job.file.path, [this] {
            std::lock_guard<std::mutex> l(mutex_);
            return ending_;
          }));
      lock.lock();
      working_ = false;
      if (ending_) return;
      known_.emplace(job.file, made);
      picture = std::move(made);
    }
    done_.push_back({std::move(job), std::move(picture)});
    lock.unlock();
    if (ready_) ready_();
    lock.lock();
  }
}

}  // namespace brevlo::media
