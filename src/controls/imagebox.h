#pragma once

#include <QImage>
#include <QSizeF>
#include <QWidget>

// An image box: a picture with its natural size in twips, drawn at natural size
// (stretching off, which sizes the box to the picture) or scaled to the box.
class ImageBox : public QWidget {
  Q_OBJECT
 public:
  explicit ImageBox(QWidget* parent = nullptr);

  // Loads the picture at `path` (empty: no picture). `drawLimitTwips`, when given, is
  // the largest size the picture will be drawn at, so it may be decoded smaller.
  // On failure the box is emptied (no picture, size 0 x 0 when not stretching), the
  // reason is logged with the path, and it returns false. Loading the same file again
  // and failing again, as a photo shown twice over does, logs nothing more.
  bool loadPicture(const QString& path, QSizeF drawLimitTwips = {});
  void setPicture(const QImage& image, QSizeF naturalTwips);
  const QImage& picture() const { return image_; }
  QSizeF naturalSize() const { return natural_; }

  bool stretch() const { return stretch_; }
  void setStretch(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QImage& deviceImage(QSize target, qreal dpr);

  QImage image_;
  QImage shown_;  // image_ at the device size last painted, drawn one to one
  qint64 shownFrom_ = 0;
  QSizeF natural_;
  bool stretch_ = false;
  QString failedPath_;  // the last load, when it failed
};
