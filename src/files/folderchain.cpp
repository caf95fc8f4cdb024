#include "files/folderchain.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifdef SYS_openat2
#include <linux/openat2.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>

#include "files/filenames.h"

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr size_t kCheckpointEvery =
    64;  // levels open above the deepest: every 64th, so climbing back
constexpr size_t kCheckpointLimit = 256;    // reopens at most 64 levels at a time
constexpr qsizetype kMostBytesPerUnit = 3;  // a name's UTF-8 bytes for each of its UTF-16 units

bool staysOpen(size_t level) {
  return level == 0 ||
         (level % kCheckpointEvery == 0 && level / kCheckpointEvery <= kCheckpointLimit);
}

// Opens the folder `name` below the folder `at` without going through a link at any step;
// -1 when it cannot be. `name` may run several folders down: the kernel takes them in one
// call where it can, and otherwise they are opened one at a time.
int openBelow(int at, const QByteArray& name) {
  if (!name.contains('/')) return ::openat(at, name.constData(), kOpenFlags | O_NOFOLLOW);
#ifdef SYS_openat2
  open_how how{};
  how.flags = kOpenFlags;
  how.resolve = RESOLVE_NO_SYMLINKS;
  const int fd = int(::syscall(SYS_openat2, at, name.constData(), &how, sizeof how));
  // Refused outright (an older kernel, or a sandbox that does not know the call): step.
  if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != EINVAL)) return fd;
#endif
  int from = at;
  for (const QByteArray& part : name.split('/')) {
    if (part.isEmpty()) continue;
    const int next = ::openat(from, part.constData(), kOpenFlags | O_NOFOLLOW);
    if (from != at) ::close(from);
    if (next < 0) return -1;
    from = next;
  }
  return from == at ? -1 : from;
}

bool isAncestorOrSelf(const QString& folder, const QString& path) {
  if (!path.startsWith(folder)) return false;
  return path.size() == folder.size() || folder.endsWith('/') || path[folder.size()] == '/';
}

}  // namespace

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

struct FolderChain::Level {
  QString path;
  QByteArray name;                       // relative to the level above; empty for the first
  std::shared_ptr<FolderHandle> handle;  // null while closed
};

FolderChain::FolderChain(size_t deepestOpen) : deepestOpen_(std::max<size_t>(1, deepestOpen)) {}
FolderChain::~FolderChain() = default;

std::shared_ptr<FolderHandle> FolderChain::open(const QString& path) {
  size_t keep = levels_.size();
  while (keep > 0 && !isAncestorOrSelf(levels_[keep - 1].path, path)) --keep;
  // The folder itself is looked up anew: its name may lead elsewhere since it was opened.
  if (keep > 0 && levels_[keep - 1].path.size() == path.size()) --keep;
  levels_.resize(keep);
  if (levels_.empty() && !startAt(path)) return nullptr;
  if (!descend(path)) return nullptr;
  return ensureOpen(levels_.size() - 1);
}

bool FolderChain::startAt(const QString& path) {
  int fd = ::open(encodeFileName(path).constData(), kOpenFlags);
  if (fd >= 0) {
    levels_.push_back({path, {}, std::make_shared<FolderHandle>(fd)});
    return true;
  }
  // Too long for one lookup: start at the root and go down one name at a time.
  if (errno != ENAMETOOLONG || !path.startsWith('/')) return false;
  fd = ::open("/", kOpenFlags);
  if (fd < 0) return false;
  levels_.push_back({QStringLiteral("/"), {}, std::make_shared<FolderHandle>(fd)});
  return true;
}

bool FolderChain::descend(const QString& path) {
  qsizetype at = levels_.back().path.size();
  while (at < path.size()) {
    while (at < path.size() && path[at] == '/') ++at;
    if (at == path.size()) break;
    // The rest at once when it surely fits one lookup: one call, not one a folder (the
    // reader threads share a walk, so each often finds the way from an ancestor a few
    // folders up).
    qsizetype end = path.size();
    if ((end - at) * kMostBytesPerUnit >= PATH_MAX) {
      end = path.indexOf('/', at);
      if (end < 0) end = path.size();
    }
    const auto parent = ensureOpen(levels_.size() - 1);
    if (!parent) return false;
    QByteArray name = encodeFileName(QStringView(path).mid(at, end - at));
    // Never through a link: a folder swapped for a link after it was listed is not entered.
    const int fd = openBelow(parent->fd(), name);
    if (fd < 0) return false;
    levels_.push_back({end == path.size() ? path : path.left(end), std::move(name),
                       std::make_shared<FolderHandle>(fd)});
    if (levels_.size() > deepestOpen_) {
      const size_t leaving = levels_.size() - 1 - deepestOpen_;
      if (!staysOpen(leaving)) levels_[leaving].handle.reset();
    }
    at = end;
  }
  return true;
}

std::shared_ptr<FolderHandle> FolderChain::ensureOpen(size_t level) {
  if (levels_[level].handle) return levels_[level].handle;
  size_t from = level;
  while (from > 0 && !levels_[from].handle) --from;
  if (!levels_[from].handle) return nullptr;
  for (size_t m = from + 1; m <= level; ++m) {
    const int fd = openBelow(levels_[m - 1].handle->fd(), levels_[m].name);
    if (fd < 0) {
      levels_.resize(m);  // gone: forget it and everything below it
      return nullptr;
    }
    levels_[m].handle = std::make_shared<FolderHandle>(fd);
  }
  const size_t windowStart = levels_.size() > deepestOpen_ ? levels_.size() - deepestOpen_ : 0;
  for (size_t m = from + 1; m < windowStart && m < level; ++m) {
    if (!staysOpen(m)) levels_[m].handle.reset();
  }
  return levels_[level].handle;
}
