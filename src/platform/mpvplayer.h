#pragma once

#include <memory>

#include "platform/mediaplayer.h"

// The real player: films and sound through libmpv, MIDI through libfluidsynth.
// Its engine starts on first use, never here.
std::unique_ptr<MediaPlayer> makeMpvPlayer(QWidget* area);
