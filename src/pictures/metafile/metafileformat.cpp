#include "pictures/metafile/metafileformat.h"

#include <cmath>
#include <vector>

#include <QPolygonF>

#include "pictures/metafile/metafilerecords.h"
#include "units/pixels.h"

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableSize = 22;
constexpr qsizetype kStandardHeaderSize = 18;
// Scanning for the window extent of a file without placeable header stops after this many
// records: writers set it among the first few.
constexpr int kFrameScanRecords = 4096;

bool validStandardHeader(const ByteView& b, qsizetype at) {
  if (!b.has(at, kStandardHeaderSize)) return false;
  quint16 type = b.u16(at);
  quint16 headerWords = b.u16(at + 2);
  quint16 version = b.u16(at + 4);
  return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool isDrawing(quint16 function) {
  switch (function) {
    case mf::kLineTo:
    case mf::kPolyline:
    case mf::kPolygon:
    case mf::kPolyPolygon:
    case mf::kRectangle:
    case mf::kRoundRect:
    case mf::kEllipse:
    case mf::kArc:
    case mf::kPie:
    case mf::kChord:
    case mf::kSetPixel:
    case mf::kPatBlt:
    case mf::kTextOut:
    case mf::kExtTextOut:
    case mf::kDibBitBlt:
    case mf::kDibStretchBlt:
    case mf::kStretchDib:
    case mf::kBitBlt:
    case mf::kStretchBlt:
    case mf::kSetDibToDev:
    case mf::kFillRegion:
    case mf::kPaintRegion:
    case mf::kFrameRegion:
    case mf::kInvertRegion:
      return true;
    default:
      return false;
  }
}

// The smallest rectangle holding every point added (and the origin), each drawing cut to
// the clip rectangle in force when it was drawn.
struct Extent {
  struct Clip {
    bool on = false;
    qreal left = 0, top = 0, right = 0, bottom = 0;  // logical units
  };
  qreal left = 0, top = 0, right = 0, bottom = 0;
  Clip clip;
  std::vector<Clip> saved;

  void addBox(QRectF box) {
    box = box.normalized();
    qreal l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
    if (clip.on) {
      l = qMax(l, clip.left), t = qMax(t, clip.top);
      r = qMin(r, clip.right), b = qMin(b, clip.bottom);
      if (l > r || t > b) return;  // wholly clipped away
    }
    left = qMin(left, l);
    right = qMax(right, r);
    top = qMin(top, t);
    bottom = qMax(bottom, b);
  }
  void addPolygon(const QPolygonF& points) {
    if (!points.isEmpty()) addBox(points.boundingRect());
  }

  void intersectClip(QRectF r) {
    r = r.normalized();
    if (!clip.on) {
      clip = {true, r.left(), r.top(), r.right(), r.bottom()};
      return;
    }
    clip.left = qMax(clip.left, r.left()), clip.top = qMax(clip.top, r.top());
    clip.right = qMin(clip.right, r.right()), clip.bottom = qMin(clip.bottom, r.bottom());
  }
  void save() {
    if (saved.size() < 1024) saved.push_back(clip);
  }
  void restore() {
    if (saved.empty()) return;
    clip = saved.back();
    saved.pop_back();
  }
};

// Without any window, coordinates are the pixels of the device the picture was made on:
// the frame runs from the origin to the farthest point drawn, drawing that its clipping
// removes left out.
QRectF drawingBounds(const ByteView& bytes, const MetafileHeader& header) {
  Extent e;
  RecordWalker walker(bytes, header.recordsOffset);
  MetafileRecord r;
  QPointF position;
  while (walker.next(&r)) {
    const ByteView& p = r.params;
    QRectF box;
    ArcRecord arc;
    RoundRectRecord round;
    BlitRecord blit;
    switch (r.function) {
      case mf::kMoveTo:
        position = yxPoint(p);
        break;
      case mf::kLineTo:
        e.addBox(QRectF(position, yxPoint(p)));
        position = yxPoint(p);
        break;
      case mf::kRectangle:
      case mf::kEllipse:
        if (readBox(p, &box)) e.addBox(box);
        break;
      case mf::kRoundRect:
        if (readRoundRect(p, &round)) e.addBox(round.box);
        break;
      case mf::kArc:
      case mf::kPie:
      case mf::kChord:
        if (readArc(p, &arc)) e.addBox(arc.box);
        break;
      case mf::kPolygon:
      case mf::kPolyline:
        e.addPolygon(readPolygon(p));
        break;
      case mf::kPolyPolygon:
        for (const QPolygonF& poly : readPolyPolygon(p)) e.addPolygon(poly);
        break;
      case mf::kPatBlt:
      case mf::kStretchDib:
      case mf::kDibStretchBlt:
      case mf::kDibBitBlt:
        if (readBlit(r, &blit)) e.addBox(blit.dest);
        break;
      case mf::kIntersectClipRect:
        readBox(p, &box);
        e.intersectClip(box);
        break;
      case mf::kSelectClipRegion:
        if (p.u16(0) == 0) e.clip = Extent::Clip();
        break;
      case mf::kSaveDc:
        e.save();
        break;
      case mf::kRestoreDc:
        e.restore();
        break;
      default:
        break;
    }
  }
  if (e.right - e.left < 1 || e.bottom - e.top < 1) return QRectF();
  return QRectF(QPointF(e.left, e.top), QPointF(e.right, e.bottom));
}

}  // namespace

