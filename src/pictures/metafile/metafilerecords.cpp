// The fields of the drawing records, where the format keeps them.
#include "pictures/metafile/metafilerecords.h"

QPointF yxPoint(const ByteView& p, qsizetype at) {
  return QPointF(p.s16(at + 2), p.s16(at));
}

bool readBox(const ByteView& p, QRectF* box, qsizetype at) {
  if (!p.has(at, 8)) return false;
  *box = QRectF(QPointF(p.s16(at + 6), p.s16(at + 4)), QPointF(p.s16(at + 2), p.s16(at)));
  return true;
}

bool readRoundRect(const ByteView& p, RoundRectRecord* r) {
  if (!p.has(0, 12)) return false;
  r->corner = QSizeF(p.s16(2), p.s16(0));
  return readBox(p, &r->box, 4);
}

bool readArc(const ByteView& p, ArcRecord* r) {
  if (!p.has(0, 16)) return false;
  r->end = yxPoint(p, 0);
  r->start = yxPoint(p, 4);
  return readBox(p, &r->box, 8);
}

namespace {

QPolygonF pointsAt(const ByteView& p, qsizetype at, int count) {
  QPolygonF poly;
  if (count <= 0 || !p.has(at, qsizetype(count) * 4)) return poly;
  poly.reserve(count);
  for (int i = 0; i < count; ++i) poly.append(QPointF(p.s16(at + i * 4), p.s16(at + i * 4 + 2)));
  return poly;
}

}  // namespace

QPolygonF readPolygon(const ByteView& p) {
  return pointsAt(p, 2, p.s16(0));
}

QVector<QPolygonF> readPolyPolygon(const ByteView& p) {
  QVector<QPolygonF> polys;
  int count = p.u16(0);
  if (!p.has(2, qsizetype(count) * 2)) return polys;
  qsizetype at = 2 + qsizetype(count) * 2;
  for (int i = 0; i < count; ++i) {
    int points = p.s16(2 + i * 2);
    QPolygonF poly = pointsAt(p, at, points);
    if (poly.isEmpty()) break;
    polys.append(poly);
    at += qsizetype(points) * 4;
  }
  return polys;
}

bool readPixel(const ByteView& p, PixelRecord* r) {
  if (!p.has(0, 8)) return false;
  r->color = p.u32(0);
  r->at = yxPoint(p, 4);
  return true;
}

RegionRecord readRegionRecord(const ByteView& p) {
  return {p.u16(0), p.u16(2), QSizeF(p.s16(6), p.s16(4))};
}

namespace {

// x, y, width, height stored height first.
QRectF hwyx(const ByteView& p, qsizetype at) {
  return QRectF(p.s16(at + 6), p.s16(at + 4), p.s16(at + 2), p.s16(at));
}

}  // namespace

bool readBlit(const MetafileRecord& r, BlitRecord* b) {
  const ByteView& p = r.params;
  b->rop = p.u32(0);
  switch (r.function) {
    case mf::kPatBlt:
      if (!p.has(0, 12)) return false;
      b->dest = hwyx(p, 4);
      return true;
    case mf::kBitBlt:
    case mf::kDibBitBlt:
      // Without a bitmap a reserved word stands where the source's place would be.
      b->hasBitmap = p.size() > 18;
      if (!b->hasBitmap) {
        b->dest = hwyx(p, 10);
        return true;
      }
      b->dest = hwyx(p, 8);
      b->source = QRectF(QPointF(p.s16(6), p.s16(4)), b->dest.size());
      b->bitmap = p.mid(16);
      return true;
    case mf::kStretchBlt:
    case mf::kDibStretchBlt:
      b->hasBitmap = p.size() > 22;
      if (!b->hasBitmap) {
        b->dest = hwyx(p, 14);
        return true;
      }
      b->dest = hwyx(p, 12);
      b->source = hwyx(p, 4);
      b->bitmap = p.mid(20);
      return true;
    case mf::kStretchDib:
      if (!p.has(0, 22)) return false;
      b->usage = p.u16(4);
      b->source = hwyx(p, 6);
      b->dest = hwyx(p, 14);
      b->bitmap = p.mid(22);
      b->hasBitmap = true;
      return true;
    case mf::kSetDibToDev:
      // Usage, scan count and first scan, then the source and the destination's corner.
      if (!p.has(0, 18)) return false;
      b->rop = 0x00CC0020;  // a plain copy
      b->usage = p.u16(0);
      b->source = QRectF(p.s16(8), p.s16(6), p.s16(12), p.s16(10));
      b->dest = QRectF(QPointF(p.s16(16), p.s16(14)), b->source.size());
      b->bitmap = p.mid(18);
      b->hasBitmap = true;
      return true;
    default:
      return false;
  }
}

bool readText(const MetafileRecord& r, TextRecord* t) {
  const ByteView& p = r.params;
  if (r.function == mf::kTextOut) {
    int count = qMax(0, int(p.s16(0)));
    qsizetype padded = (count + 1) & ~1;
    if (!p.has(2, padded + 4)) return false;
    t->text = p.mid(2, count);
    t->at = yxPoint(p, 2 + padded);
    return true;
  }
  if (r.function != mf::kExtTextOut || !p.has(0, 8)) return false;
  t->at = yxPoint(p, 0);
  int count = qMax(0, int(p.s16(4)));
  t->options = p.u16(6);
  qsizetype at = 8;
  if ((t->options & (mf::kOpaque | mf::kClipped)) && p.has(8, 8)) {
    t->rect = QRectF(QPointF(p.s16(8), p.s16(10)), QPointF(p.s16(12), p.s16(14)));
    t->hasRect = true;
    at = 16;
  }
  t->text = p.mid(at, count);
  t->advances = p.mid(at + ((count + 1) & ~1));
  return true;
}
