#pragma once

#include <Qt>

// Key codes and shift state as the window's handlers receive them
// (the classic desktop codes: 38 for the Up arrow, 40 for Down, 13 for Enter).
int vbKeyCode(int qtKey);
int vbShiftState(Qt::KeyboardModifiers modifiers);
