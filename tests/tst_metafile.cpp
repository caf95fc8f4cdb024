// The metafile player: natural sizes, drawing of real and hand-made metafiles, and hostile
// bytes that must be refused or drawn without harm.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QtEndian>
#include <QtTest>

#include "pictures/metafile/metafile.h"
#include "pictures/pictureloader.h"
#include "support/metafilewriter.h"
#include "support/samples.h"

namespace {

QString samplesDir() {
  return samplesFolder();
}

enum : quint16 {
  kSaveDc = 0x001E,
  kCreatePalette = 0x00F7,
  kSetBkMode = 0x0102,
  kSetPolyFillMode = 0x0106,
  kRestoreDc = 0x0127,
  kSelectObject = 0x012D,
  kSetTextAlign = 0x012E,
  kDeleteObject = 0x01F0,
  kSetBkColor = 0x0201,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSelectPalette = 0x0234,
  kCreatePen = 0x02FA,
  kCreateFont = 0x02FB,
  kCreateBrush = 0x02FC,
  kPolyPolygon = 0x0538,
  kIntersectClipRect = 0x0416,
  kRectangle = 0x041B,
  kPatBlt = 0x061D,
  kDibBitBlt = 0x0940,
  kDibCreatePatternBrush = 0x0142,
  kCreatePatternBrush = 0x01F9,
  kExtTextOut = 0x0A32,
  kStretchDib = 0x0F43,
  kPolygon = 0x0324,
  kLineTo = 0x0213,
  kMoveTo = 0x0214
};

// A solid brush of one colour, and the window every hand-made picture uses: 100 x 100
// logical units drawn at 100 x 100 pixels, so a unit is a pixel.
Wmf& brush(Wmf& w, QColor c) {
  return w.rec(kCreateBrush, {0, c.red() | c.green() << 8, c.blue(), 0});
}
Wmf canvas() {
  Wmf w;
  w.rec(kSetWindowOrg, {0, 0}).rec(kSetWindowExt, {100, 100});
  w.rec(kCreatePen, {5, 0, 0, 0, 0});  // null pen: fills only, edges exact
  w.rec(kSelectObject, {0});
  return w;
}
// The file keeps y before x: bottom, right, top, left.
Wmf& rect(Wmf& w, int left, int top, int right, int bottom) {
  return w.rec(kRectangle, {bottom, right, top, left});
}

QByteArray dib24(int width, int height, const QVector<QColor>& bottomUpPixels) {
  QByteArray d(40, '\0');
  qToLittleEndian<quint32>(40, d.data());
  qToLittleEndian<qint32>(width, d.data() + 4);
  qToLittleEndian<qint32>(height, d.data() + 8);
  qToLittleEndian<quint16>(1, d.data() + 12);
  qToLittleEndian<quint16>(24, d.data() + 14);
  int stride = (width * 3 + 3) / 4 * 4;
  for (int y = 0; y < height; ++y) {
    QByteArray row;
    for (int x = 0; x < width; ++x) {
      QColor c = bottomUpPixels[y * width + x];
      row += char(c.blue());
      row += char(c.green());
      row += char(c.red());
    }
    d += row.leftJustified(stride, '\0');
  }
  return d;
}

// An 8-bit bitmap whose colour table holds palette indexes (0, 1, 2, 3).
QByteArray dib8PaletteIndexes() {
  QByteArray d(40, '\0');
  qToLittleEndian<quint32>(40, d.data());
  qToLittleEndian<qint32>(2, d.data() + 4);
  qToLittleEndian<qint32>(1, d.data() + 8);
  qToLittleEndian<quint16>(1, d.data() + 12);
  qToLittleEndian<quint16>(8, d.data() + 14);
  qToLittleEndian<quint32>(4, d.data() + 32);
  d += QByteArray("\x00\x00\x01\x00\x02\x00\x03\x00", 8);
  d += QByteArray("\x02\x03\x00\x00", 4);  // left pixel: entry 2, right pixel: entry 3
  return d;
}

bool near(QRgb a, QColor b, int tolerance = 24) {
  return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance &&
         qAbs(qBlue(a) - b.blue()) <= tolerance;
}

QString describe(QRgb c) {
  return QString("rgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

double darkShare(const QImage& image, QRectF fraction) {
  QRect r(int(fraction.left() * image.width()), int(fraction.top() * image.height()),
          int(fraction.width() * image.width()), int(fraction.height() * image.height()));
  int dark = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
  return double(dark) / (r.width() * r.height());
}

// The box of the dark pixels of a picture.
QRect inkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
  return box;
}

// A text record in `face`: font height, width and escapement as the file gives them, the
// text's top left at (x, y), one advance per byte when `dx` is given.
QByteArray textPicture(const QByteArray& face, int height, int width, int escapement, int x, int y,
                       const QByteArray& text, const QVector<int>& dx, int charset = 0,
                       int pitchAndFamily = 0, bool italic = false) {
  Wmf w = canvas();
  QByteArray name = face.leftJustified(32, '\0');
  w.rec(kCreateFont,
        {height, width, escapement, escapement, 400, italic, charset << 8, 0, pitchAndFamily << 8},
        name);
  w.rec(kSelectObject, {1}).rec(kSetBkMode, {1}).rec(kSetTextAlign, {0});
  QByteArray raw = text;
  if (raw.size() % 2) raw += '\0';
  for (int d : dx) raw += char(d & 0xFF), raw += char((d >> 8) & 0xFF);
  w.rec(kExtTextOut, {y, x, int(text.size()), 0}, raw);
  return w.bytes();
}

// An 8 x 8 one-bit bitmap whose row y (from the top) is `rows[y]`, leftmost pixel in the
// highest bit; colour 0 and colour 1 as its table.
QByteArray dib1(const QVector<int>& rows, QColor zero, QColor one) {
  QByteArray d(40, '\0');
  qToLittleEndian<quint32>(40, d.data());
  qToLittleEndian<qint32>(8, d.data() + 4);
  qToLittleEndian<qint32>(8, d.data() + 8);
  qToLittleEndian<quint16>(1, d.data() + 12);
  qToLittleEndian<quint16>(1, d.data() + 14);
  for (QColor c : {zero, one})
    d += char(c.blue()), d += char(c.green()), d += char(c.red()), d += '\0';
  for (int y = 7; y >= 0; --y) d += char(rows[y]), d += QByteArray(3, '\0');
  return d;
}

// The centres of the stretches of ink along one row, weighted by their darkness: where the
// glyphs' stems stand, to a fraction of a pixel.
QVector<qreal> inkCentres(const QImage& image, int row) {
  QVector<qreal> centres;
  qreal mass = 0, moment = 0;
  for (int x = 0; x <= image.width(); ++x) {
    int ink = x < image.width() ? 255 - qGray(image.pixel(x, row)) : 0;
    if (ink > 0) {
      mass += ink;
      moment += ink * (x + 0.5);
    } else if (mass > 0) {
      centres << moment / mass;
      mass = moment = 0;
    }
  }
  return centres;
}

}  // namespace

class TestMetafile : public QObject {
  Q_OBJECT

