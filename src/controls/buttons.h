#pragma once

class QAbstractButton;

// Buttons as the desktop's dialogs have them: a focused push button answers Enter as well
// as the space bar, and a button's access key moves the focus to it before it clicks, so
// whatever had the focus loses it first.
void useDesktopButtonKeys(QAbstractButton* button);
