#include "support/scriptedplayer.h"

#include <algorithm>

#include "media/mpvplayer.h"

namespace {

// As the real player, the natural and half sizes never exceed the window's picture
// area (7035 x 4305 twips, less the margin beside it): the factor that shrinks them.
float withinArea(float w, float h) {
  return std::min({1.0f, (7035 - MpvPlayer::kAreaMarginTwips) / w, 4305 / h});
}

}  // namespace

void ScriptedPlayer::setFileName(const QString& path) {
  opened.append(path);
  file_ = path;
  position_ = 0;
  state_ = path.isEmpty() ? State::Stopped : State::Running;
}

void ScriptedPlayer::run() {
  ++runs;
  if (!file_.isEmpty()) state_ = State::Running;
}

void ScriptedPlayer::pause() {
  ++pauses;
  if (!file_.isEmpty()) state_ = State::Paused;
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
    case 0:
      return naturalW_ * withinArea(naturalW_, naturalH_);
    case 1:
      return naturalW_ / 2 * withinArea(naturalW_ / 2, naturalH_ / 2);
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
    case 0:
      return naturalH_ * withinArea(naturalW_, naturalH_);
    case 1:
      return naturalH_ / 2 * withinArea(naturalW_ / 2, naturalH_ / 2);
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
