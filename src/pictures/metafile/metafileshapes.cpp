// Lines, shapes, pixels and regions of the metafile player.
#include "pictures/metafile/metafileshapes.h"

#include <cmath>

#include "pictures/metafile/metafileclip.h"
#include "pictures/metafile/metafilerecords.h"

bool ShapeRecords::beginRop2() {
  QPainter* p = c_->painter();
  switch (c_->dc.rop2) {
    case 11:
      return false;  // no-op: nothing is drawn
    case 6:
      p->setCompositionMode(QPainter::RasterOp_NotDestination);
      break;
    case 7:
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      break;
    case 9:
      p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      break;
    case 15:
      p->setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      break;
    case 4:
      p->setCompositionMode(QPainter::RasterOp_NotSource);
      break;
    default:
      p->setCompositionMode(QPainter::CompositionMode_SourceOver);
      break;
  }
  return true;
}

void ShapeRecords::drawPath(const QPainterPath& shape, bool fill, bool closed) {
  QPainter* p = c_->painter();
  const QSizeF size = c_->size();
  QPen pen = c_->pen();
  QRectF bounds = shape.controlPointRect();
  qreal margin = pen.style() == Qt::NoPen ? 0 : pen.widthF();
  QRectF limit =
      QRectF(QPointF(0, 0), size)
          .adjusted(-2 * margin - 16, -2 * margin - 16, 2 * margin + 16, 2 * margin + 16);
  QPainterPath path = limit.contains(bounds) ? shape : clipToRect(shape, limit, closed);
  if (!c_->charge(bounds.adjusted(-margin, -margin, margin, margin), path.elementCount() * 8))
    return;
  if (!beginRop2()) return;
  QBrush brush = fill ? c_->brush(c_->dc.brush) : QBrush(Qt::NoBrush);
  int rop2 = c_->dc.rop2;
  if (rop2 == 1 || rop2 == 16) {  // black or white whatever the colours
    QColor color = rop2 == 1 ? Qt::black : Qt::white;
    if (pen.style() != Qt::NoPen) pen.setColor(color);
    if (brush.style() != Qt::NoBrush) brush = QBrush(color);
  }
  // Dashing a line that runs far outside the picture costs time for nothing.
  if (pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen &&
      (bounds.width() > 4 * size.width() || bounds.height() > 4 * size.height()))
    pen.setStyle(Qt::SolidLine);
  if (pen.isCosmetic() && pen.style() != Qt::NoPen) {
    // One device pixel means one: a line smoothed across two rows reads as two pixels wide.
    p->fillPath(path, brush);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->strokePath(path, pen);
    p->setRenderHint(QPainter::Antialiasing, true);
  } else {
    p->setPen(pen);
    p->setBrush(brush);
    p->drawPath(path);
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool ShapeRecords::play(const MetafileRecord& r) {
  const ByteView& p = r.params;
  const MetafileMapping& m = c_->mapping;
  QPainterPath path;
  path.setFillRule(c_->dc.winding ? Qt::WindingFill : Qt::OddEvenFill);
  switch (r.function) {
    case mf::kLineTo: {
      if (!p.has(0, 4)) return true;
      QPointF to = yxPoint(p);
      path.moveTo(m.map(c_->dc.position));
      path.lineTo(m.map(to));
      c_->dc.position = to;
      drawPath(path, false, false);
      return true;
    }
    case mf::kPolyline:
    case mf::kPolygon: {
      QPolygonF poly = readPolygon(p);
      if (poly.size() < 2) return true;
      bool closed = r.function == mf::kPolygon;
      path.addPolygon(m.map(poly));
      if (closed) path.closeSubpath();
      drawPath(path, closed, closed);
      return true;
    }
    case mf::kPolyPolygon:
      if (!p.has(2, qsizetype(p.u16(0)) * 2)) return true;
      for (const QPolygonF& poly : readPolyPolygon(p)) {
        path.addPolygon(m.map(poly));
        path.closeSubpath();
      }
      drawPath(path, true, true);
      return true;
    case mf::kRectangle:
    case mf::kEllipse: {
      QRectF box;
      if (!readBox(p, &box)) return true;
      if (r.function == mf::kRectangle)
        path.addRect(m.mapRect(box));
      else
        path.addEllipse(m.mapRect(box));
      drawPath(path, true, true);
      return true;
    }
    case mf::kRoundRect: {
      RoundRectRecord round;
      if (!readRoundRect(p, &round)) return true;
      QRectF rect = m.mapRect(round.box);
      qreal rx = qMin(qAbs(round.corner.width() * m.sx()) / 2, rect.width() / 2);
      qreal ry = qMin(qAbs(round.corner.height() * m.sy()) / 2, rect.height() / 2);
      path.addRoundedRect(rect, rx, ry);
      drawPath(path, true, true);
      return true;
    }
    case mf::kArc:
      drawArc(p, ArcKind::Arc);
      return true;
    case mf::kPie:
      drawArc(p, ArcKind::Pie);
      return true;
    case mf::kChord:
      drawArc(p, ArcKind::Chord);
      return true;
    case mf::kSetPixel: {
      PixelRecord pixel;
      if (!readPixel(p, &pixel)) return true;
      QRectF dot(m.map(pixel.at),
                 QSizeF(qMax<qreal>(1, qAbs(m.sx())), qMax<qreal>(1, qAbs(m.sy()))));
      if (c_->charge(dot)) c_->painter()->fillRect(dot, c_->color(pixel.color));
      return true;
    }
    case mf::kFillRegion:
    case mf::kFrameRegion:
    case mf::kPaintRegion:
    case mf::kInvertRegion:
      drawRegion(r);
      return true;
    default:
      return false;
  }
}

void ShapeRecords::drawArc(const ByteView& p, ArcKind kind) {
  ArcRecord arc;
  if (!readArc(p, &arc)) return;
  const MetafileMapping& m = c_->mapping;
  QRectF rect = m.mapRect(arc.box);
  if (rect.width() < 1e-6 || rect.height() < 1e-6) return;
  QPointF c = rect.center();
  qreal rx = rect.width() / 2, ry = rect.height() / 2;
  auto angle = [&](QPointF q) {
    return std::atan2(-(q.y() - c.y()) / ry, (q.x() - c.x()) / rx) * 180 / M_PI;
  };
  qreal a0 = angle(m.map(arc.start)), sweep = angle(m.map(arc.end)) - a0;
  // Arcs run counter-clockwise in logical space; a mirrored mapping turns that round.
  bool mirrored = (m.sx() < 0) != (m.sy() < 0);
  if (!mirrored)
    while (sweep <= 0) sweep += 360;
  else
    while (sweep >= 0) sweep -= 360;
  QPainterPath path;
  if (kind == ArcKind::Pie) {
    path.moveTo(c);
    path.arcTo(rect, a0, sweep);
    path.closeSubpath();
  } else {
    path.arcMoveTo(rect, a0);
    path.arcTo(rect, a0, sweep);
    if (kind == ArcKind::Chord) path.closeSubpath();
  }
  bool area = kind != ArcKind::Arc;
  drawPath(path, area, area);
}

void ShapeRecords::drawRegion(const MetafileRecord& r) {
  RegionRecord record = readRegionRecord(r.params);
  const MfObject* o = c_->objects.at(record.region);
  const MfRegion* region = o ? std::get_if<MfRegion>(o) : nullptr;
  if (!region) return;
  const MfObject* b = c_->objects.at(record.brush);
  const MfBrush* brush = b ? std::get_if<MfBrush>(b) : nullptr;
  if (r.function == mf::kPaintRegion) brush = &c_->dc.brush;
  QPainter* p = c_->painter();
  QRegion device = c_->mapping.mapRegion(*region);
  if (!c_->charge(device.boundingRect(), qint64(device.rectCount()) * 16)) return;
  QPainterPath path;
  path.addRegion(device);
  if (r.function == mf::kInvertRegion) {
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillPath(path, Qt::black);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  } else if (brush && r.function == mf::kFrameRegion) {
    qreal width = qBound<qreal>(1, qAbs(record.frame.width() * c_->mapping.sx()), 64);
    p->strokePath(path, QPen(c_->brush(*brush), width));
  } else if (brush) {
    p->fillPath(path, c_->brush(*brush));
  }
}
