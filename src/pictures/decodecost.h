#pragma once

#include <QByteArray>
#include <QSize>

class QIODevice;

// What decoding a picture costs in memory, known from its header before decoding.
struct DecodeCost {
  enum class Way {
    Scaled,           // decoded at a smaller scale (JPEG's DCT scaling), then scaled to fit
    Whole,            // decoded at its natural size, as asked
    CannotScale,      // asked smaller, but the format decodes every pixel first
    AllCoefficients,  // a progressive JPEG keeps every coefficient of the picture at once
  };
  qint64 bytes = 0;
  Way way = Way::Whole;
};

// The cost of reading the picture of `format` (the reader's name for it) stored at
// `stored` pixels, asked for at `scaled` (invalid: natural size). `device` is read from its start
// and left where it stood.
DecodeCost decodeCost(QIODevice* device, const QByteArray& format, QSize stored, QSize scaled);
