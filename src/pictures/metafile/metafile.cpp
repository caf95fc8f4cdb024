#include "pictures/metafile/metafile.h"

#include <QPainter>

#include "pictures/metafile/metafileformat.h"
#include "pictures/metafile/metafileplayer.h"
#include "units/pixels.h"

namespace {

ByteView view(const QByteArray& data) {
  return ByteView(reinterpret_cast<const uchar*>(data.constData()), data.size());
}

bool readFrame(const QByteArray& data, MetafileHeader* header, QRectF* frame, QSizeF* twips,
               QString* error) {
  ByteView bytes = view(data);
  if (!parseMetafileHeader(bytes, header, error)) return false;
  *frame = metafileFrame(bytes, *header);
  *twips = metafileNaturalTwips(bytes, *header);
  if (frame->isNull() || twips->isEmpty()) {
    if (error) *error = QStringLiteral("metafile gives no picture size");
    return false;
  }
  return true;
}

}  // namespace

bool isMetafileData(const QByteArray& head) {
  return looksLikeMetafile(head);
}

bool metafileNaturalSize(const QByteArray& data, QSizeF* twips, QString* error) {
  MetafileHeader header;
  QRectF frame;
  return readFrame(data, &header, &frame, twips, error);
}

QImage renderMetafile(const QByteArray& data, QSize size, QString* error) {
  return renderMetafile(data, size, error, nullptr);
}

QImage renderMetafile(const QByteArray& data, QSize size, QString* error,
                      std::vector<MetafileTextRun>* runs) {
  MetafileHeader header;
  QRectF frame;
  QSizeF twips;
  if (!readFrame(data, &header, &frame, &twips, error)) return QImage();
  if (size.isEmpty()) {
    if (error) *error = QStringLiteral("no size to draw the metafile at");
    return QImage();
  }
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) {
    if (error) *error = QStringLiteral("out of memory for the metafile picture");
    return image;
  }
  image.fill(Qt::white);
  QPainter painter(&image);
  MetafilePlayer player(view(data), header, frame, size);
  player.traceText(runs);
  player.play(&painter, size.width() / (twips.width() / units::kTwipsPerPixel));
  return image;
}
