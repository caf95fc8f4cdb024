// The canvas the metafile records draw on: pens and brushes as the painter takes them, the
// clip, and the budget.
#include "pictures/metafile/metafilecanvas.h"

#include "pictures/metafile/metafiledib.h"

namespace {

constexpr qint64 kMaxTimeMs = 8000;
// Painting budget: this many fills of the whole device, plus a fixed allowance.
constexpr qint64 kDeviceFills = 3000;
constexpr qint64 kDibPixels = 96LL * 1024 * 1024;
constexpr qint64 kTextChars = 200000;

// A two-index tile painted in two colours.
QBrush twoColourTile(QImage tile, QRgb zero, QRgb one) {
  tile.setColorTable({zero, one});
  return QBrush(tile.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

}  // namespace

MetafileCanvas::MetafileCanvas(QSize device, QRectF frame, int objectCount)
    : mapping(QSizeF(device), frame), objects(objectCount), size_(device) {
  dc.windowOrg = frame.topLeft();
  dc.windowExt = QPointF(frame.width(), frame.height());
  dc.viewportExt = dc.windowExt;
  qint64 area = qint64(device.width()) * device.height();
  areaBudget_ = kDeviceFills * area + 50000000;
  dibBudget_ = kDibPixels;
  textBudget_ = kTextChars;
}

void MetafileCanvas::begin(QPainter* painter, qreal pixelScale) {
  p_ = painter;
  pixelScale_ = pixelScale;
  clock_.start();
  mapping.update(dc);
  p_->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
}

QPen MetafileCanvas::pen() const {
  const MfPen& mp = dc.pen;
  if (mp.style == 5) return QPen(Qt::NoPen);
  qreal limit = 4 * qMax(size_.width(), size_.height()) + 4;
  // Never thinner than a pixel, as on the screen the picture was made for: a pen of no
  // width, or one the mapping makes thinner than a pixel, is one device pixel wide.
  qreal width = qBound<qreal>(1.0, mp.width * qAbs(mapping.sx()), limit);
  QPen pen(color(mp.color), width);
  pen.setCosmetic(width <= 1);
  if (width <= 1.5) {  // dashes belong to thin pens only
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                           Qt::DashDotLine, Qt::DashDotDotLine};
    if (mp.style < 5) pen.setStyle(kStyles[mp.style]);
  }
  int cap = mp.capJoin & 0x0F00, join = mp.capJoin & 0xF000;
  pen.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
  pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
  return pen;
}

QBrush MetafileCanvas::brush(const MfBrush& b) const {
  switch (b.style) {
    case 1:
      return QBrush(Qt::NoBrush);
    case 2: {
      // Lines in the brush colour over the background colour, or over what lies beneath.
      QImage tile = hatchTile(b.hatch);
      if (tile.isNull()) return QBrush(color(b.color));
      return twoColourTile(tile, dc.bkOpaque ? color(dc.bkColor).rgb() : qRgba(0, 0, 0, 0),
                           color(b.color).rgb());
    }
    case 3:
    case 5:
    case 6:
      // Tiled from the device's origin, one pattern pixel to a device pixel.
      if (b.pattern.isNull()) return QBrush(Qt::gray);
      if (b.monochrome)
        return twoColourTile(b.pattern, color(dc.textColor).rgb(), color(dc.bkColor).rgb());
      return QBrush(b.pattern);
    default:
      return QBrush(color(b.color));
  }
}

void MetafileCanvas::setClip(const QRegion& region) {
  // Region arithmetic grows with the number of rectangles: pay for it like painting.
  areaBudget_ -= qint64(region.rectCount()) * 256;
  if (areaBudget_ < 0) exhausted_ = true;
  dc.clipped = true;
  dc.clip = region;
  applyClip();
}

void MetafileCanvas::applyClip() {
  if (!p_) return;
  if (dc.clipped)
    p_->setClipRegion(dc.clip);
  else
    p_->setClipping(false);
}

bool MetafileCanvas::charge(const QRectF& bounds, qint64 extra) {
  QRectF visible = bounds.intersected(QRectF(QPointF(0, 0), size_));
  qint64 cost = 64 + extra;
  if (visible.isValid()) cost += qint64(visible.width() * visible.height());
  areaBudget_ -= cost;
  if (areaBudget_ < 0) exhausted_ = true;
  return !exhausted_;
}

bool MetafileCanvas::chargeText(int count) {
  textBudget_ -= count;
  return textBudget_ >= 0;
}

bool MetafileCanvas::timeUp() const {
  return clock_.elapsed() > kMaxTimeMs;
}
