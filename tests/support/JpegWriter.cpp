#include "support/JpegWriter.h"

#include <cstdio>
#include <fstream>

extern "C" {
#include <jpeglib.h>
}

namespace brevlo::testing {
std::vector<std::uint8_t> CompressJpeg(int width, int height, JpegLayout layout, int quality,
                                       bool progressive,
                                       const std::function<const std::uint8_t*(int y)>& row) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = static_cast<int>(layout);
  info.in_color_space = layout == JpegLayout::Grey  ? JCS_GRAYSCALE
                        : layout == JpegLayout::Rgb ? JCS_RGB
                                                    : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW line = const_cast<JSAMPROW>(row(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

namespace {

std::vector<std::uint8_t> Compress(int width, int height, JpegLayout layout, bool progressive,
                                   const std::vector<std::uint8_t>& pixels) {
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(layout);
  return CompressJpeg(width, height, layout, 90, progressive,
                      [&](int y) { return pixels.data() + static_cast<std::size_t>(y) * stride; });
}

}  // namespace

std::vector<std::uint8_t> MakeJpeg(int width, int height, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b, bool progressive, bool grey) {
  const int components = grey ? 1 : 3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * components));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int shade = 128 + (x * 127) / (width > 1 ? width - 1 : 1);
      std::uint8_t* p = pixels.data() + static_cast<std::size_t>((y * width + x) * components);
      if (grey) {
        p[0] = static_cast<std::uint8_t>(r * shade / 255);
      } else {
        p[0] = static_cast<std::uint8_t>(r * shade / 255);
        p[1] = static_cast<std::uint8_t>(g * shade / 255);
        p[2] = static_cast<std::uint8_t>(b * shade / 255);
      }
    }
  }
  return Compress(width, height, grey ? JpegLayout::Grey : JpegLayout::Rgb, progressive, pixels);
}

std::vector<std::uint8_t> MakeCmykJpeg(int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 4), 0);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    // Inverted ink: 255 means none. Pure cyan ink on white.
    pixels[i] = 0;
    pixels[i + 1] = 255;
    pixels[i + 2] = 255;
    pixels[i + 3] = 255;
  }
  return Compress(width, height, JpegLayout::Cmyk, false, pixels);
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace brevlo::testing
