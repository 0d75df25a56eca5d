#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevlo::platform {

inline constexpr int ThumbnailWidth = 80;
inline constexpr int ThumbnailHeight = 60;

// 80 x 60 pixels at the design's scale, more on a screen of more dots per inch; top row
// first, 3 bytes a pixel in blue, green, red order (a 24-bit DIB's byte order), rows without
// padding.
struct Thumbnail {
  Thumbnail() : Thumbnail(ThumbnailWidth, ThumbnailHeight) {}
  Thumbnail(int w, int h) : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3) {}
  int width;
  int height;
  std::vector<std::uint8_t> bgr;
  int Stride() const { return width * 3; }
};

struct JpegResult {
  bool ok = false;
  int errorCode = 0;  // the decoder's message number when !ok
};

// Largest JPEG file we accept as a thumbnail; bigger ones are refused unread.
inline constexpr std::size_t MaxJpegBytes = 64u * 1024u * 1024u;

// Decodes JPEGs held in memory straight to thumbnails of the size they are made with, letting
// the decoder scale by DCT (in eighths) to the smallest size that covers it before the final
// area average; a 160 x 120 THM meets 80 x 60, 100 x 75, 120 x 90 and 160 x 120 exactly. One object
// serves a whole list: its buffers are kept from one picture to the next.
class JpegThumbnailDecoder {
 public:
  JpegThumbnailDecoder();
  ~JpegThumbnailDecoder();
  JpegThumbnailDecoder(const JpegThumbnailDecoder&) = delete;
  JpegThumbnailDecoder& operator=(const JpegThumbnailDecoder&) = delete;
  JpegResult Decode(const std::uint8_t* data, std::size_t size, Thumbnail& out);

  struct State;  // the decoder's own, defined where it is used

 private:
  State* state_;
};

// One picture with a decoder of its own.
JpegResult DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size, Thumbnail& out);

// A picture as a baseline JPEG (the kind the PSP reads for its thumbnails); empty if the
// encoder failed.
std::vector<std::uint8_t> EncodeBaselineJpeg(const Thumbnail& picture, int quality = 90);

// Message text for a failed decode: "JPEG error #<code>".
std::string JpegErrorText(int code);

}  // namespace brevlo::platform
