// The picture loader: natural sizes, orientation, icons, animations, scaled decoding and
// refusal of broken or hostile files.
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "pictures/pictureloader.h"
#include "support/hugepictures.h"
#include "support/samples.h"

namespace {

QString samplesDir() {
  return samplesFolder();
}

#define REQUIRE_SAMPLES(rel)                            \
  const QString sample = samplesDir() + "/" + (rel);    \
  if (samplesDir().isEmpty() || !QFile::exists(sample)) \
    QSKIP("sample files not available (set VISTARA_SAMPLES)");

// Two halves of clear colours, so a turned or mirrored decode is told apart.
QImage halves(int w, int h, QColor left, QColor right) {
  QImage image(w, h, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, w / 2, h, left);
  p.fillRect(w / 2, 0, w - w / 2, h, right);
  return image;
}

QByteArray encode(const QImage& image, const char* format, int quality = 90) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, quality);
  return bytes;
}

// A JPEG carrying an EXIF orientation tag (a short, as cameras write it).
QByteArray withOrientation(const QByteArray& jpeg, quint16 orientation) {
  QByteArray tiff("II\x2a\x00\x08\x00\x00\x00", 8);
  tiff += QByteArray("\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00", 10);
  tiff += char(orientation);
  tiff += QByteArray("\x00\x00\x00\x00\x00\x00\x00", 7);
  QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
  QByteArray segment("\xFF\xE1", 2);
  segment += char((app1.size() + 2) >> 8);
  segment += char((app1.size() + 2) & 0xFF);
  return jpeg.left(2) + segment + app1 + jpeg.mid(2);
}

quint32 crc32(const QByteArray& data) {
  quint32 crc = 0xFFFFFFFF;
  for (char ch : data) {
    crc ^= uchar(ch);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

QByteArray pngChunk(const char* type, const QByteArray& body) {
  QByteArray chunk(4, '\0');
  qToBigEndian<quint32>(quint32(body.size()), chunk.data());
  QByteArray typed = QByteArray(type) + body;
  QByteArray crc(4, '\0');
  qToBigEndian<quint32>(crc32(typed), crc.data());
  return chunk + typed + crc;
}

// A PNG whose header claims `w` x `h` pixels, followed by a few bytes of data.
QByteArray pngClaiming(quint32 w, quint32 h) {
  QByteArray ihdr(13, '\0');
  qToBigEndian<quint32>(w, ihdr.data());
  qToBigEndian<quint32>(h, ihdr.data() + 4);
  ihdr[8] = 8;  // bit depth
  ihdr[9] = 2;  // RGB
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
         pngChunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) +
         pngChunk("IEND", QByteArray());
}

// A BMP header claiming `w` x `h` 24-bit pixels with almost nothing after it.
QByteArray bmpClaiming(qint32 w, qint32 h) {
  QByteArray b(54, '\0');
  b[0] = 'B';
  b[1] = 'M';
  qToLittleEndian<quint32>(54 + 16, b.data() + 2);
  qToLittleEndian<quint32>(54, b.data() + 10);
  qToLittleEndian<quint32>(40, b.data() + 14);
  qToLittleEndian<qint32>(w, b.data() + 18);
  qToLittleEndian<qint32>(h, b.data() + 22);
  qToLittleEndian<quint16>(1, b.data() + 26);
  qToLittleEndian<quint16>(24, b.data() + 28);
  return b + QByteArray(16, '\x7f');
}

// An uncompressed, top-down, 24-bit TGA of one colour. Its first bytes could pass for a
// cursor; only its ending marks it.
QByteArray tgaGreen(int w, int h) {
  QByteArray b(18, '\0');
  b[2] = 2;
  qToLittleEndian<quint16>(quint16(w), b.data() + 12);
  qToLittleEndian<quint16>(quint16(h), b.data() + 14);
  b[16] = 24;
  b[17] = 0x20;
  for (int i = 0; i < w * h; ++i) b += QByteArray("\x00\xff\x00", 3);
  return b + QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
}

bool near(QRgb a, QColor b, int tolerance = 40) {
  return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance &&
         qAbs(qBlue(a) - b.blue()) <= tolerance;
}

double meanDifference(const QImage& a, const QImage& b) {
  QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col)
      sum += qAbs(qGray(x.pixel(col, row)) - qGray(y.pixel(col, row)));
  return sum / (x.width() * x.height());
}

