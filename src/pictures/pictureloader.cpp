#include "pictures/pictureloader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>

#include "pictures/decodecost.h"
#include "pictures/metafile/metafile.h"
#include "units/pixels.h"

namespace {

// Large photos (100 megapixels and more) must load, a header claiming billions of pixels
// must not take the memory down with it. The bound is on what is decoded at once (four
// bytes a pixel): a JPEG decodes scaled, so a poster of any size fits it when shown fitted.
constexpr int kAllocationLimitMb = 1024;
constexpr qint64 kMaxDecodedBytes = qint64(kAllocationLimitMb) * 1024 * 1024;
constexpr qint64 kMaxMetafileBytes = 64LL * 1024 * 1024;
// A metafile drawn at natural size is capped here: it is vector art, drawn again at need.
constexpr int kMaxMetafileSide = 4096;
constexpr int kMaxIconImages = 64;

bool fail(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

// The largest size with the aspect of `size` that fits `box`; `size` itself when it fits.
QSize fitInto(QSize size, QSize box) {
  if (size.width() <= box.width() && size.height() <= box.height()) return size;
  qreal scale = qMin(qreal(box.width()) / size.width(), qreal(box.height()) / size.height());
  int w = int(std::ceil(size.width() * scale - 1e-6));
  int h = int(std::ceil(size.height() * scale - 1e-6));
  return QSize(qBound(1, w, box.width()), qBound(1, h, box.height()));
}

bool wantsSmaller(QSize maxPixels) {
  return maxPixels.isValid() && !maxPixels.isEmpty();
}

bool loadMetafile(QFile* file, QSize maxPixels, LoadedPicture* out, QString* error) {
  if (file->size() > kMaxMetafileBytes) return fail(error, QStringLiteral("metafile too large"));
  file->seek(0);
  QByteArray data = file->read(kMaxMetafileBytes);
  QSizeF twips;
  if (!metafileNaturalSize(data, &twips, error)) return false;
  QSizeF natural = twips / units::kTwipsPerPixel;
  QSize target(qBound(1, int(std::ceil(natural.width() - 1e-6)), INT_MAX / 2),
               qBound(1, int(std::ceil(natural.height() - 1e-6)), INT_MAX / 2));
  if (wantsSmaller(maxPixels)) target = fitInto(target, maxPixels);
  target = fitInto(target, QSize(kMaxMetafileSide, kMaxMetafileSide));
  QImage image = renderMetafile(data, target, error);
  if (image.isNull()) return false;
  out->image = image;
  out->naturalTwips = twips;
  return true;
}

// Icons hold several images; the picture is the largest of them.
bool loadIcon(QImageReader* reader, QSize maxPixels, LoadedPicture* out, QString* error) {
  QImage best;
  int count = qBound(1, reader->imageCount(), kMaxIconImages);
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader->jumpToImage(i)) break;
    QImage image = reader->read();
    if (!image.isNull() &&
        qint64(image.width()) * image.height() > qint64(best.width()) * best.height())
      best = image;
  }
  if (best.isNull()) return fail(error, reader->errorString());
  out->naturalTwips = QSizeF(best.size()) * units::kTwipsPerPixel;
  if (wantsSmaller(maxPixels) && fitInto(best.size(), maxPixels) != best.size())
    best = best.scaled(fitInto(best.size(), maxPixels), Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
  out->image = best;
  return true;
}

qint64 megabytes(qint64 bytes) {
  return (bytes + (1 << 20) - 1) >> 20;
}

// Refuses, with the reason, a picture whose decoding would not fit the memory bound.
bool fitsMemory(QIODevice* device, const QByteArray& format, QSize stored, QSize scaled,
                QString* error) {
  const DecodeCost cost = decodeCost(device, format, stored, scaled);
  if (cost.bytes <= kMaxDecodedBytes) return true;
  QString why;
  switch (cost.way) {
    case DecodeCost::Way::AllCoefficients:
      why = QStringLiteral("a progressive JPEG is decoded whole");
      break;
    case DecodeCost::Way::CannotScale:
      why = QStringLiteral("a %1 picture cannot be decoded at a smaller scale")
                .arg(QString::fromLatin1(format.toUpper()));
      break;
    default:
      why = QStringLiteral("it is decoded at full size");
  }
  return fail(error, QStringLiteral("picture too large to open (%1 x %2 pixels): %3 and would "
                                    "need %4 MB, more than the %5 MB a picture may use")
                         .arg(stored.width())
                         .arg(stored.height())
                         .arg(why)
                         .arg(megabytes(cost.bytes))
                         .arg(kAllocationLimitMb));
}

bool loadRaster(QImageReader* reader, QSize maxPixels, LoadedPicture* out, QString* error) {
  QByteArray format = reader->format();
  if (format == "ico" || format == "cur") return loadIcon(reader, maxPixels, out, error);
  reader->setAutoTransform(true);
  QSize stored = reader->size();
  // The stored size is before the orientation the file asks for; a quarter turn swaps it.
  bool turned = reader->transformation() & QImageIOHandler::TransformationRotate90;
  QSize upright = turned ? stored.transposed() : stored;
  QSize scaled;
  if (stored.isValid() && wantsSmaller(maxPixels)) {
    QSize fit = fitInto(upright, maxPixels);
    if (fit != upright) scaled = turned ? fit.transposed() : fit;
  }
  if (stored.isValid() && !fitsMemory(reader->device(), format, stored, scaled, error))
    return false;
  if (scaled.isValid()) reader->setScaledSize(scaled);
  QImage image = reader->read();
  if (image.isNull()) return fail(error, reader->errorString());
  out->naturalTwips = QSizeF(stored.isValid() ? upright : image.size()) * units::kTwipsPerPixel;
  out->image = image;
  return true;
}

}  // namespace

bool loadPicture(const QString& path, QSize maxPixels, LoadedPicture* out, QString* error) {
  *out = LoadedPicture();
  out->naturalTwips = QSizeF(0, 0);
  if (path.isEmpty()) return true;
  static const bool limitSet = (QImageReader::setAllocationLimit(kAllocationLimitMb), true);
  Q_UNUSED(limitSet);

  // Only plain files: a device or pipe named like a picture could be read forever.
  if (QFileInfo fi(path); fi.exists() && !fi.isFile())
    return fail(error, QStringLiteral("not a plain file"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return fail(error, QStringLiteral("cannot be opened: %1").arg(file.errorString()));
  if (isMetafileData(file.peek(64))) return loadMetafile(&file, maxPixels, out, error);

  // The content decides; the name's extension is the fallback for formats without a mark
  // (a TGA can even pass for a cursor by its first bytes).
  QString suffix = QFileInfo(path).suffix().toLower();
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  QByteArray detected = reader.canRead() ? reader.format() : QByteArray();
  if (!detected.isEmpty() && loadRaster(&reader, maxPixels, out, error)) return true;
  if (suffix == QLatin1String("wmf")) return loadMetafile(&file, maxPixels, out, error);
  if (!suffix.isEmpty() && suffix.toLatin1() != detected) {
    file.seek(0);
    QImageReader bySuffix(&file, suffix.toLatin1());
    if (bySuffix.canRead()) return loadRaster(&bySuffix, maxPixels, out, error);
  }
  if (!detected.isEmpty()) return false;
  return fail(error, QStringLiteral("not a picture this program can read"));
}
