// The converted video's clock, fed with the stamps of sources of every kind of trouble.
#include "media/Timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace brevlo {
namespace {

using media::Timeline;
using media::TimelineSetup;

// A picture (P) or a piece of sound (S) stamped at seconds (NAN: no stamp), lasting length.
struct Event {
  char kind;
  double seconds;
  double length;
};

// Each event's outcome: "P<slot>" or "-" for a dropped picture, "S" for sound, "S+<samples>"
// after silence, "S-<samples>" cut; then "| <frames> <samples>" where both end.
std::string Outcome(const TimelineSetup& setup, const std::vector<Event>& events) {
  Timeline timeline(setup);
  std::string out;
  for (const Event& e : events) {
    const std::optional<double> stamp =
        std::isnan(e.seconds) ? std::nullopt : std::optional<double>(e.seconds);
    if (e.kind == 'P') {
      const auto step = timeline.Picture(stamp, e.length);
      out += step.show ? "P" + std::to_string(step.slot) : "-";
    } else {
      const auto step = timeline.Sound(stamp, e.length);
      out += "S";
      if (step.silence > 0) out += "+" + std::to_string(step.silence);
      if (step.cut > 0) out += "-" + std::to_string(step.cut);
    }
    out += " ";
  }
  return out + "| " + std::to_string(timeline.EndSlot()) + " " +
         std::to_string(timeline.EndSample());
}

TEST(Timeline, PicturesAndSoundFollowTheSourcesClockThroughGapsLateStartsAndJumps) {
  const TimelineSetup at25{25, 1, 48000, 0, false};
  const TimelineSetup broadcast{25, 1, 48000, 100, true};
  const TimelineSetup at30{30, 1, 48000, 0, false};
  const double f = 0.04;  // one frame at 25
  const double none = NAN;
  struct Case {
    const char* name;
    TimelineSetup setup;
    std::vector<Event> events;
    const char* expected;
  };
  const Case cases[] = {
      {"steady",
       at25,
       {{'P', 0, f}, {'S', 0, 0.02}, {'P', f, f}, {'S', 0.02, 0.02}},
       "P0 S P1 S | 2 3840"},
      {"a screen that stood still 12 s: held, however long",
       at25,
       {{'P', 0, f}, {'P', f, f}, {'P', 12.08, f}},
       "P0 P1 P302 | 303 581760"},
      {"three 1 s gaps in the sound: silence",
       at25,
       {{'S', 0, 0.5}, {'S', 1.5, 0.5}, {'S', 3, 0.5}, {'S', 4.5, 0.5}},
       "S S+48000 S+48000 S+48000 | 125 240000"},
      {"sound 2 s late, and ending before the picture",
       at25,
       {{'P', 0, f}, {'S', 2, 0.5}, {'P', 3, f}},
       "P0 S+96000 P75 | 76 145920"},
      {"sound 10 minutes late",
       at25,
       {{'P', 0, f}, {'S', 600, f}},
       "P0 S+28800000 | 15001 28801920"},
      {"sound over sound already given is cut; stamps off by a sample follow on",
       at25,
       {{'S', 0, 0.5}, {'S', 0.4, 0.5}, {'S', 0.90002, 0.1}},
       "S S-4800 S | 25 48000"},
      {"sound and picture before the start are cut and dropped",
       at25,
       {{'S', -0.1, 0.14}, {'P', -0.04, f}, {'P', 0, f}},
       "S-4800 - P0 | 1 1920"},
      {"60 frames a second made 25: those between two frame times dropped",
       at25,
       {{'P', 0, 1 / 60.},
        {'P', 1 / 60., 1 / 60.},
        {'P', 2 / 60., 1 / 60.},
        {'P', 3 / 60., 1 / 60.},
        {'P', 4 / 60., 1 / 60.},
        {'P', 5 / 60., 1 / 60.}},
       "P0 - P1 - P2 - | 3 4800"},
      {"a slideshow, a picture every 5 s",
       at30,
       {{'P', 0, 5}, {'P', 5, 5}},
       "P0 P150 | 300 480000"},
      {"no stamps: right after the last",
       at25,
       {{'P', none, f}, {'P', none, f}, {'S', none, 0.5}, {'S', none, 0.5}},
       "P0 P1 S S | 25 48000"},
      {"a file whose clock cannot jump: a leap is a long still",
       at25,
       {{'P', 0, f}, {'P', 3000, f}},
       "P0 P75000 | 75001 144001920"},
      {"broadcast: a jump ahead moves picture and sound together",
       broadcast,
       {{'P', 100, f},
        {'S', 100, f},
        {'P', 100.04, f},
        {'S', 100.04, f},
        {'P', 5000, f},
        {'S', 5000, f},
        {'P', 5000.04, f},
        {'S', 5000.04, f}},
       "P0 S P1 S P2 S P3 S | 4 7680"},
      {"broadcast: a jump back, the sound a little behind, with a gap after the jump",
       broadcast,
       {{'P', 100, f},
        {'S', 100, f},
        {'P', 100.04, f},
        {'P', 100.08, f},
        {'P', 20, f},
        {'S', 100.04, f},
        {'S', 20.52, f}},
       "P0 S P1 P2 P3 S S+26880 | 17 32640"},
      {"broadcast: 1 s of lost sound is a gap, not a jump",
       broadcast,
       {{'S', 100, 0.5}, {'S', 101.5, 0.5}},
       "S S+48000 | 50 96000"},
      {"broadcast: sound that starts after the jump joins the picture's stretch",
       broadcast,
       {{'P', 100, f}, {'P', 7000, f}, {'S', 7000, f}},
       "P0 P1 S+1920 | 2 3840"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome(c.setup, c.events), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace brevlo
