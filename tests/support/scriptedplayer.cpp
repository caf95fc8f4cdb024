#include "support/scriptedplayer.h"

void ScriptedPlayer::setFileName(const QString& path) {
  opened.append(path);
  file_ = path;
  position_ = 0;
  state_ = path.isEmpty() ? 0 : MediaPlayer::kRunning;
}

void ScriptedPlayer::run() {
  ++runs;
  if (!file_.isEmpty()) state_ = MediaPlayer::kRunning;
}

void ScriptedPlayer::pause() {
  ++pauses;
  if (!file_.isEmpty()) state_ = 1;
}

void ScriptedPlayer::setCurrentPosition(double seconds) {
  seeks.append(seconds);
  if (!file_.isEmpty()) position_ = seconds;
}

void ScriptedPlayer::setDisplaySize(int size) {
  displaySize_ = size;
}

// Sizes follow the display size at once, as the real player's do.
float ScriptedPlayer::width() const {
  switch (displaySize_) {
    case 1:
      return naturalW_ / 2;
    case 2:
      return naturalW_ * 2;
    case 3:
      return 7035;
    case 4:
      return naturalW_ * 1.5f;
    default:
      return naturalW_;
  }
}

float ScriptedPlayer::height() const {
  switch (displaySize_) {
    case 1:
      return naturalH_ / 2;
    case 2:
      return naturalH_ * 2;
    case 3:
      return 7035 * naturalH_ / naturalW_;
    case 4:
      return naturalH_ * 1.5f;
    default:
      return naturalH_;
  }
}

void ScriptedPlayer::finishOpening(double durationSeconds) {
  duration_ = durationSeconds;
  emit openComplete();
}

MediaPlayerFactory scriptedPlayerFactory(ScriptedPlayer** out) {
  return [out](QWidget*) {
    auto player = std::make_unique<ScriptedPlayer>();
    *out = player.get();
    return std::unique_ptr<MediaPlayer>(std::move(player));
  };
}
