#include "files/folderread.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <QCollator>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <optional>

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool isAscii(QByteArrayView bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Length of the well-formed UTF-8 sequence at `s[i]`, or 0 when it is not one.
int utf8SequenceAt(const unsigned char* s, qsizetype i, qsizetype n) {
  const unsigned char b0 = s[i];
  int need = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 < 0x80) return 1;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + need >= n) return 0;
  for (int k = 1; k <= need; ++k) {
    const unsigned char b = s[i + k];
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return 0;
  }
  return need + 1;
}

void appendUtf8(QByteArray& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool isAncestorOrSelf(const QString& folder, const QString& path) {
  if (!path.startsWith(folder)) return false;
  return path.size() == folder.size() || folder.endsWith('/') || path[folder.size()] == '/';
}

// Calls `visit(name, type)` for every entry but "." and ".."; false when unreadable.
template <class Visit>
bool forEachEntry(FolderHandle& folder, std::vector<char>& buffer, Visit visit) {
  const int fd = folder.fd();
  if (folder.readBefore && ::lseek(fd, 0, SEEK_SET) != 0) return false;
  folder.readBefore = true;
#ifdef __linux__
  if (buffer.empty()) buffer.resize(1 << 16);
  while (true) {
    const ssize_t n = ::getdents64(fd, buffer.data(), buffer.size());
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const dirent64*>(buffer.data() + at);
      at += e->d_reclen;
      visit(e->d_name, e->d_type);
    }
  }
#else
  (void)buffer;
  const int copy = ::dup(fd);
  if (copy < 0) return false;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return false;
  }
  ::rewinddir(dir);
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

// One per thread: folders are read and sorted on reader threads too.
const QCollator& nameCollator() {
  thread_local std::optional<QCollator> collator;
  const QLocale current;
  if (!collator || collator->locale() != current) {
    collator.emplace(current);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
  }
  return *collator;
}

// Where a character usually falls in the name order: ASCII roughly as the common
// collation places it (blanks, punctuation, symbols, digits, then letters without
// regard to case), everything else after. Only a first guess; the exact order is the
// collator's.
int roughWeight(QChar c) {
  static const auto table = [] {
    std::array<short, 128> t{};
    const char order[] =
        "\t\n\v\f\r _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 128; ++i) t[size_t(i)] = short(i);  // controls first
    for (size_t i = 0; order[i] != 0; ++i) t[size_t(order[i])] = short(200 + i);
    for (char ch = 'A'; ch <= 'Z'; ++ch) t[size_t(ch)] = t[size_t(ch - 'A' + 'a')];
    return t;
  }();
  const char16_t u = c.unicode();
  return u < 128 ? table[u] : 1000 + u;
}

bool roughLess(const QString& a, const QString& b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    const int wa = roughWeight(a[i]), wb = roughWeight(b[i]);
    if (wa != wb) return wa < wb;
  }
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

// ---- names as text ----

QString decodeFileName(QByteArrayView bytes) {
  if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  bool wellFormed = true;
  for (qsizetype i = 0; i < n && wellFormed;) {
    const int len = utf8SequenceAt(s, i, n);
    wellFormed = len > 0;
    i += len;
  }
  if (wellFormed) return QString::fromUtf8(bytes.data(), n);
  QString out;
  out.reserve(n);
  for (qsizetype i = 0; i < n;) {
    const int len = utf8SequenceAt(s, i, n);
    if (len == 0) {
      out += QChar(char16_t(0xDC00 + s[i]));  // a byte that is no character
      ++i;
    } else {
      out += QString::fromUtf8(bytes.data() + i, len);
      i += len;
    }
  }
  return out;
}

