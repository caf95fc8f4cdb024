#include "files/folderread.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/magic.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

// A change within one tick of the file system's clock leaves a folder's stamp as it was,
// and some clocks tick every 2 s (FAT): a folder changed this lately may change again
// unseen.
constexpr qint64 kSettledNs = 3'000'000'000;
// Below the C library's large requests (1,024 bytes and more with its header), each of
// which first sweeps the heap's recently freed small blocks together.
constexpr size_t kNamesReserved = 960;

#ifdef __linux__
// Where ext4 puts a folder's read once it has handed out its last entry (in 64-bit offsets):
// the offset it gives that entry, which no entry's own hash can give.
constexpr off64_t kExt4End = 0x7fffffffffffffff;

// Whether the folder `fd`, on `device`, is on ext4. Asked once a device and thread.
bool onExt4(int fd, quint64 device) {
  thread_local quint64 known = 0;
  thread_local bool ext4 = false;
  if (known != device || device == 0) {
    struct statfs fs;
    ext4 = ::fstatfs(fd, &fs) == 0 && fs.f_type == EXT4_SUPER_MAGIC;
    known = device;
  }
  return ext4;
}
#endif

// Calls `visit(name, type)` for every entry but "." and ".."; false when unreadable. The
// folder is read from its first entry: every read opens it anew. On ext4 a read whose last
// entry carries the end's offset is the last: no further call is made to be told so (a
// read cut short, by a signal or a full buffer, carries the offset of the entry not given).
template <class Visit>
bool forEachEntry(int fd, quint64 device, std::vector<char>& buffer, Visit visit) {
#ifdef __linux__
  if (buffer.empty()) buffer.resize(1 << 16);
  while (true) {
    const ssize_t n = ::getdents64(fd, buffer.data(), buffer.size());
    if (n < 0) return false;
    if (n == 0) return true;
    off64_t last = 0;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const dirent64*>(buffer.data() + at);
      at += e->d_reclen;
      last = e->d_off;
      visit(e->d_name, e->d_type);
    }
    if (last == kExt4End && onExt4(fd, device)) return true;
  }
#else
  (void)device;
  (void)buffer;
  const int copy = ::dup(fd);
  if (copy < 0) return false;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return false;
  }
  while (const dirent* e = ::readdir(dir)) visit(e->d_name, e->d_type);
  ::closedir(dir);
  return true;
#endif
}

unsigned char typeOf(mode_t mode) {
  if (S_ISDIR(mode)) return DT_DIR;
  if (S_ISREG(mode)) return DT_REG;
  if (S_ISLNK(mode)) return DT_LNK;
  return DT_UNKNOWN;
}

qint64 nanoseconds(qint64 seconds, qint64 nanos) {
  return seconds * 1000000000 + nanos;
}

// What the kernel already holds of `name` in the folder `at` (with AT_EMPTY_PATH in
// `flags` and an empty name: of `at` itself): a share that does not answer is not asked.
bool statAt(int at, const char* name, int flags, struct statx& sx) {
  return ::statx(at, name, flags | AT_STATX_DONT_SYNC, STATX_BASIC_STATS, &sx) == 0;
}

