#pragma once

#include <QColor>
#include <QString>

// Test photos of exact natural sizes.
// A raster picture of `w` x `h` pixels (natural size: 15 twips a pixel).
QString makeRasterPhoto(const QString& folder, const QString& name, int w, int h,
                        QColor colour = Qt::red);
// A placeable metafile whose natural size is exactly `twipsW` x `twipsH` (1440 units
// to the inch), filled with one coloured rectangle: for sizes no pixel count gives.
QString makeMetafilePhoto(const QString& folder, const QString& name, int twipsW, int twipsH,
                          QColor colour = Qt::blue);
