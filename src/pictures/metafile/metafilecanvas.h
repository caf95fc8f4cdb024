#pragma once

#include <QBrush>
#include <QElapsedTimer>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QSizeF>

#include <vector>

#include "pictures/metafile/metafilecoords.h"
#include "pictures/metafile/metafileobjects.h"

// What the records of a metafile draw on and with: the painter and its device, the device
// context's state, the logical-to-device mapping, the objects, and the budget that keeps a
// hostile file from running long (painted area, decoded bitmap pixels, characters, time).
class MetafileCanvas {
 public:
  MetafileCanvas(QSize device, QRectF frame, int objectCount);

  void begin(QPainter* painter, qreal pixelScale);
  QPainter* painter() const { return p_; }
  QSizeF size() const { return size_; }
  qreal pixelScale() const { return pixelScale_; }

  MfDcState dc;
  MetafileMapping mapping;
  ObjectTable objects;

  QColor color(quint32 ref) const { return colorFromRef(ref, dc.palette); }
  // The selected pen and a brush as the painter draws them.
  QPen pen() const;
  QBrush brush(const MfBrush& b) const;
  // The clip in force, on the painter.
  void setClip(const QRegion& region);
  void applyClip();

  // Pays for painting `deviceBounds` (the part on the device) plus `extra`; false, and
  // everything after refused, once the budget is spent.
  bool charge(const QRectF& deviceBounds, qint64 extra = 0);
  // Pays for `count` characters of text; false when they are beyond the budget.
  bool chargeText(int count);
  qint64* bitmapPixels() { return &dibBudget_; }
  bool exhausted() const { return exhausted_; }
  bool timeUp() const;

 private:
  QPainter* p_ = nullptr;
  QSizeF size_;
  qreal pixelScale_ = 1;
  qint64 areaBudget_ = 0;
  qint64 dibBudget_ = 0;
  qint64 textBudget_ = 0;
  QElapsedTimer clock_;
  bool exhausted_ = false;
};