QRect opaqueBounds(const QImage& image) {
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  QRect box;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x)
      if (qAlpha(argb.pixel(x, y)) > 128) box |= QRect(x, y, 1, 1);
  return box;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestPictureLoader : public QObject {
  Q_OBJECT

 private slots:
  void emptyPathGivesEmptyPicture();
  void madePictures_data();
  void madePictures();
  void contentDecidesOverExtension();
  void quarterTurnIsUpright_data();
  void quarterTurnIsUpright();
  void scaledDecode_data();
  void scaledDecode();
  void refused_data();
  void refused();
  void largePhotoLoads();
  void decodesWithinTheMemoryBound_data();
  void decodesWithinTheMemoryBound();
  void sampleOrientations_data();
  void sampleOrientations();
  void sampleCmykNotInverted();
  void sampleIconLargest_data();
  void sampleIconLargest();
  void sampleGifFirstFrame();
  void sampleTruncatedJpeg();

 private:
  QTemporaryDir dir_;
};

void TestPictureLoader::emptyPathGivesEmptyPicture() {
  LoadedPicture pic;
  pic.image = QImage(4, 4, QImage::Format_RGB32);
  QString error;
  QVERIFY(loadPicture(QString(), QSize(100, 100), &pic, &error));
  QVERIFY(pic.image.isNull());
  QCOMPARE(pic.naturalTwips, QSizeF(0, 0));
}

void TestPictureLoader::madePictures_data() {
  QTest::addColumn<QString>("format");
  QTest::addColumn<int>("dotsPerMeter");
  // Whatever DPI a file claims, a pixel is 15 twips.
  QTest::newRow("png") << "png" << 3780;
  QTest::newRow("bmp claims 1 dpm") << "bmp" << 1;
  QTest::newRow("jpeg claims 11811 dpm") << "jpg" << 11811;
  QTest::newRow("tiff") << "tiff" << 7000;
  QTest::newRow("webp") << "webp" << 3780;
}

void TestPictureLoader::madePictures() {
  QFETCH(QString, format);
  QFETCH(int, dotsPerMeter);
  QImage image = halves(64, 40, Qt::red, Qt::blue);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  QString path = dir_.filePath("made." + format);
  QVERIFY(image.save(path, nullptr, 95));
  LoadedPicture pic;
  QString error;
  QVERIFY2(loadPicture(path, QSize(), &pic, &error), qPrintable(error));
  QCOMPARE(pic.naturalTwips, QSizeF(64 * 15, 40 * 15));
  QCOMPARE(pic.image.size(), QSize(64, 40));
  QVERIFY(near(pic.image.pixel(8, 20), Qt::red));
  QVERIFY(near(pic.image.pixel(56, 20), Qt::blue));
}

void TestPictureLoader::contentDecidesOverExtension() {
  // A PNG named .jpg, and a format without a mark (TGA) found by its extension.
  QString misnamed = dir_.filePath("really-png.jpg");
  QVERIFY(writeFile(misnamed, encode(halves(30, 20, Qt::green, Qt::black), "png")));
  QString tga = dir_.filePath("plain.tga");
  QVERIFY(writeFile(tga, tgaGreen(30, 20)));
  for (const QString& path : {misnamed, tga}) {
    LoadedPicture pic;
    QString error;
    QVERIFY2(loadPicture(path, QSize(), &pic, &error), qPrintable(path + ": " + error));
    QCOMPARE(pic.naturalTwips, QSizeF(450, 300));
    QVERIFY(near(pic.image.pixel(5, 10), Qt::green));
  }
}

