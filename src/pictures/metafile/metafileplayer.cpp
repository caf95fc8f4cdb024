// The metafile player: playing the records, the device context's state, objects and clipping.
#include "pictures/metafile/metafileplayer.h"

#include <cmath>

#include "pictures/metafile/metafilecoords.h"
#include "pictures/metafile/metafiledib.h"

namespace {

constexpr int kMaxRecords = 2000000;
constexpr size_t kMaxSavedStates = 1024;
constexpr qint64 kMaxTimeMs = 8000;
// Painting budget: this many fills of the whole device, plus a fixed allowance.
constexpr qint64 kDeviceFills = 3000;
constexpr qint64 kDibPixels = 96LL * 1024 * 1024;
}  // namespace

MetafilePlayer::MetafilePlayer(const ByteView& bytes, const MetafileHeader& header,
                               const QRectF& frame)
    : bytes_(bytes), header_(header), frame_(frame), objects_(header.objectCount) {
  dc_.windowOrg = frame.topLeft();
  dc_.windowExt = QPointF(frame.width(), frame.height());
  dc_.viewportExt = dc_.windowExt;
}

void MetafilePlayer::play(QPainter* painter, QSize deviceSize, qreal pixelScale) {
  p_ = painter;
  pixelScale_ = pixelScale;
  size_ = QSizeF(deviceSize);
  qint64 area = qint64(deviceSize.width()) * deviceSize.height();
  areaBudget_ = kDeviceFills * area + 50000000;
  dibBudget_ = kDibPixels;
  textBudget_ = 200000;
  clock_.start();
  updateMapping();
  p_->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
  RecordWalker walker(bytes_, header_.recordsOffset);
  MetafileRecord r;
  for (int i = 0; i < kMaxRecords && !exhausted_ && walker.next(&r); ++i) {
    if ((i & 63) == 0 && clock_.elapsed() > kMaxTimeMs) break;
    dispatch(r);
  }
  p_ = nullptr;
}

bool MetafilePlayer::dispatch(const MetafileRecord& r) {
  return dispatchState(r) || dispatchObjects(r) || dispatchClip(r) || dispatchShapes(r) ||
         dispatchBitmaps(r) || dispatchText(r);
}

bool MetafilePlayer::dispatchState(const MetafileRecord& r) {
  const ByteView& p = r.params;
  // Two-value records store y before x.
  QPointF yx(p.s16(2), p.s16(0));
  switch (r.function) {
    case mf::kSetWindowOrg:
      dc_.windowOrg = yx;
      break;
    case mf::kSetWindowExt:
      if (yx.x() != 0 && yx.y() != 0) dc_.windowExt = yx;
      break;
    case mf::kOffsetWindowOrg:
      dc_.windowOrg += yx;
      break;
    case mf::kScaleWindowExt:
    case mf::kScaleViewportExt: {
      // y denominator, y numerator, x denominator, x numerator
      qreal xn = p.s16(6), xd = p.s16(4), yn = p.s16(2), yd = p.s16(0);
      if (xn == 0 || xd == 0 || yn == 0 || yd == 0) return true;
      QPointF& ext = r.function == mf::kScaleWindowExt ? dc_.windowExt : dc_.viewportExt;
      ext = QPointF(ext.x() * xn / xd, ext.y() * yn / yd);
      if (r.function == mf::kScaleViewportExt) dc_.viewportExtSet = true;
      break;
    }
    case mf::kSetViewportOrg:
      dc_.viewportOrg = yx;
      break;
    case mf::kOffsetViewportOrg:
      dc_.viewportOrg += yx;
      break;
    case mf::kSetViewportExt:
      if (yx.x() == 0 || yx.y() == 0) return true;
      dc_.viewportExt = yx;
      dc_.viewportExtSet = true;
      if (baseViewportExt_.isNull()) baseViewportExt_ = yx;
      break;
    case mf::kSetMapMode:
      dc_.mapMode = p.u16(0);
      break;
    case mf::kSaveDc:
      saveDc();
      return true;
    case mf::kRestoreDc:
      restoreDc(p.s16(0));
      return true;
    case mf::kSetBkColor:
      dc_.bkColor = p.u32(0);
      return true;
    case mf::kSetTextColor:
      dc_.textColor = p.u32(0);
      return true;
    case mf::kSetBkMode:
      dc_.bkOpaque = p.u16(0) == 2;
      return true;
    case mf::kSetTextAlign:
      dc_.textAlign = p.u16(0);
      return true;
    case mf::kSetTextCharExtra:
      dc_.charExtra = p.s16(0);
      return true;
    case mf::kSetPolyFillMode:
      dc_.winding = p.u16(0) == 2;
      return true;
    case mf::kSetRop2:
      dc_.rop2 = p.u16(0);
      return true;
    case mf::kMoveTo:
      dc_.position = yx;
      return true;
    default:
      return false;
  }
  updateMapping();
  return true;
}

