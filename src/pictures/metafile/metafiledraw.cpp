// Shapes, bitmaps and regions of the metafile player.
#include <cmath>

#include "pictures/metafile/metafileclip.h"
#include "pictures/metafile/metafiledib.h"
#include "pictures/metafile/metafileplayer.h"

namespace {

enum Rop : quint32 {
  kBlackness = 0x00000042,
  kNotSrcErase = 0x001100A6,
  kNotSrcCopy = 0x00330008,
  kSrcErase = 0x00440328,
  kDstInvert = 0x00550009,
  kPatInvert = 0x005A0049,
  kSrcInvert = 0x00660046,
  kSrcAnd = 0x008800C6,
  kDest = 0x00AA0029,
  kMergePaint = 0x00BB0226,
  kSrcCopy = 0x00CC0020,
  kSrcPaint = 0x00EE0086,
  kPatCopy = 0x00F00021,
  kPatPaint = 0x00FB0A09,
  kWhiteness = 0x00FF0062,
};

bool usesSource(quint32 rop) {
  // Bit (pattern * 4 + source * 2 + dest) of the operation's code is its result: the source
  // takes part when the results for source set and clear differ.
  quint32 code = (rop >> 16) & 0xFF;
  return ((code >> 2) & 0x33) != (code & 0x33);
}

QPainter::CompositionMode sourceMode(quint32 rop) {
  switch (rop) {
    case kSrcAnd:
      return QPainter::RasterOp_SourceAndDestination;
    case kSrcPaint:
      return QPainter::RasterOp_SourceOrDestination;
    case kSrcInvert:
      return QPainter::RasterOp_SourceXorDestination;
    case kSrcErase:
      return QPainter::RasterOp_SourceAndNotDestination;
    case kNotSrcCopy:
      return QPainter::RasterOp_NotSource;
    case kNotSrcErase:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case kMergePaint:
      return QPainter::RasterOp_NotSourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// A two-index tile painted in two colours.
QBrush twoColourTile(QImage tile, QRgb zero, QRgb one) {
  tile.setColorTable({zero, one});
  return QBrush(tile.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

// Whether a DIB's rows are stored bottom-up (the usual way), which turns source offsets.
bool bottomUp(const ByteView& dib) {
  return dib.u32(0) == 12 ? dib.s16(6) > 0 : dib.s32(8) > 0;
}

}  // namespace

QPen MetafilePlayer::pen() const {
  const MfPen& mp = dc_.pen;
  if (mp.style == 5) return QPen(Qt::NoPen);
  qreal limit = 4 * qMax(size_.width(), size_.height()) + 4;
  // Never thinner than a pixel, as on the screen the picture was made for: a pen of no
  // width, or one the mapping makes thinner than a pixel, is one device pixel wide.
  qreal width = qBound<qreal>(1.0, mp.width * qAbs(sx_), limit);
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

QBrush MetafilePlayer::brush(const MfBrush& b) const {
  switch (b.style) {
    case 1:
      return QBrush(Qt::NoBrush);
    case 2: {
      // Lines in the brush colour over the background colour, or over what lies beneath.
      QImage tile = hatchTile(b.hatch);
      if (tile.isNull()) return QBrush(color(b.color));
      return twoColourTile(tile, dc_.bkOpaque ? color(dc_.bkColor).rgb() : qRgba(0, 0, 0, 0),
                           color(b.color).rgb());
    }
    case 3:
    case 5:
    case 6:
      // Tiled from the device's origin, one pattern pixel to a device pixel.
      if (b.pattern.isNull()) return QBrush(Qt::gray);
      if (b.monochrome)
        return twoColourTile(b.pattern, color(dc_.textColor).rgb(), color(dc_.bkColor).rgb());
      return QBrush(b.pattern);
    default:
      return QBrush(color(b.color));
  }
}

bool MetafilePlayer::beginRop2() {
  switch (dc_.rop2) {
    case 11:
      return false;  // no-op: nothing is drawn
    case 6:
      p_->setCompositionMode(QPainter::RasterOp_NotDestination);
      break;
    case 7:
      p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      break;
    case 9:
      p_->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      break;
    case 15:
      p_->setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      break;
    case 4:
      p_->setCompositionMode(QPainter::RasterOp_NotSource);
      break;
    default:
      p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
      break;
  }
  return true;
}

void MetafilePlayer::drawPath(const QPainterPath& shape, bool fill, bool closed) {
  QPen pen = this->pen();
  QRectF bounds = shape.controlPointRect();
  qreal margin = pen.style() == Qt::NoPen ? 0 : pen.widthF();
  QRectF limit =
      QRectF(QPointF(0, 0), size_)
          .adjusted(-2 * margin - 16, -2 * margin - 16, 2 * margin + 16, 2 * margin + 16);
  QPainterPath path = limit.contains(bounds) ? shape : clipToRect(shape, limit, closed);
  if (!charge(bounds.adjusted(-margin, -margin, margin, margin), path.elementCount() * 8)) return;
  if (!beginRop2()) return;
  QBrush brush = fill ? this->brush(dc_.brush) : QBrush(Qt::NoBrush);
  if (dc_.rop2 == 1 || dc_.rop2 == 16) {  // black or white whatever the colours
    QColor c = dc_.rop2 == 1 ? Qt::black : Qt::white;
    if (pen.style() != Qt::NoPen) pen.setColor(c);
    if (brush.style() != Qt::NoBrush) brush = QBrush(c);
  }
  // Dashing a line that runs far outside the picture costs time for nothing.
  if (pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen &&
      (bounds.width() > 4 * size_.width() || bounds.height() > 4 * size_.height()))
    pen.setStyle(Qt::SolidLine);
  if (pen.isCosmetic() && pen.style() != Qt::NoPen) {
    // One device pixel means one: a line smoothed across two rows reads as two pixels wide.
    p_->fillPath(path, brush);
    p_->setRenderHint(QPainter::Antialiasing, false);
    p_->strokePath(path, pen);
    p_->setRenderHint(QPainter::Antialiasing, true);
  } else {
    p_->setPen(pen);
    p_->setBrush(brush);
    p_->drawPath(path);
  }
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool MetafilePlayer::dispatchShapes(const MetafileRecord& r) {
  const ByteView& p = r.params;
  QPainterPath path;
  path.setFillRule(dc_.winding ? Qt::WindingFill : Qt::OddEvenFill);
  switch (r.function) {
    case mf::kLineTo: {
      QPointF to(p.s16(2), p.s16(0));
      if (!p.has(0, 4)) return true;
      path.moveTo(map(dc_.position.x(), dc_.position.y()));
      path.lineTo(map(to.x(), to.y()));
      dc_.position = to;
      drawPath(path, false, false);
      return true;
    }
    case mf::kPolyline:
    case mf::kPolygon: {
      QPolygonF poly = points(p, 2, p.s16(0));
      if (poly.size() < 2) return true;
      path.addPolygon(poly);
      if (r.function == mf::kPolygon) path.closeSubpath();
      drawPath(path, r.function == mf::kPolygon, r.function == mf::kPolygon);
      return true;
    }
    case mf::kPolyPolygon: {
      int polys = p.u16(0);
      qsizetype at = 2 + qsizetype(polys) * 2;
      if (!p.has(2, qsizetype(polys) * 2)) return true;
      for (int i = 0; i < polys; ++i) {
        int count = p.s16(2 + i * 2);
        QPolygonF poly = points(p, at, count);
        if (poly.isEmpty()) break;
        path.addPolygon(poly);
        path.closeSubpath();
        at += qsizetype(count) * 4;
      }
      drawPath(path, true, true);
      return true;
    }
    case mf::kRectangle:
    case mf::kEllipse:
      if (!p.has(0, 8)) return true;
      if (r.function == mf::kRectangle)
        path.addRect(mapRect(p.s16(6), p.s16(4), p.s16(2), p.s16(0)));
      else
        path.addEllipse(mapRect(p.s16(6), p.s16(4), p.s16(2), p.s16(0)));
      drawPath(path, true, true);
      return true;
    case mf::kRoundRect: {
      if (!p.has(0, 12)) return true;
      QRectF rect = mapRect(p.s16(10), p.s16(8), p.s16(6), p.s16(4));
      qreal rx = qMin(qAbs(p.s16(2) * sx_) / 2, rect.width() / 2);
      qreal ry = qMin(qAbs(p.s16(0) * sy_) / 2, rect.height() / 2);
      path.addRoundedRect(rect, rx, ry);
      drawPath(path, true, true);
      return true;
    }
    case mf::kArc:
      drawArcFamily(p, 0);
      return true;
    case mf::kPie:
      drawArcFamily(p, 1);
      return true;
    case mf::kChord:
      drawArcFamily(p, 2);
      return true;
    case mf::kSetPixel: {
      if (!p.has(0, 8)) return true;
      QPointF at = map(p.s16(6), p.s16(4));
      QRectF dot(at, QSizeF(qMax<qreal>(1, qAbs(sx_)), qMax<qreal>(1, qAbs(sy_))));
      if (charge(dot)) p_->fillRect(dot, color(p.u32(0)));
      return true;
    }
    case mf::kPatBlt:
      if (!p.has(0, 12)) return true;
      patBlt(mapRect(p.s16(10), p.s16(8), p.s16(10) + p.s16(6), p.s16(8) + p.s16(4)), p.u32(0),
             brush(dc_.brush));
      return true;
    case mf::kFillRegion:
    case mf::kFrameRegion:
    case mf::kPaintRegion:
    case mf::kInvertRegion: {
      const MfObject* o = objects_.at(p.u16(0));
      const MfRegion* region = o ? std::get_if<MfRegion>(o) : nullptr;
      const MfObject* b = objects_.at(p.u16(2));
      const MfBrush* regionBrush = b ? std::get_if<MfBrush>(b) : nullptr;
      if (r.function == mf::kPaintRegion) regionBrush = &dc_.brush;
      if (region) drawRegion(*region, r.function, regionBrush, QSizeF(p.s16(6), p.s16(4)));
      return true;
    }
    default:
      return false;
  }
}

void MetafilePlayer::drawArcFamily(const ByteView& p, int kind) {
  if (!p.has(0, 16)) return;
  QRectF rect = mapRect(p.s16(14), p.s16(12), p.s16(10), p.s16(8));
  if (rect.width() < 1e-6 || rect.height() < 1e-6) return;
  QPointF c = rect.center();
  qreal rx = rect.width() / 2, ry = rect.height() / 2;
  auto angle = [&](QPointF q) {
    return std::atan2(-(q.y() - c.y()) / ry, (q.x() - c.x()) / rx) * 180 / M_PI;
  };
  QPointF start = map(p.s16(6), p.s16(4)), end = map(p.s16(2), p.s16(0));
  qreal a0 = angle(start), sweep = angle(end) - a0;
  // Arcs run counter-clockwise in logical space; a mirrored mapping turns that round.
  bool mirrored = (sx_ < 0) != (sy_ < 0);
  if (!mirrored)
    while (sweep <= 0) sweep += 360;
  else
    while (sweep >= 0) sweep -= 360;
  QPainterPath path;
  if (kind == 1) {
    path.moveTo(c);
    path.arcTo(rect, a0, sweep);
    path.closeSubpath();
  } else {
    path.arcMoveTo(rect, a0);
    path.arcTo(rect, a0, sweep);
    if (kind == 2) path.closeSubpath();
  }
  drawPath(path, kind != 0, kind != 0);
}

void MetafilePlayer::patBlt(const QRectF& device, quint32 rop, const QBrush& brush) {
  if (rop == kDest || !charge(device)) return;
  switch (rop) {
    case kBlackness:
      p_->fillRect(device, Qt::black);
      return;
    case kWhiteness:
      p_->fillRect(device, Qt::white);
      return;
    case kDstInvert:
      p_->setCompositionMode(QPainter::RasterOp_NotDestination);
      p_->fillRect(device, Qt::black);
      break;
    case kPatInvert:
      p_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p_->fillRect(device, brush);
      break;
    default:
      if (brush.style() == Qt::NoBrush) return;
      p_->fillRect(device, brush);
      return;
  }
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void MetafilePlayer::blit(const QImage& image, QRectF source, const QRectF& device, quint32 rop) {
  if (image.isNull() || rop == kDest) return;
  source = source.intersected(QRectF(image.rect()));
  if (source.isEmpty() || !charge(device.normalized())) return;
  QImage picture = image;
  QRectF target = device.normalized();
  bool mirrorX = device.width() < 0, mirrorY = device.height() < 0;
  if (mirrorX || mirrorY) {
    picture = image.copy(source.toAlignedRect()).mirrored(mirrorX, mirrorY);
    source = QRectF(picture.rect());
  }
  p_->setCompositionMode(sourceMode(rop));
  p_->drawImage(target, picture, source);
  p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool MetafilePlayer::dispatchBitmaps(const MetafileRecord& r) {
  const ByteView& p = r.params;
  auto device = [&](qreal x, qreal y, qreal w, qreal h) {
    // Not normalised: a negative size mirrors the bitmap.
    return QRectF(map(x, y), map(x + w, y + h));
  };
  switch (r.function) {
    case mf::kDibBitBlt:
    case mf::kBitBlt: {
      quint32 rop = p.u32(0);
      if (p.size() <= 18 || !usesSource(rop)) {
        qsizetype d = p.size() <= 18 ? 2 : 0;  // the source-less form has a reserved word
        patBlt(device(p.s16(14 + d), p.s16(12 + d), p.s16(10 + d), p.s16(8 + d)).normalized(), rop,
               brush(dc_.brush));
        return true;
      }
      ByteView dib = p.mid(16);
      QImage image = r.function == mf::kDibBitBlt ? decodeDib(dib, 0, dc_.palette, &dibBudget_)
                                                  : decodeMonoBitmap16(dib, &dibBudget_);
      QRectF source(p.s16(6), p.s16(4), p.s16(10), p.s16(8));
      blit(image, source, device(p.s16(14), p.s16(12), p.s16(10), p.s16(8)), rop);
      return true;
    }
    case mf::kDibStretchBlt:
    case mf::kStretchBlt: {
      quint32 rop = p.u32(0);
      if (p.size() <= 22 || !usesSource(rop)) {
        qsizetype d = p.size() <= 22 ? 2 : 0;
        patBlt(device(p.s16(18 + d), p.s16(16 + d), p.s16(14 + d), p.s16(12 + d)).normalized(), rop,
               brush(dc_.brush));
        return true;
      }
      ByteView dib = p.mid(20);
      QImage image = r.function == mf::kDibStretchBlt ? decodeDib(dib, 0, dc_.palette, &dibBudget_)
                                                      : decodeMonoBitmap16(dib, &dibBudget_);
      QRectF source(p.s16(10), p.s16(8), p.s16(6), p.s16(4));
      blit(image, source, device(p.s16(18), p.s16(16), p.s16(14), p.s16(12)), rop);
      return true;
    }
    case mf::kStretchDib: {
      if (!p.has(0, 22)) return true;
      quint32 rop = p.u32(0);
      ByteView dib = p.mid(22);
      QImage image = decodeDib(dib, p.u16(4), dc_.palette, &dibBudget_);
      qreal srcH = p.s16(6), srcW = p.s16(8), ySrc = p.s16(10), xSrc = p.s16(12);
      // Source rows count from the bottom in a bottom-up bitmap.
      if (bottomUp(dib) && !image.isNull()) ySrc = image.height() - ySrc - srcH;
      QRectF target = device(p.s16(20), p.s16(18), p.s16(16), p.s16(14));
      if (usesSource(rop))
        blit(image, QRectF(xSrc, ySrc, srcW, srcH), target, rop);
      else
        patBlt(target.normalized(), rop, brush(dc_.brush));
      return true;
    }
    case mf::kSetDibToDev: {
      if (!p.has(0, 18)) return true;
      QImage image = decodeDib(p.mid(18), p.u16(0), dc_.palette, &dibBudget_);
      qreal w = p.s16(12), h = p.s16(10);
      blit(image, QRectF(p.s16(8), p.s16(6), w, h), device(p.s16(16), p.s16(14), w, h), kSrcCopy);
      return true;
    }
    default:
      return false;
  }
}

void MetafilePlayer::drawRegion(const MfRegion& region, int function, const MfBrush* brush,
                                QSizeF frame) {
  QRegion device = mapRegion(region);
  QRectF bounds = device.boundingRect();
  if (!charge(bounds, qint64(device.rectCount()) * 16)) return;
  QPainterPath path;
  path.addRegion(device);
  if (function == mf::kInvertRegion) {
    p_->setCompositionMode(QPainter::RasterOp_NotDestination);
    p_->fillPath(path, Qt::black);
    p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  } else if (brush && function == mf::kFrameRegion) {
    qreal width = qBound<qreal>(1, qAbs(frame.width() * sx_), 64);
    p_->strokePath(path, QPen(this->brush(*brush), width));
  } else if (brush) {
    p_->fillPath(path, this->brush(*brush));
  }
}
