#pragma once

#include <QIcon>

// The window's icon: two images, 32 x 32 and 16 x 16, in 16 colours.
QIcon makeWindowIcon();
