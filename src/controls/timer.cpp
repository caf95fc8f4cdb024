#include "controls/timer.h"

Timer::Timer(QObject* parent) : QObject(parent) {
  timer_.setParent(this);  // findable, so its own ticks can be raised where time is simulated
  connect(&timer_, &QTimer::timeout, this, &Timer::timer);
}

void Timer::setEnabled(bool on) {
  enabled_ = on;
  apply();
}

void Timer::setInterval(int ms) {
  timer_.setInterval(ms);
  apply();
}

void Timer::apply() {
  if (enabled_ && timer_.interval() > 0) {
    timer_.start();
  } else {
    timer_.stop();
  }
}
