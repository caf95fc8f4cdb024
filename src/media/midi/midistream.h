#pragma once

#include <string>

typedef struct mpv_handle mpv_handle;

// Serves MIDI songs to mpv as WAV streams synthesised on demand, so music shares
// the clock, the transport and the silent-output fallback of every other file.
// After addMidiProtocol(), loading midiUrl(path) plays the song at `path`.
bool addMidiProtocol(mpv_handle* mpv);
std::string midiUrl(const std::string& path);

// The General MIDI SoundFont used for every song; empty when none is installed
// (songs then play silently, in time).
std::string midiSoundFont();
