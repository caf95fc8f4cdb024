#pragma once

// A number of seconds as a whole slider value: nearest whole number, a half going to the
// even neighbour, clamped to the slider's range of values.
int roundHalfEven(double value);
