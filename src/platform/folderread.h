#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One read of a folder, shared by the folder list and the file list that look at it.
struct FolderContents {
  QString path;             // as read, without trailing separator except for a root
  QStringList subfolders;   // full paths, sorted by name
  QStringList files;        // names, sorted by name
  bool ok = false;          // false: the folder could not be listed
};

struct FolderReadOptions {
  bool stayOnDevice = false;  // leave out subfolders on another mounted file system
};

// Reads `path` once: hidden entries skipped, symbolic links to folders not followed.
std::shared_ptr<const FolderContents> readFolder(const QString& path,
                                                 FolderReadOptions options = {});

// The most recent read of `path`, if it is the last folder read; otherwise a new read.
std::shared_ptr<const FolderContents> cachedFolder(const QString& path);

// Joins a folder path and a name: a root ("/" or "C:\") keeps its one separator.
QString joinPath(const QString& folder, const QString& name);

// Locale-aware, case-insensitive name order.
void sortNames(QStringList& names);
