#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

typedef struct mpv_render_context mpv_render_context;

// Where the player draws: frames rendered by mpv's software renderer into an
// image the size of this widget, turned as the file asks; for sound and music,
// the file's name.
class MpvView : public QWidget {
  Q_OBJECT
 public:
  explicit MpvView(QWidget* parent);

  // Renders mpv's current frame at this widget's size in device pixels, turned
  // clockwise by `turn` degrees (0, 90, 180 or 270) from the way it was decoded.
  void render(mpv_render_context* context, int turn = 0);
  void setCaption(const QString& text);
  void clear();  // no picture, no caption
  bool hasPicture() const { return !frame_.isNull(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct FreeBuffer {
    void operator()(uchar* p) const;
  };
  std::unique_ptr<uchar[], FreeBuffer> buffer_;
  QImage target_;  // wraps buffer_: the frame as decoded
  QImage frame_;   // what is painted: target_ itself, or a turned copy
  QString caption_;
};
