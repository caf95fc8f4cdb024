// libFuzzer target for the MIDI file reader: any input must parse or be refused
// without crashing, and a parsed song must be well formed.
#include <cmath>
#include <cstdlib>

#include "media/midi/midisong.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MidiSong song;
  if (!parseMidi(data, size, &song)) return 0;
  double last = 0;
  for (const MidiEvent& e : song.events) {
    if (!(e.seconds >= last) || e.seconds > MidiSong::kMaxSeconds) std::abort();
    if (e.status < 0x80 || (e.status >= 0xF0 && e.status != 0xF0)) std::abort();
    if (e.status == 0xF0 && e.sysex >= song.sysex.size()) std::abort();
    if (e.data1 > 0x7F || e.data2 > 0x7F) std::abort();
    last = e.seconds;
  }
  if (!std::isfinite(song.lengthSeconds())) std::abort();
  return 0;
}
