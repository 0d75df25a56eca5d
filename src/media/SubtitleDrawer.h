#pragma once

// Inside the media room only: subtitles drawn onto the finished 480 x 272 pictures. Text is set
// by libass with fallback fonts of our choosing (a style naming a font the system lacks would
// otherwise draw nothing); bitmaps (Blu-ray, DVD, DVB) are scaled with the picture and laid at
// their place.

#include <memory>
#include <string>

#include "media/Conversion.h"

struct AVFormatContext;
struct AVFrame;

namespace brevlo::media {

// Where the picture lies on the output frame, and the size the subtitles were made for.
struct SubtitlePlace {
  int frameWidth = 480, frameHeight = 272;
  int left = 0, top = 0, width = 480, height = 272;  // the picture inside the bars
  int sourceWidth = 0, sourceHeight = 0;             // the source's picture, as shown
};

class SubtitleDrawer {
 public:
  // Reads every subtitle of the source ahead (they are few and small); fonts attached to
  // video are offered to the styles. Null when nothing could be read.
  static std::unique_ptr<SubtitleDrawer> Open(const SubtitleSource& source,
                                              const AVFormatContext* video,
                                              const SubtitlePlace& place);
  ~SubtitleDrawer();
  SubtitleDrawer(const SubtitleDrawer&) = delete;
  SubtitleDrawer& operator=(const SubtitleDrawer&) = delete;

  // Draws what shows at that time (in the subtitles' own clock) onto a YUV 4:2:0 frame.
  void Draw(AVFrame* frame, double seconds);
  // Whether any subtitle was read that could be drawn.
  bool HasAny() const;

 private:
  struct State;
  explicit SubtitleDrawer(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace brevlo::media
