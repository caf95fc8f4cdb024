#include "support/pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include "support/metafilewriter.h"

QString makeRasterPhoto(const QString& folder, const QString& name, int w, int h, QColor colour) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(colour);
  const QString path = QDir(folder).filePath(name);
  img.save(path);
  return path;
}

QString makeMetafilePhoto(const QString& folder, const QString& name, int twipsW, int twipsH,
                          QColor colour) {
  // Window origin and extent, a solid brush selected, one rectangle over the whole window.
  const QByteArray bytes =
      Wmf()
          .rec(0x020B, {0, 0})
          .rec(0x020C, {twipsH, twipsW})
          .rec(0x02FC, {0, colour.red() | colour.green() << 8, colour.blue(), 0})
          .rec(0x012D, {0})
          .rec(0x041B, {twipsH, twipsW, 0, 0})
          .bytes(QRect(0, 0, twipsW, twipsH), 1440, 1);
  const QString path = QDir(folder).filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  return path;
}
