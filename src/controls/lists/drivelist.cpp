#include "controls/lists/drivelist.h"

#include <QWheelEvent>

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, [this](int i) {
    if (i >= 0 && i < volumes_.size()) setDrive(volumes_[i].mountPoint);
  });
}

void DriveList::setSource(VolumeSource* source) {
  source_ = source;
  reload();
}

void DriveList::reload() {
  loading_ = true;
  QComboBox::clear();
  volumes_ = source_ ? source_->volumes() : QList<Volume>();
  for (const Volume& v : volumes_) {
    addItem(v.label.isEmpty() ? v.mountPoint
                              : v.mountPoint + QStringLiteral("  [") + v.label + ']');
  }
  loading_ = false;
}

// Drives come and go (a stick plugged in, a share unmounted): the list is read again
// each time it opens, keeping the current drive shown.
void DriveList::showPopup() {
  reload();
  showCurrent(drive_);
  QComboBox::showPopup();
}

// Scrolling over the window must not change the drive by accident.
void DriveList::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QComboBox::wheelEvent(event);
}

void DriveList::setDrive(const QString& path) {
  const QString drive = volumeOf(volumes_, path);
  if (drive.isEmpty()) return;
  showCurrent(drive);
  if (drive == drive_) return;
  drive_ = drive;
  emit change();
}

void DriveList::showCurrent(const QString& drive) {
  for (int i = 0; i < volumes_.size(); ++i) {
    if (volumes_[i].mountPoint == drive) setCurrentIndex(i);
  }
}
