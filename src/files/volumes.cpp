#include "files/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace {

QString withSeparator(QString path) {
  if (!path.endsWith('/')) path += '/';
  return path;
}

bool isPersonalDrive(const QStorageInfo& s) {
  static const QSet<QByteArray> pseudo = {
      "proc",       "sysfs",    "devpts",     "devtmpfs",  "cgroup",          "cgroup2",
      "securityfs", "pstore",   "bpf",        "debugfs",   "tracefs",         "mqueue",
      "hugetlbfs",  "configfs", "fusectl",    "autofs",    "binfmt_misc",     "efivarfs",
      "nsfs",       "ramfs",    "rpc_pipefs", "selinuxfs", "overlay_internal"};
  const QByteArray type = s.fileSystemType();
  if (pseudo.contains(type)) return false;
  const QString root = s.rootPath();
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
  QList<Volume> volumes() const override {
    QList<Volume> result;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
      if (!isPersonalDrive(s)) continue;
      result.append({withSeparator(s.rootPath()), s.name()});
    }
    if (result.isEmpty()) result.append({QStringLiteral("/"), QString()});
    return result;
  }

  bool isReady(const QString& mountPoint) const override {
    QDir dir(mountPoint);
    return dir.exists() && dir.isReadable();
  }
};

}  // namespace

std::unique_ptr<VolumeSource> makeSystemVolumeSource() {
  return std::make_unique<SystemVolumeSource>();
}

QString volumeOf(const QList<Volume>& volumes, const QString& path) {
  const QString p = withSeparator(path);
  QString best;
  for (const Volume& v : volumes) {
    if (p.startsWith(v.mountPoint) && v.mountPoint.size() > best.size()) best = v.mountPoint;
  }
  return best;
}
