#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

typedef struct mpv_render_context mpv_render_context;

// Where the player draws: frames rendered by mpv's software renderer into an
// image the size of this widget; for sound and music, the file's name.
class MpvView : public QWidget {
  Q_OBJECT
 public:
  explicit MpvView(QWidget* parent);

  // Renders mpv's current frame at this widget's size in device pixels.
  void render(mpv_render_context* context);
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
  QImage frame_;  // wraps buffer_
  QString caption_;
};
