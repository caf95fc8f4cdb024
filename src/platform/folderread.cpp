#include "platform/folderread.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QDir>
#include <QFile>

namespace {

std::shared_ptr<const FolderContents> g_last;

bool isFolderEntry(int dirFd, const dirent* e, dev_t device, bool stayOnDevice) {
  if (e->d_type == DT_LNK) return false;  // no loops through links
  if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) return false;
  struct stat st;
  if (!stayOnDevice && e->d_type == DT_DIR) return true;
  if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return false;
  return !stayOnDevice || st.st_dev == device;
}

bool isFileEntry(int dirFd, const dirent* e) {
  if (e->d_type == DT_REG) return true;
  if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) return false;
  struct stat st;
  return fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

QString joinPath(const QString& folder, const QString& name) {
  if (folder.endsWith('/') || folder.endsWith('\\')) return folder + name;
  return folder + '/' + name;
}

void sortNames(QStringList& names) {
  static QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int r = collator.compare(a, b);
    return r != 0 ? r < 0 : a < b;
  });
}

std::shared_ptr<const FolderContents> readFolder(const QString& path, FolderReadOptions options) {
  auto out = std::make_shared<FolderContents>();
  out->path = path;
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    g_last = out;
    return out;
  }
  struct stat self;
  fstat(fd, &self);
  DIR* dir = fdopendir(fd);
  if (!dir) {
    ::close(fd);
    g_last = out;
    return out;
  }
  QStringList folderNames;
  while (const dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;  // hidden, and "." and ".."
    if (isFolderEntry(fd, e, self.st_dev, options.stayOnDevice)) {
      folderNames.append(QFile::decodeName(e->d_name));
    } else if (isFileEntry(fd, e)) {
      out->files.append(QFile::decodeName(e->d_name));
    }
  }
  closedir(dir);
  sortNames(folderNames);
  sortNames(out->files);
  for (const QString& name : folderNames) out->subfolders.append(joinPath(path, name));
  out->ok = true;
  g_last = out;
  return out;
}

std::shared_ptr<const FolderContents> cachedFolder(const QString& path) {
  if (g_last && g_last->path == path) return g_last;
  return readFolder(path);
}