void TestPictureLoader::quarterTurnIsUpright_data() {
  QTest::addColumn<int>("orientation");
  QTest::addColumn<QSize>("box");
  QTest::addColumn<QSize>("decoded");
  QTest::addColumn<QColor>("top");
  QTest::addColumn<QColor>("bottom");
  // Stored 300 x 200, red left and blue right. Turned a quarter, it stands 200 x 300.
  QTest::newRow("6 clockwise, full")
      << 6 << QSize() << QSize(200, 300) << QColor(Qt::red) << QColor(Qt::blue);
  QTest::newRow("6 clockwise, fitted")
      << 6 << QSize(100, 100) << QSize(67, 100) << QColor(Qt::red) << QColor(Qt::blue);
  QTest::newRow("8 counter-clockwise")
      << 8 << QSize(477, 289) << QSize(193, 289) << QColor(Qt::blue) << QColor(Qt::red);
}

void TestPictureLoader::quarterTurnIsUpright() {
  QFETCH(int, orientation);
  QFETCH(QSize, box);
  QFETCH(QSize, decoded);
  QFETCH(QColor, top);
  QFETCH(QColor, bottom);
  QString path = dir_.filePath(QString("turned%1.jpg").arg(orientation));
  QVERIFY(writeFile(path, withOrientation(encode(halves(300, 200, Qt::red, Qt::blue), "jpg"),
                                          quint16(orientation))));
  LoadedPicture pic;
  QString error;
  QVERIFY2(loadPicture(path, box, &pic, &error), qPrintable(error));
  QCOMPARE(pic.naturalTwips, QSizeF(200 * 15, 300 * 15));
  QCOMPARE(pic.image.size(), decoded);
  QVERIFY(near(pic.image.pixel(decoded.width() / 2, decoded.height() / 6), top));
  QVERIFY(near(pic.image.pixel(decoded.width() / 2, decoded.height() * 5 / 6), bottom));
}

void TestPictureLoader::scaledDecode_data() {
  QTest::addColumn<QString>("format");
  QTest::addColumn<QSize>("box");
  QTest::addColumn<QSize>("decoded");
  // 3000 x 2000: the decode fits the box, never smaller (433.5 rounds up), never enlarged.
  QTest::newRow("jpeg panel box") << "jpg" << QSize(477, 289) << QSize(434, 289);
  QTest::newRow("jpeg square box") << "jpg" << QSize(1000, 1000) << QSize(1000, 667);
  QTest::newRow("jpeg larger box") << "jpg" << QSize(4000, 4000) << QSize(3000, 2000);
  QTest::newRow("jpeg no box") << "jpg" << QSize() << QSize(3000, 2000);
  QTest::newRow("png panel box") << "png" << QSize(477, 289) << QSize(434, 289);
}

void TestPictureLoader::scaledDecode() {
  QFETCH(QString, format);
  QFETCH(QSize, box);
  QFETCH(QSize, decoded);
  QString path = dir_.filePath("big." + format);
  if (!QFile::exists(path)) QVERIFY(halves(3000, 2000, Qt::red, Qt::blue).save(path));
  LoadedPicture pic;
  QString error;
  QVERIFY2(loadPicture(path, box, &pic, &error), qPrintable(error));
  QCOMPARE(pic.naturalTwips, QSizeF(45000, 30000));
  QCOMPARE(pic.image.size(), decoded);
  QVERIFY(near(pic.image.pixel(decoded.width() / 4, decoded.height() / 2), Qt::red));
  QVERIFY(near(pic.image.pixel(decoded.width() * 3 / 4, decoded.height() / 2), Qt::blue));
}

void TestPictureLoader::refused_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("bytes");  // empty name: no file at all
  QTest::newRow("missing") << "missing.jpg" << QByteArray();
  QTest::newRow("folder") << "." << QByteArray();
  QTest::newRow("device named like a metafile") << "/dev/zero" << QByteArray();
  QTest::newRow("empty file") << "empty.jpg" << QByteArray("", 0);
  QTest::newRow("text") << "notes.jpg" << QByteArray("just some words, not a picture\n");
  QTest::newRow("png bomb 60000 x 60000") << "bomb.png" << pngClaiming(60000, 60000);
  QTest::newRow("png bomb 1 x 2^31") << "tall.png" << pngClaiming(1, 0x7FFFFFFF);
  QTest::newRow("bmp bomb 50000 x 50000") << "bomb.bmp" << bmpClaiming(50000, 50000);
  QTest::newRow("wmf name, text inside") << "fake.wmf" << QByteArray("hello");
}

