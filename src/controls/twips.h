#pragma once

class QWidget;

// Twips geometry for any control: 1440 twips to the inch, 15 to a logical pixel.
// The twips are the source of truth and read back exactly what was set (single
// precision); the pixel geometry is derived from them.
namespace tw {

constexpr float kPerPixel = 15.0f;

float left(const QWidget* w);
float top(const QWidget* w);
float width(const QWidget* w);
float height(const QWidget* w);

void setLeft(QWidget* w, float v);
void setTop(QWidget* w, float v);
void setWidth(QWidget* w, float v);
void setHeight(QWidget* w, float v);
void setGeometry(QWidget* w, float left, float top, float width, float height);

int toPixels(float twips);

}  // namespace tw
