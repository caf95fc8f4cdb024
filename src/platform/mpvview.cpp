#include "platform/mpvview.h"

#include <mpv/render.h>

#include <QPainter>
#include <cstdlib>

void MpvView::FreeBuffer::operator()(uchar* p) const {
  std::free(p);
}

MpvView::MpvView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MpvView::render(mpv_render_context* context, int turn) {
  const qreal ratio = devicePixelRatioF();
  const int shownW = qMax(1, qRound(width() * ratio));
  const int shownH = qMax(1, qRound(height() * ratio));
  const bool across = turn % 180 != 0;
  const int w = across ? shownH : shownW;
  const int h = across ? shownW : shownH;
  if (target_.width() != w || target_.height() != h) {
    // mpv's converters run fastest with 64-byte aligned rows.
    const size_t stride = (size_t(w) * 4 + 63) & ~size_t(63);
    frame_ = target_ = QImage();  // they point into the buffer that is about to go
    buffer_.reset(static_cast<uchar*>(std::aligned_alloc(64, stride * size_t(h))));
    if (!buffer_) return;
    target_ = QImage(buffer_.get(), w, h, qsizetype(stride), QImage::Format_ARGB32_Premultiplied);
  }
  int size[2] = {w, h};
  size_t stride = size_t(target_.bytesPerLine());
  char format[] = "bgra";  // "bgr0" would leave alpha 0 and draw transparent
  mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                               {MPV_RENDER_PARAM_SW_FORMAT, format},
                               {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                               {MPV_RENDER_PARAM_SW_POINTER, buffer_.get()},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (mpv_render_context_render(context, params) < 0) return;
  frame_ = turn ? target_.transformed(QTransform().rotate(turn)) : target_;
  frame_.setDevicePixelRatio(ratio);
  update();
}

void MpvView::setCaption(const QString& text) {
  caption_ = text;
  update();
}

void MpvView::clear() {
  frame_ = target_ = QImage();
  buffer_.reset();
  caption_.clear();
  update();
}

void MpvView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!frame_.isNull()) {
    painter.drawImage(rect(), frame_);
    return;
  }
  painter.fillRect(rect(), Qt::black);
  if (caption_.isEmpty()) return;
  painter.setPen(Qt::white);
  const QRect box = rect().adjusted(4, 0, -4, 0);
  painter.drawText(box, Qt::AlignCenter,
                   fontMetrics().elidedText(caption_, Qt::ElideMiddle, box.width()));
}
