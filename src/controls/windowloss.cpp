#include "controls/windowloss.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

WindowLossWatch::WindowLossWatch(QWidget* window, std::function<void()> onLost)
    : window_(window), onLost_(std::move(onLost)) {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

WindowLossWatch::~WindowLossWatch() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

// On X11 a destroyed window reports it to its owner. The window Qt destroys itself (on
// leaving, or to make it anew) has no id left by the time the report comes.
bool WindowLossWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || !message || !window_) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
  const WId id = window_->internalWinId();
  if (id != 0 && destroyed->window == id && onLost_) onLost_();
  return false;
}
