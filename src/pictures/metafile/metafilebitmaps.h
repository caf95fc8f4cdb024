#pragma once

#include <QImage>

#include "pictures/metafile/metafilecanvas.h"
#include "pictures/metafile/metafileformat.h"

// The raster records: the brush painted over a box, and bitmaps copied, stretched and mixed
// with what lies beneath by the raster operation each names.
class BitmapRecords {
 public:
  explicit BitmapRecords(MetafileCanvas* canvas) : c_(canvas) {}
  // Draws the record if it is one of these; false for any other.
  bool play(const MetafileRecord& r);

 private:
  void patBlt(const QRectF& device, quint32 rop);
  void blit(const QImage& image, QRectF source, const QRectF& device, quint32 rop);

  MetafileCanvas* c_;
};
