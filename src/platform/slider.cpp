#include "platform/slider.h"

#include <QMouseEvent>

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::TicksBelow);
  // actionTriggered comes just before the value a user action gives is applied.
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int) { userAction_ = true; });
  connect(this, &QAbstractSlider::valueChanged, this, [this](int) {
    const bool byUser = userAction_;
    userAction_ = false;
    emit change();
    if (byUser) emit scroll();
  });
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit click();
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
  QSlider::mouseMoveEvent(event);
  emit mouseMove();
}
