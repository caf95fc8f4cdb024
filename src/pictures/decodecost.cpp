// Memory estimates for decoding, from the picture's header. For a JPEG it reads the frame
// header: a baseline JPEG decodes row by row at 1/2, 1/4 or 1/8 scale, a progressive one
// holds all its coefficients (two bytes each, 64 a block) until the last scan.
#include "pictures/decodecost.h"

#include <QIODevice>

#include <algorithm>

namespace {

constexpr qint64 kBytesPerPixel = 4;
constexpr qint64 kHeaderPeek = 1 << 20;  // markers before the first scan: tables, EXIF, ICC

qint64 pixels(QSize s) {
  return qint64(std::max(0, s.width())) * std::max(0, s.height());
}

qint64 ceilDiv(qint64 a, qint64 b) {
  return (a + b - 1) / b;
}

struct JpegFrame {
  bool found = false;
  bool progressive = false;
  bool multipleScans = false;
  int components = 0;
  int h[4] = {1, 1, 1, 1};
  int v[4] = {1, 1, 1, 1};
};

// Walks the markers up to the first scan. Every length is checked against the bytes read.
JpegFrame readJpegFrame(const QByteArray& d) {
  JpegFrame f;
  const int n = int(d.size());
  auto u8 = [&](int i) { return quint8(d[i]); };
  if (n < 4 || u8(0) != 0xFF || u8(1) != 0xD8) return f;
  int i = 2;
  while (i + 4 <= n) {
    if (u8(i) != 0xFF) return f;
    const int marker = u8(i + 1);
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    const int length = (u8(i + 2) << 8) | u8(i + 3);
    if (length < 2 || i + 2 + length > n) return f;
    const int body = i + 4;
    const bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof && length >= 8) {
      f.found = true;
      f.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
      f.components = std::min(int(u8(body + 5)), 4);
      if (f.components < 1) return JpegFrame();
      for (int c = 0; c < f.components && body + 6 + 3 * c + 2 < i + 2 + length; ++c) {
        const int sampling = u8(body + 6 + 3 * c + 1);
        f.h[c] = std::clamp(sampling >> 4, 1, 4);
        f.v[c] = std::clamp(sampling & 15, 1, 4);
      }
    } else if (marker == 0xDA) {  // the first scan: does it hold every component?
      if (f.found && length >= 3) f.multipleScans = u8(body) < f.components;
      return f;
    }
    i += 2 + length;
  }
  return f;
}

// Blocks of 64 coefficients, two bytes each, for every component at its sampling.
qint64 coefficientBytes(const JpegFrame& f, QSize stored) {
  const int hMax = *std::max_element(f.h, f.h + f.components);
  const int vMax = *std::max_element(f.v, f.v + f.components);
  qint64 bytes = 0;
  for (int c = 0; c < f.components; ++c) {
    const qint64 w = ceilDiv(qint64(stored.width()) * f.h[c], hMax);
    const qint64 h = ceilDiv(qint64(stored.height()) * f.v[c], vMax);
    bytes += ceilDiv(w, 8) * ceilDiv(h, 8) * 128;
  }
  return bytes;
}

// The size the JPEG reader decodes at before its last scaling step: the smallest of 1/1,
// 1/2, 1/4 and 1/8 that is not below the size asked for.
QSize dctScaled(QSize stored, QSize scaled) {
  const qint64 factor = std::min(qint64(stored.width()) / std::max(1, scaled.width()),
                                 qint64(stored.height()) / std::max(1, scaled.height()));
  qint64 denominator = 1;
  while (denominator < 8 && denominator * 2 <= factor) denominator *= 2;
  return QSize(int(ceilDiv(stored.width(), denominator)),
               int(ceilDiv(stored.height(), denominator)));
}

// The file's first bytes, wherever the reader stands in it; the reader's place is kept.
QByteArray headerBytes(QIODevice* device) {
  if (!device || device->isSequential()) return {};
  const qint64 place = device->pos();
  if (!device->seek(0)) return {};
  const QByteArray head = device->read(kHeaderPeek);
  device->seek(place);
  return head;
}

}  // namespace

DecodeCost decodeCost(QIODevice* device, const QByteArray& format, QSize stored, QSize scaled) {
  DecodeCost cost;
  const qint64 whole = pixels(stored) * kBytesPerPixel;
  const qint64 result = scaled.isValid() ? pixels(scaled) * kBytesPerPixel : 0;
  if (format != "jpeg" && format != "jpg") {
    cost.bytes = whole + result;
    cost.way = scaled.isValid() ? DecodeCost::Way::CannotScale : DecodeCost::Way::Whole;
    return cost;
  }
  const JpegFrame frame = readJpegFrame(headerBytes(device));
  const bool allCoefficients = frame.found && (frame.progressive || frame.multipleScans);
  const qint64 decoded =
      scaled.isValid() ? pixels(dctScaled(stored, scaled)) * kBytesPerPixel + result : whole;
  cost.bytes = decoded + (allCoefficients ? coefficientBytes(frame, stored) : 0);
  if (allCoefficients) {
    cost.way = DecodeCost::Way::AllCoefficients;
  } else {
    cost.way = scaled.isValid() ? DecodeCost::Way::Scaled : DecodeCost::Way::Whole;
  }
  return cost;
}
