// Encoders for pictures of one colour. JPEG: every 8 x 8 block holds only its mean (the DC
// coefficient), so each block is its DC difference and an end-of-block code. PNG: every row
// after the first repeats the one above (filter "up", all zero bytes), so one row is
// compressed and its bytes repeated.
#include "support/hugepictures.h"

#include <zlib.h>

#include <QFile>

#include <array>
#include <cmath>
#include <vector>

namespace {

// Bits into bytes, with the 0x00 stuffing a 0xFF in entropy-coded data needs.
class BitWriter {
 public:
  explicit BitWriter(QFile* file) : file_(file) {}

  void put(quint32 code, int length) {
    for (int i = length - 1; i >= 0; --i) {
      byte_ = quint8((byte_ << 1) | ((code >> i) & 1));
      if (++filled_ == 8) completeByte();
    }
  }
  // Pads the last byte with one bits and writes what is buffered.
  bool finish() {
    if (filled_ > 0) put(0xFF, 8 - filled_);
    return flush();
  }
  bool flush() {
    bool ok = file_->write(buffer_.data(), qint64(buffer_.size())) == qint64(buffer_.size());
    buffer_.clear();
    return ok;
  }

 private:
  void completeByte() {
    buffer_.push_back(char(byte_));
    if (byte_ == 0xFF) buffer_.push_back(0);
    byte_ = 0;
    filled_ = 0;
    if (buffer_.size() >= (1 << 20)) flush();
  }

  QFile* file_;
  std::vector<char> buffer_;
  quint8 byte_ = 0;
  int filled_ = 0;
};

struct Code {
  quint32 bits = 0;
  int length = 0;
};

// The DC difference categories 0 to 11 with the usual luminance code lengths.
const std::array<quint8, 16> kDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
// The only AC symbol a flat block needs: end of block, one bit long.
const std::array<quint8, 16> kAcCounts = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Canonical codes from the counts per length, symbols in order 0, 1, 2, ...
std::vector<Code> canonicalCodes(const std::array<quint8, 16>& counts) {
  std::vector<Code> codes;
  quint32 code = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < counts[length - 1]; ++i) codes.push_back({code++, length});
    code <<= 1;
  }
  return codes;
}

void putDc(BitWriter& out, const std::vector<Code>& dc, int diff) {
  int magnitude = std::abs(diff), category = 0;
  while (magnitude >> category) ++category;
  out.put(dc[category].bits, dc[category].length);
  if (category > 0) out.put(quint32(diff < 0 ? diff + (1 << category) - 1 : diff), category);
}

void word(QByteArray& head, int value) {
  head.append(char(value >> 8)).append(char(value & 0xFF));
}

void segment(QByteArray& head, int marker, const QByteArray& body) {
  word(head, 0xFF00 | marker);
  word(head, int(body.size()) + 2);
  head.append(body);
}

QByteArray huffmanTable(int classAndId, const std::array<quint8, 16>& counts, int symbols) {
  QByteArray body(1, char(classAndId));
  for (quint8 c : counts) body.append(char(c));
  for (int s = 0; s < symbols; ++s) body.append(char(s));
  return body;
}

QByteArray headers(int width, int height, bool progressive) {
  QByteArray head;
  word(head, 0xFFD8);  // start of image
  segment(head, 0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  segment(head, 0xDB, QByteArray(1, 0).append(QByteArray(64, 1)));  // every step 1
  QByteArray frame;
  frame.append(char(8));
  word(frame, height);
  word(frame, width);
  frame.append(char(3));
  frame.append("\1\x22\0\2\x11\0\3\x11\0", 9);  // Y 2 x 2, Cb and Cr 1 x 1, table 0
  segment(head, progressive ? 0xC2 : 0xC0, frame);
  segment(head, 0xC4, huffmanTable(0x00, kDcCounts, 12));
  segment(head, 0xC4, huffmanTable(0x10, kAcCounts, 1));
  // All coefficients in one scan, or only the means (zig-zag 0 to 0) in a progressive one.
  QByteArray scan("\3\1\0\2\0\3\0\0\x3F\0", 10);
  if (progressive) scan[8] = 0;
  segment(head, 0xDA, scan);
  return head;
}

}  // namespace

