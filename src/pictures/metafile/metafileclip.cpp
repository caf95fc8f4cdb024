#include "pictures/metafile/metafileclip.h"

#include <functional>

namespace {

// One Sutherland-Hodgman pass: keeps the side of an edge where `inside` holds.
QPolygonF clipEdge(const QPolygonF& in, const std::function<bool(QPointF)>& inside,
                   const std::function<QPointF(QPointF, QPointF)>& cross) {
  QPolygonF out;
  if (in.isEmpty()) return out;
  QPointF prev = in.last();
  for (const QPointF& cur : in) {
    if (inside(cur)) {
      if (!inside(prev)) out << cross(prev, cur);
      out << cur;
    } else if (inside(prev)) {
      out << cross(prev, cur);
    }
    prev = cur;
  }
  return out;
}

QPointF atX(QPointF a, QPointF b, qreal x) {
  qreal t = (x - a.x()) / (b.x() - a.x());
  return QPointF(x, a.y() + t * (b.y() - a.y()));
}

QPointF atY(QPointF a, QPointF b, qreal y) {
  qreal t = (y - a.y()) / (b.y() - a.y());
  return QPointF(a.x() + t * (b.x() - a.x()), y);
}

QPolygonF clipPolygon(QPolygonF poly, const QRectF& r) {
  poly = clipEdge(
      poly, [&](QPointF p) { return p.x() >= r.left(); },
      [&](QPointF a, QPointF b) { return atX(a, b, r.left()); });
  poly = clipEdge(
      poly, [&](QPointF p) { return p.x() <= r.right(); },
      [&](QPointF a, QPointF b) { return atX(a, b, r.right()); });
  poly = clipEdge(
      poly, [&](QPointF p) { return p.y() >= r.top(); },
      [&](QPointF a, QPointF b) { return atY(a, b, r.top()); });
  return clipEdge(
      poly, [&](QPointF p) { return p.y() <= r.bottom(); },
      [&](QPointF a, QPointF b) { return atY(a, b, r.bottom()); });
}

// Liang-Barsky: the part of segment a-b inside r, false when none.
bool clipSegment(QPointF* a, QPointF* b, const QRectF& r) {
  qreal t0 = 0, t1 = 1, dx = b->x() - a->x(), dy = b->y() - a->y();
  const qreal p[4] = {-dx, dx, -dy, dy};
  const qreal q[4] = {a->x() - r.left(), r.right() - a->x(), a->y() - r.top(), r.bottom() - a->y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    qreal t = q[i] / p[i];
    if (p[i] < 0)
      t0 = qMax(t0, t);
    else
      t1 = qMin(t1, t);
    if (t0 > t1) return false;
  }
  QPointF start = *a + QPointF(dx, dy) * t0, end = *a + QPointF(dx, dy) * t1;
  *a = start;
  *b = end;
  return true;
}

}  // namespace

QPainterPath clipToRect(const QPainterPath& path, const QRectF& limit, bool closed) {
  QPainterPath out;
  out.setFillRule(path.fillRule());
  const QList<QPolygonF> polys = path.toSubpathPolygons();
  for (const QPolygonF& poly : polys) {
    if (closed) {
      QPolygonF clipped = clipPolygon(poly, limit);
      if (clipped.size() < 3) continue;
      out.addPolygon(clipped);
      out.closeSubpath();
      continue;
    }
    bool open = false;
    for (int i = 1; i < poly.size(); ++i) {
      QPointF a = poly[i - 1], b = poly[i];
      if (!clipSegment(&a, &b, limit)) {
        open = false;
        continue;
      }
      if (!open || out.currentPosition() != a) out.moveTo(a);
      out.lineTo(b);
      open = b == poly[i];
    }
  }
  return out;
}
