#include "controls/imagebox.h"

#include <QPainter>

#include "controls/twips.h"
#include "pictures/pictureloader.h"
#include "pictures/pictureslog.h"
#include "units/pixels.h"

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

bool ImageBox::loadPicture(const QString& path, QSizeF drawLimitTwips) {
  QSize maxPixels;
  if (drawLimitTwips.isValid() && !drawLimitTwips.isEmpty()) {
    const qreal dpr = devicePixelRatioF();
    maxPixels = QSize(qCeil(drawLimitTwips.width() / units::kTwipsPerPixel * dpr),
                      qCeil(drawLimitTwips.height() / units::kTwipsPerPixel * dpr));
  }
  LoadedPicture loaded;
  QString error;
  const bool ok = ::loadPicture(path, maxPixels, &loaded, &error);
  if (!ok && path != failedPath_)
    qCWarning(picturesLog, "%s: %s", qPrintable(path), qPrintable(error));
  failedPath_ = ok ? QString() : path;
  if (ok) {
    setPicture(loaded.image, loaded.naturalTwips);
  } else {
    setPicture(QImage(), QSizeF(0, 0));
  }
  return ok;
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
  if (image_.isNull() || width() <= 0 || height() <= 0) return;
  QPainter p(this);
  const qreal dpr = p.device()->devicePixelRatioF();
  const QSize target = (QSizeF(size()) * dpr).toSize();
  if (target.isEmpty()) return;
  p.drawImage(QPointF(0, 0), deviceImage(target, dpr));
}

// The picture at exactly `target` device pixels, kept until the picture or size changes.
// Drawing one device pixel per image pixel keeps edges hard on any screen scale: shrinking
// averages areas once instead of sampling at every paint, and a whole-number enlargement
// (natural size on a doubled screen) repeats pixels rather than smearing them.
const QImage& ImageBox::deviceImage(QSize target, qreal dpr) {
  if (shownFrom_ == image_.cacheKey() && shown_.size() == target &&
      shown_.devicePixelRatio() == dpr)
    return shown_;
  const QSize src = image_.size();
  const bool wholeMultiple = target.width() % src.width() == 0 &&
                             target.height() % src.height() == 0 &&
                             target.width() / src.width() == target.height() / src.height();
  if (target == src) {
    shown_ = image_;
  } else {
    shown_ = image_.scaled(target, Qt::IgnoreAspectRatio,
                           wholeMultiple ? Qt::FastTransformation : Qt::SmoothTransformation);
  }
  shown_.setDevicePixelRatio(dpr);
  shownFrom_ = image_.cacheKey();
  return shown_;
}
