#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QVector>

#include "pictures/metafile/metafileformat.h"

// What the drawing records hold, read from where the format keeps each field: the one place
// that knows their layouts. Coordinates are logical units as stored; a record too short for
// its fields reads as invalid.

// A point of a two-value record (origins, extents, move and line ends): y is stored first.
QPointF yxPoint(const ByteView& p, qsizetype at = 0);

// The box of a rectangle, an ellipse or a clip rectangle: bottom, right, top, left. Not
// normalised: its corners are the stored left-top and right-bottom.
bool readBox(const ByteView& p, QRectF* box, qsizetype at = 0);

struct RoundRectRecord {
  QRectF box;
  QSizeF corner;  // the ellipse that rounds the corners
};
bool readRoundRect(const ByteView& p, RoundRectRecord* r);

// Arc, pie and chord: the ellipse's box and the two points whose rays bound the arc.
struct ArcRecord {
  QRectF box;
  QPointF start, end;
};
bool readArc(const ByteView& p, ArcRecord* r);

// Polygon and polyline: a count and that many points, x first. Empty when the bytes end first.
QPolygonF readPolygon(const ByteView& p);
// Poly-polygon: the polygons' counts, then all their points; stops at the first that is cut.
QVector<QPolygonF> readPolyPolygon(const ByteView& p);

struct PixelRecord {
  QPointF at;
  quint32 color = 0;
};
bool readPixel(const ByteView& p, PixelRecord* r);

// Fill, frame, paint and invert region: the region and brush objects and the frame's size.
struct RegionRecord {
  int region = 0, brush = 0;
  QSizeF frame;
};
RegionRecord readRegionRecord(const ByteView& p);

// The raster records: pattern and bitmap blits, stretched or not, and bitmaps set on the
// device. `dest` is x, y, width, height (a negative size mirrors); without a bitmap the
// operation takes only the brush and the destination.
struct BlitRecord {
  quint32 rop = 0;
  QRectF dest;
  bool hasBitmap = false;
  QRectF source;    // within the bitmap, rows counted as its header gives them
  ByteView bitmap;  // a DIB, or the old device bitmap of the plain blits
  int usage = 0;    // colour table of palette indexes (1) or colours (0)
};
// For the functions mf::kPatBlt, kBitBlt, kDibBitBlt, kStretchBlt, kDibStretchBlt,
// kStretchDib and kSetDibToDev; false for any other or when the fields are cut short.
bool readBlit(const MetafileRecord& r, BlitRecord* b);

namespace mf {
enum TextOption { kOpaque = 0x0002, kClipped = 0x0004, kPdy = 0x2000 };
}

// TEXTOUT and EXTTEXTOUT: the reference point, the bytes, the advance array (x, or x and y
// pairs), the options and the optional rectangle (stored left, top, right, bottom).
struct TextRecord {
  QPointF at;
  ByteView text, advances;
  int options = 0;
  bool hasRect = false;
  QRectF rect;
};
bool readText(const MetafileRecord& r, TextRecord* t);