QByteArray encodeFileName(QStringView name) {
  bool ascii = true;
  for (const QChar c : name) {
    if (c.unicode() >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return name.toLatin1();
  QByteArray out;
  out.reserve(name.size() * 3);
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t u = name[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      appendUtf8(out, QChar::surrogateToUcs4(u, name[i + 1].unicode()));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      out += char(u - 0xDC00);  // an escaped byte goes back as it was
    } else if (QChar::isSurrogate(u)) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

// ---- paths ----

QString joinPath(const QString& folder, const QString& name) {
  return withTrailingSeparator(folder) + name;
}

// A backslash is an ordinary character of a POSIX name; only Windows drive roots end in one.
QString withTrailingSeparator(const QString& folder) {
#ifdef Q_OS_WIN
  if (folder.endsWith('\\')) return folder;
#endif
  if (folder.endsWith('/')) return folder;
  return folder + QLatin1Char('/');
}

void sortNames(QStringList& names) {
  if (names.size() < 2) return;
  const QCollator& collator = nameCollator();
  auto less = [&collator](const QString& a, const QString& b) {
    const int r = collator.compare(a, b);
    return r != 0 ? r < 0 : a < b;
  };
  // The rough order is nearly always right, so inserting into the exact order costs
  // one collator comparison per name; a poor guess falls back to a plain sort.
  std::sort(names.begin(), names.end(), roughLess);
  const qsizetype limit = 4 * names.size() + 16;
  qsizetype moves = 0;
  for (qsizetype i = 1; i < names.size(); ++i) {
    if (!less(names[i], names[i - 1])) continue;
    QString moving = std::move(names[i]);
    qsizetype j = i;
    do {
      names[j] = std::move(names[j - 1]);
      --j;
      ++moves;
    } while (j > 0 && less(moving, names[j - 1]));
    names[j] = std::move(moving);
    if (moves > limit) {
      std::sort(names.begin(), names.end(), less);
      return;
    }
  }
}

// ---- the descriptor chain ----

namespace {
constexpr size_t kDeepestOpen = 48;       // open levels at the deep end of the chain
constexpr size_t kCheckpointEvery = 64;   // and every 64th level, so climbing back
constexpr size_t kCheckpointLimit = 256;  // reopens at most 64 levels at a time

bool staysOpen(size_t level) {
  return level == 0 ||
         (level % kCheckpointEvery == 0 && level / kCheckpointEvery <= kCheckpointLimit);
}
}  // namespace

struct FolderChain::Level {
  QString path;
  QByteArray name;                       // relative to the level above; empty for the first
  std::shared_ptr<FolderHandle> handle;  // null while closed
};

FolderChain::FolderChain() = default;
FolderChain::~FolderChain() = default;

void FolderChain::reset() {
  levels_.clear();
}

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
    qsizetype end = path.indexOf('/', at);
    if (end < 0) end = path.size();
    const auto parent = ensureOpen(levels_.size() - 1);
    if (!parent) return false;
    QByteArray name = encodeFileName(QStringView(path).mid(at, end - at));
    // Never through a link: a folder swapped for a link after it was listed is not entered.
    const int fd = ::openat(parent->fd(), name.constData(), kOpenFlags | O_NOFOLLOW);
    if (fd < 0) return false;
    levels_.push_back({end == path.size() ? path : path.left(end), std::move(name),
                       std::make_shared<FolderHandle>(fd)});
    if (levels_.size() > kDeepestOpen) {
      const size_t leaving = levels_.size() - 1 - kDeepestOpen;
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
    const int fd =
        ::openat(levels_[m - 1].handle->fd(), levels_[m].name.constData(), kOpenFlags | O_NOFOLLOW);
    if (fd < 0) {
      levels_.resize(m);  // gone: forget it and everything below it
      return nullptr;
    }
    levels_[m].handle = std::make_shared<FolderHandle>(fd);
  }
  const size_t windowStart = levels_.size() > kDeepestOpen ? levels_.size() - kDeepestOpen : 0;
  for (size_t m = from + 1; m < windowStart && m < level; ++m) {
    if (!staysOpen(m)) levels_[m].handle.reset();
  }
  return levels_[level].handle;
}

// ---- reading ----

namespace {
// A change within one tick of the file system's clock leaves a folder's stamp as it was,
// and some clocks tick every 2 s (FAT): a folder changed this lately may change again
// unseen.
constexpr qint64 kSettledNs = 3'000'000'000;

bool changedLately(const FolderStamp& stamp) {
  timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
  return nowNs - std::max(stamp.modified, stamp.changed) < kSettledNs;
}
}  // namespace

std::shared_ptr<FolderContents> readFolder(const QString& path, FolderReadOptions options,
                                           FolderChain* chain) {
  auto out = std::make_shared<FolderContents>();
  out->path = path;
  FolderChain ownChain;
  FolderChain& using_ = chain ? *chain : ownChain;
  std::shared_ptr<FolderHandle> handle = using_.open(path);
  if (!handle) return out;
  const int fd = handle->fd();
  struct stat self;
  if (::fstat(fd, &self) != 0) return out;

  QStringList folderNames;
  const bool listed =
      forEachEntry(*handle, using_.buffer(), [&](const char* name, unsigned char type) {
        if (name[0] == '.') return;  // hidden, and "." and ".."
        struct stat st;
        bool haveStat = false;
        if (type == DT_UNKNOWN) {
          if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
          haveStat = true;
          type = typeOf(st.st_mode);
        }
        if (type == DT_DIR) {
          if (options.stayOnDevice) {
            if (!haveStat && ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
            if (!S_ISDIR(st.st_mode) || st.st_dev != self.st_dev) return;
          }
          folderNames.append(decodeFileName(name));
        } else if (type == DT_REG ||
                   (type == DT_LNK && ::fstatat(fd, name, &st, 0) == 0 && S_ISREG(st.st_mode))) {
          out->fileNames.append(name);
          out->fileEnds.push_back(out->fileNames.size());
        }
      });
  if (!listed) return out;
  sortNames(folderNames);
  const QString prefix = withTrailingSeparator(path);
  out->subfolders.reserve(folderNames.size());
  for (const QString& name : std::as_const(folderNames)) out->subfolders.append(prefix + name);
  out->stamp = FolderStamp::of(self);
  out->recent = changedLately(out->stamp);
  out->handle = std::move(handle);
  out->ok = true;
  return out;
}

FolderStamp FolderStamp::of(const struct stat& st) {
  FolderStamp s;
  s.device = quint64(st.st_dev);
  s.inode = quint64(st.st_ino);
  s.links = quint64(st.st_nlink);
  s.size = qint64(st.st_size);
  s.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

#ifdef STATX_BASIC_STATS
namespace {
// statx of `path` (a final link not followed) from what the kernel already holds. A path
// too long for one lookup is looked up a part at a time, every part within the limit.
bool statxKnown(const QByteArray& path, unsigned mask, struct statx* out) {
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
  if (found) {
    found = ::statx(at, path.constData() + from, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, mask,
                    out) == 0;
  }
  if (at >= 0 && at != AT_FDCWD) ::close(at);
  return found;
}
}  // namespace
#endif

#ifdef STATX_BASIC_STATS
namespace {
FolderStamp stampOf(const struct statx& sx) {
  FolderStamp s;
  s.device = quint64(makedev(sx.stx_dev_major, sx.stx_dev_minor));
  s.inode = quint64(sx.stx_ino);
  s.links = quint64(sx.stx_nlink);
  s.size = qint64(sx.stx_size);
  s.modified = qint64(sx.stx_mtime.tv_sec) * 1000000000 + sx.stx_mtime.tv_nsec;
  s.changed = qint64(sx.stx_ctime.tv_sec) * 1000000000 + sx.stx_ctime.tv_nsec;
  return s;
}
}  // namespace
#endif

// Attributes the kernel already holds: a share that does not answer is not asked.
bool FolderContents::unchanged() const {
  if (!ok) return false;
#ifdef STATX_BASIC_STATS
  struct statx at;
  return statxKnown(encodeFileName(path), STATX_BASIC_STATS, &at) && stampOf(at) == stamp;
#else
  struct stat st;
  return ::lstat(encodeFileName(path).constData(), &st) == 0 && FolderStamp::of(st) == stamp;
#endif
}

qint64 FolderContents::lengthOf(QStringView name) const {
  if (!ok) return -1;
  if (!handle) return fileLength(joinPath(path, name.toString()));
  struct stat st;
  const QByteArray bytes = encodeFileName(name);
  if (::fstatat(handle->fd(), bytes.constData(), &st, 0) != 0) return -1;
  return S_ISREG(st.st_mode) ? qint64(st.st_size) : -1;
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
