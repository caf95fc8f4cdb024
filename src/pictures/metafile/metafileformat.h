#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "pictures/metafile/metafilebytes.h"

// Record function numbers of the Windows metafile format that the player knows.
namespace mf {
enum Function : quint16 {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kRealizePalette = 0x0035,
  kSetPalEntries = 0x0037,
  kCreatePalette = 0x00F7,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetRop2 = 0x0104,
  kSetPolyFillMode = 0x0106,
  kSetStretchBltMode = 0x0107,
  kSetTextCharExtra = 0x0108,
  kRestoreDc = 0x0127,
  kInvertRegion = 0x012A,
  kPaintRegion = 0x012B,
  kSelectClipRegion = 0x012C,
  kSelectObject = 0x012D,
  kSetTextAlign = 0x012E,
  kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9,
  kSetBkColor = 0x0201,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSetViewportOrg = 0x020D,
  kSetViewportExt = 0x020E,
  kOffsetWindowOrg = 0x020F,
  kOffsetViewportOrg = 0x0211,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kOffsetClipRgn = 0x0220,
  kFillRegion = 0x0228,
  kSelectPalette = 0x0234,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kScaleWindowExt = 0x0410,
  kScaleViewportExt = 0x0412,
  kExcludeClipRect = 0x0415,
  kIntersectClipRect = 0x0416,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kSetPixel = 0x041F,
  kFrameRegion = 0x0429,
  kTextOut = 0x0521,
  kPolyPolygon = 0x0538,
  kRoundRect = 0x061C,
  kPatBlt = 0x061D,
  kEscape = 0x0626,
  kCreateRegion = 0x06FF,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kBitBlt = 0x0922,
  kDibBitBlt = 0x0940,
  kExtTextOut = 0x0A32,
  kStretchBlt = 0x0B23,
  kDibStretchBlt = 0x0B41,
  kSetDibToDev = 0x0D33,
  kStretchDib = 0x0F43,
};
}  // namespace mf

// One record: its function and its parameter bytes (the record without its 6-byte prefix).
struct MetafileRecord {
  quint16 function = 0;
  ByteView params;
};

// What the headers of a metafile say, checked against the bytes that follow them.
struct MetafileHeader {
  bool placeable = false;
  QRectF bounds;         // placeable: the bounding box in logical units (may be empty)
  int unitsPerInch = 0;  // placeable: logical units per inch
  int objectCount = 0;   // size of the object table the records may use
  qsizetype recordsOffset = 0;
};

// True when `head` begins like a metafile: the placeable key or a valid standard header.
bool looksLikeMetafile(const QByteArray& head);

// Reads both headers; false with a reason when the bytes are not a metafile.
bool parseMetafileHeader(const ByteView& bytes, MetafileHeader* header, QString* error);

// Walks the records after the headers. Stops at the end-of-file record, at the end of the
// bytes, or at the first record whose length is impossible.
class RecordWalker {
 public:
  RecordWalker(const ByteView& bytes, qsizetype offset) : bytes_(bytes), offset_(offset) {}
  bool next(MetafileRecord* record);

 private:
  ByteView bytes_;
  qsizetype offset_;
};

// The picture's frame in logical units: the placeable box, or else the first window
// origin and extent the records set. Empty when neither exists.
QRectF metafileFrame(const ByteView& bytes, const MetafileHeader& header);

// The natural size in twips: placeable box / units per inch x 1440, or else the window
// extent x 15 (one logical unit per pixel). Empty when the file gives no size.
QSizeF metafileNaturalTwips(const ByteView& bytes, const MetafileHeader& header);
