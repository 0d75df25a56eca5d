#pragma once

// The converted video's one clock. The source's picture and sound come stamped with its own
// clock, which has holes (a screen that stood still, lost sound), late or early starts, and in
// broadcast captures jumps; the converted video has a picture every frame time and sound every
// sample. Timestamps in (seconds of the source), decisions out: which frame time a picture
// takes and how long the one before it is held, how much silence goes before a piece of sound
// or how much of it is cut, where both end. Knows nothing of the decoders.

#include <cstdint>
#include <optional>
#include <vector>

namespace brevlo::media {

struct TimelineSetup {
  int fpsNum = 25, fpsDen = 1;  // the converted video's frame rate
  int soundRate = 48000;        // and its sound's
  double origin = 0;            // the source's time shown first
  // The source's clock may jump (a broadcast capture): a stream's step beyond JumpAhead forward
  // or JumpBack backward, away from the other stream too, starts a new stretch of the clock
  // rather than a gap.
  bool clockJumps = false;
};

class Timeline {
 public:
  static constexpr double JumpAhead = 10;
  static constexpr double JumpBack = 1;
  // Sound this close to where it is expected is taken as following on (stamps are rounded).
  static constexpr double SoundSlack = 0.01;

  explicit Timeline(const TimelineSetup& setup);

  struct PictureStep {
    bool show = false;      // false: the picture falls between two frame times, dropped
    std::int64_t slot = 0;  // its frame time; those before it, from NextSlot(), hold the last
  };
  // A decoded picture stamped at seconds (none: right after the last one), lasting duration.
  PictureStep Picture(std::optional<double> seconds, double duration);
  std::int64_t NextSlot() const { return nextSlot_; }

  struct SoundStep {
    std::int64_t silence = 0;  // samples of silence before it
    std::int64_t cut = 0;      // samples of its start that were already sounded
  };
  // A decoded piece of sound stamped at seconds (none: right after the last one), lasting
  // seconds long, counted in samples once at the converted rate.
  SoundStep Sound(std::optional<double> seconds, double length);
  std::int64_t SoundSamples() const { return soundSamples_; }

  // Where both streams end: the later end of the two, so that neither comes out short.
  std::int64_t EndSlot() const;
  std::int64_t EndSample() const;
  double EndSeconds() const { return end_; }
  bool Jumped() const { return offsets_.size() > 1; }

 private:
  struct Stream {
    bool seen = false;
    std::size_t stretch = 0;  // which of offsets_ it is in
    double next = 0;          // where its next stamp is expected, on the converted clock
  };
  // The stamp on the converted clock (0 = the first frame time), following the stream across
  // the source's jumps.
  double Place(Stream& stream, const Stream& other, double seconds);

  TimelineSetup setup_;
  double rate_;
  std::vector<double> offsets_{0.0};  // per stretch of the source's clock: what is added to it
  Stream picture_, sound_;
  std::int64_t nextSlot_ = 0;
  std::int64_t soundSamples_ = 0;
  double end_ = 0;
};

}  // namespace brevlo::media
