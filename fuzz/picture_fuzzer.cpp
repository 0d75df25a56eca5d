// The picture maker on arbitrary files: never a crash, a leak or a hang, and a picture is always
// the PSP's thumbnail size, which the thumbnail encoder and decoder take back whole.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/VideoPicture.h"

using namespace brevlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The decoders read files by name, as the program hands them over.
  static const std::string path = "/dev/shm/brevlo-picture-fuzz-" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  const auto picture = media::PictureOfVideo(path);
  if (picture) {
    if (picture->width != media::PictureWidth || picture->height != media::PictureHeight ||
        picture->bgr.size() !=
            static_cast<std::size_t>(media::PictureWidth * media::PictureHeight * 3)) {
      std::abort();
    }
    const auto jpeg = platform::EncodeBaselineJpeg(*picture);
    platform::Thumbnail back(media::PictureWidth, media::PictureHeight);
    if (jpeg.empty() || !platform::DecodeJpegThumbnail(jpeg.data(), jpeg.size(), back).ok) {
      std::abort();
    }
  }
  return 0;
}
