// The metafile player: playing the records, the device context's state, objects and clipping.
#include "pictures/metafile/metafileplayer.h"

#include <cmath>

#include "pictures/metafile/metafiledib.h"
#include "pictures/metafile/metafilerecords.h"

namespace {

constexpr int kMaxRecords = 2000000;
constexpr size_t kMaxSavedStates = 1024;
}  // namespace

MetafilePlayer::MetafilePlayer(const ByteView& bytes, const MetafileHeader& header,
                               const QRectF& frame, QSize deviceSize)
    : bytes_(bytes), header_(header), canvas_(deviceSize, frame, header.objectCount) {}

void MetafilePlayer::play(QPainter* painter, qreal pixelScale) {
  canvas_.begin(painter, pixelScale);
  RecordWalker walker(bytes_, header_.recordsOffset);
  MetafileRecord r;
  for (int i = 0; i < kMaxRecords && !canvas_.exhausted() && walker.next(&r); ++i) {
    if ((i & 63) == 0 && canvas_.timeUp()) break;
    dispatchState(r) || dispatchObjects(r) || dispatchClip(r) || shapes_.play(r) ||
        bitmaps_.play(r) || text_.play(r);
  }
}

bool MetafilePlayer::dispatchState(const MetafileRecord& r) {
  const ByteView& p = r.params;
  MfDcState& dc = canvas_.dc;
  QPointF yx = yxPoint(p);
  switch (r.function) {
    case mf::kSetWindowOrg:
      dc.windowOrg = yx;
      break;
    case mf::kSetWindowExt:
      if (yx.x() != 0 && yx.y() != 0) dc.windowExt = yx;
      break;
    case mf::kOffsetWindowOrg:
      dc.windowOrg += yx;
      break;
    case mf::kScaleWindowExt:
    case mf::kScaleViewportExt: {
      // y denominator, y numerator, x denominator, x numerator
      qreal xn = p.s16(6), xd = p.s16(4), yn = p.s16(2), yd = p.s16(0);
      if (xn == 0 || xd == 0 || yn == 0 || yd == 0) return true;
      QPointF& ext = r.function == mf::kScaleWindowExt ? dc.windowExt : dc.viewportExt;
      ext = QPointF(ext.x() * xn / xd, ext.y() * yn / yd);
      if (r.function == mf::kScaleViewportExt) dc.viewportExtSet = true;
      break;
    }
    case mf::kSetViewportOrg:
      dc.viewportOrg = yx;
      break;
    case mf::kOffsetViewportOrg:
      dc.viewportOrg += yx;
      break;
    case mf::kSetViewportExt:
      if (yx.x() == 0 || yx.y() == 0) return true;
      dc.viewportExt = yx;
      dc.viewportExtSet = true;
      canvas_.mapping.setFirstViewportExt(yx);
      break;
    case mf::kSetMapMode:
      dc.mapMode = p.u16(0);
      break;
    case mf::kSaveDc:
      saveDc();
      return true;
    case mf::kRestoreDc:
      restoreDc(p.s16(0));
      return true;
    case mf::kSetBkColor:
      dc.bkColor = p.u32(0);
      return true;
    case mf::kSetTextColor:
      dc.textColor = p.u32(0);
      return true;
    case mf::kSetBkMode:
      dc.bkOpaque = p.u16(0) == 2;
      return true;
    case mf::kSetTextAlign:
      dc.textAlign = p.u16(0);
      return true;
    case mf::kSetTextCharExtra:
      dc.charExtra = p.s16(0);
      return true;
    case mf::kSetPolyFillMode:
      dc.winding = p.u16(0) == 2;
      return true;
    case mf::kSetRop2:
      dc.rop2 = p.u16(0);
      return true;
    case mf::kMoveTo:
      dc.position = yx;
      return true;
    default:
      return false;
  }
  canvas_.mapping.update(dc);
  return true;
}

bool MetafilePlayer::dispatchObjects(const MetafileRecord& r) {
  const ByteView& p = r.params;
  switch (r.function) {
    case mf::kCreatePenIndirect: {
      MfPen pen;
      if (parsePen(p, &pen))
        canvas_.objects.add(pen);
      else
        canvas_.objects.add(MfPen());
      return true;
    }
    case mf::kCreateBrushIndirect: {
      MfBrush brush;
      parseBrush(p, &brush);
      canvas_.objects.add(brush);
      return true;
    }
    case mf::kCreateFontIndirect: {
      MfFont font;
      parseFont(p, &font);
      canvas_.objects.add(font);
      return true;
    }
    case mf::kCreatePalette: {
      MfPalette palette;
      parsePalette(p, &palette);
      canvas_.objects.add(palette);
      return true;
    }
    case mf::kCreateRegion: {
      MfRegion region;
      parseRegion(p, &region);
      canvas_.objects.add(region);
      return true;
    }
    case mf::kDibCreatePatternBrush:
    case mf::kCreatePatternBrush:
      canvas_.objects.add(patternBrush(r));
      return true;
    case mf::kDeleteObject:
      canvas_.objects.remove(p.u16(0));
      return true;
    case mf::kSelectObject:
      selectObject(p.u16(0));
      return true;
    case mf::kSelectPalette:
      if (const MfObject* o = canvas_.objects.at(p.u16(0)))
        if (auto pal = std::get_if<MfPalette>(o)) canvas_.dc.palette = *pal;
      return true;
    case mf::kSetPalEntries:
      setPaletteEntries(p, &canvas_.dc.palette);
      return true;
    case mf::kRealizePalette:
      return true;
    default:
      return false;
  }
}