 private slots:
  void recognisedByFirstBytes();
  void naturalSize_data();
  void naturalSize();
  void drawn_data();
  void drawn();
  void textIsDrawn();
  void advancesPlaceGlyphs();
  void symbolFaces_data();
  void symbolFaces();
  void symbolGlyphShapes();
  void smallTextOnGrid_data();
  void smallTextOnGrid();
  void fixedPitchCells_data();
  void fixedPitchCells();
  void metricTwinRunEnds();
  void fontSize_data();
  void fontSize();
  void escapementTurnsText();
  void cosmeticPens_data();
  void cosmeticPens();
  void patternBrushes_data();
  void patternBrushes();
  void hatchedBrushes_data();
  void hatchedBrushes();
  void hostile_data();
  void hostile();
  void regressionCorpus();
  void referenceShapes_data();
  void referenceShapes();
  void referenceText();
  void referenceNaturalSizes_data();
  void referenceNaturalSizes();
  void advanceArraysPlaceText();
};

void TestMetafile::recognisedByFirstBytes() {
  QVERIFY(isMetafileData(canvas().bytes(QRect(0, 0, 100, 100))));
  QVERIFY(isMetafileData(canvas().bytes()));
  QVERIFY(!isMetafileData(QByteArray("\x89PNG\r\n\x1a\n", 8)));
  QVERIFY(!isMetafileData(QByteArray("\x01\x00\x09\x00", 4)));
}

void TestMetafile::naturalSize_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QSizeF>("twips");
  QTest::newRow("placeable, 1440 per inch")
      << canvas().bytes(QRect(0, 0, 2880, 1440)) << QSizeF(2880, 1440);
  QTest::newRow("placeable, 1000 per inch")
      << canvas().bytes(QRect(-500, -250, 1000, 500), 1000) << QSizeF(1440, 720);
  QTest::newRow("placeable, 96 per inch, origin off zero")
      << canvas().bytes(QRect(200, 100, 96, 48), 96) << QSizeF(1440, 720);
  QTest::newRow("window extent only") << canvas().bytes() << QSizeF(1500, 1500);
  Wmf unit;
  unit.rec(kSetWindowExt, {1, 1}).rec(kSetWindowExt, {30, 40});
  rect(unit, 0, 0, 10, 10);
  QTest::newRow("unit window first, real one before drawing") << unit.bytes() << QSizeF(600, 450);
  Wmf bare;
  rect(bare, 10, 20, 200, 120);
  QTest::newRow("no window: origin to farthest point") << bare.bytes() << QSizeF(3000, 1800);
  Wmf clipped;
  clipped.rec(kIntersectClipRect, {100, 200, 0, 0});
  rect(clipped, 10, 20, 200, 120);
  clipped.rec(kMoveTo, {50, 0}).rec(kLineTo, {50, 6000});  // a stroke the clip removes beyond 200
  clipped.rec(kIntersectClipRect, {100, 300, 0, 250}).rec(kLineTo, {90, 4000});  // clipped away
  QTest::newRow("no window: what the clip leaves") << clipped.bytes() << QSizeF(3000, 1500);
  Wmf restored;
  restored.rec(kSaveDc, {}).rec(kIntersectClipRect, {10, 10, 0, 0}).rec(kRestoreDc, {0xFFFF});
  rect(restored, 0, 0, 400, 20);
  QTest::newRow("no window: a clip restored away") << restored.bytes() << QSizeF(6000, 300);
  Wmf late;
  rect(late, 0, 0, 1000, 1000);
  late.rec(kSetWindowOrg, {-10, -20}).rec(kSetWindowExt, {200, 300}).rec(kSetWindowExt, {9, 9});
  rect(late, 0, 0, 5, 5);
  QTest::newRow("window set after drawing: the first one") << late.bytes() << QSizeF(4500, 3000);
  Wmf reset;
  rect(reset, 0, 0, 1000, 1000);
  reset.rec(kSetWindowExt, {1, 1});
  QTest::newRow("window reset after the drawing frames nothing")
      << reset.bytes() << QSizeF(15000, 15000);
  Wmf twice;
  twice.rec(kSetWindowExt, {100, 100});
  rect(twice, 0, 0, 1000, 1000);
  twice.rec(kSetWindowExt, {500, 500});
  QTest::newRow("window before drawing wins over a later one")
      << twice.bytes() << QSizeF(1500, 1500);
}

void TestMetafile::naturalSize() {
  QFETCH(QByteArray, bytes);
  QFETCH(QSizeF, twips);
  QSizeF got;
  QString error;
  QVERIFY2(metafileNaturalSize(bytes, &got, &error), qPrintable(error));
  QCOMPARE(got, twips);
}

