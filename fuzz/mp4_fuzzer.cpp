// The MP4 header reader on arbitrary bytes: never a crash, a hang or a read outside the file,
// never more reads than its budget, and whatever it finds makes a tip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "video/Mp4Info.h"
#include "video/PspPlayability.h"

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
  }
  return 0;
}
