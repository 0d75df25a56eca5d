// The MP4 header reader on arbitrary bytes: never a crash, a hang or a read outside the file,
// never more reads than its budget, and whatever it finds makes a tip. The title writer on
// whatever the reader accepts: the copy re-reads with the same facts and the new title, and
// every chunk of it holds the bytes it held in the source.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "video/Mp4Info.h"
#include "video/PspPlayability.h"
#include "video/TitleWriter.h"

using namespace brevlo;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The input as a file; a read that starts or ends outside it is a fault of the reader.
class InputFile : public platform::IFileReader {
 public:
  InputFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) override {
    Check(offset <= size_ && count <= size_ - offset);
    if (count > 0) std::memcpy(out, data_ + offset, count);
    return count;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

std::vector<std::uint8_t> Materialize(const platform::CopyPlan& plan, platform::IFileReader& from) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(platform::PlanSize(plan)));
  platform::PlanReader reader(plan, from);
  std::size_t at = 0;
  for (long long got; (got = reader.Read(reinterpret_cast<char*>(out.data() + at), 4096)) > 0;) {
    at += static_cast<std::size_t>(got);
  }
  Check(at == out.size());
  return out;
}

void CheckCopy(const std::uint8_t* data, std::size_t size, const video::Mp4Details& before,
               const std::vector<std::uint8_t>& copy, const std::string& title) {
  InputFile source(data, size), written(copy.data(), copy.size());
  const auto after = video::ReadMp4Details(written);
  Check(after.has_value());
  Check(after->title == title && after->pspTitle == !title.empty());
  Check(after->video == before.video && after->sound == before.sound);
  Check(after->seconds == before.seconds ||
        (std::isnan(after->seconds) && std::isnan(before.seconds)));
  const auto from = video::ReadChunkOffsets(source), to = video::ReadChunkOffsets(written);
  Check(from && to && from->size() == to->size());
  for (std::size_t i = 0; i < from->size(); ++i) {
    const std::uint64_t a = (*from)[i], b = (*to)[i];
    Check(a < size && b < copy.size());
    const std::size_t n = std::min<std::size_t>({8, size - a, copy.size() - b});
    Check(std::memcmp(data + a, copy.data() + b, n) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputFile file(data, size);
  video::Mp4ReadCost cost;
  const auto details = video::ReadMp4Details(file, &cost);
  Check(cost.reads <= 64 && cost.bytes <= 512 * 1024);
  const std::string tip = video::DetailsTip(details, library::Mpeg4, ',');
  Check(!tip.empty() && tip.size() < 4096);
  if (details) {
    Check(details->fileSize == size);
    Check(details->title.size() <= 256);
    video::DetailsTip(details, library::Mpeg4Avc, '.');
    const std::string title = "Fuzz \xC3\x86";
    const auto plan = video::PlanTitledCopy(file, title, "Brevlo");
    if (!plan.empty()) {
      const auto copy = Materialize(plan, file);
      CheckCopy(data, size, *details, copy, title);
      // A change of title in the room the copy left is one write that keeps the file's size.
      InputFile titled(copy.data(), copy.size());
      const auto edit = video::PlanTitleChange(titled, "", "Brevlo");
      Check(edit && edit->inPlace && edit->writeOffset % 512 == 0 &&
            edit->writeOffset + edit->writeBytes.size() <= copy.size());
      auto changed = copy;
      std::memcpy(changed.data() + edit->writeOffset, edit->writeBytes.data(),
                  edit->writeBytes.size());
      InputFile result(changed.data(), changed.size());
      const auto reread = video::ReadMp4Details(result);
      Check(reread && !reread->pspTitle);
    }
  }
  return 0;
}
