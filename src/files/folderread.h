#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// An open folder descriptor, closed with its last owner.
class FolderHandle {
 public:
  explicit FolderHandle(int fd) : fd_(fd) {}
  ~FolderHandle();
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  int fd() const { return fd_; }
  bool readBefore = false;  // listing it again starts over from its first entry

 private:
  int fd_;
};

struct stat;

// What a folder looked like when it was read: any entry added, removed or renamed, and the
// folder's own removal, change it (as far as the file system's clock can tell).
struct FolderStamp {
  quint64 device = 0, inode = 0, links = 0;
  qint64 size = 0, modified = 0, changed = 0;
  static FolderStamp of(const struct stat& st);
  bool operator==(const FolderStamp& o) const {
    return device == o.device && inode == o.inode && links == o.links && size == o.size &&
           modified == o.modified && changed == o.changed;
  }
};

// One read of a folder, shared by the folder list and the file list that look at it.
// File names are kept as the file system's bytes until someone needs them as text.
struct FolderContents {
  QString path;                          // as read, without trailing separator except for a root
  QStringList subfolders;                // full paths, sorted by name
  bool ok = false;                       // false: the folder could not be listed
  std::shared_ptr<FolderHandle> handle;  // open for length queries, unless let go
  FolderStamp stamp;
  bool recent = false;  // changed so lately before the read that its stamp may hide a change

  // Read ahead for one pattern list: the matching names, sorted, and their lengths
  // (-1: could not be read). Empty `matchedFor` when nothing was read ahead.
  QString matchedFor;
  QStringList matches;
  std::vector<qint64> matchLengths;

  // True while the folder's path still leads to the folder as it was when read. Asks only
  // what the kernel already knows, so a share that stopped answering does not hold the
  // caller.
  bool unchanged() const;
  // The length of the regular file `name` in this folder, asked now (by its path once the
  // folder's handle is let go); -1 when missing.
  qint64 lengthOf(QStringView name) const;

  int fileCount() const { return int(fileEnds.size()); }
  QByteArrayView fileBytes(int i) const {
    const size_t begin = i == 0 ? 0 : fileEnds[size_t(i) - 1];
    return QByteArrayView(fileNames.data() + begin, qsizetype(fileEnds[size_t(i)] - begin));
  }

  std::string fileNames;         // the regular files' names, back to back, unsorted
  std::vector<size_t> fileEnds;  // where each name ends in `fileNames`
};

struct FolderReadOptions {
  bool stayOnDevice = false;  // leave out subfolders on another mounted file system
};

// Open descriptors along the path last read, so that reading a subfolder opens it
// relative to its parent: no path length limit, and one lookup per folder however
// deep the tree. At most a bounded number stay open; closed ones are reopened from the
// nearest open ancestor when the walk climbs back.
class FolderChain {
 public:
  FolderChain();
  ~FolderChain();
  FolderChain(const FolderChain&) = delete;
  FolderChain& operator=(const FolderChain&) = delete;

  // An open descriptor of `path`, or null when it cannot be opened as a folder.
  std::shared_ptr<FolderHandle> open(const QString& path);
  void reset();
  std::vector<char>& buffer() { return buffer_; }  // where a folder's entries are read into

 private:
  struct Level;
  std::shared_ptr<FolderHandle> ensureOpen(size_t level);
  bool descend(const QString& path);
  void limitOpenLevels();
  bool startAt(const QString& path);
  std::vector<Level> levels_;
  std::vector<char> buffer_;
};

// Reads `path` once: hidden entries skipped, symbolic links to folders not followed,
// anything but folders and regular files (devices, pipes, sockets) left out. Without a
// chain, one is made for this read.
std::shared_ptr<FolderContents> readFolder(const QString& path, FolderReadOptions options = {},
                                           FolderChain* chain = nullptr);

// The length in bytes of the regular file at `path` (symbolic links followed), or -1
// when it is missing, unreadable or not a regular file.
qint64 fileLength(const QString& path);

// Joins a folder path and a name: a root ("/" or "C:\") keeps its one separator,
// "/abc" and "a.jpg" give "/abc/a.jpg".
QString joinPath(const QString& folder, const QString& name);
// The folder path with exactly one separator at its end, ready for a name.
QString withTrailingSeparator(const QString& folder);

// File names as text and back. Bytes that are not UTF-8 become lone surrogates
// (U+DC80..U+DCFF) so that every name round-trips to the very same bytes.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(QStringView name);

// Locale-aware, case-insensitive name order (ties broken by code point).
void sortNames(QStringList& names);
