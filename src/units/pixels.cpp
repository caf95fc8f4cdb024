// The one rounding from twips to whole pixels.
#include "units/pixels.h"

#include <algorithm>
#include <cmath>

namespace units {

int toPixels(double twips) {
  if (!std::isfinite(twips)) return 0;
  const double px = std::round(twips / kTwipsPerPixel);
  return int(std::clamp(px, -1e6, 1e6));
}

}  // namespace units
