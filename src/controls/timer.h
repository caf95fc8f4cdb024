#pragma once

#include <QObject>
#include <QTimer>

// A window timer: enabled and interval; ticks on the window's thread while enabled.
class Timer : public QObject {
  Q_OBJECT
 public:
  explicit Timer(QObject* parent = nullptr);

  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  int interval() const { return timer_.interval(); }
  void setInterval(int ms);

 signals:
  void timer();

 private:
  void apply();
  QTimer timer_;
  bool enabled_ = false;
};
