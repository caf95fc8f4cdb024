#include "controls/fittedlabel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kSmallestPoints = 5;
constexpr qreal kStepPoints = 0.25;
}  // namespace

// The width text may take, keeping a pixel clear on either side so no glyph touches an edge.
int FittedLabel::room() const {
  return contentsRect().width() - 2 * margin() - 2;
}

QFont FittedLabel::shownFont() const {
  QFont shown = font();
  const QString line = text();
  int need = QFontMetrics(shown).horizontalAdvance(line);
  if (line.isEmpty() || need <= room() || shown.pointSizeF() <= 0) return shown;
  // Start from the proportional size, then step down until the whole text fits.
  qreal points = std::max(kSmallestPoints, shown.pointSizeF() * room() / need);
  points = std::floor(points / kStepPoints) * kStepPoints;
  for (; points >= kSmallestPoints; points -= kStepPoints) {
    shown.setPointSizeF(points);
    need = QFontMetrics(shown).horizontalAdvance(line);
    if (need <= room()) break;
  }
  return shown;
}

void FittedLabel::paintEvent(QPaintEvent* event) {
  const QFont shown = shownFont();
  if (shown == font()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawFrame(&painter);
  painter.setFont(shown);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const QRect box = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  painter.drawText(box, int(alignment()) | Qt::TextSingleLine, text());
}