void TestMetafile::drawn_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QPoint>("probe");
  QTest::addColumn<QColor>("expected");
  const QColor red(Qt::red), blue(Qt::blue), green(0, 255, 0), white(Qt::white);

  Wmf w = canvas();
  brush(w, red).rec(kSelectObject, {1});
  rect(w, 10, 10, 50, 50);
  QTest::newRow("rectangle inside") << w.bytes() << QPoint(30, 30) << red;
  QTest::newRow("rectangle outside") << w.bytes() << QPoint(70, 70) << white;

  w = Wmf();
  w.rec(kSetWindowOrg, {100, 100}).rec(kSetWindowExt, {100, 100}).rec(kCreatePen, {5, 0, 0, 0, 0});
  w.rec(kSelectObject, {0});
  brush(w, red).rec(kSelectObject, {1});
  rect(w, 110, 110, 150, 150);
  QTest::newRow("window origin moved") << w.bytes() << QPoint(30, 30) << red;

  w = Wmf();
  w.rec(kSetWindowOrg, {100, 0}).rec(kSetWindowExt, {-100, 100}).rec(kCreatePen, {5, 0, 0, 0, 0});
  w.rec(kSelectObject, {0});
  brush(w, red).rec(kSelectObject, {1});
  rect(w, 10, 90, 50, 50);
  QTest::newRow("y axis upwards: drawn at the top") << w.bytes() << QPoint(30, 30) << red;
  QTest::newRow("y axis upwards: bottom empty") << w.bytes() << QPoint(30, 70) << white;

  w = canvas();
  brush(w, red).rec(kSelectObject, {1});
  w.rec(kIntersectClipRect, {100, 30, 0, 0});
  rect(w, 0, 0, 100, 100);
  QTest::newRow("clip rectangle: inside") << w.bytes() << QPoint(20, 50) << red;
  QTest::newRow("clip rectangle: outside") << w.bytes() << QPoint(60, 50) << white;

  w = canvas();
  brush(w, red).rec(kSelectObject, {1});
  brush(w, blue);
  w.rec(kSaveDc, {}).rec(kSelectObject, {2}).rec(kIntersectClipRect, {1, 1, 0, 0});
  w.rec(kRestoreDc, {0xFFFF});
  rect(w, 0, 0, 100, 100);
  QTest::newRow("restore brings back brush and clip") << w.bytes() << QPoint(50, 50) << red;

  w = canvas();
  brush(w, red);   // slot 1
  brush(w, blue);  // slot 2
  w.rec(kDeleteObject, {1});
  brush(w, green);  // takes the lowest free slot: 1
  w.rec(kSelectObject, {1});
  rect(w, 0, 0, 100, 100);
  QTest::newRow("new object takes the lowest free slot") << w.bytes() << QPoint(50, 50) << green;

  w = canvas();
  brush(w, red).rec(kSelectObject, {1});
  w.rec(kSelectObject, {999}).rec(kSelectObject, {7});  // beyond the table, and empty
  rect(w, 0, 0, 100, 100);
  QTest::newRow("bad object index ignored") << w.bytes() << QPoint(50, 50) << red;

  // Two squares of one outline overlapping in 40..60: alternate leaves the overlap empty.
  for (int mode : {1, 2}) {
    w = canvas();
    brush(w, red).rec(kSelectObject, {1}).rec(kSetPolyFillMode, {mode});
    w.rec(kPolyPolygon, {2, 4, 4, 0, 0, 60, 0, 60, 60, 0, 60, 40, 40, 100, 40, 100, 100, 40, 100});
    QTest::newRow(mode == 1 ? "alternate fill: overlap empty" : "winding fill: overlap filled")
        << w.bytes() << QPoint(50, 50) << (mode == 1 ? white : red);
  }

  w = canvas();
  brush(w, green).rec(kSelectObject, {1});
  w.rec(kPatBlt, {0x0021, 0x00F0, 40, 40, 10, 10});
  QTest::newRow("pattern copy fills with the brush") << w.bytes() << QPoint(30, 30) << green;

  w = canvas();
  w.rec(kCreateBrush, {1, 0, 0, 0}).rec(kSelectObject, {1});
  w.rec(kCreatePen, {0, 4, 0, 0, 0}).rec(kSelectObject, {2});
  rect(w, 10, 10, 90, 90);
  QTest::newRow("hollow brush: inside untouched") << w.bytes() << QPoint(50, 50) << white;
  QTest::newRow("hollow brush: black edge") << w.bytes() << QPoint(10, 50) << QColor(Qt::black);

  w = canvas();
  w.rec(kCreatePen, {0, 2, 0, 0, 0}).rec(kSelectObject, {1});
  w.rec(kMoveTo, {0, 0}).rec(kLineTo, {50, 100});
  QTest::newRow("line to (100, 50)") << w.bytes() << QPoint(60, 30) << QColor(Qt::black);

  // Bottom-up 2 x 2 bitmap: bottom row red, green; top row blue, white; stretched 4 times.
  w = canvas();
  w.rec(kDibBitBlt, {0x0020, 0x00CC, 0, 0, 2, 2, 0, 0}, dib24(2, 2, {red, green, blue, white}));
  QTest::newRow("bitmap 1:1 top left is blue") << w.bytes() << QPoint(0, 0) << blue;
  w = canvas();
  w.rec(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 80, 80, 10, 10},
        dib24(2, 2, {red, green, blue, white}));
  QTest::newRow("stretched bitmap: top left blue") << w.bytes() << QPoint(25, 25) << blue;
  QTest::newRow("stretched bitmap: bottom left red") << w.bytes() << QPoint(25, 75) << red;
  QTest::newRow("stretched bitmap: bottom right green") << w.bytes() << QPoint(75, 75) << green;

  // Palette indexes in the colour table resolve against the selected palette.
  w = canvas();
  w.rec(kCreatePalette, {0x300, 4},
        QByteArray("\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\x00\x00\x00\x00\xff\x00", 16));
  w.rec(kSelectPalette, {1});
  w.rec(kStretchDib, {0x0020, 0x00CC, 1, 1, 2, 0, 0, 100, 100, 0, 0}, dib8PaletteIndexes());
  QTest::newRow("palette bitmap: left entry 2 red") << w.bytes() << QPoint(20, 50) << red;
  QTest::newRow("palette bitmap: right entry 3 blue") << w.bytes() << QPoint(80, 50) << blue;

  // No window: the frame is what the clip leaves, 0..100 of a stroke running to 1000.
  w = Wmf();
  w.rec(kCreatePen, {5, 0, 0, 0, 0}).rec(kSelectObject, {0});
  brush(w, red).rec(kSelectObject, {1}).rec(kIntersectClipRect, {100, 100, 0, 0});
  rect(w, 50, 50, 1000, 1000);
  QTest::newRow("headerless, clipped: drawing fills the frame")
      << w.bytes() << QPoint(75, 75) << red;
  QTest::newRow("headerless, clipped: origin corner empty") << w.bytes() << QPoint(25, 25) << white;

  // The window set after the drawing still frames it.
  w = Wmf();
  w.rec(kCreatePen, {5, 0, 0, 0, 0}).rec(kSelectObject, {0});
  brush(w, red).rec(kSelectObject, {1});
  rect(w, 200, 200, 400, 400);
  w.rec(kSetWindowOrg, {200, 200}).rec(kSetWindowExt, {400, 400});
  rect(w, 590, 590, 600, 600);
  QTest::newRow("late window: drawn at its top left") << w.bytes() << QPoint(40, 40) << red;
  QTest::newRow("late window: beyond the drawing") << w.bytes() << QPoint(60, 60) << white;
}

void TestMetafile::drawn() {
  QFETCH(QByteArray, bytes);
  QFETCH(QPoint, probe);
  QFETCH(QColor, expected);
  QString error;
  QImage image = renderMetafile(bytes, QSize(100, 100), &error);
  QVERIFY2(!image.isNull(), qPrintable(error));
  QRgb got = image.pixel(probe);
  QVERIFY2(near(got, expected), qPrintable(describe(got)));
}

