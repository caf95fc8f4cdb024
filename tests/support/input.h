#pragma once

#include <QString>
#include <Qt>

class QAbstractButton;
class QWidget;
class DriveList;
class FolderList;
class ListBox;
class Slider;
class TextBox;
class Timer;

// What a person does to the window, one helper a gesture. Each fails the running test
// when the gesture is impossible (a hidden or disabled control, a line not on screen).

// A left click on the button; its window is shown first, as a person sees it.
void clickButton(QAbstractButton* button);
// Alt + the underlined letter of the button's caption, pressed in its active window.
void pressAccessKey(QAbstractButton* button);
// A left click on line `row` of the list at that line's rectangle on screen.
void clickLine(ListBox* list, int row);
// The key pressed in the list while it has the focus.
void pressKeyIn(ListBox* list, Qt::Key key);
// Selects everything in the box and types `text` over it.
void typeInto(TextBox* box, const QString& text);
// Opens the drive list (which reads the drives again) and clicks the line of `mountPoint`.
void chooseDrive(DriveList* drives, const QString& mountPoint);
// A double click on the line of the subfolder `path` in the folder list.
void openFolder(FolderList* folders, const QString& path);
// A left click on the slider's groove at the place of `value`: it pages toward it.
void clickSliderToward(Slider* slider, int value);
// A left click on the slider's knob, where it stands.
void clickSliderKnob(Slider* slider);
// One tick of the timer through its own timeout, as if its interval had passed. Returns
// false, ticking nothing, when the timer is not running: time alone never reaches it.
bool tick(Timer* timer);
