#pragma once

// One read of a folder: its subfolders, its files' names, and the stamp that tells whether
// its path still leads to the folder as it was read.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "files/filenames.h"
#include "files/folderchain.h"

// What a folder looked like when it was read: any entry added, removed or renamed, and the
// folder's own removal, change it (as far as the file system's clock can tell).
struct FolderStamp {
  quint64 device = 0, inode = 0, links = 0;
  qint64 size = 0, modified = 0, changed = 0;
  bool operator==(const FolderStamp& o) const {
    return device == o.device && inode == o.inode && links == o.links && size == o.size &&
           modified == o.modified && changed == o.changed;
  }
};

// One read of a folder, shared by the folder list and the file list that look at it.
// File names are kept as the file system's bytes until someone needs them as text.
struct FolderContents {
  QString path;            // as read, without trailing separator except for a root
  QStringList subfolders;  // full paths, sorted by name
  // Their stamps as this read saw them through this folder, when it asked (a read that
  // stays on one device asks each anyway): a stamp to read a subfolder by without asking
  // again. Taken before the subfolder is read, a change after it makes the read stale.
  std::vector<FolderStamp> subfolderStamps;
  bool ok = false;                       // false: the folder could not be listed
  std::shared_ptr<FolderHandle> handle;  // open for length queries, unless let go
  FolderStamp stamp;
  bool recent = false;  // changed so lately before the read that its stamp may hide a change

  // Read ahead for one pattern list: the matching names, sorted, and their lengths
  // (-1: could not be read). Empty `matchedFor` when nothing was read ahead.
  QString matchedFor;
  NameList matches;
  std::vector<qint64> matchLengths;

  // True while the folder's path still leads to the folder as it was when read. Asks only
  // what the kernel already knows, so a share that stopped answering does not hold the
  // caller.
  bool unchanged() const;
  // The length of the regular file `name` in this folder, asked now (by its path once the
  // folder's handle is let go); -1 when missing.
  qint64 lengthOf(QStringView name) const;

  // The length of the regular file `name` (the file system's bytes, ending in a zero) in
  // this folder while its handle is held; -1 when missing.
  qint64 lengthAt(const char* name) const;

  int fileCount() const { return int(fileEnds.size()); }
  const char* fileName(int i) const {  // ends in a zero
    return fileNames.data() + (i == 0 ? 0 : fileEnds[size_t(i) - 1]);
  }
  QByteArrayView fileBytes(int i) const {
    const char* begin = fileName(i);
    return QByteArrayView(begin, fileNames.data() + fileEnds[size_t(i)] - 1 - begin);
  }

  std::string fileNames;         // the regular files' names, each ending in a zero, unsorted
  std::vector<size_t> fileEnds;  // where each name's zero ends in `fileNames`
};

struct FolderReadOptions {
  bool stayOnDevice = false;  // leave out subfolders on another mounted file system
};

// Reads `path` once: hidden entries skipped, symbolic links to folders not followed,
// anything but folders and regular files (devices, pipes, sockets) left out. Without a
// chain, one is made for this read. With a `stamp` taken of the folder before (by its
// parent's read), the folder is not asked for its own.
std::shared_ptr<FolderContents> readFolder(const QString& path, FolderReadOptions options = {},
                                           FolderChain* chain = nullptr,
                                           const FolderStamp* stamp = nullptr);

// The length in bytes of the regular file at `path` (symbolic links followed), or -1
// when it is missing, unreadable or not a regular file.
qint64 fileLength(const QString& path);
