#pragma once

#include <QLabel>

// A one-line label that shows a file's path: its glyphs are drawn whole (descenders and
// underscores too) in the label's own font and size, and a path wider than the label
// loses its beginning, never its end, so the file name stays in sight. The whole path
// is the label's tooltip.
class PathLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

  void setText(const QString& path);
  // The text as drawn: the path, or its end after an ellipsis.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect textBox() const;
};