void TestPictureLoader::refused() {
  QFETCH(QString, name);
  QFETCH(QByteArray, bytes);
  QString path = name.startsWith('/') ? name : dir_.filePath(name);
  if (!bytes.isNull()) QVERIFY(writeFile(path, bytes));
  for (QSize box : {QSize(), QSize(477, 289)}) {
    LoadedPicture pic;
    QString error;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!loadPicture(path, box, &pic, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(pic.image.isNull());
    QVERIFY2(clock.elapsed() < 5000, "refusal took too long");
  }
}

void TestPictureLoader::largePhotoLoads() {
  // 100 megapixels: far above the toolkit's default allocation limit.
  QImage image(10000, 10000, QImage::Format_RGB32);
  image.fill(QColor(10, 120, 200));
  QString path = dir_.filePath("hundred.jpg");
  QVERIFY(image.save(path, "jpg", 50));
  image = QImage();
  LoadedPicture pic;
  QString error;
  QVERIFY2(loadPicture(path, QSize(), &pic, &error), qPrintable(error));
  QCOMPARE(pic.image.size(), QSize(10000, 10000));
  QVERIFY2(loadPicture(path, QSize(477, 289), &pic, &error), qPrintable(error));
  QCOMPARE(pic.image.size(), QSize(289, 289));
  QCOMPARE(pic.naturalTwips, QSizeF(150000, 150000));
  QVERIFY(near(pic.image.pixel(100, 100), QColor(10, 120, 200), 12));
}

// What decodes scaled opens whatever its size; what would take more than the bound to
// decode is refused with the reason, before any pixel is decoded.
void TestPictureLoader::decodesWithinTheMemoryBound_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QSize>("stored");
  QTest::addColumn<QSize>("box");
  QTest::addColumn<QSize>("decoded");  // empty: refused
  QTest::addColumn<QString>("reason");
  const QSize poster(22500, 33300), panel(477, 289);
  QTest::newRow("baseline poster, fitted")
      << "jpeg" << poster << panel << QSize(196, 289) << QString();
  QTest::newRow("baseline poster, full size")
      << "jpeg" << poster << QSize() << QSize()
      << "picture too large to open (22500 x 33300 pixels): it is decoded at full size and "
         "would need 2859 MB, more than the 1024 MB a picture may use";
  QTest::newRow("progressive poster, fitted")
      << "progressive" << poster << panel << QSize()
      << "picture too large to open (22500 x 33300 pixels): a progressive JPEG is decoded "
         "whole and would need 2190 MB, more than the 1024 MB a picture may use";
  QTest::newRow("progressive photo, fitted")
      << "progressive" << QSize(3000, 2000) << panel << QSize(434, 289) << QString();
  QTest::newRow("png of 400 megapixels, fitted")
      << "png" << QSize(20000, 20000) << panel << QSize()
      << "picture too large to open (20000 x 20000 pixels): a PNG picture cannot be decoded "
         "at a smaller scale and would need 1527 MB, more than the 1024 MB a picture may use";
}

void TestPictureLoader::decodesWithinTheMemoryBound() {
  QFETCH(QString, kind);
  QFETCH(QSize, stored);
  QFETCH(QSize, box);
  QFETCH(QSize, decoded);
  QFETCH(QString, reason);
  const QColor colour(200, 60, 30);
  const QString path = dir_.filePath(QString("%1-%2x%3.%4")
                                         .arg(kind)
                                         .arg(stored.width())
                                         .arg(stored.height())
                                         .arg(kind == "png" ? "png" : "jpg"));
  QVERIFY(kind == "png" ? writeOneColourPng(path, stored.width(), stored.height(), colour)
                        : writeOneColourJpeg(path, stored.width(), stored.height(), colour,
                                             kind == "progressive"));
  LoadedPicture pic;
  QString error;
  QElapsedTimer clock;
  clock.start();
  const bool loaded = loadPicture(path, box, &pic, &error);
  if (decoded.isEmpty()) {
    QVERIFY(!loaded);
    QCOMPARE(error, reason);
    QVERIFY(pic.image.isNull());
    QVERIFY2(clock.elapsed() < 1000, "the refusal decoded something first");
  } else {
    QVERIFY2(loaded, qPrintable(error));
    QCOMPARE(pic.image.size(), decoded);
    QCOMPARE(pic.naturalTwips, QSizeF(stored) * 15);
    QVERIFY(near(pic.image.pixel(decoded.width() / 2, decoded.height() / 2), colour, 3));
  }
}

