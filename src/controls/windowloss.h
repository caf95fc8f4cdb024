#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>
#include <functional>

// Tells when the window system destroys a top-level window on its own, without asking the
// program to close it (another program destroying it, for one). Qt keeps such a window's
// widget as if it were still shown, so a program ending with its window would run on.
class WindowLossWatch : public QAbstractNativeEventFilter {
 public:
  WindowLossWatch(QWidget* window, std::function<void()> onLost);
  ~WindowLossWatch() override;
  WindowLossWatch(const WindowLossWatch&) = delete;
  WindowLossWatch& operator=(const WindowLossWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QPointer<QWidget> window_;
  std::function<void()> onLost_;
};