bool writeOneColourJpeg(const QString& path, int width, int height, QColor colour,
                        bool progressive) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  if (file.write(headers(width, height, progressive)) < 0) return false;

  const double r = colour.red(), g = colour.green(), b = colour.blue();
  const double y = 0.299 * r + 0.587 * g + 0.114 * b;
  const double cb = -0.168736 * r - 0.331264 * g + 0.5 * b + 128;
  const double cr = 0.5 * r - 0.418688 * g - 0.081312 * b + 128;
  // With steps of 1 a block's DC coefficient is eight times its mean less 128.
  const std::array<int, 3> dc = {int(std::lround(8 * (y - 128))), int(std::lround(8 * (cb - 128))),
                                 int(std::lround(8 * (cr - 128)))};
  const std::vector<Code> dcCodes = canonicalCodes(kDcCounts);
  const Code endOfBlock = canonicalCodes(kAcCounts)[0];

  BitWriter out(&file);
  std::array<int, 3> previous = {0, 0, 0};
  const qint64 units = qint64((width + 15) / 16) * ((height + 15) / 16);
  for (qint64 u = 0; u < units; ++u) {
    for (int component = 0; component < 3; ++component) {
      for (int block = 0; block < (component == 0 ? 4 : 1); ++block) {
        putDc(out, dcCodes, dc[component] - previous[component]);
        previous[component] = dc[component];
        if (!progressive) out.put(endOfBlock.bits, endOfBlock.length);
      }
    }
  }
  if (!out.finish()) return false;
  QByteArray end;
  word(end, 0xFFD9);
  return file.write(end) == 2 && file.flush();
}

namespace {

void bigEndian(QByteArray& out, quint32 value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.append(char((value >> shift) & 0xFF));
}

// Raw deflate of one piece, flushed so that the next piece starts afresh: the same input
// then always gives the same bytes.
QByteArray deflatePiece(z_stream* z, const QByteArray& in, int flush) {
  QByteArray out(int(in.size()) + 1024, Qt::Uninitialized);
  z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
  z->avail_in = uInt(in.size());
  z->next_out = reinterpret_cast<Bytef*>(out.data());
  z->avail_out = uInt(out.size());
  deflate(z, flush);
  out.resize(int(out.size() - z->avail_out));
  return out;
}

bool writeChunk(QFile& file, const char* type, const QByteArray& data) {
  QByteArray head;
  bigEndian(head, quint32(data.size()));
  head.append(type, 4);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
  QByteArray tail;
  bigEndian(tail, quint32(crc));
  return file.write(head) == head.size() && file.write(data) == data.size() &&
         file.write(tail) == 4;
}

}  // namespace

bool writeOneColourPng(const QString& path, int width, int height, QColor colour) {
  if (width < 1 || height < 1 || width > (1 << 24)) return false;
  const int rowBytes = 1 + 3 * width;
  QByteArray first(rowBytes, 0), next(rowBytes, 0);
  first[0] = 1;  // "sub": the first pixel, then nothing changes along the row
  first[1] = char(colour.red());
  first[2] = char(colour.green());
  first[3] = char(colour.blue());
  next[0] = 2;  // "up": the row above

  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  QByteArray data("\x78\xDA", 2);
  data += deflatePiece(&z, first, Z_FULL_FLUSH);
  const QByteArray repeated = deflatePiece(&z, next, Z_FULL_FLUSH);
  const QByteArray again = deflatePiece(&z, next, Z_FULL_FLUSH);
  const QByteArray end = deflatePiece(&z, QByteArray(), Z_FINISH);
  deflateEnd(&z);
  if (again != repeated) return false;
  data.reserve(int(data.size() + qint64(repeated.size()) * (height - 1) + 16));
  uLong adler = adler32(1, reinterpret_cast<const Bytef*>(first.constData()), uInt(rowBytes));
  const uLong rowAdler =
      adler32(1, reinterpret_cast<const Bytef*>(next.constData()), uInt(rowBytes));
  for (int y = 1; y < height; ++y) {
    data += repeated;
    adler = adler32_combine(adler, rowAdler, rowBytes);
  }
  data += end;
  bigEndian(data, quint32(adler));

  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QByteArray header;
  bigEndian(header, quint32(width));
  bigEndian(header, quint32(height));
  header.append("\x08\x02\0\0\0", 5);  // 8 bits, RGB, deflate, adaptive filters, no interlace
  return file.write("\x89PNG\r\n\x1A\n", 8) == 8 && writeChunk(file, "IHDR", header) &&
         writeChunk(file, "IDAT", data) && writeChunk(file, "IEND", QByteArray()) && file.flush();
}
