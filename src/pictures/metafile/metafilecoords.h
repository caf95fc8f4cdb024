#pragma once

#include <QtGlobal>
#include <cmath>

// Device coordinates are held within a million pixels either way: a hostile extent must
// not overflow the painter. Not a number is taken as 0.
inline qreal clampCoord(qreal v) {
  constexpr qreal kCoordLimit = 1e6;
  if (std::isnan(v)) return 0;
  return qBound(-kCoordLimit, v, kCoordLimit);
}
