#include "controls/exit.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdio>

namespace {

// The process may outlive `_exit`: a thread waiting on a file system that ignores
// interrupts (a network share that stopped answering) keeps it from ending until the
// share answers, and with it its connection to the display, which keeps its windows
// on the screen. So the windows leave the screen first, by requests of our own to the
// display: Qt's own way of hiding would run events and handlers of the program.
void takeWindowsOffTheScreen() {
  const auto* x11 =
      qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c || xcb_connection_has_error(c)) return;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  for (QWindow* window : QGuiApplication::topLevelWindows()) {
    if (!window->handle() || !window->isVisible()) continue;  // never make a window now
    const auto id = xcb_window_t(window->winId());
    xcb_unmap_window(c, id);
    // Withdrawn, as the window manager is told of it (a window leaving the screen for
    // good sends this besides the unmapping).
    xcb_unmap_notify_event_t withdrawn{};
    withdrawn.response_type = XCB_UNMAP_NOTIFY;
    withdrawn.event = root;
    withdrawn.window = id;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&withdrawn));
  }
  xcb_flush(c);
}

}  // namespace

void exitNow(int status) {
  takeWindowsOffTheScreen();
  std::fflush(nullptr);
  _exit(status);
}