void TestMetafile::textIsDrawn() {
  // "MMMM" in black, 30 units high, on an opaque yellow box; nothing else in the picture.
  Wmf w = canvas();
  QByteArray face = QByteArray("Arial").leftJustified(32, '\0');
  w.rec(kCreateFont, {-30, 0, 0, 0, 400, 0, 0, 0, 0}, face).rec(kSelectObject, {1});
  w.rec(kSetTextColor, {0, 0}).rec(kSetBkColor, {0xFFFF, 0}).rec(kSetBkMode, {1});
  w.rec(kSetTextAlign, {0});  // top left
  w.rec(kExtTextOut, {20, 5, 4, 2, 0, 0, 100, 80}, QByteArray("MMMM"));
  QImage image = renderMetafile(w.bytes(), QSize(100, 100), nullptr);
  QVERIFY(!image.isNull());
  QVERIFY(near(image.pixel(95, 5), QColor(Qt::yellow)));       // the opaque box
  QVERIFY(near(image.pixel(50, 95), QColor(Qt::white)));       // below it
  double ink = darkShare(image, QRectF(0.05, 0.2, 0.9, 0.3));  // where the letters stand
  QVERIFY2(ink > 0.15 && ink < 0.8, qPrintable(QString::number(ink)));
  QCOMPARE(darkShare(image, QRectF(0, 0.6, 1, 0.4)), 0.0);
}

void TestMetafile::advancesPlaceGlyphs() {
  // Four stems 40 pixels high, advanced 30, 20 and 10 pixels: the array, not the face
  // (whose own advance is 11.1 pixels), even where it sets them tighter than the face.
  QByteArray bytes = textPicture("Arial", -40, 0, 0, 10, 20, "IIII", {30, 20, 10, 10});
  QImage image = renderMetafile(bytes, QSize(100, 100), nullptr);
  QVector<qreal> stems = inkCentres(image, 40);
  QCOMPARE(stems.size(), 4);
  const qreal advances[3] = {30, 20, 10};
  for (int i = 0; i < 3; ++i)
    QVERIFY2(qAbs(stems[i + 1] - stems[i] - advances[i]) < 0.2,
             qPrintable(QString::number(stems[i + 1] - stems[i])));
  // The first stem: the origin plus the face's side bearing and half its stem.
  QVERIFY2(qAbs(stems[0] - 15.5) < 1, qPrintable(QString::number(stems[0])));
}

void TestMetafile::symbolFaces_data() {
  QTest::addColumn<QByteArray>("face");
  QTest::addColumn<int>("charset");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("expected");
  QTest::newRow("symbol: brackets, times, arrow, infinity, not in")
      << QByteArray("Symbol") << 2 << QByteArray("\xE9\xF9\xB4\xAE\xA5\xCF")
      << QString::fromUtf8("\u23A1\u23A4\u00D7\u2192\u221E\u2209");
  QTest::newRow("symbol: Greek, digits and signs")
      << QByteArray("Symbol") << 2 << QByteArray("qlW1+\x2D\x22") << QString::fromUtf8("θλΩ1+−∀");
  QTest::newRow("symbol: euro and the gap before it")
      << QByteArray("Symbol") << 2 << QByteArray("\xA0\x80") << QString::fromUtf8("€\uFFFD");
  QTest::newRow("symbol character set, no face")
      << QByteArray("") << 2 << QByteArray("p") << QString::fromUtf8("π");
  QTest::newRow("wingdings: bullets, check, arrow")
      << QByteArray("Wingdings") << 2 << QByteArray("\x6C\x6E\xFC\xF0")
      << QString::fromUtf8("●■✔⇨");
  QTest::newRow("wingdings: a glyph with no equivalent")
      << QByteArray("Wingdings") << 2 << QByteArray("\xFF") << QString::fromUtf8("\uFFFD");
  QTest::newRow("wingdings 3: triangles")
      << QByteArray("Wingdings 3") << 2 << QByteArray("pq") << QString::fromUtf8("▲▼");
  QTest::newRow("webdings: a bullet is no Greek letter")
      << QByteArray("Webdings") << 2 << QByteArray("n") << QString::fromUtf8("⚫");
  QTest::newRow("a text face keeps its letters")
      << QByteArray("Arial") << 0 << QByteArray("n\xE9") << QString::fromUtf8("né");
}

void TestMetafile::symbolFaces() {
  QFETCH(QByteArray, face);
  QFETCH(int, charset);
  QFETCH(QByteArray, bytes);
  QFETCH(QString, expected);
  QVector<int> dx(bytes.size(), 12);
  std::vector<MetafileTextRun> runs;
  renderMetafile(textPicture(face, -12, 0, 0, 5, 5, bytes, dx, charset), QSize(100, 100), nullptr,
                 &runs);
  QCOMPARE(int(runs.size()), 1);
  QCOMPARE(runs[0].text, expected);
}

void TestMetafile::symbolGlyphShapes() {
  // The symbol face's italic "a" is its own alpha slanted: the symbol face's shape and
  // width, not a text face's italic Greek (narrower and further left).
  std::vector<MetafileTextRun> runs;
  QImage image = renderMetafile(textPicture("Symbol", -80, 0, 0, 10, 5, "a", {60}, 2, 0, true),
                                QSize(100, 100), nullptr, &runs);
  QCOMPARE(int(runs.size()), 1);
  QCOMPARE(runs[0].text, QString::fromUtf8("α"));
  QFont symbol(QStringLiteral("OpenSymbol"));
  symbol.setPixelSize(80);
  symbol.setItalic(true);
  QImage expected(100, 100, QImage::Format_RGB32);
  expected.fill(Qt::white);
  QPainter painter(&expected);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.setFont(symbol);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(10, 5 + QFontMetricsF(symbol).ascent()), QString::fromUtf8("α"));
  painter.end();
  QRect got = inkBox(image), want = inkBox(expected);
  QVERIFY2(qAbs(got.left() - want.left()) <= 1 && qAbs(got.width() - want.width()) <= 1 &&
               qAbs(got.top() - want.top()) <= 1 && qAbs(got.height() - want.height()) <= 1,
           qPrintable(QString("inked %1,%2 %3 x %4, the symbol face's alpha %5,%6 %7 x %8")
                          .arg(got.left())
                          .arg(got.top())
                          .arg(got.width())
                          .arg(got.height())
                          .arg(want.left())
                          .arg(want.top())
                          .arg(want.width())
                          .arg(want.height())));
}

