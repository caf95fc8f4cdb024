#include "support/scriptedplayer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "media/mpvplayer.h"

namespace {
constexpr double kTwipsPerPixel = 15;
}  // namespace

void ScriptedPlayer::setFileName(const QString& path) {
  opened.append(path);
  file_ = path;
  position_ = 0;
  state_ = State::Stopped;
  open_ = false;
  ended_ = false;
  opening_ = !path.isEmpty();
}

void ScriptedPlayer::run() {
  ++runs;
  if (!open_) return;
  if (ended_) {  // running a finished file plays it again
    ended_ = false;
    position_ = 0;
  }
  state_ = State::Running;
}

void ScriptedPlayer::pause() {
  ++pauses;
  if (open_ && state_ == State::Running) state_ = State::Paused;
}

void ScriptedPlayer::setCurrentPosition(double seconds) {
  seeks.append(seconds);
  if (!open_ || !std::isfinite(seconds)) return;
  position_ = std::max(0.0, seconds);
  if (ended_) state_ = State::Paused;  // a seek from the end leaves the file stopped there
  ended_ = false;
}

void ScriptedPlayer::setDisplaySize(int size) {
  if (size >= 0 && size <= 4) displaySize_ = size;
}

// 0 natural, 1 half, 2 double, 3 fitted into the area, 4 a quarter of the screen's area.
QSizeF ScriptedPlayer::size() const {
  const QSizeF natural = open_ ? natural_ : QSizeF(kIdleWidth, kIdleHeight);
  switch (displaySize_) {
    case 0:
      return withinArea(natural);
    case 1:
      return withinArea(natural / 2);
    case 2:
      return natural * 2;
    case 3:
      return area_ ? natural.scaled(QSizeF(area_->size()) * kTwipsPerPixel, Qt::KeepAspectRatio)
                   : natural;
    case 4: {
      const QScreen* screen = area_ ? area_->screen() : QGuiApplication::primaryScreen();
      if (!screen) return natural;
      const QSizeF whole = QSizeF(screen->geometry().size()) * kTwipsPerPixel;
      return natural *
             std::sqrt(whole.width() * whole.height() / 4 / (natural.width() * natural.height()));
    }
    default:
      return natural;
  }
}

void ScriptedPlayer::finishOpening(double durationSeconds) {
  open_ = !file_.isEmpty();
  opening_ = false;
  state_ = open_ ? State::Running : State::Stopped;
  duration_ = durationSeconds;
  emit openComplete();
}

void ScriptedPlayer::failOpening() {
  opening_ = false;
  open_ = false;
  state_ = State::Stopped;
}

void ScriptedPlayer::reachEnd() {
  if (!open_) return;
  ended_ = true;
  state_ = State::Stopped;
  if (std::isfinite(duration_)) position_ = duration_;
}

MediaPlayerFactory scriptedPlayerFactory(ScriptedPlayer** out) {
  return [out](QWidget* area) {
    auto player = std::make_unique<ScriptedPlayer>(area);
    *out = player.get();
    return std::unique_ptr<MediaPlayer>(std::move(player));
  };
}

// As the real player, the natural and half sizes never exceed the picture area, less the
// margin the window's centring needs beside it.
QSizeF ScriptedPlayer::withinArea(const QSizeF& twips) const {
  if (!area_) return twips;
  const QSizeF box =
      QSizeF(area_->size()) * kTwipsPerPixel - QSizeF(MpvPlayer::kAreaMarginTwips, 0);
  if (twips.width() <= box.width() && twips.height() <= box.height()) return twips;
  return twips.scaled(box, Qt::KeepAspectRatio);
}
