#pragma once

#include <QTimer>
#include <optional>

#include "controls/fittedlabel.h"

// A label whose caption may change thousands of times a second (a running count): the
// text is its own at once, the screen catches up at most about 30 times a second, so a
// long search does not spend its time laying out and painting figures nobody can read.
// The figures are drawn whole, however many digits they grow to.
class CounterLabel : public FittedLabel {
  Q_OBJECT
 public:
  explicit CounterLabel(QWidget* parent = nullptr);

  QString text() const { return pending_ ? *pending_ : QLabel::text(); }
  void setText(const QString& text);

 private:
  void catchUp();

  std::optional<QString> pending_;
  QTimer catchUp_;
};
