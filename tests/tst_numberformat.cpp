// The number texts of the result lists, the statistics label and the slideshow caption.
#include <QTest>

#include "text/numberformat.h"

class NumberFormatTest : public QObject {
  Q_OBJECT

 private slots:
  void thousands_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const struct {
      const char* locale;
      double value;
      const char* text;
    } rows[] = {
        {"pt_BR", 0.0, ""},
        {"pt_BR", 0.49, ""},
        {"pt_BR", 0.5, "1"},
        {"pt_BR", 2.5, "3"},
        {"pt_BR", 999.5, "1.000"},
        {"pt_BR", 2500.0, "2.500"},
        {"pt_BR", 1234567.5, "1.234.568"},
        {"pt_BR", 3221225472.0 / 1024, "3.145.728"},
        {"pt_BR", 1e20, "100.000.000.000.000.000.000"},
        {"pt_BR", -1.5, "-2"},
        {"pt_BR", -0.4, ""},
        {"en_US", 2500.0, "2,500"},
        {"en_US", 123.0, "123"},
        {"en_US", 1234567.0, "1,234,567"},
        {"de_DE", 2500.0, "2.500"},
        {"de_DE", 100000.0, "100.000"},
        {"C", 2500.0, "2,500"},
        {"C", 1000000.0, "1,000,000"},
    };
    for (const auto& r : rows) {
      QTest::addRow("%s %g", r.locale, r.value)
          << QString::fromLatin1(r.locale) << r.value << QString::fromUtf8(r.text);
    }
  }

  void thousands() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatThousands(value, QLocale(locale)), text);
  }

  void twoDecimals_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const struct {
      const char* locale;
      double value;
      const char* text;
    } rows[] = {
        {"pt_BR", 2.5, "2,5"},      {"pt_BR", 1.0, "1,"},
        {"pt_BR", 0.0, "0,"},       {"pt_BR", 0.004, "0,"},
        {"pt_BR", 0.005, "0,01"},  // a decimal half, although the double lies below it
        {"pt_BR", 0.125, "0,13"},  // an exact binary half: away from zero, not to even
        {"pt_BR", 9.995, "10,"},    {"pt_BR", 1234.567, "1234,57"},  // no grouping
        {"pt_BR", 0.1, "0,1"},      {"pt_BR", -1.5, "-1,5"},
        {"pt_BR", -0.001, "0,"},    {"pt_BR", 1e16, "10000000000000000,"},
        {"en_US", 2.5, "2.5"},      {"en_US", 1.0, "1."},
        {"en_US", 3.14159, "3.14"}, {"de_DE", 2.5, "2,5"},
        {"de_DE", 2048.0, "2048,"}, {"C", 0.75, "0.75"},
        {"C", 12.0, "12."},
    };
    for (const auto& r : rows) {
      QTest::addRow("%s %g", r.locale, r.value)
          << QString::fromLatin1(r.locale) << r.value << QString::fromUtf8(r.text);
    }
  }

  void twoDecimals() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatTwoDecimals(value, QLocale(locale)), text);
  }

  // The default locale is what the window's texts use.
  void defaultLocaleIsFollowed() {
    const QLocale saved;
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    QCOMPARE(formatThousands(1234567.0), QStringLiteral("1.234.567"));
    QCOMPARE(formatTwoDecimals(2.5), QStringLiteral("2,5"));
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    QCOMPARE(formatThousands(1234567.0), QStringLiteral("1,234,567"));
    QCOMPARE(formatTwoDecimals(2.5), QStringLiteral("2.5"));
    QLocale::setDefault(saved);
  }

  void plain_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const struct {
      double value;
      const char* text;
    } rows[] = {
        {0.0, " 0"},
        {1.0, " 1"},
        {1.5, " 1.5"},
        {0.5, " .5"},
        {0.01, " .01"},
        {-0.5, "-.5"},
        {-2.0, "-2"},
        {2.0, " 2"},
        {1.0 / 3.0, " .333333333333333"},
        {123456789012345.0, " 123456789012345"},
        {1e15, " 1E+15"},
        {0.0001, " .0001"},
        {0.00001, " 1E-05"},
        {100000.0, " 100000"},
    };
    for (const auto& r : rows) {
      QTest::addRow("%g", r.value) << r.value << QString::fromLatin1(r.text);
    }
  }

  // The plain conversion ignores the locale.
  void plain() {
    QFETCH(double, value);
    QFETCH(QString, text);
    const QLocale saved;
    for (const char* name : {"pt_BR", "en_US", "de_DE", "C"}) {
      QLocale::setDefault(QLocale(QString::fromLatin1(name)));
      QCOMPARE(plainNumberText(value), text);
    }
    QLocale::setDefault(saved);
  }
};

QTEST_GUILESS_MAIN(NumberFormatTest)
#include "tst_numberformat.moc"
