#pragma once

#include <QLocale>
#include <QString>

// "###,###": rounded to a whole number (halves away from zero), digits grouped by threes
// with the locale's separator, no leading zero: a value that rounds to 0 gives empty text.
QString formatThousands(double value, const QLocale& locale = QLocale());
// The same, written over `out`, whose room is kept: for many numbers in a row.
void formatThousands(double value, const QLocale& locale, QString& out);

// The separator formatThousands puts between groups of digits.
QString groupSeparator(const QLocale& locale = QLocale());

// "0.##": rounded to two decimals (halves away from zero), trailing zeros dropped, at
// least one integer digit, no grouping; the decimal separator stays even when no fraction
// digit remains ("1," in a locale with a decimal comma).
QString formatTwoDecimals(double value, const QLocale& locale = QLocale());

// The plain conversion: a blank in place of the sign of zero and positive numbers, "-"
// for negative ones, "." as decimal separator whatever the locale, no zero before the
// point, no trailing zeros, at most 15 significant digits (" 1.5", " .01", "-2").
// Beyond that range it switches to an exponent (" 1E+15", " 1.5E-05").
QString plainNumberText(double value);
