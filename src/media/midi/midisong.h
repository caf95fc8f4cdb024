#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One channel message or SysEx of a Standard MIDI File, placed in time.
struct MidiEvent {
  double seconds = 0;  // from the start of the song, through the tempo map
  uint8_t status = 0;  // 0x80..0xEF, or 0xF0 for a SysEx (see MidiSong::sysex)
  uint8_t data1 = 0;   // channel messages: first data byte; SysEx: unused
  uint8_t data2 = 0;
  uint32_t sysex = 0;  // SysEx only: index into MidiSong::sysex
};

// A whole song, merged from all tracks into one list in playing order.
struct MidiSong {
  // How long the last notes ring after their release (the End-of-Track marker
  // is no guide: real songs place it seconds after the music).
  static constexpr double kTailSeconds = 1.5;
  // Longer songs are cut here; keeps a hostile file from asking for days of sound.
  static constexpr double kMaxSeconds = 4 * 3600.0;

  std::vector<MidiEvent> events;
  std::vector<std::vector<uint8_t>> sysex;  // payloads without the framing F0/F7
  double lastNoteSeconds = 0;               // the last note-off (or note-on left hanging)
  bool hasNotes = false;

  double lengthSeconds() const { return lastNoteSeconds + kTailSeconds; }
};

// Reads a Standard MIDI File (format 0, 1 or 2, or wrapped in a RIFF RMID file).
// The input is untrusted: every length is checked against what is there, sizes
// and counts are bounded, and a damaged track ends where the damage starts.
// Returns false (with a reason) when nothing playable could be read, and for a
// song without a single note.
bool parseMidi(const uint8_t* data, size_t size, MidiSong* song, std::string* error = nullptr);

// True when the bytes start like a MIDI file (plain or RIFF RMID).
bool looksLikeMidi(const uint8_t* data, size_t size);
