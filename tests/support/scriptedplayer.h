#pragma once

#include <QStringList>

#include "media/mediaplayer.h"

// A player whose state the test sets: it records every command, opens any file
// instantly (the test raises open-complete when it wants) and draws nothing.
class ScriptedPlayer : public MediaPlayer {
  Q_OBJECT
 public:
  using MediaPlayer::MediaPlayer;

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
  float width() const override;
  float height() const override;

  // Script.
  void finishOpening(double durationSeconds = 10.0);  // raises open-complete
  void setState(State s) { state_ = s; }
  void setOpening(bool o) { opening_ = o; }
  void setPosition(double s) { position_ = s; }
  void setNaturalSize(float w, float h) {
    naturalW_ = w;
    naturalH_ = h;
  }
  void forceDisplaySize(int size) { displaySize_ = size; }

  QStringList opened;   // every file name set, in order (empty text included)
  QList<double> seeks;  // every position set
  int runs = 0;
  int pauses = 0;

 private:
  QString file_;
  State state_ = State::Stopped;
  bool opening_ = false;
  double position_ = 0;
  double duration_ = 0;
  int displaySize_ = 0;
  float left_ = 0, top_ = 0;
  float naturalW_ = 4860, naturalH_ = 3660;
};

// A factory that hands the window a ScriptedPlayer and keeps a pointer for the test.
MediaPlayerFactory scriptedPlayerFactory(ScriptedPlayer** out);
