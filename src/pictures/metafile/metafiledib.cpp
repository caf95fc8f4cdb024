#include "pictures/metafile/metafiledib.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

namespace {

constexpr qint64 kMaxDibPixels = 16 * 1024 * 1024;
constexpr qint64 kMaxDibSide = 32767;
enum Compression { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpeg = 4, kPng = 5 };

struct DibInfo {
  qint64 width = 0, height = 0;  // height < 0: rows stored top-down
  int bits = 0;
  quint32 compression = kRgb;
  qint64 headerSize = 0, entrySize = 4, colorsUsed = 0;
  quint32 masks[3] = {0, 0, 0};
  bool masksInHeader = false;
};

bool readInfo(const ByteView& dib, DibInfo* info) {
  info->headerSize = dib.u32(0);
  if (info->headerSize == 12 && dib.has(0, 12)) {
    info->width = dib.u16(4);
    info->height = dib.s16(6);
    info->bits = dib.u16(10);
    info->entrySize = 3;
    return true;
  }
  if (info->headerSize < 40 || info->headerSize > 1024 || !dib.has(0, info->headerSize))
    return false;
  info->width = dib.s32(4);
  info->height = dib.s32(8);
  info->bits = dib.u16(14);
  info->compression = dib.u32(16);
  info->colorsUsed = dib.u32(32);
  if (info->headerSize >= 52) {
    info->masksInHeader = true;
    for (int i = 0; i < 3; ++i) info->masks[i] = dib.u32(40 + i * 4);
  }
  return true;
}

bool plausible(const DibInfo& info) {
  static const int kDepths[] = {1, 4, 8, 16, 24, 32};
  bool depthOk = std::find(std::begin(kDepths), std::end(kDepths), info.bits) != std::end(kDepths);
  qint64 h = qAbs(info.height);
  return depthOk && info.width > 0 && h > 0 && info.width <= kMaxDibSide && h <= kMaxDibSide &&
         info.width * h <= kMaxDibPixels &&
         (info.compression <= kBitfields || info.compression == 6);
}

void put16(QByteArray* out, quint16 v) {
  out->append(char(v & 0xFF));
  out->append(char(v >> 8));
}
void put32(QByteArray* out, quint32 v) {
  put16(out, quint16(v & 0xFFFF));
  put16(out, quint16(v >> 16));
}

QVector<QRgb> greyTable(int count) {
  QVector<QRgb> table;
  for (int i = 0; i < count; ++i) {
    int v = count > 1 ? i * 255 / (count - 1) : 0;
    table.append(qRgb(v, v, v));
  }
  return table;
}

// Builds the colour table the bitmap means, in RGB, and returns the bytes it took.
qint64 colorTable(const ByteView& dib, const DibInfo& info, qint64 at, int usage,
                  const MfPalette& palette, qint64 bitsNeeded, QVector<QRgb>* table) {
  if (info.bits > 8) {
    qint64 skip = info.colorsUsed * info.entrySize;
    return dib.has(at, skip) ? skip : 0;
  }
  qint64 count = 1LL << info.bits;
  if (info.colorsUsed > 0 && info.colorsUsed < count) count = info.colorsUsed;
  qint64 entry = usage == 1 ? 2 : info.entrySize;
  bool stored = dib.has(at, count * entry + bitsNeeded) || !dib.has(at, bitsNeeded);
  if (!stored || usage == 1) {
    // Indexes into the selected palette, or no table at all: the palette stands in.
    const QVector<QRgb>& pal = palette.colors;
    QVector<QRgb> fallback = greyTable(int(count));
    for (qint64 i = 0; i < count; ++i) {
      qint64 index = stored ? dib.u16(at + i * 2) : i;
      table->append(index < pal.size() ? pal[index] : fallback[int(qMin(index, count - 1))]);
    }
    return stored ? count * entry : 0;
  }
  for (qint64 i = 0; i < count; ++i) {
    qint64 e = at + i * entry;
    table->append(qRgb(dib.u8(e + 2), dib.u8(e + 1), dib.u8(e)));
  }
  return count * entry;
}

}  // namespace

