// The thumbnail decoder on arbitrary bytes: it must answer ok or an error number, never crash,
// never leak, and a decoder that met a bad picture must still decode the next good one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/JpegDecoder.h"

extern "C" {
#include <cstdio>

#include <jpeglib.h>
}

namespace {

using brevlo::platform::DecodeJpegThumbnail;
using brevlo::platform::JpegResult;
using brevlo::platform::JpegThumbnailDecoder;
using brevlo::platform::Thumbnail;

std::vector<std::uint8_t> SmallGoodJpeg() {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 32;
  info.image_height = 24;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(32 * 3, 0);
  for (std::size_t x = 0; x < 32; ++x) row[x * 3] = 230;  // red
  JSAMPROW rows[1] = {row.data()};
  while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, rows, 1);
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One picture with a decoder of its own, as a single look-up decodes.
  Thumbnail single;
  const JpegResult once = DecodeJpegThumbnail(data, size, single);
  if (!once.ok && once.errorCode == 0) std::abort();  // a failure always carries its number

  // One decoder kept across pictures, as a list fill keeps it.
  static JpegThumbnailDecoder shared;
  static const std::vector<std::uint8_t> good = SmallGoodJpeg();
  Thumbnail kept;
  const JpegResult again = shared.Decode(data, size, kept);
  if (again.ok != once.ok || again.errorCode != once.errorCode) std::abort();
  if (once.ok && kept.bgr != single.bgr) std::abort();
  Thumbnail after;
  if (!shared.Decode(good.data(), good.size(), after).ok) std::abort();
  if (after.bgr[2] < 150 || after.bgr[1] > 100) std::abort();  // still the red picture
  return 0;
}
