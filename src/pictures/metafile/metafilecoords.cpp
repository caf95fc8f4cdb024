// Logical coordinates of a metafile to device pixels.
#include "pictures/metafile/metafilecoords.h"

void MetafileMapping::update(const MfDcState& dc) {
  qreal wx = dc.windowExt.x() != 0 ? dc.windowExt.x() : 1;
  qreal wy = dc.windowExt.y() != 0 ? dc.windowExt.y() : 1;
  sx_ = size_.width() / wx;
  sy_ = size_.height() / wy;
  // The frame fills the device; a later viewport extent scales relative to the first one.
  qreal unitX = size_.width() / qMax<qreal>(1, qAbs(frame_.width()));
  qreal unitY = size_.height() / qMax<qreal>(1, qAbs(frame_.height()));
  if (dc.viewportExtSet && !baseViewportExt_.isNull()) {
    sx_ *= dc.viewportExt.x() / baseViewportExt_.x();
    sy_ *= dc.viewportExt.y() / baseViewportExt_.y();
    unitX = size_.width() / qAbs(baseViewportExt_.x());
    unitY = size_.height() / qAbs(baseViewportExt_.y());
  }
  if (dc.mapMode == 7) {  // isotropic: one scale for both axes
    qreal s = qMin(qAbs(sx_), qAbs(sy_));
    sx_ = std::copysign(s, sx_);
    sy_ = std::copysign(s, sy_);
  }
  ox_ = dc.viewportOrg.x() * unitX - dc.windowOrg.x() * sx_;
  oy_ = dc.viewportOrg.y() * unitY - dc.windowOrg.y() * sy_;
}

QPointF MetafileMapping::map(qreal x, qreal y) const {
  return QPointF(clampCoord(x * sx_ + ox_), clampCoord(y * sy_ + oy_));
}

QRectF MetafileMapping::mapRect(const QRectF& logical) const {
  return QRectF(map(logical.topLeft()), map(logical.bottomRight())).normalized();
}

QPolygonF MetafileMapping::map(const QPolygonF& logical) const {
  QPolygonF device;
  device.reserve(logical.size());
  for (const QPointF& point : logical) device.append(map(point));
  return device;
}

QRegion MetafileMapping::mapRegion(const MfRegion& region) const {
  QRegion out;
  for (const QRect& r : region.rects)
    out += mapRect(QRectF(QPointF(r.left(), r.top()), QPointF(r.right() + 1, r.bottom() + 1)))
               .toAlignedRect();
  return out;
}