QImage decodeDib(const ByteView& dib, int usage, const MfPalette& palette, qint64* pixelBudget) {
  DibInfo info;
  if (!readInfo(dib, &info) || !plausible(info)) return QImage();
  qint64 pixels = info.width * qAbs(info.height);
  if (*pixelBudget < pixels) return QImage();
  *pixelBudget -= pixels;

  qint64 at = info.headerSize;
  bool bitfields = info.compression == kBitfields || info.compression == 6;
  if (bitfields && !info.masksInHeader) {
    int maskCount = info.compression == 6 ? 4 : 3;
    for (int i = 0; i < 3; ++i) info.masks[i] = dib.u32(at + i * 4);
    at += maskCount * 4;
  }
  qint64 stride = ((info.width * info.bits + 31) / 32) * 4;
  qint64 rawSize = stride * qAbs(info.height);
  bool compressed = info.compression == kRle8 || info.compression == kRle4;
  QVector<QRgb> table;
  at += colorTable(dib, info, at, usage, palette, compressed ? 0 : rawSize, &table);
  ByteView bits = dib.mid(at);

  // Rewrite as a plain bitmap file with a classic header, which the image reader decodes.
  QByteArray file;
  qint64 offset = 14 + 40 + (bitfields ? 12 : 0) + table.size() * 4;
  qint64 bitsSize = compressed ? bits.size() : rawSize;
  file.reserve(int(offset + bitsSize));
  file.append("BM", 2);
  put32(&file, quint32(offset + bitsSize));
  put32(&file, 0);
  put32(&file, quint32(offset));
  put32(&file, 40);
  put32(&file, quint32(info.width));
  put32(&file, quint32(qint32(info.height)));
  put16(&file, 1);
  put16(&file, quint16(info.bits));
  put32(&file, bitfields ? quint32(kBitfields) : info.compression);
  put32(&file, quint32(bitsSize));
  put32(&file, 0);
  put32(&file, 0);
  put32(&file, quint32(table.size()));
  put32(&file, 0);
  if (bitfields)
    for (quint32 m : info.masks) put32(&file, m);
  for (QRgb c : table) put32(&file, c & 0x00FFFFFF);
  file.append(reinterpret_cast<const char*>(bits.data()), int(qMin(bits.size(), bitsSize)));
  if (file.size() < offset + bitsSize) file.append(int(offset + bitsSize - file.size()), '\0');

  QBuffer buffer(&file);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  QImage image = reader.read();
  if (image.isNull()) return image;
  return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                       : QImage::Format_RGB32);
}

QImage decodeMonoBitmap16(const ByteView& bm, qint64* pixelBudget) {
  // type, width, height, bytes per row, planes, bits per pixel, a pointer, then the bits.
  if (!bm.has(0, 14)) return QImage();
  int width = bm.s16(2), height = bm.s16(4), rowBytes = bm.s16(6);
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || rowBytes < (width + 7) / 8 ||
      bm.u8(8) != 1 || bm.u8(9) != 1)
    return QImage();
  if (*pixelBudget < qint64(width) * height) return QImage();
  *pixelBudget -= qint64(width) * height;
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int byte = bm.u8(14 + qsizetype(y) * rowBytes + x / 8);
      bool set = byte & (0x80 >> (x % 8));
      image.setPixel(x, y, set ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  }
  return image;
}

bool isDibHeader(const ByteView& dib) {
  quint32 size = dib.u32(0);
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
         size == 124;
}

int dibBits(const ByteView& dib) {
  if (!isDibHeader(dib)) return 0;
  return dib.u32(0) == 12 ? dib.u16(10) : dib.u16(14);
}

QRgb dibTableColor(const ByteView& dib, int index) {
  if (!isDibHeader(dib)) return qRgb(0, 0, 0);
  bool core = dib.u32(0) == 12;
  qsizetype at = dib.u32(0) + qsizetype(index) * (core ? 3 : 4);
  return qRgb(dib.u8(at + 2), dib.u8(at + 1), dib.u8(at));
}

QImage patternTile(const QImage& pattern, bool monochrome, QRgb one) {
  if (pattern.isNull()) return pattern;
  QImage tile = pattern.width() > 256 || pattern.height() > 256
                    ? pattern.copy(0, 0, qMin(256, pattern.width()), qMin(256, pattern.height()))
                    : pattern;
  if (!monochrome) return tile;
  QImage mono(tile.size(), QImage::Format_Indexed8);
  mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  for (int y = 0; y < tile.height(); ++y) {
    uchar* row = mono.scanLine(y);
    for (int x = 0; x < tile.width(); ++x)
      row[x] = (tile.pixel(x, y) & 0xFFFFFF) == (one & 0xFFFFFF);
  }
  return mono;
}

QImage hatchTile(int hatch) {
  // Rows of the hatch bitmaps, the leftmost pixel in the highest bit.
  static const uchar kHatches[6][8] = {
      {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
      {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // downwards, left to right
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // upwards, left to right
      {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
  };
  if (hatch < 0 || hatch > 5) return QImage();
  QImage tile(8, 8, QImage::Format_Indexed8);
  tile.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile.scanLine(y)[x] = (kHatches[hatch][y] >> (7 - x)) & 1;
  return tile;
}
