// Pattern and bitmap blits of the metafile player.
#include "pictures/metafile/metafilebitmaps.h"

#include "pictures/metafile/metafiledib.h"
#include "pictures/metafile/metafilerecords.h"

namespace {

enum Rop : quint32 {
  kBlackness = 0x00000042,
  kNotSrcErase = 0x001100A6,
  kNotSrcCopy = 0x00330008,
  kSrcErase = 0x00440328,
  kDstInvert = 0x00550009,
  kPatInvert = 0x005A0049,
  kSrcInvert = 0x00660046,
  kSrcAnd = 0x008800C6,
  kDest = 0x00AA0029,
  kMergePaint = 0x00BB0226,
  kSrcCopy = 0x00CC0020,
  kSrcPaint = 0x00EE0086,
  kPatCopy = 0x00F00021,
  kPatPaint = 0x00FB0A09,
  kWhiteness = 0x00FF0062,
};

bool usesSource(quint32 rop) {
  // Bit (pattern * 4 + source * 2 + dest) of the operation's code is its result: the source
  // takes part when the results for source set and clear differ.
  quint32 code = (rop >> 16) & 0xFF;
  return ((code >> 2) & 0x33) != (code & 0x33);
}

QPainter::CompositionMode sourceMode(quint32 rop) {
  switch (rop) {
    case kSrcAnd:
      return QPainter::RasterOp_SourceAndDestination;
    case kSrcPaint:
      return QPainter::RasterOp_SourceOrDestination;
    case kSrcInvert:
      return QPainter::RasterOp_SourceXorDestination;
    case kSrcErase:
      return QPainter::RasterOp_SourceAndNotDestination;
    case kNotSrcCopy:
      return QPainter::RasterOp_NotSource;
    case kNotSrcErase:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case kMergePaint:
      return QPainter::RasterOp_NotSourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// Whether a DIB's rows are stored bottom-up (the usual way), which turns source offsets.
bool bottomUp(const ByteView& dib) {
  return dib.u32(0) == 12 ? dib.s16(6) > 0 : dib.s32(8) > 0;
}

}  // namespace

bool BitmapRecords::play(const MetafileRecord& r) {
  BlitRecord b;
  switch (r.function) {
    case mf::kPatBlt:
    case mf::kBitBlt:
    case mf::kDibBitBlt:
    case mf::kStretchBlt:
    case mf::kDibStretchBlt:
    case mf::kStretchDib:
    case mf::kSetDibToDev:
      break;
    default:
      return false;
  }
  if (!readBlit(r, &b)) return true;
  // Not normalised: a negative size mirrors the bitmap.
  const MetafileMapping& m = c_->mapping;
  QRectF device(m.map(b.dest.topLeft()), m.map(b.dest.bottomRight()));
  if (!b.hasBitmap || !usesSource(b.rop)) {
    patBlt(device.normalized(), b.rop);
    return true;
  }
  QImage image;
  if (r.function == mf::kBitBlt || r.function == mf::kStretchBlt)
    image = decodeMonoBitmap16(b.bitmap, c_->bitmapPixels());
  else
    image = decodeDib(b.bitmap, b.usage, c_->dc.palette, c_->bitmapPixels());
  // Source rows of a stretched DIB count from the bottom in a bottom-up bitmap.
  if (r.function == mf::kStretchDib && bottomUp(b.bitmap) && !image.isNull())
    b.source.moveTop(image.height() - b.source.top() - b.source.height());
  blit(image, b.source, device, b.rop);
  return true;
}

void BitmapRecords::patBlt(const QRectF& device, quint32 rop) {
  if (rop == kDest || !c_->charge(device)) return;
  QPainter* p = c_->painter();
  QBrush brush = c_->brush(c_->dc.brush);
  switch (rop) {
    case kBlackness:
      p->fillRect(device, Qt::black);
      return;
    case kWhiteness:
      p->fillRect(device, Qt::white);
      return;
    case kDstInvert:
      p->setCompositionMode(QPainter::RasterOp_NotDestination);
      p->fillRect(device, Qt::black);
      break;
    case kPatInvert:
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p->fillRect(device, brush);
      break;
    default:
      if (brush.style() == Qt::NoBrush) return;
      p->fillRect(device, brush);
      return;
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void BitmapRecords::blit(const QImage& image, QRectF source, const QRectF& device, quint32 rop) {
  if (image.isNull() || rop == kDest) return;
  source = source.intersected(QRectF(image.rect()));
  if (source.isEmpty() || !c_->charge(device.normalized())) return;
  QImage picture = image;
  QRectF target = device.normalized();
  bool mirrorX = device.width() < 0, mirrorY = device.height() < 0;
  if (mirrorX || mirrorY) {
    picture = image.copy(source.toAlignedRect()).mirrored(mirrorX, mirrorY);
    source = QRectF(picture.rect());
  }
  QPainter* p = c_->painter();
  p->setCompositionMode(sourceMode(rop));
  p->drawImage(target, picture, source);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}