void TestMetafile::smallTextOnGrid_data() {
  QTest::addColumn<int>("window");  // logical units across the 100 pixels
  QTest::addColumn<int>("x");       // the text's left, logical
  QTest::addColumn<QVector<int>>("dx");
  // An 11 pixel "l" of Arial's metrics, a stem about a pixel wide, and an "H" whose crossbar
  // is about a pixel high.
  QTest::newRow("whole pixel") << 100 << 10 << QVector<int>{6};
  QTest::newRow("a third of a pixel in") << 300 << 31 << QVector<int>{18};
  QTest::newRow("half a pixel in") << 200 << 21 << QVector<int>{12};
  QTest::newRow("no advances") << 300 << 32 << QVector<int>{};
  QTest::newRow("after a fractional advance") << 300 << 30 << QVector<int>{17, 17, 17};
}

void TestMetafile::smallTextOnGrid() {
  QFETCH(int, window);
  QFETCH(int, x);
  QFETCH(QVector<int>, dx);
  Wmf w;
  w.rec(kSetWindowOrg, {0, 0}).rec(kSetWindowExt, {window, window});
  w.rec(kCreateFont, {-11 * window / 100, 0, 0, 0, 400, 0, 0, 0, 0},
        QByteArray("Arial").leftJustified(32, '\0'));
  w.rec(kSelectObject, {0}).rec(kSetBkMode, {1}).rec(kSetTextAlign, {0});
  QByteArray text(qMax(1, int(dx.size())), 'l');
  QByteArray raw = text;
  if (raw.size() % 2) raw += '\0';
  for (int d : dx) raw += char(d & 0xFF), raw += char(d >> 8);
  w.rec(kExtTextOut, {20 * window / 100, x, int(text.size()), 0}, raw);
  w.rec(kExtTextOut, {50 * window / 100, x, 1, 0}, QByteArray("H"));
  QImage image = renderMetafile(w.bytes(), QSize(100, 100), nullptr);
  // The crossbar of the "H" below, a little under a pixel high: in one row, not two.
  QRect h = inkBox(image.copy(0, 45, 100, 30));
  QVERIFY(!h.isEmpty());
  int bar = 255;
  for (int row = 45; row < 75; ++row) bar = qMin(bar, qGray(image.pixel(h.center().x() + 1, row)));
  QVERIFY2(bar <= 48, qPrintable(QString("crossbar %1").arg(bar)));
  // Each stem: one column at full strength in the middle of its height.
  QVector<int> darkest;
  for (int column = 0, run = 255; column <= 100; ++column) {
    int gray = column < 100 ? qGray(image.pixel(column, 25)) : 255;
    if (gray < 255) {
      run = qMin(run, gray);
    } else if (run < 255) {
      darkest << run;
      run = 255;
    }
  }
  QCOMPARE(darkest.size(), text.size());
  for (int gray : darkest) QVERIFY2(gray <= 16, qPrintable(QString("darkest %1").arg(gray)));
}

void TestMetafile::fixedPitchCells_data() {
  QTest::addColumn<QByteArray>("face");
  QTest::addColumn<int>("pitchAndFamily");
  QTest::newRow("a fixed-pitch face by name") << QByteArray("Lucida Sans Typewriter") << 0;
  QTest::newRow("fixed pitch bits") << QByteArray("Letter Gothic Line") << 0x01;
  QTest::newRow("modern family") << QByteArray("Letter Gothic Line") << 0x30;
}

void TestMetafile::fixedPitchCells() {
  // Cells of 8 pixels: each stem of "I" stands in the middle of its cell.
  QFETCH(QByteArray, face);
  QFETCH(int, pitchAndFamily);
  QByteArray bytes =
      textPicture(face, -13, 0, 0, 10, 20, "IIIIIII", QVector<int>(7, 8), 0, pitchAndFamily);
  QImage image = renderMetafile(bytes, QSize(100, 100), nullptr);
  QVector<qreal> stems = inkCentres(image, 28);
  QCOMPARE(stems.size(), 7);
  for (int i = 0; i < stems.size(); ++i)
    QVERIFY2(qAbs(stems[i] - (14 + 8 * i)) <= 0.75,
             qPrintable(QString("stem %1 at %2").arg(i).arg(stems[i])));
}

void TestMetafile::metricTwinRunEnds() {
  // Arial Unicode MS has Arial's metrics for Latin text: drawn as Arial, its run ends where
  // its advances do (Arial's own at 20 pixels), no gaps inside it.
  const QVector<int> advances = {6, 11, 7, 17, 11, 4, 11};
  std::vector<MetafileTextRun> runs, arial;
  QImage image =
      renderMetafile(textPicture("Arial Unicode MS", -20, 0, 0, 5, 20, "formula", advances),
                     QSize(100, 100), nullptr, &runs);
  QImage expected = renderMetafile(textPicture("Arial", -20, 0, 0, 5, 20, "formula", advances),
                                   QSize(100, 100), nullptr, &arial);
  QCOMPARE(int(runs.size()), 1);
  QCOMPARE(runs[0].end, 5.0 + 67);
  QVERIFY2(runs[0].ink.right() <= runs[0].end && runs[0].ink.right() >= runs[0].end - 2,
           qPrintable(QString::number(runs[0].ink.right())));
  QCOMPARE(runs[0].ink, arial[0].ink);
  QVERIFY(image == expected);
}

void TestMetafile::fontSize_data() {
  QTest::addColumn<QByteArray>("face");
  QTest::addColumn<int>("height");
  QTest::addColumn<int>("width");
  QTest::addColumn<QSizeF>("ink");  // of one capital H
  // Arial's metrics: cap height 1409 and stem to stem 1163 of 2048 units to the em (a
  // generic face's capitals stand 73 high).
  QTest::newRow("character height 100: the em")
      << QByteArray("Arial") << -100 << 0 << QSizeF(56.8, 68.8);
  QTest::newRow("cell height 100: ascent and descent")
      << QByteArray("Arial") << 100 << 0 << QSizeF(50.8, 61.6);
  // Average width 44 at this size: 22 halves it.
  QTest::newRow("width 22: condensed to half")
      << QByteArray("Arial") << -100 << 22 << QSizeF(28.3, 68.8);
  QTest::newRow("narrow face") << QByteArray("Arial Narrow") << -100 << 0 << QSizeF(46.6, 68.8);
  QTest::newRow("a script's name for the face")
      << QByteArray("Arial CE") << -100 << 0 << QSizeF(56.8, 68.8);
  // Capitals of the faces with Times New Roman's and Calibri's metrics (cap heights 1356
  // of 2048 and 1294 of 2048 units).
  QTest::newRow("times") << QByteArray("Times New Roman") << -100 << 0 << QSizeF(66, 65.5);
  QTest::newRow("calibri") << QByteArray("Calibri") << -100 << 0 << QSizeF(48, 63.5);
}

