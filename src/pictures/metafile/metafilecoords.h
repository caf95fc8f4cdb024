#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QtGlobal>
#include <cmath>

#include "pictures/metafile/metafileobjects.h"

// Device coordinates are held within a million pixels either way: a hostile extent must
// not overflow the painter. Not a number is taken as 0.
inline qreal clampCoord(qreal v) {
  constexpr qreal kCoordLimit = 1e6;
  if (std::isnan(v)) return 0;
  return qBound(-kCoordLimit, v, kCoordLimit);
}

// Logical coordinates to device pixels under the window and viewport a device context sets,
// the picture's frame filling the device.
class MetafileMapping {
 public:
  MetafileMapping(QSizeF device, QRectF frame) : size_(device), frame_(frame) {}
  // The viewport extent the file sets first: later ones scale relative to it.
  void setFirstViewportExt(QPointF ext) {
    if (baseViewportExt_.isNull()) baseViewportExt_ = ext;
  }
  void update(const MfDcState& dc);

  qreal sx() const { return sx_; }  // device pixels per logical unit, signed
  qreal sy() const { return sy_; }
  QPointF map(qreal x, qreal y) const;
  QPointF map(QPointF logical) const { return map(logical.x(), logical.y()); }
  // Normalised, whichever way the axes run.
  QRectF mapRect(const QRectF& logical) const;
  QPolygonF map(const QPolygonF& logical) const;
  QRegion mapRegion(const MfRegion& region) const;

 private:
  QSizeF size_;
  QRectF frame_;
  QPointF baseViewportExt_;
  qreal sx_ = 1, sy_ = 1, ox_ = 0, oy_ = 0;
};
