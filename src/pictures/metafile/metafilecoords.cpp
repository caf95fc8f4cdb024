// The coordinates and the painting budget of the metafile player, which its state, shape
// and text records all use.
#include <cmath>

#include "pictures/metafile/metafilecoords.h"
#include "pictures/metafile/metafileplayer.h"

void MetafilePlayer::updateMapping() {
  qreal wx = dc_.windowExt.x() != 0 ? dc_.windowExt.x() : 1;
  qreal wy = dc_.windowExt.y() != 0 ? dc_.windowExt.y() : 1;
  sx_ = size_.width() / wx;
  sy_ = size_.height() / wy;
  // The frame fills the device; a later viewport extent scales relative to the first one.
  qreal unitX = size_.width() / qMax<qreal>(1, qAbs(frame_.width()));
  qreal unitY = size_.height() / qMax<qreal>(1, qAbs(frame_.height()));
  if (dc_.viewportExtSet && !baseViewportExt_.isNull()) {
    sx_ *= dc_.viewportExt.x() / baseViewportExt_.x();
    sy_ *= dc_.viewportExt.y() / baseViewportExt_.y();
    unitX = size_.width() / qAbs(baseViewportExt_.x());
    unitY = size_.height() / qAbs(baseViewportExt_.y());
  }
  if (dc_.mapMode == 7) {  // isotropic: one scale for both axes
    qreal s = qMin(qAbs(sx_), qAbs(sy_));
    sx_ = std::copysign(s, sx_);
    sy_ = std::copysign(s, sy_);
  }
  ox_ = dc_.viewportOrg.x() * unitX - dc_.windowOrg.x() * sx_;
  oy_ = dc_.viewportOrg.y() * unitY - dc_.windowOrg.y() * sy_;
}

QPointF MetafilePlayer::map(qreal x, qreal y) const {
  return QPointF(clampCoord(x * sx_ + ox_), clampCoord(y * sy_ + oy_));
}

QRectF MetafilePlayer::mapRect(qreal left, qreal top, qreal right, qreal bottom) const {
  return QRectF(map(left, top), map(right, bottom)).normalized();
}

QPolygonF MetafilePlayer::points(const ByteView& p, qsizetype at, int count) const {
  QPolygonF poly;
  if (count <= 0 || !p.has(at, qsizetype(count) * 4)) return poly;
  poly.reserve(count);
  for (int i = 0; i < count; ++i) poly.append(map(p.s16(at + i * 4), p.s16(at + i * 4 + 2)));
  return poly;
}

bool MetafilePlayer::charge(const QRectF& bounds, qint64 extra) {
  QRectF visible = bounds.intersected(QRectF(QPointF(0, 0), size_));
  qint64 cost = 64 + extra;
  if (visible.isValid()) cost += qint64(visible.width() * visible.height());
  areaBudget_ -= cost;
  if (areaBudget_ < 0) exhausted_ = true;
  return !exhausted_;
}

QRegion MetafilePlayer::mapRegion(const MfRegion& region) const {
  QRegion out;
  for (const QRect& r : region.rects)
    out += mapRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1).toAlignedRect();
  return out;
}
