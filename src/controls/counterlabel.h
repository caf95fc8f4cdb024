#pragma once

#include <QTimer>
#include <functional>
#include <optional>

#include "controls/fittedlabel.h"

// A label whose caption may change thousands of times a second (a running count): the
// text is its own at once, the screen catches up at most about 30 times a second, so a
// long search does not spend its time laying out and painting figures nobody can read.
// The caption may be given as the way to compose it, composed only when it is read or
// the screen catches up. The figures are drawn whole, however many digits they grow to.
class CounterLabel : public FittedLabel {
  Q_OBJECT
 public:
  explicit CounterLabel(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  // From now until the next setText, the caption is what `compose` returns when read.
  void setTextFrom(std::function<QString()> compose);

 private:
  void catchUp();

  std::optional<QString> pending_;
  std::function<QString()> compose_;
  QTimer catchUp_;
};
