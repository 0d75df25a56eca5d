#include "media/Timeline.h"

#include <algorithm>
#include <cmath>

namespace brevlo::media {

Timeline::Timeline(const TimelineSetup& setup)
    : setup_(setup),
      rate_(setup.fpsNum > 0 && setup.fpsDen > 0 ? static_cast<double>(setup.fpsNum) / setup.fpsDen
                                                 : 25.0) {
  if (setup_.soundRate <= 0) setup_.soundRate = 48000;
  if (!std::isfinite(setup_.origin)) setup_.origin = 0;
}

double Timeline::Place(Stream& stream, const Stream& other, double seconds) {
  const double raw = seconds - setup_.origin;
  if (!setup_.clockJumps) return raw;
  const auto fits = [&](double at) {
    return at <= stream.next + JumpAhead && at >= stream.next - JumpBack;
  };
  if (!stream.seen) {
    // A stream that starts after the clock jumped joins the stretch nearest the other stream.
    if (other.seen) {
      std::size_t best = 0;
      for (std::size_t i = 1; i < offsets_.size(); ++i) {
        if (std::abs(raw + offsets_[i] - other.next) < std::abs(raw + offsets_[best] - other.next))
          best = i;
      }
      stream.stretch = best;
    }
    return raw + offsets_[stream.stretch];
  }
  const double here = raw + offsets_[stream.stretch];
  if (fits(here)) return here;
  // Far from this stream's last but near where the other stream is: a gap in this one only (a
  // screen that stood still), not a jump of the clock.
  if (other.seen && other.stretch == stream.stretch && here <= other.next + JumpAhead &&
      here >= other.next - JumpAhead) {
    return here;
  }
  // The other stream may have jumped already: the same jump moves this one alike.
  for (std::size_t i = stream.stretch + 1; i < offsets_.size(); ++i) {
    if (fits(raw + offsets_[i])) {
      stream.stretch = i;
      return raw + offsets_[i];
    }
  }
  // A new stretch of the source's clock, going on where this stream left off.
  offsets_.push_back(stream.next - raw);
  stream.stretch = offsets_.size() - 1;
  return stream.next;
}

Timeline::PictureStep Timeline::Picture(std::optional<double> seconds, double duration) {
  if (!std::isfinite(duration) || duration <= 0) duration = 1 / rate_;
  double at = picture_.seen ? picture_.next : 0;
  if (seconds && std::isfinite(*seconds)) at = Place(picture_, sound_, *seconds);
  picture_.seen = true;
  picture_.next = std::max(picture_.next, at + duration);
  end_ = std::max(end_, at + duration);
  const auto slot = static_cast<std::int64_t>(std::llround(at * rate_));
  if (slot < nextSlot_) return {};
  nextSlot_ = slot + 1;
  return {true, slot};
}

Timeline::SoundStep Timeline::Sound(std::optional<double> seconds, double length) {
  if (!std::isfinite(length) || length < 0) length = 0;
  const double rate = setup_.soundRate;
  double at = static_cast<double>(soundSamples_) / rate;
  if (seconds && std::isfinite(*seconds)) at = Place(sound_, picture_, *seconds);
  sound_.seen = true;
  sound_.next = at + length;
  const auto samples = static_cast<std::int64_t>(std::llround(length * rate));
  const auto start = static_cast<std::int64_t>(std::llround(at * rate));
  const auto slack = static_cast<std::int64_t>(SoundSlack * rate);
  SoundStep step;
  if (start > soundSamples_ + slack) {
    step.silence = start - soundSamples_;
  } else if (start < soundSamples_ - slack) {
    step.cut = std::min(samples, soundSamples_ - start);
  }
  soundSamples_ += step.silence + samples - step.cut;
  end_ = std::max(end_, static_cast<double>(soundSamples_) / rate);
  return step;
}

std::int64_t Timeline::EndSlot() const {
  return std::max(nextSlot_, static_cast<std::int64_t>(std::llround(end_ * rate_)));
}

std::int64_t Timeline::EndSample() const {
  return std::max(soundSamples_, static_cast<std::int64_t>(std::llround(end_ * setup_.soundRate)));
}

}  // namespace brevlo::media
