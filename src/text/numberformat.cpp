#include "text/numberformat.h"

#include <QByteArray>
#include <cmath>
#include <cstdint>

namespace {

// Decimal digits of a non-negative whole number, most significant first, no leading zeros.
struct Digits {
  char text[400];
  int size = 0;

  bool isZero() const { return size == 1 && text[0] == '0'; }
  void setInteger(std::uint64_t n) {
    char reversed[24];
    int k = 0;
    do {
      reversed[k++] = char('0' + n % 10);
      n /= 10;
    } while (n != 0);
    size = 0;
    while (k > 0) text[size++] = reversed[--k];
  }
};

// round(magnitude * 10^places), halves away from zero. A tie is judged on the value's
// 15-significant-digit decimal form, so 0.005 rounds up although its binary double lies
// a hair below the half.
void roundScaled(double magnitude, int places, Digits& out) {
  const double scaled = magnitude * std::pow(10.0, places);
  if (scaled < 1e15) {
    const double whole = std::floor(scaled);
    const double distanceFromHalf = std::fabs(scaled - whole - 0.5);
    if (distanceFromHalf > scaled * 1e-14 + 1e-12) {
      out.setInteger(std::uint64_t(scaled - whole > 0.5 ? whole + 1 : whole));
      return;
    }
  }
  // "d.dddddddddddddde+XX": 15 significant digits and the exponent.
  const QByteArray sci = QByteArray::number(magnitude, 'e', 14);
  char mantissa[15];
  int n = 0;
  int i = 0;
  for (; i < sci.size() && sci[i] != 'e'; ++i) {
    if (sci[i] >= '0' && sci[i] <= '9' && n < 15) mantissa[n++] = sci[i];
  }
  const int exponent = i + 1 < sci.size() ? sci.mid(i + 1).toInt() : 0;
  const int keep = exponent + 1 + places;  // digits left of the rounding point
  if (keep <= 0) {
    out.setInteger(keep == 0 && mantissa[0] >= '5' ? 1 : 0);
    return;
  }
  out.size = 0;
  out.text[out.size++] = '0';  // room for a carry
  for (int k = 0; k < keep && out.size < int(sizeof out.text); ++k) {
    out.text[out.size++] = k < n ? mantissa[k] : '0';
  }
  if (keep < n && mantissa[keep] >= '5') {
    int k = out.size - 1;
    while (out.text[k] == '9') out.text[k--] = '0';
    ++out.text[k];
  }
  int lead = 0;
  while (lead < out.size - 1 && out.text[lead] == '0') ++lead;
  for (int k = lead; k < out.size; ++k) out.text[k - lead] = out.text[k];
  out.size -= lead;
}

// The separators of the last locale asked for; looking them up per number is costly.
struct Separators {
  QLocale locale = QLocale::c();
  QString group = QStringLiteral(",");
  QString decimal = QStringLiteral(".");
  QString minus = QStringLiteral("-");
};

const Separators& separatorsOf(const QLocale& locale) {
  static Separators cache;
  if (!(cache.locale == locale)) {
    cache.locale = locale;
    cache.group = locale.groupSeparator();
    cache.decimal = locale.decimalPoint();
    cache.minus = locale.negativeSign();
  }
  return cache;
}

}  // namespace

QString groupSeparator(const QLocale& locale) {
  return separatorsOf(locale).group;
}

QString formatThousands(double value, const QLocale& locale) {
  QString text;
  formatThousands(value, locale, text);
  return text;
}

void formatThousands(double value, const QLocale& locale, QString& out) {
  out.resize(0);
  if (!std::isfinite(value)) return;
  Digits d;
  roundScaled(std::fabs(value), 0, d);
  if (d.isZero()) return;
  const Separators& s = separatorsOf(locale);
  out.reserve(d.size + (d.size / 3) * s.group.size() + 1);
  if (value < 0) out += s.minus;
  for (int i = 0; i < d.size; ++i) {
    if (i > 0 && (d.size - i) % 3 == 0) out += s.group;
    out += QLatin1Char(d.text[i]);
  }
}

QString formatTwoDecimals(double value, const QLocale& locale) {
  if (!std::isfinite(value)) return {};
  Digits d;
  roundScaled(std::fabs(value), 2, d);
  const Separators& s = separatorsOf(locale);
  QString text;
  if (value < 0 && !d.isZero()) text += s.minus;
  const int integerDigits = d.size - 2;
  if (integerDigits <= 0) {
    text += QLatin1Char('0');
  } else {
    text += QLatin1String(d.text, integerDigits);
  }
  text += s.decimal;
  int fraction[2];
  for (int k = 0; k < 2; ++k) {
    const int at = d.size - 2 + k;
    fraction[k] = at >= 0 ? d.text[at] - '0' : 0;
  }
  if (fraction[1] != 0) {
    text += QLatin1Char(char('0' + fraction[0]));
    text += QLatin1Char(char('0' + fraction[1]));
  } else if (fraction[0] != 0) {
    text += QLatin1Char(char('0' + fraction[0]));
  }
  return text;
}

QString plainNumberText(double value) {
  if (!std::isfinite(value)) return QStringLiteral(" 0");
  const QLatin1Char sign(value < 0 ? '-' : ' ');
  const double magnitude = std::fabs(value);
  if (magnitude < 1e15 && magnitude == std::floor(magnitude)) {
    return QString(QChar(sign)) + QString::number(std::uint64_t(magnitude));
  }
  QByteArray text = QByteArray::number(magnitude, 'g', 15).toUpper();  // "1.5", "1E-05"
  if (text.startsWith("0.")) text.remove(0, 1);
  return QString(QChar(sign)) + QString::fromLatin1(text);
}
