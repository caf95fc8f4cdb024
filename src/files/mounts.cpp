#include "files/mounts.h"

#include "files/searchlog.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// The names the kernel's mount table and the device label links give, unescaped: the
// table writes blanks, tabs, newlines and backslashes as \ooo (octal), the links write
// characters as \xNN; a backslash itself is escaped in either, so the two never meet.
QByteArray unescaped(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    const bool octal = i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3';
    const bool hex = i + 3 < field.size() && field[i + 1] == 'x';
    if (field[i] == '\\' && (octal || hex)) {
      bool ok = false;
      const int code =
          octal ? field.mid(i + 1, 3).toInt(&ok, 8) : field.mid(i + 2, 2).toInt(&ok, 16);
      if (ok) {
        out += char(code);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// Mount points whose check is still out. Never destroyed: a check may return after the
// program has begun to end.
struct Outstanding {
  std::mutex mutex;
  QSet<QString> points;
};
Outstanding& outstanding() {
  static auto* const registry = new Outstanding;
  return *registry;
}

struct Check {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool answer = false;
};

bool listsAndAnswers(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  struct statvfs vfs;
  bool ok = ::fstatvfs(fd, &vfs) == 0;
  if (ok) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
      ::close(fd);
      return false;
    }
    errno = 0;
    ok = ::readdir(dir) != nullptr || errno == 0;  // the first entry, or an empty folder
    ::closedir(dir);
    return ok;
  }
  ::close(fd);
  return false;
}

}  // namespace

QList<MountEntry> parseMountTable(const QByteArray& text) {
  QList<MountEntry> out;
  for (const QByteArray& line : text.split('\n')) {
    // id parent major:minor root mount-point options [optional...] - type source super
    const QList<QByteArray> f = line.split(' ');
    const qsizetype dash = f.indexOf("-");
    if (f.size() < 5 || dash < 6 || dash + 2 >= f.size()) continue;
    out.append({QFile::decodeName(unescaped(f[4])), f[dash + 1],
                QFile::decodeName(unescaped(f[dash + 2]))});
  }
  return out;
}

QList<MountEntry> readMountTable() {
  QFile table(QStringLiteral("/proc/self/mountinfo"));
  if (!table.open(QIODevice::ReadOnly)) return {};
  return parseMountTable(table.readAll());
}

QString labelOfDevice(const QString& device) {
  if (!device.startsWith(QStringLiteral("/dev/"))) return {};
  const QString target = QFileInfo(device).canonicalFilePath();
  const QDir labels(QStringLiteral("/dev/disk/by-label"));
  for (const QFileInfo& link : labels.entryInfoList(QDir::System | QDir::Files)) {
    if (link.canonicalFilePath() == target) {
      return QString::fromUtf8(unescaped(QFile::encodeName(link.fileName())));
    }
  }
  return {};
}

bool mountAnswers(const QString& mountPoint, int limitMs) {
  {
    std::lock_guard<std::mutex> lock(outstanding().mutex);
    if (outstanding().points.contains(mountPoint)) return false;  // still stuck since last time
    outstanding().points.insert(mountPoint);
  }
  auto check = std::make_shared<Check>();
  std::thread([check, mountPoint] {
    const bool answer = listsAndAnswers(QFile::encodeName(mountPoint));
    {
      std::lock_guard<std::mutex> lock(outstanding().mutex);
      outstanding().points.remove(mountPoint);
    }
    std::lock_guard<std::mutex> lock(check->mutex);
    check->answer = answer;
    check->finished = true;
    check->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(check->mutex);
  check->done.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return check->finished; });
  if (!check->finished) {
    qCWarning(searchLog, "the drive %s did not answer within %d ms", qUtf8Printable(mountPoint),
              limitMs);
  }
  return check->finished && check->answer;
}
