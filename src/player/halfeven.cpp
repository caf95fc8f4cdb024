// Seconds as a whole slider value, rounded half to even.
#include "player/halfeven.h"

#include <climits>
#include <cmath>

int roundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  const double r = std::nearbyint(value);
  if (r >= double(INT_MAX)) return INT_MAX;
  if (r <= double(INT_MIN)) return INT_MIN;
  return int(r);
}
