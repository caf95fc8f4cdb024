#include "media/midi/midisequencer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

MidiSequencer::MidiSequencer(std::shared_ptr<const MidiSong> song, fluid_synth_t* synth,
                             int sampleRate)
    : song_(std::move(song)),
      synth_(synth),
      rate_(sampleRate),
      total_(int64_t(std::llround(song_->lengthSeconds() * sampleRate))) {}

int64_t MidiSequencer::frameOf(const MidiEvent& e) const {
  return int64_t(std::llround(e.seconds * rate_));
}

void MidiSequencer::send(const MidiEvent& e) {
  const int ch = e.status & 0x0F;
  switch (e.status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth_, ch, e.data1);
      break;
    case 0x90:
      fluid_synth_noteon(synth_, ch, e.data1, e.data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth_, ch, e.data1, e.data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth_, ch, e.data1, e.data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth_, ch, e.data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth_, ch, e.data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth_, ch, e.data1 | e.data2 << 7);
      break;
    case 0xF0: {
      const auto& body = song_->sysex[e.sysex];
      fluid_synth_sysex(synth_, reinterpret_cast<const char*>(body.data()), int(body.size()),
                        nullptr, nullptr, nullptr, 0);
      break;
    }
  }
}

void MidiSequencer::render(int16_t* out, int frames) {
  const auto& events = song_->events;
  while (frames > 0) {
    while (next_ < events.size() && frameOf(events[next_]) <= frame_) send(events[next_++]);
    int64_t run = frames;
    if (next_ < events.size()) run = std::min<int64_t>(run, frameOf(events[next_]) - frame_);
    fluid_synth_write_s16(synth_, int(run), out, 0, 2, out, 1, 2);
    out += run * 2;
    frames -= int(run);
    frame_ += run;
  }
}

void MidiSequencer::seek(int64_t frame) {
  frame = std::clamp<int64_t>(frame, 0, total_);
  if (frame == frame_) return;
  // A plain reset would leave releasing voices sounding into the new place:
  // silence them and let one block pass before resetting the channels.
  fluid_synth_all_sounds_off(synth_, -1);
  int16_t scratch[64 * 2];
  fluid_synth_write_s16(synth_, 64, scratch, 0, 2, scratch, 1, 2);
  fluid_synth_system_reset(synth_);
  const auto& events = song_->events;
  next_ = 0;
  for (; next_ < events.size() && frameOf(events[next_]) < frame; ++next_) {
    const uint8_t kind = events[next_].status & 0xF0;
    if (kind != 0x80 && kind != 0x90 && kind != 0xA0) send(events[next_]);
  }
  frame_ = frame;
}