MfBrush MetafilePlayer::patternBrush(const MetafileRecord& r) {
  const ByteView& p = r.params;
  const MfDcState& dc = canvas_.dc;
  MfBrush brush;
  brush.style = 3;
  QRgb one = qRgb(255, 255, 255);
  // The old record holds a device bitmap; the newer one a style, a colour usage and a DIB,
  // though writers also put a device bitmap there for the plain pattern style.
  ByteView bits = r.function == mf::kCreatePatternBrush ? p : p.mid(4);
  bool dib = r.function == mf::kDibCreatePatternBrush && isDibHeader(bits);
  if (!dib) {
    brush.pattern = decodeMonoBitmap16(bits, canvas_.bitmapPixels());
    brush.monochrome = true;
  } else {
    brush.pattern = decodeDib(bits, p.u16(2), dc.palette, canvas_.bitmapPixels());
    // The plain pattern style with a one-bit bitmap paints in the text and background
    // colours, as a monochrome device bitmap does.
    if (p.u16(0) == 3 && dibBits(bits) == 1) {
      brush.monochrome = true;
      one = dibTableColor(bits, 1);
    }
  }
  brush.pattern = patternTile(brush.pattern, brush.monochrome, one);
  return brush;
}

void MetafilePlayer::selectObject(int index) {
  MfDcState& dc = canvas_.dc;
  const MfObject* o = canvas_.objects.at(index);
  if (!o) return;
  if (auto pen = std::get_if<MfPen>(o))
    dc.pen = *pen;
  else if (auto brush = std::get_if<MfBrush>(o))
    dc.brush = *brush;
  else if (auto font = std::get_if<MfFont>(o))
    dc.font = *font;
  else if (auto pal = std::get_if<MfPalette>(o))
    dc.palette = *pal;
  else if (auto region = std::get_if<MfRegion>(o))
    canvas_.setClip(canvas_.mapping.mapRegion(*region));
}

void MetafilePlayer::saveDc() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(canvas_.dc);
}

void MetafilePlayer::restoreDc(int which) {
  // Negative: that many levels back; positive: the absolute level (1 is the first save).
  size_t target;
  if (which < 0) {
    if (size_t(-which) > saved_.size()) return;
    target = saved_.size() - size_t(-which);
  } else {
    if (which == 0 || size_t(which) > saved_.size()) return;
    target = size_t(which) - 1;
  }
  canvas_.dc = saved_[target];
  saved_.resize(target);
  canvas_.mapping.update(canvas_.dc);
  canvas_.applyClip();
}

bool MetafilePlayer::dispatchClip(const MetafileRecord& r) {
  const ByteView& p = r.params;
  MfDcState& dc = canvas_.dc;
  const MetafileMapping& m = canvas_.mapping;
  switch (r.function) {
    case mf::kIntersectClipRect:
    case mf::kExcludeClipRect: {
      QRectF box;
      readBox(p, &box);
      QRect rect = m.mapRect(box).toAlignedRect();
      QSizeF size = canvas_.size();
      QRegion current = dc.clipped ? dc.clip : QRegion(0, 0, int(size.width()), int(size.height()));
      canvas_.setClip(r.function == mf::kIntersectClipRect ? current.intersected(rect)
                                                           : current.subtracted(rect));
      return true;
    }
    case mf::kOffsetClipRgn:
      if (dc.clipped) {
        QPointF by = yxPoint(p);
        dc.clip.translate(qRound(clampCoord(by.x() * m.sx())), qRound(clampCoord(by.y() * m.sy())));
        canvas_.applyClip();
      }
      return true;
    case mf::kSelectClipRegion: {
      const MfObject* o = canvas_.objects.at(p.u16(0));
      const MfRegion* region = o ? std::get_if<MfRegion>(o) : nullptr;
      if (region) {
        canvas_.setClip(canvas_.mapping.mapRegion(*region));
      } else {
        dc.clipped = false;
        canvas_.applyClip();
      }
      return true;
    }
    default:
      return false;
  }
}
