#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <vector>

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

// One run of text that a file placed glyph by glyph with an advance array, as drawn (device
// pixels, runs along the x axis only): where it starts, where its last glyph starts, where
// its advances end, the face's own advance of the last glyph, the face's pixel size, and
// the box its glyphs ink (empty for blanks).
struct MetafileTextRun {
  QString text;
  qreal start = 0, lastStart = 0, end = 0, lastOwnAdvance = 0, em = 0;
  QRectF ink;
};

// As above, and every such run drawn is appended to `runs`: a way to check the layout.
QImage renderMetafile(const QByteArray& data, QSize size, QString* error,
                      std::vector<MetafileTextRun>* runs);
