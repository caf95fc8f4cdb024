#include "media/midi/miditempomap.h"

#include <algorithm>

MidiTempoMap MidiTempoMap::metrical(int ticksPerQuarter) {
  MidiTempoMap map;
  map.ticksPerQuarter_ = std::max(1, ticksPerQuarter);
  return map;
}

MidiTempoMap MidiTempoMap::smpte(int framesPerSecond, int ticksPerFrame) {
  MidiTempoMap map;
  map.fixedSecondsPerTick_ = 1.0 / (std::max(1, framesPerSecond) * std::max(1, ticksPerFrame));
  return map;
}

void MidiTempoMap::addTempo(uint64_t tick, uint32_t microsPerQuarter) {
  if (microsPerQuarter == 0) return;  // would stop time; a damaged event
  changes_.push_back({tick, microsPerQuarter});
  built_ = false;
}

void MidiTempoMap::build() const {
  std::vector<Change> sorted = changes_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Change& a, const Change& b) { return a.tick < b.tick; });
  segments_.clear();
  segments_.push_back({0, 0.0, 500000e-6 / ticksPerQuarter_});
  for (const Change& c : sorted) {
    Segment& last = segments_.back();
    const double perTick = c.micros * 1e-6 / ticksPerQuarter_;
    if (c.tick == last.tick) {
      last.secondsPerTick = perTick;
      continue;
    }
    const double at = last.seconds + double(c.tick - last.tick) * last.secondsPerTick;
    segments_.push_back({c.tick, at, perTick});
  }
  built_ = true;
}

double MidiTempoMap::seconds(uint64_t tick) const {
  if (fixedSecondsPerTick_ > 0) return double(tick) * fixedSecondsPerTick_;
  if (!built_) build();
  auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                             [](uint64_t t, const Segment& s) { return t < s.tick; });
  const Segment& s = *(it - 1);  // the first segment starts at tick 0
  return s.seconds + double(tick - s.tick) * s.secondsPerTick;
}
