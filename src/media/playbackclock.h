#pragma once

#include <QElapsedTimer>
#include <algorithm>

// The playing position between the engine's reports: the last reported value,
// carried forward by the wall clock while running, never past the end.
class PlaybackClock {
 public:
  double now() const {
    if (!running_) return anchor_;
    return std::min(anchor_ + since_.nsecsElapsed() / 1e9, limit_);
  }
  void set(double seconds) {
    anchor_ = seconds;
    since_.start();
  }
  void setRunning(bool running) {
    if (running == running_) return;
    set(now());
    running_ = running;
  }
  void setLimit(double seconds) { limit_ = seconds > 0 ? seconds : 1e300; }
  bool running() const { return running_; }

 private:
  double anchor_ = 0;
  double limit_ = 1e300;
  bool running_ = false;
  QElapsedTimer since_;
};
