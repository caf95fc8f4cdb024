#include "support/tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

QString tempBase() {
  const QFileInfo shm(QStringLiteral("/dev/shm"));
  if (shm.isDir() && shm.isWritable()) return shm.filePath();
  return QDir::tempPath();
}

bool makeFile(int dirFd, const char* name, qint64 size) {
  const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = ::ftruncate(fd, off_t(size)) == 0;
  ::close(fd);
  return ok;
}

// Removes everything inside the open folder `fd`, descending by descriptor, so depth
// and path length do not matter.
void emptyFolder(int fd) {
  const int copy = ::dup(fd);
  DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (!strcmp(name, ".") || !strcmp(name, "..")) continue;
    struct stat st;
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) {
        emptyFolder(sub);
        ::close(sub);
      }
      ::unlinkat(fd, name, AT_REMOVEDIR);
    } else {
      ::unlinkat(fd, name, 0);
    }
  }
  ::closedir(dir);
}

}  // namespace

TestTree::TestTree() : dir_(tempBase() + QStringLiteral("/vistara-tree-XXXXXX")) {
  root_ = dir_.path();
}

TestTree::~TestTree() {
  const int fd = ::open(QFile::encodeName(root_).constData(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    emptyFolder(fd);
    ::close(fd);
  }
}

QString TestTree::folder(const QString& relative) {
  const QString full = path(relative);
  return QDir().mkpath(full) ? full : QString();
}

QString TestTree::file(const QString& relative, qint64 size) {
  const QString full = path(relative);
  if (!QDir().mkpath(QFileInfo(full).path())) return {};
  return makeFile(AT_FDCWD, QFile::encodeName(full).constData(), size) ? full : QString();
}

bool TestTree::rawFile(const QString& relativeFolder, const QByteArray& name, qint64 size) {
  const QString dir = folder(relativeFolder);
  if (dir.isEmpty()) return false;
  const QByteArray full = QFile::encodeName(dir) + '/' + name;
  return makeFile(AT_FDCWD, full.constData(), size);
}

bool TestTree::symlink(const QString& relative, const QString& target) {
  const QString full = path(relative);
  QDir().mkpath(QFileInfo(full).path());
  return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(full).constData()) == 0;
}

bool TestTree::fifo(const QString& relative) {
  const QString full = path(relative);
  QDir().mkpath(QFileInfo(full).path());
  return ::mkfifo(QFile::encodeName(full).constData(), 0644) == 0;
}

bool TestTree::remove(const QString& relative) {
  const QFileInfo info(path(relative));
  if (info.isDir() && !info.isSymLink()) return QDir(info.filePath()).removeRecursively();
  return QFile::remove(info.filePath());
}

bool TestTree::deepChain(const QString& relativeBase, int levels, const QString& name,
                         const QString& fileName, const QList<int>& fileLevels) {
  const QString base = folder(relativeBase);
  if (base.isEmpty()) return false;
  int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const QByteArray folderName = QFile::encodeName(name);
  const QByteArray file = QFile::encodeName(fileName);
  for (int level = 1; level <= levels && fd >= 0; ++level) {
    ::mkdirat(fd, folderName.constData(), 0755);
    const int next = ::openat(fd, folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
    if (fd >= 0 && fileLevels.contains(level) && !makeFile(fd, file.constData(), level)) {
      ::close(fd);
      return false;
    }
  }
  if (fd < 0) return false;
  ::close(fd);
  return true;
}
