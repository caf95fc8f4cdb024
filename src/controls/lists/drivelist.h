#pragma once

#include <QComboBox>
#include <memory>

#include "files/volumes.h"

// The drive list: the drives of a volume source, the current one, and a change
// notification raised synchronously whenever the current drive changes.
class DriveList : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveList(QWidget* parent = nullptr);
  void setSource(VolumeSource* source);  // not owned
  VolumeSource* source() const { return source_; }

  QString drive() const { return drive_; }  // the mount point
  // Takes the drive that holds `path` (a mount point or any path on it).
  void setDrive(const QString& path);

 signals:
  void change();

 public:
  void showPopup() override;  // reads the drives again

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  void reload();
  void showCurrent(const QString& drive);
  VolumeSource* source_ = nullptr;
  QList<Volume> volumes_;
  QString drive_;
  bool loading_ = false;
};
