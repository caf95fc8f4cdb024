#include "media/mpvview.h"

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

namespace {

// Maps points of the picture as decoded to points of the picture turned by `turn`.
QTransform turning(int turn, QSize decoded) {
  return QImage::trueMatrix(QTransform().rotate(turn), decoded.width(), decoded.height());
}

}  // namespace

MpvView::Shown MpvView::shown(int turn) const {
  const qreal ratio = devicePixelRatioF();
  const QRect onParent =
      parentWidget() ? QRect(mapFromParent(QPoint(0, 0)), parentWidget()->size()) : rect();
  const QRect seen = rect() & onParent;
  const QSize turned(qMax(1, qRound(width() * ratio)), qMax(1, qRound(height() * ratio)));
  const QSize decoded = turn % 180 ? turned.transposed() : turned;
  QRect part(QPoint(qRound(seen.x() * ratio), qRound(seen.y() * ratio)),
             QSize(qRound(seen.width() * ratio), qRound(seen.height() * ratio)));
  part = turning(turn, decoded).inverted().mapRect(part) & QRect(QPoint(0, 0), decoded);
  if (part.isEmpty()) part = QRect(0, 0, 1, 1);
  return {decoded, part};
}

void MpvView::render(mpv_render_context* context, int turn) {
  const qreal ratio = devicePixelRatioF();
  const Shown now = shown(turn);
  const int w = now.part.width(), h = now.part.height();
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
  const QRectF part = turning(turn, now.whole).mapRect(QRectF(now.part));
  place_ = QRectF(part.topLeft() / ratio, part.size() / ratio).toRect();
  update();
}

void MpvView::skip(mpv_render_context* context) {
  int skip = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(context, params);
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
    painter.drawImage(place_, frame_);
    return;
  }
  painter.fillRect(rect(), Qt::black);
  if (caption_.isEmpty()) return;
  painter.setPen(Qt::white);
  const QRect box = rect().adjusted(4, 0, -4, 0);
  painter.drawText(box, Qt::AlignCenter,
                   fontMetrics().elidedText(caption_, Qt::ElideMiddle, box.width()));
}
