#pragma once

#include <QLabel>

// A one-line label of fixed size whose text is drawn whole: text wider than the label is
// drawn in a smaller size of the label's font, so no digit of a figure is cut off. The
// label keeps its size and its font; text that fits is drawn as any label draws it.
class FittedLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

  // The font the current text is drawn in: the label's own, or a smaller size of it.
  QFont shownFont() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int room() const;
};
