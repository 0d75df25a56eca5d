#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace brevlo::platform {

inline constexpr int ThumbnailWidth = 80;
inline constexpr int ThumbnailHeight = 60;

// 80 x 60 pixels, top row first, 3 bytes a pixel in blue, green, red order (a 24-bit DIB's
// byte order, rows without padding since 80 * 3 is a multiple of 4).
struct Thumbnail {
  std::array<std::uint8_t, ThumbnailWidth * ThumbnailHeight * 3> bgr{};
};

struct JpegResult {
  bool ok = false;
  int errorCode = 0;  // the decoder's message number when !ok
};

// Largest JPEG file we accept as a thumbnail; bigger ones are refused unread.
inline constexpr std::size_t MaxJpegBytes = 64u * 1024u * 1024u;

// Decodes JPEGs held in memory straight to 80 x 60 thumbnails, letting the decoder scale down
// by DCT to the smallest size of at least 80 x 60 before the final stretch. One object serves
// a whole list: its buffers are kept from one picture to the next.
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

// Message text for a failed decode: "JPEG error #<code>".
std::string JpegErrorText(int code);

}  // namespace brevlo::platform
