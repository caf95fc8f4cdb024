#include "controls/counterlabel.h"

CounterLabel::CounterLabel(QWidget* parent) : FittedLabel(parent) {
  catchUp_.setSingleShot(true);
  catchUp_.setInterval(33);
  connect(&catchUp_, &QTimer::timeout, this, &CounterLabel::catchUp);
}

QString CounterLabel::text() const {
  if (compose_) return compose_();
  return pending_ ? *pending_ : QLabel::text();
}

void CounterLabel::setText(const QString& text) {
  compose_ = nullptr;
  pending_ = text;
  if (!catchUp_.isActive()) catchUp_.start();
}

void CounterLabel::setTextFrom(std::function<QString()> compose) {
  compose_ = std::move(compose);
  pending_.reset();
  if (!catchUp_.isActive()) catchUp_.start();
}

void CounterLabel::catchUp() {
  if (compose_) {
    QLabel::setText(compose_());
  } else if (pending_) {
    QLabel::setText(*pending_);
    pending_.reset();
  }
}
