#pragma once

#include <QSizeF>
#include <QStringList>

#include "media/mediaplayer.h"

class QWidget;

// A player whose state the test sets: it records every command and draws nothing. It
// answers as the real player does (checked by the player contract test): a file set is
// "opening" until the test finishes or fails its opening, sizes follow the display size
// against the same area and screen, and the empty text closes.
class ScriptedPlayer : public MediaPlayer {
  Q_OBJECT
 public:
  // The real player's sizes while nothing is open, and for a file without pictures.
  static constexpr float kIdleWidth = 4860, kIdleHeight = 3660;
  static constexpr float kSoundWidth = 4860, kSoundHeight = 600;

  explicit ScriptedPlayer(QWidget* area = nullptr) : area_(area) {}

  void setFileName(const QString& path) override;
  QString fileName() const override { return file_; }
  void run() override;
  void pause() override;
  State state() const override { return state_; }
  bool opening() const override { return opening_; }
  double currentPosition() const override { return position_; }
  void setCurrentPosition(double seconds) override;
  double duration() const override { return duration_; }
  int displaySize() const override { return displaySize_; }
  void setDisplaySize(int size) override;
  float left() const override { return left_; }
  void setLeft(float v) override { left_ = v; }
  float top() const override { return top_; }
  void setTop(float v) override { top_ = v; }
  float width() const override { return float(size().width()); }
  float height() const override { return float(size().height()); }

  // Script. The file opened plays with this duration and natural size (in twips).
  void finishOpening(double durationSeconds = 10.0);  // raises open-complete
  void failOpening();                                 // given up: no open-complete
  void reachEnd();
  void setState(State s) { state_ = s; }
  void setOpening(bool o) { opening_ = o; }
  void setPosition(double s) { position_ = s; }
  void setNaturalSize(float w, float h) { natural_ = QSizeF(w, h); }
  void forceDisplaySize(int size) { displaySize_ = size; }

  QStringList opened;   // every file name set, in order (empty text included)
  QList<double> seeks;  // every position set
  int runs = 0;
  int pauses = 0;

 private:
  QSizeF size() const;
  QSizeF withinArea(const QSizeF& twips) const;

  QWidget* area_;
  QString file_;
  bool open_ = false;
  bool ended_ = false;
  State state_ = State::Stopped;
  bool opening_ = false;
  double position_ = 0;
  double duration_ = 0;
  int displaySize_ = 0;
  float left_ = 0, top_ = 0;
  QSizeF natural_{kIdleWidth, kIdleHeight};
};

// A factory that hands the window a ScriptedPlayer and keeps a pointer for the test.
MediaPlayerFactory scriptedPlayerFactory(ScriptedPlayer** out);