void TestMetafile::fontSize() {
  QFETCH(QByteArray, face);
  QFETCH(int, height);
  QFETCH(int, width);
  QFETCH(QSizeF, ink);
  std::vector<MetafileTextRun> runs;
  renderMetafile(textPicture(face, height, width, 0, 10, 10, "H", {80}), QSize(100, 100), nullptr,
                 &runs);
  QCOMPARE(int(runs.size()), 1);
  QSizeF got = runs[0].ink.size();
  QVERIFY2(qAbs(got.width() - ink.width()) <= 1.5 && qAbs(got.height() - ink.height()) <= 1.5,
           qPrintable(QString("%1 x %2").arg(got.width()).arg(got.height())));
}

void TestMetafile::escapementTurnsText() {
  // Turned a quarter counter-clockwise about its top left: the line of capitals runs up
  // from its origin, their tops towards the left.
  QByteArray bytes = textPicture("Arial", -20, 0, 900, 50, 90, "HHHH", {});
  QImage image = renderMetafile(bytes, QSize(100, 100), nullptr);
  QVERIFY(darkShare(image, QRectF(0.5, 0.3, 0.2, 0.5)) > 0.1);  // right of the origin, above it
  QCOMPARE(darkShare(image, QRectF(0, 0, 0.48, 1)), 0.0);
  QCOMPARE(darkShare(image, QRectF(0, 0.92, 1, 0.08)), 0.0);
}

void TestMetafile::cosmeticPens_data() {
  QTest::addColumn<int>("window");  // logical units across the 100 pixels
  QTest::addColumn<int>("penWidth");
  QTest::addColumn<int>("rows");  // rows the horizontal line darkens
  QTest::newRow("width 0: one pixel") << 100 << 0 << 1;
  QTest::newRow("width 1 at one unit a pixel: one pixel") << 100 << 1 << 1;
  QTest::newRow("width 1, a tenth of a pixel: one pixel") << 1000 << 1 << 1;
  QTest::newRow("width 0 at four pixels a unit: one pixel") << 25 << 0 << 1;
  QTest::newRow("width 1 at four pixels a unit: four") << 25 << 1 << 4;
}

void TestMetafile::cosmeticPens() {
  QFETCH(int, window);
  QFETCH(int, penWidth);
  QFETCH(int, rows);
  Wmf w;
  w.rec(kSetWindowOrg, {0, 0}).rec(kSetWindowExt, {window, window});
  w.rec(kCreatePen, {0, penWidth, 0, 0, 0}).rec(kSelectObject, {0});
  w.rec(kMoveTo, {window / 2, window / 10}).rec(kLineTo, {window / 2, window * 9 / 10});
  QImage image = renderMetafile(w.bytes(), QSize(100, 100), nullptr);
  int touched = 0, dark = 0;
  for (int y = 0; y < 100; ++y) {
    touched += image.pixel(50, y) != qRgb(255, 255, 255);
    dark += qGray(image.pixel(50, y)) < 64;
  }
  QCOMPARE(touched, rows);
  QCOMPARE(dark, rows);
  int at = window / 2 * 100 / window;  // the line's place in pixels
  QVERIFY(qGray(image.pixel(50, at)) < 64 || qGray(image.pixel(50, at - 1)) < 64);
}

void TestMetafile::patternBrushes_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QColor>("even");  // where x + y is even
  QTest::addColumn<QColor>("odd");
  const QColor red(Qt::red), blue(Qt::blue), green(0, 255, 0), yellow(Qt::yellow);
  const QVector<int> checker = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  auto filled = [](Wmf w) {
    w.rec(kSelectObject, {1}).rec(kSetTextColor, {0xFF00, 0}).rec(kSetBkColor, {0xFFFF, 0});
    rect(w, 0, 0, 100, 100);
    return w.bytes();
  };
  // Set bits (1) where x + y is even: colour 1 there.
  QTest::newRow("DIB pattern: its own colours")
      << filled(canvas().rec(kDibCreatePatternBrush, {5, 0}, dib1(checker, blue, red))) << red
      << blue;
  QTest::newRow("one-bit plain pattern: text colour for 0, background for 1")
      << filled(canvas().rec(kDibCreatePatternBrush, {3, 0}, dib1(checker, blue, red))) << yellow
      << green;
  QByteArray bitmap;
  for (int row : checker) bitmap += char(row), bitmap += '\0';
  QTest::newRow("device bitmap pattern: text and background colours")
      << filled(canvas().rec(kCreatePatternBrush, {0, 8, 8, 2, 0x0101, 0, 0}, bitmap)) << yellow
      << green;
}

void TestMetafile::patternBrushes() {
  QFETCH(QByteArray, bytes);
  QFETCH(QColor, even);
  QFETCH(QColor, odd);
  QImage image = renderMetafile(bytes, QSize(100, 100), nullptr);
  QVERIFY(!image.isNull());
  // Tiled from the picture's top left, whatever shape it fills.
  for (QPoint at : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(8, 8), QPoint(13, 54),
                    QPoint(50, 51), QPoint(99, 99)}) {
    QColor expected = (at.x() + at.y()) % 2 ? odd : even;
    QVERIFY2(
        image.pixel(at) == expected.rgb(),
        qPrintable(QString("(%1, %2) %3").arg(at.x()).arg(at.y()).arg(describe(image.pixel(at)))));
  }
}

void TestMetafile::hatchedBrushes_data() {
  QTest::addColumn<int>("hatch");
  QTest::addColumn<int>("bkMode");
  QTest::addColumn<QPoint>("line");  // a pixel on the hatch
  QTest::addColumn<QPoint>("gap");   // one between its lines
  QTest::addColumn<QColor>("gapColour");
  QTest::newRow("horizontal, opaque")
      << 0 << 2 << QPoint(5, 11) << QPoint(5, 12) << QColor(Qt::yellow);
  QTest::newRow("horizontal, transparent")
      << 0 << 1 << QPoint(40, 3) << QPoint(40, 4) << QColor(Qt::white);
  QTest::newRow("vertical") << 1 << 2 << QPoint(12, 7) << QPoint(13, 7) << QColor(Qt::yellow);
  QTest::newRow("downwards diagonal")
      << 2 << 2 << QPoint(9, 17) << QPoint(9, 18) << QColor(Qt::yellow);
  QTest::newRow("upwards diagonal") << 3 << 2 << QPoint(6, 9) << QPoint(7, 9) << QColor(Qt::yellow);
  QTest::newRow("cross") << 4 << 2 << QPoint(20, 19) << QPoint(21, 18) << QColor(Qt::yellow);
}

