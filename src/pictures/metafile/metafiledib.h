#pragma once

#include <QImage>

#include "pictures/metafile/metafilebytes.h"
#include "pictures/metafile/metafileobjects.h"

// Decodes a device-independent bitmap stored in a record: header, colour table, bits.
// `usage` 1 means the colour table holds indexes into `palette`; an 8-bit bitmap stored
// without colour table takes `palette` too. Truncated bits are padded with zeros.
// `pixelBudget` is charged with the bitmap's pixel count; a bitmap that would overdraw it
// (or is impossible) gives a null image.
QImage decodeDib(const ByteView& dib, int usage, const MfPalette& palette, qint64* pixelBudget);

// Decodes the old device-dependent monochrome bitmap some pattern brushes carry.
QImage decodeMonoBitmap16(const ByteView& bitmap, qint64* pixelBudget);

// Whether the bytes begin with a DIB header, and its bits per pixel (0 when none).
bool isDibHeader(const ByteView& dib);
int dibBits(const ByteView& dib);

// A brush's tile from a decoded pattern: at most 256 pixels a side (a tile repeats), and for
// a monochrome pattern two indexes, 1 where the pattern has colour `one` and 0 elsewhere.
QImage patternTile(const QImage& pattern, bool monochrome, QRgb one = qRgb(255, 255, 255));

// The colour of entry `index` of a DIB's colour table (black when it has none).
QRgb dibTableColor(const ByteView& dib, int index);

// The 8 x 8 tile of a hatch style: index 1 on the hatch lines, 0 between them. Null for an
// unknown style.
QImage hatchTile(int hatch);