bool MetafilePlayer::dispatchObjects(const MetafileRecord& r) {
  const ByteView& p = r.params;
  switch (r.function) {
    case mf::kCreatePenIndirect: {
      MfPen pen;
      if (parsePen(p, &pen))
        objects_.add(pen);
      else
        objects_.add(MfPen());
      return true;
    }
    case mf::kCreateBrushIndirect: {
      MfBrush brush;
      parseBrush(p, &brush);
      objects_.add(brush);
      return true;
    }
    case mf::kCreateFontIndirect: {
      MfFont font;
      parseFont(p, &font);
      objects_.add(font);
      return true;
    }
    case mf::kCreatePalette: {
      MfPalette palette;
      parsePalette(p, &palette);
      objects_.add(palette);
      return true;
    }
    case mf::kCreateRegion: {
      MfRegion region;
      parseRegion(p, &region);
      objects_.add(region);
      return true;
    }
    case mf::kDibCreatePatternBrush:
    case mf::kCreatePatternBrush:
      objects_.add(patternBrush(r));
      return true;
    case mf::kDeleteObject:
      objects_.remove(p.u16(0));
      return true;
    case mf::kSelectObject:
      selectObject(p.u16(0));
      return true;
    case mf::kSelectPalette:
      if (const MfObject* o = objects_.at(p.u16(0)))
        if (auto pal = std::get_if<MfPalette>(o)) dc_.palette = *pal;
      return true;
    case mf::kSetPalEntries:
      setPaletteEntries(p, &dc_.palette);
      return true;
    case mf::kRealizePalette:
      return true;
    default:
      return false;
  }
}

MfBrush MetafilePlayer::patternBrush(const MetafileRecord& r) {
  const ByteView& p = r.params;
  MfBrush brush;
  brush.style = 3;
  QRgb one = qRgb(255, 255, 255);
  // The old record holds a device bitmap; the newer one a style, a colour usage and a DIB,
  // though writers also put a device bitmap there for the plain pattern style.
  ByteView bits = r.function == mf::kCreatePatternBrush ? p : p.mid(4);
  bool dib = r.function == mf::kDibCreatePatternBrush && isDibHeader(bits);
  if (!dib) {
    brush.pattern = decodeMonoBitmap16(bits, &dibBudget_);
    brush.monochrome = true;
  } else {
    brush.pattern = decodeDib(bits, p.u16(2), dc_.palette, &dibBudget_);
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
  const MfObject* o = objects_.at(index);
  if (!o) return;
  if (auto pen = std::get_if<MfPen>(o))
    dc_.pen = *pen;
  else if (auto brush = std::get_if<MfBrush>(o))
    dc_.brush = *brush;
  else if (auto font = std::get_if<MfFont>(o))
    dc_.font = *font;
  else if (auto pal = std::get_if<MfPalette>(o))
    dc_.palette = *pal;
  else if (auto region = std::get_if<MfRegion>(o))
    setClip(mapRegion(*region));
}

void MetafilePlayer::saveDc() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(dc_);
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
  dc_ = saved_[target];
  saved_.resize(target);
  updateMapping();
  applyClip();
}

bool MetafilePlayer::dispatchClip(const MetafileRecord& r) {
  const ByteView& p = r.params;
  switch (r.function) {
    case mf::kIntersectClipRect:
    case mf::kExcludeClipRect: {
      QRect rect = mapRect(p.s16(6), p.s16(4), p.s16(2), p.s16(0)).toAlignedRect();
      QRegion current =
          dc_.clipped ? dc_.clip : QRegion(0, 0, int(size_.width()), int(size_.height()));
      setClip(r.function == mf::kIntersectClipRect ? current.intersected(rect)
                                                   : current.subtracted(rect));
      return true;
    }
    case mf::kOffsetClipRgn:
      if (dc_.clipped) {
        dc_.clip.translate(qRound(clampCoord(p.s16(2) * sx_)), qRound(clampCoord(p.s16(0) * sy_)));
        applyClip();
      }
      return true;
    case mf::kSelectClipRegion: {
      const MfObject* o = objects_.at(p.u16(0));
      const MfRegion* region = o ? std::get_if<MfRegion>(o) : nullptr;
      if (region) {
        setClip(mapRegion(*region));
      } else {
        dc_.clipped = false;
        applyClip();
      }
      return true;
    }
    default:
      return false;
  }
}

void MetafilePlayer::setClip(const QRegion& region) {
  // Region arithmetic grows with the number of rectangles: pay for it like painting.
  areaBudget_ -= qint64(region.rectCount()) * 256;
  if (areaBudget_ < 0) exhausted_ = true;
  dc_.clipped = true;
  dc_.clip = region;
  applyClip();
}

void MetafilePlayer::applyClip() {
  if (!p_) return;
  if (dc_.clipped)
    p_->setClipRegion(dc_.clip);
  else
    p_->setClipping(false);
}