void TestMetafile::hatchedBrushes() {
  QFETCH(int, hatch);
  QFETCH(int, bkMode);
  QFETCH(QPoint, line);
  QFETCH(QPoint, gap);
  QFETCH(QColor, gapColour);
  Wmf w = canvas();
  w.rec(kCreateBrush, {2, 0x0000, 0x00FF, hatch}).rec(kSelectObject, {1});  // blue lines
  w.rec(kSetBkColor, {0xFFFF, 0}).rec(kSetBkMode, {bkMode});
  rect(w, 0, 0, 100, 100);
  QImage image = renderMetafile(w.bytes(), QSize(100, 100), nullptr);
  QCOMPARE(describe(image.pixel(line)), describe(QColor(Qt::blue).rgb()));
  QCOMPARE(describe(image.pixel(gap)), describe(gapColour.rgb()));
}

void TestMetafile::hostile_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<bool>("mustRefuse");
  QTest::newRow("empty") << QByteArray() << true;
  QTest::newRow("junk") << QByteArray("\xde\xad\xbe\xef junk junk junk") << true;
  QTest::newRow("placeable key alone") << QByteArray("\xd7\xcd\xc6\x9a\x00\x00", 6) << true;
  QTest::newRow("header cut short") << canvas().bytes().left(10) << true;
  QTest::newRow("zero-size box, no window") << Wmf().bytes(QRect(0, 0, 0, 0)) << true;

  QTest::newRow("record of size 0")
      << rect(canvas().raw(QByteArray("\x00\x00\x00\x00\x1B\x04", 6)), 0, 0, 9, 9).bytes() << false;
  QTest::newRow("record longer than the file")
      << canvas().raw(QByteArray("\xff\xff\xff\x7f\x1B\x04\x01\x00", 8)).bytes() << false;
  QTest::newRow("polygon claims 32767 points")
      << canvas().rec(kPolygon, {32767, 1, 2, 3}).bytes() << false;
  QTest::newRow("poly-polygon claims 65535 polygons")
      << canvas().rec(kPolyPolygon, {65535, 3, 3}).bytes() << false;
  QTest::newRow("text claims 32767 bytes")
      << canvas().rec(kExtTextOut, {10, 10, 32767, 0}, "abc").bytes() << false;
  QTest::newRow("restore far beyond the saves")
      << canvas().rec(kRestoreDc, {0x8000}).rec(kRestoreDc, {30000}).bytes() << false;
  QTest::newRow("unit window, far coordinates")
      << Wmf().rec(kSetWindowExt, {1, 1}).rec(kRectangle, {32767, 32767, -32768, -32768}).bytes()
      << false;

  QByteArray bigDib(40, '\0');
  qToLittleEndian<quint32>(40, bigDib.data());
  qToLittleEndian<qint32>(30000, bigDib.data() + 4);
  qToLittleEndian<qint32>(30000, bigDib.data() + 8);
  qToLittleEndian<quint16>(1, bigDib.data() + 12);
  qToLittleEndian<quint16>(24, bigDib.data() + 14);
  QTest::newRow("bitmap claims 30000 x 30000")
      << canvas().rec(kStretchDib, {0x20, 0xCC, 0, 1, 1, 0, 0, 100, 100, 0, 0}, bigDib).bytes()
      << false;

  Wmf many = canvas();
  for (int i = 0; i < 20000; ++i) many.rec(kSaveDc, {});
  for (int i = 0; i < 20000; ++i) many.rec(kCreateBrush, {0, 0, 0, 0});
  QTest::newRow("20000 saves and 20000 objects never deleted") << many.bytes() << false;

  Wmf fills = canvas();
  brush(fills, Qt::red).rec(kSelectObject, {1});
  fills.rec(kCreatePen, {1, 30, 0, 0, 0}).rec(kSelectObject, {2});
  for (int i = 0; i < 200000; ++i) fills.rec(kPolygon, {3, -32768, -32768, 32767, 0, 0, 32767});
  QTest::newRow("200000 huge dashed polygons") << fills.bytes() << false;
}

void TestMetafile::hostile() {
  QFETCH(QByteArray, bytes);
  QFETCH(bool, mustRefuse);
  QElapsedTimer clock;
  clock.start();
  QSizeF twips;
  QString error;
  bool sized = metafileNaturalSize(bytes, &twips, &error);
  QImage image = renderMetafile(bytes, QSize(477, 289), &error);
  if (mustRefuse) {
    QVERIFY(!sized);
    QVERIFY(image.isNull());
    QVERIFY(!error.isEmpty());
  } else {
    QVERIFY2(sized && !image.isNull(), qPrintable(error));
  }
  QVERIFY2(clock.elapsed() < 15000, qPrintable(QString("%1 ms").arg(clock.elapsed())));
}

void TestMetafile::regressionCorpus() {
  // Every input the fuzzer ever broke us with (and the seeds): drawn or refused, quickly.
  QDir dir(QStringLiteral(VISTARA_TEST_DATA "/../../fuzz/corpus/metafile"));
  const QStringList files = dir.entryList(QDir::Files);
  QVERIFY(!files.isEmpty());
  for (const QString& name : files) {
    QElapsedTimer clock;
    clock.start();
    LoadedPicture pic;
    QString error;
    bool loaded = loadPicture(dir.filePath(name), QSize(477, 289), &pic, &error);
    QVERIFY2(loaded == !pic.image.isNull(), qPrintable(name));
    QVERIFY2(clock.elapsed() < 15000, qPrintable(name));
  }
}

