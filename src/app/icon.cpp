#include "app/icon.h"

#include <QPainter>
#include <QPixmap>

// A magnifying glass over a film frame, drawn in the classic 16-colour palette.
QPixmap drawWindowIcon(int size) {
  QImage img(size, size, QImage::Format_Indexed8);
  const QRgb palette[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                            0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                            0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
  img.setColorTable(QList<QRgb>(palette, palette + 16));
  QImage canvas(size, size, QImage::Format_ARGB32);
  canvas.fill(Qt::transparent);
  QPainter p(&canvas);
  const qreal u = size / 16.0;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x00, 0x00, 0x80));
  p.drawRect(QRectF(1 * u, 2 * u, 11 * u, 9 * u));
  p.setBrush(QColor(0xff, 0xff, 0xff));
  for (int i = 0; i < 4; ++i) {
    p.drawRect(QRectF((2 + 2.6 * i) * u, 2.5 * u, 1.2 * u, 1 * u));
    p.drawRect(QRectF((2 + 2.6 * i) * u, 9.5 * u, 1.2 * u, 1 * u));
  }
  p.setBrush(QColor(0x00, 0xff, 0xff));
  p.drawRect(QRectF(2 * u, 4 * u, 9 * u, 5 * u));
  p.setPen(QPen(QColor(0x80, 0x00, 0x00), 2 * u, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(11 * u, 11 * u), QPointF(15 * u, 15 * u));
  p.setPen(QPen(QColor(0x00, 0x00, 0x00), 1.2 * u));
  p.setBrush(QColor(0xff, 0xff, 0x00));
  p.drawEllipse(QPointF(9.5 * u, 9.5 * u), 3 * u, 3 * u);
  p.end();
  // Reduce to the 16-colour palette so both images are what the design asks for.
  QImage indexed =
      canvas.convertToFormat(QImage::Format_Indexed8, img.colorTable(), Qt::ThresholdDither);
  QImage alpha = canvas.convertToFormat(QImage::Format_ARGB32);
  QImage out = indexed.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (qAlpha(alpha.pixel(x, y)) < 128) out.setPixel(x, y, 0);
    }
  }
  return QPixmap::fromImage(out);
}

QIcon makeWindowIcon() {
  QIcon icon;
  icon.addPixmap(drawWindowIcon(32));
  icon.addPixmap(drawWindowIcon(16));
  return icon;
}
