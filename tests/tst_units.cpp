// Twips to whole pixels: the one rounding every room places things by.
#include <QTest>
#include <limits>

#include "units/pixels.h"

class UnitsTest : public QObject {
  Q_OBJECT

 private slots:
  void toPixels_data() {
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("nothing") << 0.0 << 0;
    QTest::newRow("under a half") << 7.0 << 0;
    QTest::newRow("a half goes up") << 7.5 << 1;
    QTest::newRow("one and a half") << 22.5 << 2;
    QTest::newRow("two and a half, not to even") << 37.5 << 3;
    QTest::newRow("a negative half goes down") << -7.5 << -1;
    QTest::newRow("minus two and a half") << -37.5 << -3;
    QTest::newRow("an inch") << 1440.0 << 96;
    QTest::newRow("the window's stored width") << 10410.0 << 694;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("endless") << inf << 0;
    QTest::newRow("endless below") << -inf << 0;
    QTest::newRow("far right") << 1e12 << 1000000;
    QTest::newRow("far left") << -1e12 << -1000000;
  }

  void toPixels() {
    QFETCH(double, twips);
    QFETCH(int, pixels);
    QCOMPARE(units::toPixels(twips), pixels);
  }
};

QTEST_APPLESS_MAIN(UnitsTest)
#include "tst_units.moc"
