#include "controls/twips.h"

#include <QRectF>
#include <QVariant>
#include <QWidget>

namespace tw {
namespace {

const char* const kProperty = "_twips";

QRectF rectOf(const QWidget* w) {
  const QVariant v = w->property(kProperty);
  if (v.isValid()) return v.toRectF();
  const QRect px = w->geometry();
  const double k = units::kTwipsPerPixel;
  return QRectF(px.x() * k, px.y() * k, px.width() * k, px.height() * k);
}

// Edges are rounded, not sizes, so neighbouring controls never drift apart by a pixel.
void apply(QWidget* w, const QRectF& r) {
  w->setProperty(kProperty, r);
  const int x0 = toPixels(float(r.left()));
  const int y0 = toPixels(float(r.top()));
  const int x1 = toPixels(float(r.left()) + float(r.width()));
  const int y1 = toPixels(float(r.top()) + float(r.height()));
  w->setGeometry(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

}  // namespace

float left(const QWidget* w) {
  return float(rectOf(w).left());
}
float top(const QWidget* w) {
  return float(rectOf(w).top());
}
float width(const QWidget* w) {
  return float(rectOf(w).width());
}
float height(const QWidget* w) {
  return float(rectOf(w).height());
}

void setLeft(QWidget* w, float v) {
  QRectF r = rectOf(w);
  r.moveLeft(v);
  apply(w, r);
}

void setTop(QWidget* w, float v) {
  QRectF r = rectOf(w);
  r.moveTop(v);
  apply(w, r);
}

void setWidth(QWidget* w, float v) {
  QRectF r = rectOf(w);
  r.setWidth(v);
  apply(w, r);
}

void setHeight(QWidget* w, float v) {
  QRectF r = rectOf(w);
  r.setHeight(v);
  apply(w, r);
}

void setGeometry(QWidget* w, float l, float t, float wd, float ht) {
  apply(w, QRectF(l, t, wd, ht));
}

}  // namespace tw
