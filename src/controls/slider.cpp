#include "controls/slider.h"

#include <QMouseEvent>
#include <QWheelEvent>

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::TicksBelow);
  // A user action announces the position it moves to just before the value follows;
  // value changes the program makes come without one, so they never count as scrolls.
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int) {
    userAction_ = true;
    userTarget_ = sliderPosition();
  });
  connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
    const bool byUser = userAction_ && value == userTarget_;
    userAction_ = false;
    emit change();
    if (byUser) emit scroll();
  });
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit click();
}

// The wheel moves the slider only when it has the focus: scrolling over the window must
// not seek a film by accident.
void Slider::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QSlider::wheelEvent(event);
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
  QSlider::mouseMoveEvent(event);
  emit mouseMove();
}