FolderStamp stampFrom(const struct statx& sx) {
  FolderStamp out;
  out.device = quint64(makedev(sx.stx_dev_major, sx.stx_dev_minor));
  out.inode = quint64(sx.stx_ino);
  out.links = quint64(sx.stx_nlink);
  out.size = qint64(sx.stx_size);
  out.modified = nanoseconds(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  out.changed = nanoseconds(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec);
  return out;
}

// The stamp of `name` in `at`, a final link not followed.
bool askStamp(int at, const char* name, int flags, FolderStamp& out) {
  struct statx sx;
  if (!statAt(at, name, flags | AT_SYMLINK_NOFOLLOW, sx)) return false;
  out = stampFrom(sx);
  return true;
}

// The stamp of the folder at `path`. A path too long for one lookup is looked up a part
// at a time, every part within the limit.
bool stampOfPath(const QByteArray& path, FolderStamp& out) {
  int at = AT_FDCWD;
  qsizetype from = 0;
  bool found = true;
  while (found && path.size() - from >= PATH_MAX) {
    const qsizetype cut = path.lastIndexOf('/', from + PATH_MAX - 1);
    if (cut <= from) {
      found = false;  // one name longer than the limit
      break;
    }
    const QByteArray part = path.mid(from, cut - from);
    const int next = ::openat(at, part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (at != AT_FDCWD) ::close(at);
    at = next;
    found = at >= 0;
    from = cut + 1;
  }
  if (found) found = askStamp(at, path.constData() + from, 0, out);
  if (at >= 0 && at != AT_FDCWD) ::close(at);
  return found;
}

bool changedLately(const FolderStamp& stamp) {
  timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  return nanoseconds(now.tv_sec, now.tv_nsec) - std::max(stamp.modified, stamp.changed) <
         kSettledNs;
}

}  // namespace

std::shared_ptr<FolderContents> readFolder(const QString& path, FolderReadOptions options,
                                           FolderChain* chain, const FolderStamp* stamp) {
  auto out = std::make_shared<FolderContents>();
  out->path = path;
  FolderChain ownChain;
  FolderChain& using_ = chain ? *chain : ownChain;
  std::shared_ptr<FolderHandle> handle = using_.open(path);
  if (!handle) return out;
  const int fd = handle->fd();
  if (stamp) {
    out->stamp = *stamp;
  } else if (!askStamp(fd, "", AT_EMPTY_PATH, out->stamp)) {
    return out;
  }

  struct Subfolder {
    QString path;  // the folder's path and a separator, then its name
    FolderStamp stamp;
  };
  thread_local std::vector<Subfolder> folders;  // kept for the thread's next read
  folders.clear();
  const bool separated = endsWithSeparator(path);
  const qsizetype nameFrom = path.size() + (separated ? 0 : 1);
  out->fileNames.reserve(kNamesReserved);  // most folders' names fit: no growing step by step
  out->fileEnds.reserve(kNamesReserved / 16);
  const auto entry = [&](const char* name, unsigned char type) {
    if (name[0] == '.') return;  // hidden, and "." and ".."
    struct statx sx;
    bool asked = false;
    if (type == DT_UNKNOWN || (type == DT_DIR && options.stayOnDevice)) {
      if (!statAt(fd, name, AT_SYMLINK_NOFOLLOW, sx)) return;
      asked = true;
      type = typeOf(sx.stx_mode);
    }
    if (type == DT_DIR) {
      if (options.stayOnDevice && stampFrom(sx).device != out->stamp.device) return;
      const QByteArrayView bytes(name, qsizetype(std::strlen(name)));
      QString full;
      full.reserve(nameFrom + bytes.size());
      full.append(path);
      if (!separated) full.append(u'/');
      appendFileName(full, bytes);
      folders.push_back({std::move(full), asked ? stampFrom(sx) : FolderStamp{}});
    } else if (type == DT_REG ||
               (type == DT_LNK && statAt(fd, name, 0, sx) && S_ISREG(sx.stx_mode))) {
      out->fileNames.append(name, std::strlen(name) + 1);
      out->fileEnds.push_back(out->fileNames.size());
    }
  };
  const bool listed = forEachEntry(fd, out->stamp.device, using_.buffer(), entry);
  if (!listed) return out;
  sortByName(folders, [&](const Subfolder& f) { return QStringView(f.path).mid(nameFrom); });
  out->subfolders.reserve(qsizetype(folders.size()));
  for (Subfolder& f : folders) out->subfolders.append(std::move(f.path));
  if (options.stayOnDevice) {
    out->subfolderStamps.reserve(folders.size());
    for (const Subfolder& f : folders) out->subfolderStamps.push_back(f.stamp);
  }
  out->recent = changedLately(out->stamp);
  out->handle = std::move(handle);
  out->ok = true;
  return out;
}

bool FolderContents::unchanged() const {
  thread_local QByteArray native;  // written over for each folder the walk takes
  encodeFileName(path, native);
  FolderStamp now;
  return ok && stampOfPath(native, now) && now == stamp;
}

qint64 FolderContents::lengthOf(QStringView name) const {
  if (!ok) return -1;
  if (!handle) return fileLength(joinPath(path, name.toString()));
  return lengthAt(encodeFileName(name).constData());
}

qint64 FolderContents::lengthAt(const char* name) const {
  struct statx sx;
  if (!ok || !handle || ::statx(handle->fd(), name, 0, STATX_TYPE | STATX_SIZE, &sx) != 0) {
    return -1;
  }
  return S_ISREG(sx.stx_mode) ? qint64(sx.stx_size) : -1;
}

qint64 fileLength(const QString& path) {
  struct stat st;
  const qsizetype cut = path.lastIndexOf('/');
  if (::stat(encodeFileName(path).constData(), &st) == 0) {
    return S_ISREG(st.st_mode) ? qint64(st.st_size) : -1;
  }
  if (errno != ENAMETOOLONG || cut <= 0) return -1;
  FolderChain chain;  // too long for one lookup: go down to the folder first
  const auto folder = chain.open(path.left(cut));
  if (!folder) return -1;
  const QByteArray name = encodeFileName(QStringView(path).mid(cut + 1));
  if (::fstatat(folder->fd(), name.constData(), &st, 0) != 0) return -1;
  return S_ISREG(st.st_mode) ? qint64(st.st_size) : -1;
}
