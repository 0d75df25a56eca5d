// Subtitle files of every kind the program reads beside a video (the first byte picks the
// kind): read and drawn over a few seconds of frames, never a crash, a leak or a hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavutil/frame.h>
}

#include "media/SubtitleDrawer.h"

using namespace brevlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const char* const kinds[] = {".srt", ".ass", ".ssa", ".vtt"};
  const std::string path =
      "/dev/shm/brevlo-subtitles-fuzz-" + std::to_string(getpid()) + kinds[data[0] % 4];
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 1 && std::fwrite(data + 1, 1, size - 1, file) != size - 1) std::abort();
  std::fclose(file);
  media::SubtitleSource source;
  source.path = path;
  source.fonts.systemFonts = false;
  source.fonts.fallbackFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  media::SubtitlePlace place;
  place.top = 34, place.height = 204, place.sourceWidth = 1920, place.sourceHeight = 816;
  auto drawer = media::SubtitleDrawer::Open(source, nullptr, place);
  std::remove(path.c_str());
  if (!drawer) return 0;
  AVFrame* frame = av_frame_alloc();
  frame->format = 0;  // yuv420p
  frame->width = 480;
  frame->height = 272;
  if (av_frame_get_buffer(frame, 0) < 0) std::abort();
  for (int tenth = 0; tenth < 100; tenth += 7) drawer->Draw(frame, tenth / 10.0);
  av_frame_free(&frame);
  return 0;
}
