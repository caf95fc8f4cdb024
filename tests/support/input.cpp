#include "support/input.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include "controls/lists/drivelist.h"
#include "controls/lists/folderlist.h"
#include "controls/lists/listbox.h"
#include "controls/slider.h"
#include "controls/textbox.h"
#include "controls/timer.h"

namespace {

void showWindowOf(QWidget* control) {
  QWidget* window = control->window();
  if (!window->isVisible()) {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
  }
}

QString describe(const QWidget* w) {
  return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                   : w->objectName();
}

void requireReachable(QWidget* control) {
  showWindowOf(control);
  QVERIFY2(control->isVisible(), qPrintable(describe(control) + " is not on screen"));
  QVERIFY2(control->isEnabled(), qPrintable(describe(control) + " is disabled"));
}

// The mouse reaches a point of a control only where nothing lies in front of it.
void requireUncovered(QWidget* control, QPoint at) {
  QWidget* window = control->window();
  QWidget* top = window->childAt(control->mapTo(window, at));
  QVERIFY2(top == control || control->isAncestorOf(top),
           qPrintable(describe(control) + " is covered by " + (top ? describe(top) : "nothing")));
}

// The letter after a single '&' in a caption, or 0.
QChar accessLetter(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1].toUpper();
    ++i;
  }
  return {};
}

QStyleOptionSlider sliderOption(Slider* slider) {
  QStyleOptionSlider opt;
  opt.initFrom(slider);
  opt.orientation = slider->orientation();
  opt.minimum = slider->minimum();
  opt.maximum = slider->maximum();
  opt.sliderPosition = slider->sliderPosition();
  opt.sliderValue = slider->value();
  opt.singleStep = slider->singleStep();
  opt.pageStep = slider->pageStep();
  opt.tickPosition = slider->tickPosition();
  opt.tickInterval = slider->tickInterval();
  opt.upsideDown = slider->invertedAppearance();
  opt.subControls = QStyle::SC_All;
  return opt;
}

}  // namespace

void clickButton(QAbstractButton* button) {
  requireReachable(button);
  requireUncovered(button, button->rect().center());
  QTest::mouseClick(button, Qt::LeftButton);
}

void pressAccessKey(QAbstractButton* button) {
  requireReachable(button);
  const QChar letter = accessLetter(button->text());
  QVERIFY2(!letter.isNull(), qPrintable(describe(button) + " has no access key"));
  QWidget* window = button->window();
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window));
  const Qt::Key key = Qt::Key(letter.unicode());
  int sharing = 0;  // buttons on screen with the same letter
  for (QAbstractButton* other : window->findChildren<QAbstractButton*>()) {
    if (other->isVisible() && other->isEnabled() && accessLetter(other->text()) == letter)
      ++sharing;
  }
  QSignalSpy clicked(button, &QAbstractButton::clicked);
  if (sharing == 1) {
    QTest::keyClick(window, key, Qt::AltModifier);  // the button clicks itself shortly after
    QVERIFY2(!clicked.isEmpty() || clicked.wait(5000),
             qPrintable(describe(button) + " did not answer its access key"));
    return;
  }
  // A shared letter only moves the focus from one of its buttons to the next; the space
  // bar then clicks the one reached.
  for (int i = 0; i < sharing && !button->hasFocus(); ++i)
    QTest::keyClick(window, key, Qt::AltModifier);
  QVERIFY2(button->hasFocus(), qPrintable(describe(button) + " is not reached by its letter"));
  QTest::keyClick(button, Qt::Key_Space);
  QVERIFY2(!clicked.isEmpty(), qPrintable(describe(button) + " did not answer the space bar"));
}

void clickLine(ListBox* list, int row) {
  requireReachable(list);
  QTRY_VERIFY_WITH_TIMEOUT(list->model()->rowCount() > row, 5000);  // the view caught up
  const QModelIndex index = list->model()->index(row, 0);
  // A line wider than the list is clicked where it can be seen, as a person would.
  const QRect rect = list->visualRect(index).intersected(list->viewport()->rect());
  QVERIFY2(!rect.isEmpty(), qPrintable(QString("line %1 is not in view").arg(row)));
  requireUncovered(list->viewport(), rect.center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void pressKeyIn(ListBox* list, Qt::Key key) {
  requireReachable(list);
  if (!list->hasFocus()) list->setFocus(Qt::TabFocusReason);
  QTest::keyClick(list, key);
}

void typeInto(TextBox* box, const QString& text) {
  requireReachable(box);
  box->setFocus(Qt::TabFocusReason);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

void chooseDrive(DriveList* drives, const QString& mountPoint) {
  requireReachable(drives);
  drives->showPopup();
  QAbstractItemView* view = drives->view();
  QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 5000);
  const int row = drives->findText(mountPoint, Qt::MatchStartsWith);
  QVERIFY2(row >= 0, qPrintable(mountPoint + " is not in the drive list"));
  const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
  QTest::mouseMove(view->viewport(), at);
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
  QTRY_VERIFY_WITH_TIMEOUT(!view->isVisible(), 5000);
}

void openFolder(FolderList* folders, const QString& path) {
  requireReachable(folders);
  QListWidgetItem* line = nullptr;
  for (int i = 0; i < folders->count(); ++i) {
    if (folders->item(i)->data(Qt::UserRole).toString() == path) line = folders->item(i);
  }
  QVERIFY2(line, qPrintable(path + " is not in the folder list"));
  folders->scrollToItem(line);
  const QPoint at = folders->visualItemRect(line).center();
  requireUncovered(folders->viewport(), at);
  QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
}

void clickSliderToward(Slider* slider, int value) {
  requireReachable(slider);
  QStyleOptionSlider opt = sliderOption(slider);
  const QRect groove =
      slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, slider);
  const QRect knob =
      slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
  const int span = groove.width() - knob.width();
  const int x = groove.x() + knob.width() / 2 +
                QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), value, span);
  requireUncovered(slider, QPoint(x, groove.center().y()));
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, groove.center().y()));
}

void clickSliderKnob(Slider* slider) {
  requireReachable(slider);
  QStyleOptionSlider opt = sliderOption(slider);
  const QRect knob =
      slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
  requireUncovered(slider, knob.center());
  QTest::mouseClick(slider, Qt::LeftButton, {}, knob.center());
}

bool tick(Timer* timer) {
  QTimer* own = timer->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
  if (!own || !own->isActive()) return false;
  QTimerEvent elapsed(own->timerId());
  QApplication::sendEvent(own, &elapsed);
  return true;
}
