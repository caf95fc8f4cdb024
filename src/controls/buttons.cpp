#include "controls/buttons.h"

#include <QEvent>
#include <QPushButton>
#include <QShortcutEvent>

namespace {

class AccessKeyFocus : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
      auto* button = static_cast<QAbstractButton*>(watched);
      if (button->focusPolicy() != Qt::NoFocus) button->setFocus(Qt::ShortcutFocusReason);
    }
    return false;  // the button clicks as usual
  }
};

}  // namespace

void useDesktopButtonKeys(QAbstractButton* button) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(true);
  button->installEventFilter(new AccessKeyFocus(button));
}
