#include "support/pictures.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>

QString makeRasterPhoto(const QString& folder, const QString& name, int w, int h, QColor colour) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(colour);
  const QString path = QDir(folder).filePath(name);
  img.save(path);
  return path;
}

namespace {

void words(QDataStream& out, std::initializer_list<int> values) {
  for (int v : values) out << qint16(v);
}

}  // namespace

QString makeMetafilePhoto(const QString& folder, const QString& name, int twipsW, int twipsH,
                          QColor colour) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
  const quint16 head[10] = {0xCDD7, 0x9AC6, 0, 0, 0, quint16(twipsW), quint16(twipsH), 1440, 0, 0};
  quint16 checksum = 0;
  for (quint16 w : head) checksum ^= w;
  for (quint16 w : head) out << w;
  out << checksum;
  const QRgb rgb = colour.rgb();
  const quint32 colorref = qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
  // Records: window origin and extent, a solid brush, select it, a rectangle, end.
  const int recordWords = 5 + 5 + 7 + 4 + 7 + 3;
  // Standard header: type, header size, version, file size (words), objects, max record.
  out << quint16(1) << quint16(9) << quint16(0x300) << quint32(9 + recordWords) << quint16(1)
      << quint32(7) << quint16(0);
  words(out, {5, 0, 0x020B, 0, 0});            // SETWINDOWORG 0, 0
  words(out, {5, 0, 0x020C, twipsH, twipsW});  // SETWINDOWEXT
  words(out, {7, 0, 0x02FC, 0});               // CREATEBRUSHINDIRECT: solid
  out << colorref << quint16(0);
  words(out, {4, 0, 0x012D, 0});                     // SELECTOBJECT 0
  words(out, {7, 0, 0x041B, twipsH, twipsW, 0, 0});  // RECTANGLE
  words(out, {3, 0, 0});                             // EOF
  const QString path = QDir(folder).filePath(name);
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  return path;
}
