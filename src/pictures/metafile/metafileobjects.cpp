#include "pictures/metafile/metafileobjects.h"

#include <algorithm>

namespace {

// The format's object indexes are 16-bit.
constexpr size_t kMaxObjects = 65535;
// Regions with more rectangles than this are cut short: no real picture needs them.
constexpr int kMaxRegionRects = 4000;

}  // namespace

bool parsePen(const ByteView& p, MfPen* pen) {
  if (!p.has(0, 10)) return false;
  pen->style = p.u16(0) & 0x0F;
  pen->capJoin = p.u16(0) & 0xFF00;
  pen->width = qAbs(p.s16(2));
  pen->color = p.u32(6);
  return true;
}

bool parseBrush(const ByteView& p, MfBrush* brush) {
  if (!p.has(0, 8)) return false;
  brush->style = p.u16(0);
  brush->color = p.u32(2);
  brush->hatch = p.u16(6);
  return true;
}

bool parseFont(const ByteView& p, MfFont* font) {
  if (!p.has(0, 18)) return false;
  font->height = p.s16(0);
  font->width = p.s16(2);
  font->escapement = p.s16(4);
  font->weight = p.s16(8);
  font->italic = p.u8(10) != 0;
  font->underline = p.u8(11) != 0;
  font->strikeOut = p.u8(12) != 0;
  font->charset = p.u8(13);
  font->pitchAndFamily = p.u8(17);
  QByteArray face;
  for (qsizetype i = 18; i < 18 + 32 && p.has(i, 1) && p.u8(i) != 0; ++i) face += char(p.u8(i));
  font->face = QString::fromLatin1(face).trimmed();
  return true;
}

bool parsePalette(const ByteView& p, MfPalette* palette) {
  if (!p.has(0, 4)) return false;
  int count = p.u16(2);
  palette->colors.clear();
  for (int i = 0; i < count && p.has(4 + i * 4, 4); ++i)
    palette->colors.append(qRgb(p.u8(4 + i * 4), p.u8(5 + i * 4), p.u8(6 + i * 4)));
  return true;
}

void setPaletteEntries(const ByteView& p, MfPalette* palette) {
  int start = p.u16(0), count = p.u16(2);
  for (int i = 0; i < count && p.has(4 + i * 4, 4); ++i) {
    int index = start + i;
    if (index >= palette->colors.size()) break;
    palette->colors[index] = qRgb(p.u8(4 + i * 4), p.u8(5 + i * 4), p.u8(6 + i * 4));
  }
}

bool parseRegion(const ByteView& p, MfRegion* region) {
  // Fixed part: chain, type, object count, region size, scan count, max scan, bounds.
  if (!p.has(0, 22)) return false;
  int scanCount = p.u16(10);
  qsizetype at = 22;
  region->rects.clear();
  for (int s = 0; s < scanCount && p.has(at, 6); ++s) {
    int count = p.u16(at);  // number of x values (two per rectangle)
    int top = p.s16(at + 2), bottom = p.s16(at + 4);
    qsizetype xs = at + 6;
    if (!p.has(xs, qsizetype(count) * 2 + 2)) break;
    for (int i = 0; i + 1 < count && region->rects.size() < kMaxRegionRects; i += 2) {
      int left = p.s16(xs + i * 2), right = p.s16(xs + i * 2 + 2);
      if (right > left && bottom > top)
        region->rects.append(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    }
    at = xs + qsizetype(count) * 2 + 2;
  }
  if (region->rects.isEmpty()) {
    // An empty scan list still has its bounds.
    int left = p.s16(14), top = p.s16(16), right = p.s16(18), bottom = p.s16(20);
    if (right > left && bottom > top)
      region->rects.append(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
  }
  return true;
}

ObjectTable::ObjectTable(int declaredSize)
    : slots_(size_t(std::clamp(declaredSize, 0, int(kMaxObjects)))) {}

void ObjectTable::add(MfObject object) {
  while (firstFree_ < slots_.size() && !std::holds_alternative<std::monostate>(slots_[firstFree_]))
    ++firstFree_;
  if (firstFree_ == slots_.size()) {
    if (slots_.size() >= kMaxObjects) return;
    slots_.emplace_back();
  }
  slots_[firstFree_] = std::move(object);
  ++firstFree_;
}

void ObjectTable::remove(int index) {
  if (index < 0 || size_t(index) >= slots_.size()) return;
  slots_[size_t(index)] = std::monostate();
  firstFree_ = std::min(firstFree_, size_t(index));
}

const MfObject* ObjectTable::at(int index) const {
  if (index < 0 || size_t(index) >= slots_.size()) return nullptr;
  return &slots_[size_t(index)];
}

MfObject* ObjectTable::at(int index) {
  if (index < 0 || size_t(index) >= slots_.size()) return nullptr;
  return &slots_[size_t(index)];
}

QColor colorFromRef(quint32 ref, const MfPalette& palette) {
  if ((ref >> 24) == 0x01) {  // an index into the selected palette
    int index = int(ref & 0xFFFF);
    if (index < palette.colors.size()) return QColor(palette.colors[index]);
    return QColor(Qt::black);
  }
  return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}
