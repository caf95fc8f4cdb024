#pragma once

#include <QColor>
#include <QString>

// Pictures of hundreds of megapixels in one colour, written streaming: a few megabytes on
// disk and almost no memory to make. Both return false when the file cannot be written.

// A JPEG of `width` x `height` pixels (up to 65,535 a side), YCbCr with 4:2:0 chroma as
// cameras and scanners write them: baseline, or progressive (one scan of the means).
bool writeOneColourJpeg(const QString& path, int width, int height, QColor colour,
                        bool progressive = false);
// An 8-bit RGB PNG of `width` x `height` pixels.
bool writeOneColourPng(const QString& path, int width, int height, QColor colour);
