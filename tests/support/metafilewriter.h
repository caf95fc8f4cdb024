#pragma once
// A writer of metafiles for tests, record by record, with or without a placeable header.

#include <QByteArray>
#include <QRect>
#include <initializer_list>

// Builds metafiles record by record. Words are given in file order (y before x, as the
// format stores them); a colour is two words, low (red, green) then high (blue).
class Wmf {
 public:
  Wmf& rec(quint16 function, std::initializer_list<int> words, const QByteArray& raw = {}) {
    QByteArray body;
    for (int w : words) put16(&body, quint16(w));
    body += raw;
    if (body.size() % 2) body += '\0';
    QByteArray r;
    put32(&r, quint32(3 + body.size() / 2));
    put16(&r, function);
    records_ += r + body;
    return *this;
  }
  Wmf& raw(const QByteArray& bytes) {
    records_ += bytes;
    return *this;
  }
  // The whole file; a placeable header when `box` is valid.
  QByteArray bytes(QRect box = QRect(), int unitsPerInch = 1440, int objects = 16) const {
    QByteArray body = records_;
    body += QByteArray("\x03\x00\x00\x00\x00\x00", 6);
    QByteArray out;
    if (box.isValid()) {
      put32(&out, 0x9AC6CDD7);
      put16(&out, 0);
      for (int v : {box.left(), box.top(), box.right() + 1, box.bottom() + 1})
        put16(&out, quint16(v));
      put16(&out, quint16(unitsPerInch));
      put32(&out, 0);
      put16(&out, 0);
    }
    put16(&out, 1);
    put16(&out, 9);
    put16(&out, 0x300);
    put32(&out, quint32((18 + body.size()) / 2));
    put16(&out, quint16(objects));
    put32(&out, 64);
    put16(&out, 0);
    return out + body;
  }

 private:
  static void put16(QByteArray* b, quint16 v) {
    b->append(char(v & 0xFF));
    b->append(char(v >> 8));
  }
  static void put32(QByteArray* b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
  }
  QByteArray records_;
};
