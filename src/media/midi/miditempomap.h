#pragma once

#include <cstdint>
#include <vector>

// Converts MIDI ticks to seconds. Metrical time follows the tempo changes
// (microseconds per quarter note, 120 bpm until the first one); SMPTE time
// is a fixed number of ticks per second and ignores tempo changes.
class MidiTempoMap {
 public:
  static MidiTempoMap metrical(int ticksPerQuarter);
  static MidiTempoMap smpte(int framesPerSecond, int ticksPerFrame);

  // Changes may come in any order; the last one given for a tick wins.
  void addTempo(uint64_t tick, uint32_t microsPerQuarter);
  double seconds(uint64_t tick) const;

 private:
  struct Change {
    uint64_t tick;
    uint32_t micros;
  };
  struct Segment {
    uint64_t tick;
    double seconds;
    double secondsPerTick;
  };
  void build() const;

  double fixedSecondsPerTick_ = 0;  // SMPTE when non-zero
  int ticksPerQuarter_ = 96;
  std::vector<Change> changes_;
  mutable std::vector<Segment> segments_;
  mutable bool built_ = false;
};
