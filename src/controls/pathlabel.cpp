#include "controls/pathlabel.h"

#include <QPainter>

void PathLabel::setText(const QString& path) {
  QLabel::setText(path);
  setToolTip(path);
}

// The contents less the margin, and a pixel clear on either side so no glyph touches
// the frame.
QRect PathLabel::textBox() const {
  const int m = margin();
  return contentsRect().adjusted(m + 1, m, -m - 1, -m);
}

QString PathLabel::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideLeft, textBox().width());
}

// The line is centred in the height it has; a line taller than that keeps its bottom,
// where descenders and underscores are, rather than its top.
void PathLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect box = textBox();
  const int lineHeight = fontMetrics().height();
  const int top = lineHeight <= box.height() ? box.top() + (box.height() - lineHeight) / 2
                                             : box.top() + box.height() - lineHeight;
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const Qt::Alignment across = alignment() & Qt::AlignHorizontal_Mask;
  painter.drawText(QRect(box.left(), top, box.width(), lineHeight),
                   int(across | Qt::AlignTop) | Qt::TextSingleLine, shownText());
}