void TestMetafile::referenceShapes_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QPointF>("at");  // a fraction of the picture
  QTest::addColumn<QColor>("expected");
  const QString veg =
      "wmf/reference/libreoffice__libreoffice-7.4.7.2__odk__examples__basic__"
      "forms_and_controls__vegetable.wmf";
  QTest::newRow("vegetable: carrot") << veg << QPointF(0.50, 0.477) << QColor(255, 194, 107);
  QTest::newRow("vegetable: sky box") << veg << QPointF(0.22, 0.16) << QColor(0, 204, 255);
  QTest::newRow("vegetable: left of the box") << veg << QPointF(0.05, 0.2) << QColor(Qt::white);
  const QString ellipse =
      "wmf/reference/libreoffice__libreoffice-7.4.7.2__vcl__qa__cppunit__"
      "data__roundtrip.wmf";
  QTest::newRow("roundtrip: blue ellipse centre")
      << ellipse << QPointF(0.5, 0.5) << QColor(68, 114, 196);
  QTest::newRow("roundtrip: corner") << ellipse << QPointF(0.02, 0.02) << QColor(Qt::white);
  const QString palette =
      "wmf/reference/libreoffice__libreoffice-7.4.7.2__emfio__qa__cppunit__"
      "wmf__data__TestPalette.wmf";
  QTest::newRow("palette: entry 1 yellow fill")
      << palette << QPointF(0.36, 0.36) << QColor(Qt::yellow);
  QTest::newRow("palette: entry 0 red edge") << palette << QPointF(0.08, 0.36) << QColor(Qt::red);
  QTest::newRow("palette: direct colour fill")
      << palette << QPointF(0.75, 0.75) << QColor(0, 128, 255);
}

void TestMetafile::referenceShapes() {
  QFETCH(QString, file);
  QFETCH(QPointF, at);
  QFETCH(QColor, expected);
  const QString path = samplesDir() + "/" + file;
  if (samplesDir().isEmpty() || !QFile::exists(path)) QSKIP("sample files not available");
  LoadedPicture pic;
  QString error;
  QVERIFY2(loadPicture(path, QSize(), &pic, &error), qPrintable(error));
  QRgb got = pic.image.pixel(int(at.x() * pic.image.width()), int(at.y() * pic.image.height()));
  QVERIFY2(near(got, expected, 30), qPrintable(describe(got)));
}

void TestMetafile::referenceText() {
  // A diagram with a numbered list of five lines ("1. - Lab Stand" ...) below its middle.
  const QString path = samplesDir() +
                       "/wmf/reference/poi__apache-poi-4.0.1__test-data__document__"
                       "testException2.doc-2.wmf";
  if (samplesDir().isEmpty() || !QFile::exists(path)) QSKIP("sample files not available");
  LoadedPicture pic;
  QVERIFY(loadPicture(path, QSize(), &pic));
  QCOMPARE(pic.image.size(), QSize(443, 182));
  double ink = darkShare(pic.image, QRectF(0.17, 0.49, 0.33, 0.34));
  QVERIFY2(ink > 0.04 && ink < 0.35, qPrintable(QString::number(ink)));
  // Above the title nothing is drawn.
  QCOMPARE(darkShare(pic.image, QRectF(0, 0, 1, 0.03)), 0.0);
}

void TestMetafile::referenceNaturalSizes_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QSizeF>("twips");
  // Placeable: box 9364 x 6546 at 1000 per inch.
  QTest::newRow("placeable") << "wmf/reference/libreoffice__libreoffice-7.4.7.2__odk__examples__"
                                "basic__forms_and_controls__vegetable.wmf"
                             << QSizeF(9364 * 1.44, 6546 * 1.44);
  // No placeable header: window extent 2600 x 1900.
  QTest::newRow("non-placeable") << "wmf/reference/libreoffice__libreoffice-7.4.7.2__emfio__qa__"
                                    "cppunit__wmf__data__tdf88163-non-placeable.wmf"
                                 << QSizeF(39000, 28500);
}

void TestMetafile::referenceNaturalSizes() {
  QFETCH(QString, file);
  QFETCH(QSizeF, twips);
  const QString path = samplesDir() + "/" + file;
  if (samplesDir().isEmpty() || !QFile::exists(path)) QSKIP("sample files not available");
  LoadedPicture pic;
  QVERIFY(loadPicture(path, QSize(477, 289), &pic));
  QVERIFY(qAbs(pic.naturalTwips.width() - twips.width()) < 0.01);
  QVERIFY(qAbs(pic.naturalTwips.height() - twips.height()) < 0.01);
  QVERIFY(pic.image.width() <= 477 && pic.image.height() <= 289);
  QVERIFY(pic.image.width() == 477 || pic.image.height() == 289);
}

void TestMetafile::advanceArraysPlaceText() {
  // Every run of text the sample files place with an advance array: its last glyph inks
  // from where its advance puts it to no further than the advances' end, 2 pixels of
  // tolerance (or 2 % of the face's size for large glyphs whose design overhangs). Where a
  // writer made the last advance shorter than the glyph, the glyph overhangs it as on the
  // screen it was made on, and may end where its own advance does. Runs whose last advance
  // is nothing (some writers leave it out) say nothing about their end; glyphs below 6
  // pixels ink too faintly to be measured.
  if (samplesDir().isEmpty() || !QDir(samplesDir() + "/wmf").exists())
    QSKIP("sample files not available");
  int checked = 0, open = 0, files = 0, short_ = 0;
  QStringList problems;
  for (const QString& folder : {QString("wmf/corpus"), QString("wmf/reference")}) {
    QDir dir(samplesDir() + "/" + folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
      QFile file(dir.filePath(name));
      if (!file.open(QIODevice::ReadOnly)) continue;
      QByteArray bytes = file.readAll();
      QSizeF twips;
      if (!metafileNaturalSize(bytes, &twips, nullptr)) continue;
      QSize size = (twips / 15).toSize().expandedTo(QSize(1, 1));
      if (size.width() > 4096 || size.height() > 4096) size.scale(4096, 4096, Qt::KeepAspectRatio);
      std::vector<MetafileTextRun> runs;
      renderMetafile(bytes, size, nullptr, &runs);
      files += !runs.empty();
      for (const MetafileTextRun& run : runs) {
        if (run.ink.isEmpty() || run.text.back().isSpace() || run.em < 6) continue;
        if (run.end == run.lastStart) {
          ++open;
          continue;
        }
        ++checked;
        qreal tolerance = qMax<qreal>(2, run.em * 0.02);
        qreal right = run.ink.left() + run.ink.width();
        qreal end = qMax(run.end, run.lastStart + run.lastOwnAdvance);
        short_ += end > run.end + tolerance;
        if (right > end + tolerance || right < run.lastStart - tolerance)
          problems << QString("%1 \"%2\": inks to %3, advances %4..%5")
                          .arg(name, run.text)
                          .arg(right)
                          .arg(run.lastStart)
                          .arg(run.end);
      }
    }
  }
  qInfo("%d runs checked in %d files; %d with a last advance shorter than the glyph, %d without",
        checked, files, short_, open);
  QVERIFY(checked > 1000);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