bool looksLikeMetafile(const QByteArray& head) {
  ByteView b(reinterpret_cast<const uchar*>(head.constData()), head.size());
  return b.u32(0) == kPlaceableKey || validStandardHeader(b, 0);
}

bool parseMetafileHeader(const ByteView& b, MetafileHeader* header, QString* error) {
  MetafileHeader h;
  qsizetype at = 0;
  if (b.u32(0) == kPlaceableKey) {
    if (!b.has(0, kPlaceableSize)) {
      if (error) *error = QStringLiteral("metafile header is truncated");
      return false;
    }
    h.placeable = true;
    qreal left = b.s16(6), top = b.s16(8), right = b.s16(10), bottom = b.s16(12);
    h.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    h.unitsPerInch = b.u16(14);
    at = kPlaceableSize;
  }
  if (!validStandardHeader(b, at)) {
    if (error) *error = QStringLiteral("not a Windows metafile");
    return false;
  }
  h.objectCount = b.u16(at + 10);
  h.recordsOffset = at + kStandardHeaderSize;
  *header = h;
  return true;
}

bool RecordWalker::next(MetafileRecord* record) {
  if (!bytes_.has(offset_, 6)) return false;
  quint32 words = bytes_.u32(offset_);
  quint16 function = bytes_.u16(offset_ + 4);
  if (function == mf::kEof || words < 3) return false;
  qsizetype length = qsizetype(words) * 2;
  if (!bytes_.has(offset_, length)) return false;
  record->function = function;
  record->params = bytes_.mid(offset_ + 6, length - 6);
  offset_ += length;
  return true;
}

QRectF metafileFrame(const ByteView& bytes, const MetafileHeader& header) {
  if (header.placeable && header.bounds.width() != 0 && header.bounds.height() != 0)
    return header.bounds;
  // The window in force when drawing starts (some writers set a unit window first), else
  // the first window the file sets later, if anything is drawn in it (a writer's reset at
  // the end frames nothing).
  QPointF origin, extent, lateOrigin, lateExtent;
  bool drawing = false, lateOriginSet = false;
  RecordWalker walker(bytes, header.recordsOffset);
  MetafileRecord r;
  for (int i = 0; i < kFrameScanRecords && walker.next(&r); ++i) {
    bool draws = isDrawing(r.function);
    if (draws && drawing && !lateExtent.isNull()) {
      extent = lateExtent;
      origin = lateOriginSet ? lateOrigin : origin;
      break;
    }
    if (draws && !drawing && !extent.isNull()) break;
    drawing = drawing || draws;
    QPointF value = yxPoint(r.params);
    bool ext =
        r.function == mf::kSetWindowExt && r.params.has(0, 4) && value.x() != 0 && value.y() != 0;
    bool org = r.function == mf::kSetWindowOrg && r.params.has(0, 4);
    if (!drawing) {
      if (ext) extent = value;
      if (org) origin = value;
    } else if (lateExtent.isNull()) {
      if (ext) lateExtent = value;
      if (org) lateOrigin = value, lateOriginSet = true;
    }
  }
  if (extent.isNull()) return drawingBounds(bytes, header);
  return QRectF(origin, QSizeF(extent.x(), extent.y()));
}

QSizeF metafileNaturalTwips(const ByteView& bytes, const MetafileHeader& header) {
  if (header.placeable && header.bounds.width() != 0 && header.bounds.height() != 0) {
    // A box without units per inch is taken as twips, the usual unit of such writers.
    qreal perInch = header.unitsPerInch > 0 ? header.unitsPerInch : 1440;
    return QSizeF(std::abs(header.bounds.width()) / perInch * 1440,
                  std::abs(header.bounds.height()) / perInch * 1440);
  }
  QRectF frame = metafileFrame(bytes, header);
  if (frame.isNull()) return QSizeF();
  return QSizeF(std::abs(frame.width()), std::abs(frame.height())) * units::kTwipsPerPixel;
}
