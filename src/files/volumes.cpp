#include "files/volumes.h"

#include <QSet>

#include "files/filenames.h"
#include "files/mounts.h"

namespace {

bool isPersonalDrive(const MountEntry& s) {
  static const QSet<QByteArray> pseudo = {
      "proc",       "sysfs",    "devpts",     "devtmpfs",  "cgroup",          "cgroup2",
      "securityfs", "pstore",   "bpf",        "debugfs",   "tracefs",         "mqueue",
      "hugetlbfs",  "configfs", "fusectl",    "autofs",    "binfmt_misc",     "efivarfs",
      "nsfs",       "ramfs",    "rpc_pipefs", "selinuxfs", "overlay_internal"};
  const QByteArray type = s.type;
  if (pseudo.contains(type)) return false;
  const QString root = s.mountPoint;
  if (root == "/") return true;
  if (type == "tmpfs") return false;
  for (const char* system : {"/proc", "/sys", "/dev", "/run", "/boot/efi", "/snap"}) {
    const QString prefix = QString::fromLatin1(system);
    if (root == prefix || root.startsWith(prefix + '/')) return false;
  }
  return true;
}

class SystemVolumeSource : public VolumeSource {
 public:
  // From the mount table alone: listing the drives never waits on one of them.
  QList<Volume> volumes() const override {
    QList<Volume> result;
    QSet<QString> seen;
    for (const MountEntry& s : readMountTable()) {
      if (!isPersonalDrive(s)) continue;
      const QString point = withTrailingSeparator(s.mountPoint);
      if (seen.contains(point)) continue;  // mounted over: one drive
      seen.insert(point);
      result.append({point, labelOfDevice(s.source)});
    }
    if (result.isEmpty()) result.append({QStringLiteral("/"), QString()});
    return result;
  }

  bool isReady(const QString& mountPoint) const override {
    return mountAnswers(mountPoint, kDriveAnswerLimitMs);
  }
};

}  // namespace

std::unique_ptr<VolumeSource> makeSystemVolumeSource() {
  return std::make_unique<SystemVolumeSource>();
}

QString volumeOf(const QList<Volume>& volumes, const QString& path) {
  const QString p = withTrailingSeparator(path);
  QString best;
  for (const Volume& v : volumes) {
    if (p.startsWith(v.mountPoint) && v.mountPoint.size() > best.size()) best = v.mountPoint;
  }
  return best;
}
