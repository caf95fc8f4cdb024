#pragma once

#include <cstdint>
#include <memory>

#include "media/midi/midisong.h"

typedef struct _fluid_synth_t fluid_synth_t;

// Plays a song on a FluidSynth synthesiser, sample-exactly, on demand: the
// caller asks for frames (stereo, 16-bit, interleaved) and may jump anywhere.
// Not thread-safe; one caller at a time.
class MidiSequencer {
 public:
  MidiSequencer(std::shared_ptr<const MidiSong> song, fluid_synth_t* synth, int sampleRate);

  int64_t totalFrames() const { return total_; }
  int64_t position() const { return frame_; }

  // Renders `frames` frames from the current position and moves on.
  void render(int16_t* out, int frames);
  // Moves to `frame`: silences what sounds, then restores every controller,
  // program and bend that the song set before that point.
  void seek(int64_t frame);

 private:
  int64_t frameOf(const MidiEvent& e) const;
  void send(const MidiEvent& e);

  std::shared_ptr<const MidiSong> song_;
  fluid_synth_t* synth_;
  int rate_;
  int64_t total_;
  int64_t frame_ = 0;
  size_t next_ = 0;  // first event not yet sent
};
