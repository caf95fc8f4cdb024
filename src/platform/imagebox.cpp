#include "platform/imagebox.h"

#include <QPainter>
#include <QWindow>

#include "platform/pictureloader.h"
#include "platform/twips.h"

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

bool ImageBox::loadPicture(const QString& path, QSizeF drawLimitTwips) {
  QSize maxPixels;
  if (drawLimitTwips.isValid() && !drawLimitTwips.isEmpty()) {
    const qreal dpr = devicePixelRatioF();
    maxPixels = QSize(qCeil(drawLimitTwips.width() / tw::kPerPixel * dpr),
                      qCeil(drawLimitTwips.height() / tw::kPerPixel * dpr));
  }
  LoadedPicture loaded;
  if (!::loadPicture(path, maxPixels, &loaded)) return false;
  setPicture(loaded.image, loaded.naturalTwips);
  return true;
}

void ImageBox::setPicture(const QImage& image, QSizeF naturalTwips) {
  image_ = image;
  natural_ = naturalTwips.isValid() ? naturalTwips : QSizeF(0, 0);
  if (!stretch_) {
    tw::setWidth(this, float(natural_.width()));
    tw::setHeight(this, float(natural_.height()));
  }
  update();
}

void ImageBox::setStretch(bool on) {
  stretch_ = on;
  if (!on) {
    tw::setWidth(this, float(natural_.width()));
    tw::setHeight(this, float(natural_.height()));
  }
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(rect(), image_);
}
