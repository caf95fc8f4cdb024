#pragma once

#include "units/pixels.h"

class QWidget;

// Twips geometry for any control (twips and pixels as units/pixels.h counts them).
// The twips are the source of truth and read back exactly what was set (single
// precision); the pixel geometry is derived from them.
namespace tw {

float left(const QWidget* w);
float top(const QWidget* w);
float width(const QWidget* w);
float height(const QWidget* w);

void setLeft(QWidget* w, float v);
void setTop(QWidget* w, float v);
void setWidth(QWidget* w, float v);
void setHeight(QWidget* w, float v);
void setGeometry(QWidget* w, float left, float top, float width, float height);

using units::toPixels;

}  // namespace tw
