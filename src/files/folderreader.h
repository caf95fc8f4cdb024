#pragma once

// The folder reads of a walk down a tree. Reader threads read the folders ahead of the
// walk, in the order it will take them (each folder, then its subfolders by name, depth
// first), together with the lengths of the files that match the walk's patterns, and
// stay a bounded way ahead. A few threads serve reads from the cache; while reads wait on
// the disk, more join them, up to a bound, so that many reads are in flight at once (a
// cold disk answers many at about the cost of one), and they leave again once they have
// had nothing to read for a while. The walk takes the results in order on its own thread. A read
// the walk waits for longer than a moment lets the caller run its events meanwhile and give the
// read up, or is given up after a set limit; a read that never returns is left behind, never waited
// for. With nothing read ahead, it reads a browsed folder off the caller's thread. Each read made
// ahead of the walk is logged (category vistara.search, debug), and so is each thread that joins.

#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "files/folderread.h"

class FolderReader {
 public:
  // `foldersAhead` counts the folder asked for: 1 reads nothing ahead.
  explicit FolderReader(int fewestReaders = kFewestReaders, int mostReaders = kMostReaders,
                        int foldersAhead = kFoldersAhead);
  ~FolderReader();  // does not wait for reads in progress
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;

  void setOptions(FolderReadOptions options);
  // The pattern list (as the file list takes it) whose files' lengths are read ahead.
  void setPatterns(const QString& patterns);
  // Called over and over while a read keeps the walk waiting for more than about 100 ms;
  // returning false gives the read up.
  void setWaitHook(std::function<bool()> keepWaiting);
  // A read that keeps the caller waiting longer than `limit` is given up (0: never).
  void setWaitLimit(std::chrono::milliseconds limit);

  // The contents of `path`: the read made ahead when the walk went where it was foreseen
  // and the folder has not changed since, otherwise a read made now. Null when the wait
  // was given up.
  std::shared_ptr<const FolderContents> read(const QString& path);
  // The read `read` made of `path` last, handed over once; otherwise read(path).
  std::shared_ptr<const FolderContents> take(const QString& path);
  // The length of the regular file at `path`, -1 when missing or unreadable. Files of the
  // folder read last are answered from the read ahead while that folder is unchanged.
  qint64 fileLength(const QString& path);
  qint64 fileLength(QStringView folder, QStringView name);  // the same, for `name` in `folder`
  // Ends the read ahead and lets go of what it holds; reads in progress are abandoned.
  void stop();

  // Reads served from the cache: more threads only contend for the 2 cores.
  static constexpr int kFewestReaders = 2;
  // Reads waiting on the disk: measured on ext4 here, a cold walk gains up to about this.
  // Beyond it the processors, not the disk, hold a cold walk back, and more threads only
  // cost switches between them (a cold walk of 20,000 folders took a twelfth longer with
  // up to 32 than with 16; one of 50,000 no less time).
  static constexpr int kMostReaders = 16;
  static constexpr int kFoldersAhead = 1024;
  static constexpr size_t kBytesAhead = 32u << 20;

 private:
  struct Job;
  struct Shared;
  std::shared_ptr<const FolderContents> await(const QString& path, bool fresh);
  bool waitFor(Shared& s, const Job& job, std::unique_lock<std::mutex>& lock);
  void hand(const std::shared_ptr<const FolderContents>& result, int slot);
  void returnHanded(Shared& s);

  int fewestReaders_;
  int mostReaders_;
  int foldersAhead_;
  std::chrono::milliseconds waitLimit_{0};
  std::shared_ptr<Shared> shared_;  // null until the first read, and after a stop
  FolderReadOptions options_;
  QString patterns_;
  std::function<bool()> keepWaiting_;
  std::shared_ptr<const FolderContents> last_;
  bool lastFresh_ = false;
  qsizetype cursor_ = 0;  // the match the next length query most likely asks for
  // The reads handed to the walk lately, with the reader slot that made each: freed by that
  // reader once the walk's lists have let go of them.
  struct Handed {
    std::shared_ptr<const FolderContents> read;
    int slot = -1;
  };
  std::array<Handed, 8> handed_;
  size_t handedNext_ = 0;
};