void TestPictureLoader::sampleOrientations_data() {
  QTest::addColumn<QString>("file");
  // An F stored plain, mirrored, turned half and flipped: all show the same upright F.
  for (int i = 0; i <= 4; ++i)
    QTest::newRow(qPrintable(QString("orientation %1").arg(i)))
        << QString("photos/orientation_%1.jpg").arg(i);
}

void TestPictureLoader::sampleOrientations() {
  QFETCH(QString, file);
  REQUIRE_SAMPLES(file);
  LoadedPicture reference, pic;
  QVERIFY(loadPicture(samplesDir() + "/photos/orientation_1.jpg", QSize(), &reference));
  QVERIFY(loadPicture(sample, QSize(), &pic));
  QCOMPARE(pic.naturalTwips, QSizeF(750, 1050));
  QCOMPARE(pic.image.size(), QSize(50, 70));
  QVERIFY2(meanDifference(pic.image, reference.image) < 8, "not the upright picture");
  // The F: a stem down the left, a bar across the top, empty at the bottom right.
  QVERIFY(qGray(pic.image.pixel(15, 35)) < 80);
  QVERIFY(qGray(pic.image.pixel(30, 13)) < 80);
  QVERIFY(qGray(pic.image.pixel(40, 60)) > 180);
}

void TestPictureLoader::sampleCmykNotInverted() {
  REQUIRE_SAMPLES("photos/cmyk.jpg");
  LoadedPicture pic;
  QVERIFY(loadPicture(sample, QSize(), &pic));
  QCOMPARE(pic.naturalTwips, QSizeF(3000, 795));
  // A logo on white: inverted, the background would be black.
  QVERIFY(near(pic.image.pixel(1, 1), Qt::white, 30));
  QVERIFY(near(pic.image.pixel(198, 51), Qt::white, 30));
}

void TestPictureLoader::sampleIconLargest_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<int>("side");
  QTest::newRow("largest is 4th of 9") << "photos/hg.ico" << 128;
  QTest::newRow("largest is 3rd of 6") << "photos/nsis3-install-alt.ico" << 256;
  QTest::newRow("largest is 2nd of 2") << "photos/nsis1-uninstall.ico" << 32;
}

void TestPictureLoader::sampleIconLargest() {
  QFETCH(QString, file);
  QFETCH(int, side);
  REQUIRE_SAMPLES(file);
  LoadedPicture pic;
  QVERIFY(loadPicture(sample, QSize(), &pic));
  QCOMPARE(pic.naturalTwips, QSizeF(side * 15, side * 15));
  QCOMPARE(pic.image.size(), QSize(side, side));
}

void TestPictureLoader::sampleGifFirstFrame() {
  REQUIRE_SAMPLES("photos/aero.gif");
  LoadedPicture pic;
  QVERIFY(loadPicture(sample, QSize(), &pic));
  QCOMPARE(pic.naturalTwips, QSizeF(350 * 15, 189 * 15));
  // The first of 56 frames shows only a small mark at the left; later ones move right.
  QCOMPARE(opaqueBounds(pic.image), QRect(0, 97, 25, 32));
}

void TestPictureLoader::sampleTruncatedJpeg() {
  REQUIRE_SAMPLES("photos/premature-end.jpg");
  LoadedPicture pic;
  QVERIFY(loadPicture(sample, QSize(100, 100), &pic));
  QCOMPARE(pic.naturalTwips, QSizeF(3840, 3840));
  QCOMPARE(pic.image.size(), QSize(100, 100));
}

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
