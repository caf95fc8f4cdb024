#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

// A picture read from a file: its pixels (possibly decoded smaller than natural)
// and its natural size in twips.
struct LoadedPicture {
  QImage image;
  QSizeF naturalTwips;
};

// Reads the picture at `path`. `maxPixels`, when valid, is the largest size in device
// pixels the picture will ever be drawn at: the loader may decode smaller than natural
// (keeping the aspect ratio) but never smaller than what fits that box.
// Returns false and fills `error` with the reason (without the path, which the caller
// has) when the file cannot be read as a picture; never throws.
// An empty path gives an empty picture (true, null image, size 0 x 0).
bool loadPicture(const QString& path, QSize maxPixels, LoadedPicture* out,
                 QString* error = nullptr);
