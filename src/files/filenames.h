#pragma once

// File names as text and back, their order, and the paths built of them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// File names as text and back. Bytes that are not UTF-8 become lone surrogates
// (U+DC80..U+DCFF) so that every name round-trips to the very same bytes.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(QStringView name);

// Locale-aware, case-insensitive name order (ties broken by code point).
void sortNames(QStringList& names);

// Joins a folder path and a name: a root ("/" or "C:\") keeps its one separator,
// "/abc" and "a.jpg" give "/abc/a.jpg".
QString joinPath(const QString& folder, const QString& name);
// The folder path with exactly one separator at its end, ready for a name.
QString withTrailingSeparator(const QString& folder);
