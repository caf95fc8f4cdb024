#pragma once

// Twips and logical pixels: 1440 twips to the inch, 15 to a logical pixel, and the one
// rule by which a place or size in twips becomes whole pixels. Every room may use it.
namespace units {

constexpr double kTwipsPerPixel = 15;

// The nearest whole pixel, a half away from zero; 0 for a value that is not finite;
// held within a million pixels either way.
int toPixels(double twips);

}  // namespace units
