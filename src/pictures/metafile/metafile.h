#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

// Windows metafiles (WMF): recognised by their first bytes, measured from their headers and
// drawn by our own player. Every function takes untrusted bytes.

// True when `head` (the first bytes of a file) looks like a metafile.
bool isMetafileData(const QByteArray& head);

// The natural size in twips; false with a reason when the bytes are not a usable metafile.
bool metafileNaturalSize(const QByteArray& data, QSizeF* twips, QString* error);

// Draws the metafile anti-aliased on white into an image of `size` pixels. A null image with
// a reason when the bytes are not a usable metafile; a file that breaks off part-way is
// drawn as far as it goes.
QImage renderMetafile(const QByteArray& data, QSize size, QString* error);
