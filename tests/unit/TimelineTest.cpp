// The converted video's clock, fed with the stamps of sources of every kind of trouble.
#include "media/Timeline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace brevlo {
namespace {

// Events "P<seconds>:<length>" (a picture) or "S<seconds>:<length>" (sound), "-" for no stamp,
// give "P<slot>" or "-" (dropped), "S", "S+<silence before>" or "S-<samples cut>"; then
// "| <frames> <samples>" where both end. The converted video runs at 25 (30 when the setup
// says so) frames and 48000 samples a second.
std::string Outcome(const media::TimelineSetup& setup, const std::string& events) {
  media::Timeline timeline(setup);
  std::istringstream in(events);
  std::string event, out;
  while (in >> event) {
    const auto colon = event.find(':');
    const std::string at = event.substr(1, colon - 1);
    const std::optional<double> stamp = at == "-" ? std::nullopt : std::optional(std::stod(at));
    const double length = std::stod(event.substr(colon + 1));
    if (event[0] == 'P') {
      const auto step = timeline.Picture(stamp, length);
      out += step.show ? "P" + std::to_string(step.slot) + " " : "- ";
    } else {
      const auto step = timeline.Sound(stamp, length);
      out += step.silence > 0 ? "S+" + std::to_string(step.silence) + " "
             : step.cut > 0   ? "S-" + std::to_string(step.cut) + " "
                              : "S ";
    }
  }
  return out + "| " + std::to_string(timeline.EndSlot()) + " " +
         std::to_string(timeline.EndSample());
}

TEST(Timeline, PicturesAndSoundFollowTheSourcesClockThroughGapsLateStartsAndJumps) {
  const media::TimelineSetup file{25, 1, 48000, 0, false}, at30{30, 1, 48000, 0, false};
  const media::TimelineSetup broadcast{25, 1, 48000, 100, true};  // starts at 100 s
  const struct {
    const char* name;
    media::TimelineSetup setup;
    const char* events;
    const char* expected;
  } cases[] = {
      {"steady", file, "P0:.04 S0:.02 P.04:.04 S.02:.02", "P0 S P1 S | 2 3840"},
      {"a screen still for 12 s: held", file, "P0:.04 P.04:.04 P12.08:.04",
       "P0 P1 P302 | 303 581760"},
      {"three 1 s gaps in the sound", file, "S0:.5 S1.5:.5 S3:.5 S4.5:.5",
       "S S+48000 S+48000 S+48000 | 125 240000"},
      {"sound 2 s late, ending before the picture", file, "P0:.04 S2:.5 P3:.04",
       "P0 S+96000 P75 | 76 145920"},
      {"sound 10 minutes late", file, "P0:.04 S600:.04", "P0 S+28800000 | 15001 28801920"},
      {"sound over sound is cut; a sample off follows on", file, "S0:.5 S.4:.5 S.90002:.1",
       "S S-4800 S | 25 48000"},
      {"before the start: cut and dropped", file, "S-.1:.14 P-.04:.04 P0:.04",
       "S-4800 - P0 | 1 1920"},
      {"60 frames a second made 25", file,
       "P0:.016667 P.016667:.016667 P.033333:.016667 P.05:.016667 P.066667:.016667 "
       "P.083333:.016667",
       "P0 - P1 - P2 - | 3 4800"},
      {"a slideshow", at30, "P0:5 P5:5", "P0 P150 | 300 480000"},
      {"no stamps: right after the last", file, "P-:.04 P-:.04 S-:.5 S-:.5",
       "P0 P1 S S | 25 48000"},
      {"a file whose clock cannot jump: a leap is a still", file, "P0:.04 P3000:.04",
       "P0 P75000 | 75001 144001920"},
      {"broadcast: a jump ahead moves both", broadcast,
       "P100:.04 S100:.04 P100.04:.04 S100.04:.04 P5000:.04 S5000:.04 P5000.04:.04 "
       "S5000.04:.04",
       "P0 S P1 S P2 S P3 S | 4 7680"},
      {"broadcast: a jump back, sound behind it, a gap after", broadcast,
       "P100:.04 S100:.04 P100.04:.04 P100.08:.04 P20:.04 S100.04:.04 S20.52:.04",
       "P0 S P1 P2 P3 S S+26880 | 17 32640"},
      {"broadcast: a 12 s still while the sound goes on", broadcast,
       "P100:.04 S100:4 S104:4 S108:4 P112.04:.04 S112:4", "P0 S S S P301 S | 400 768000"},
      {"broadcast: 1 s of lost sound is no jump", broadcast, "S100:.5 S101.5:.5",
       "S S+48000 | 50 96000"},
      {"broadcast: sound first seen after a jump", broadcast, "P100:.04 P7000:.04 S7000:.04",
       "P0 P1 S+1920 | 2 3840"},
  };
  for (const auto& c : cases) EXPECT_EQ(Outcome(c.setup, c.events), c.expected) << c.name;
}

}  // namespace
}  // namespace brevlo
