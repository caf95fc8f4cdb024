// The window's outer and inner sizes in twips, and showing it centred at the outer size
// asked for.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "app/filefind.h"
#include "controls/twips.h"
#include "units/pixels.h"

// The frame the window manager adds around the client area (none offscreen).
QSize FileFind::frameExtra() const {
  return frameGeometry().size() - geometry().size();
}

float FileFind::outerWidth() const {
  return float(frameGeometry().width() * units::kTwipsPerPixel);
}
float FileFind::outerHeight() const {
  return float(frameGeometry().height() * units::kTwipsPerPixel);
}
float FileFind::innerWidth() const {
  return float(width() * units::kTwipsPerPixel);
}

void FileFind::setOuterWidth(float twips) {
  requestedOuter_.setWidth(tw::toPixels(twips));
  resize(std::max(1, requestedOuter_.width() - frameExtra().width()), height());
}

void FileFind::setOuterHeight(float twips) {
  requestedOuter_.setHeight(tw::toPixels(twips));
  resize(width(), std::max(1, requestedOuter_.height() - frameExtra().height()));
}

// The frame is known only once the window is shown: the outer size asked for before
// then is given again, so that frame and client together have that size.
void FileFind::showCentred() {
  show();
  const QSize client = requestedOuter_ - frameExtra();
  if (requestedOuter_.isValid() && client != size()) resize(client.expandedTo(QSize(1, 1)));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
}
