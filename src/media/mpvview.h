#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>

typedef struct mpv_render_context mpv_render_context;

// Where the player draws: frames rendered by mpv's software renderer, turned as
// the file asks; for sound and music, the file's name. Only the part of the widget
// that its parent shows is rendered: a picture enlarged past the area costs no
// more than one that fills it.
class MpvView : public QWidget {
  Q_OBJECT
 public:
  explicit MpvView(QWidget* parent);

  // What is rendered, in device pixels of the picture as decoded (before a turn of
  // `turn` degrees clockwise): the whole picture's size at this widget's size, and
  // the part of it that the parent shows.
  struct Shown {
    QSize whole;
    QRect part;
    bool operator==(const Shown& o) const { return whole == o.whole && part == o.part; }
  };
  Shown shown(int turn) const;

  // Renders mpv's current frame into the shown part, turned by `turn` degrees
  // (0, 90, 180 or 270). mpv must already be told which part that is.
  void render(mpv_render_context* context, int turn = 0);
  // Takes mpv's current frame without drawing it.
  static void skip(mpv_render_context* context);
  void setCaption(const QString& text);
  void clear();  // no picture, no caption
  bool hasPicture() const { return !frame_.isNull(); }
  QSize renderedSize() const { return frame_.size(); }  // device pixels, as turned

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct FreeBuffer {
    void operator()(uchar* p) const;
  };
  std::unique_ptr<uchar[], FreeBuffer> buffer_;
  QImage target_;  // wraps buffer_: the frame as decoded
  QImage frame_;   // what is painted: target_ itself, or a turned copy
  QRect place_;    // where frame_ is painted, in this widget's coordinates
  QString caption_;
};
