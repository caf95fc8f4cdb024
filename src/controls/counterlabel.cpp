#include "controls/counterlabel.h"

CounterLabel::CounterLabel(QWidget* parent) : FittedLabel(parent) {
  catchUp_.setSingleShot(true);
  catchUp_.setInterval(33);
  connect(&catchUp_, &QTimer::timeout, this, &CounterLabel::catchUp);
}

void CounterLabel::setText(const QString& text) {
  pending_ = text;
  if (!catchUp_.isActive()) catchUp_.start();
}

void CounterLabel::catchUp() {
  if (!pending_) return;
  QLabel::setText(*pending_);
  pending_.reset();
}
