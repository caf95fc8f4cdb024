#pragma once

#include <QIcon>

#include <QPixmap>

// The window's icon: two images, 32 x 32 and 16 x 16, in 16 colours.
QIcon makeWindowIcon();

// The icon's drawing at any size (the desktop's icon theme wants more sizes).
QPixmap drawWindowIcon(int size);
