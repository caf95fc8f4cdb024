// The window on a screen of device pixel ratio 2: layout kept in twips, photos drawn crisply.
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "controls/twips.h"
#include "support/fakes.h"

namespace {

// A photo of `w` x `h` pixels, black left of column `edge`, white from it on.
QString makeEdgePhoto(const QString& folder, const QString& name, int w, int h, int edge) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter(&img).fillRect(0, 0, edge, h, Qt::black);
  const QString path = QDir(folder).filePath(name);
  img.save(path);
  return path;
}

// The box's place in the grabbed window, in device pixels.
QRect deviceRect(QWidget* box, QWidget* window, qreal dpr) {
  const QRect r(box->mapTo(window, QPoint(0, 0)), box->size());
  return QRect(qRound(r.x() * dpr), qRound(r.y() * dpr), qRound(r.width() * dpr),
               qRound(r.height() * dpr));
}

// Along the box's middle row: device pixels from the last black to the first white one.
// A picture drawn at device resolution changes within 2; one blown up from logical
// pixels with smoothing takes 3 or more.
int edgeSpan(const QImage& grab, const QRect& box) {
  const int y = box.center().y();
  int lastBlack = -1;
  for (int x = box.left() + 1; x < box.right(); ++x) {
    const int grey = qGray(grab.pixel(x, y));
    if (grey < 26) lastBlack = x;
    if (grey > 229) return lastBlack < 0 ? -1 : x - lastBlack;
  }
  return -1;
}

}  // namespace

class HiDpiTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
  }

  void controlsKeepTheirTwips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRectF>("twips");
    QTest::newRow("button") << "cmdIniciar" << QRectF(7830, 1440, 1425, 405);
    QTest::newRow("exit button") << "cmdSaida" << QRectF(7800, 3600, 1425, 405);
    // Moved and resized at start-up.
    QTest::newRow("list") << "List1" << QRectF(3966, 1440, 3255, 4545);
    QTest::newRow("drive list") << "Drive1" << QRectF(600, 3390, 3135, 315);
    QTest::newRow("statistics") << "lblConta" << QRectF(3960, 6120, 3285, 315);
  }

  void controlsKeepTheirTwips() {
    QFETCH(QString, name);
    QFETCH(QRectF, twips);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 2.0);
    QCOMPARE(w.outerWidth(), 9600.0f);
    QCOMPARE(w.outerHeight(), 7200.0f);

    auto* c = w.findChild<QWidget*>(name);
    QVERIFY(c);
    QCOMPARE(QRectF(tw::left(c), tw::top(c), tw::width(c), tw::height(c)), twips);
    // Logical pixels stay 15 twips each; the screen's scale doubles them on the device.
    QCOMPARE(c->geometry(), QRect(tw::toPixels(twips.x()), tw::toPixels(twips.y()),
                                  tw::toPixels(twips.width()), tw::toPixels(twips.height())));
    const QPixmap shot = c->grab();
    QCOMPARE(shot.size(), c->size() * 2);
  }

  void photosAreDrawnCrisply_data() {
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("edge");
    // Larger than the panel: decoded for the device pixels, drawn one to one.
    QTest::newRow("shrunk into the panel") << QSize(1908, 1156) << 954;
    QTest::newRow("shrunk, edge between pixels") << QSize(1601, 1003) << 777;
    // Smaller than the panel: each of its pixels covers two by two device pixels.
    QTest::newRow("natural size") << QSize(200, 120) << 73;
    QTest::newRow("natural size, odd") << QSize(333, 211) << 150;
  }

  void photosAreDrawnCrisply() {
    QFETCH(QSize, pixels);
    QFETCH(int, edge);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    tw::setLeft(w.frmFoto, 120);
    tw::setTop(w.frmFoto, 240);
    w.frmFoto->show();
    const QString name = QStringLiteral("edge-%1x%2.png").arg(pixels.width()).arg(pixels.height());
    w.fitPicture(w.Image1, makeEdgePhoto(dir.path(), name, pixels.width(), pixels.height(), edge),
                 FileFind::Fit::Panel);
    QVERIFY(w.Image1->isVisible());
    QVERIFY(tw::width(w.Image1) <= 7155.0f);

    const QImage grab = w.grab().toImage();
    QCOMPARE(grab.size(), w.size() * 2);
    const QRect box = deviceRect(w.Image1, &w, 2.0);
    QVERIFY(QRect(QPoint(0, 0), grab.size()).contains(box));
    const int span = edgeSpan(grab, box);
    QVERIFY2(span >= 1 && span <= 2, qPrintable(QStringLiteral("edge spans %1").arg(span)));
    // The edge sits where the photo puts it, to within one device pixel.
    const qreal expected = box.left() + qreal(edge) / pixels.width() * box.width();
    int firstWhite = box.left();
    while (qGray(grab.pixel(firstWhite, box.center().y())) <= 229) ++firstWhite;
    QVERIFY2(qAbs(firstWhite - expected) <= 1.5,
             qPrintable(QStringLiteral("edge at %1, expected %2").arg(firstWhite).arg(expected)));
  }

  // The box keeps a device-sized copy between paints; the next photo must replace it.
  void theNextPhotoReplacesTheDrawnOne() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.frmFoto->show();
    int firstWhite[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
      const int edge = i == 0 ? 40 : 160;
      const QString name = QStringLiteral("next-%1.png").arg(i);
      w.fitPicture(w.Image1, makeEdgePhoto(dir.path(), name, 200, 120, edge), FileFind::Fit::Panel);
      const QImage grab = w.grab().toImage();
      const QRect box = deviceRect(w.Image1, &w, 2.0);
      int x = box.left();
      while (x < box.right() && qGray(grab.pixel(x, box.center().y())) <= 229) ++x;
      firstWhite[i] = x - box.left();
    }
    QCOMPARE(firstWhite[0], 80);
    QCOMPARE(firstWhite[1], 320);
  }
};

int main(int argc, char** argv) {
  // The scale must be in place before the application reads the screens.
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
