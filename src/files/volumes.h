#pragma once

#include <QList>
#include <QString>
#include <memory>

// How long a drive may take to answer before it counts as not ready.
inline constexpr int kDriveAnswerLimitMs = 1000;

// A drive as a person would call it: a mounted file system with its mount point.
struct Volume {
  QString mountPoint;  // always ends with the separator: "/", "/media/usb/"
  QString label;
};

// Where the drive list learns of drives; tests replace it.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  virtual QList<Volume> volumes() const = 0;
  // A drive is ready when its mount point can be listed; one that does not answer
  // within about a second is not ready.
  virtual bool isReady(const QString& mountPoint) const = 0;
};

// The mounted block devices and network shares of this machine (not proc, sysfs,
// run-time tmpfs and the like).
std::unique_ptr<VolumeSource> makeSystemVolumeSource();

// The mount point among `volumes` that holds `path` (the longest matching prefix).
QString volumeOf(const QList<Volume>& volumes, const QString& path);
