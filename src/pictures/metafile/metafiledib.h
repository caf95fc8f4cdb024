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
