#pragma once

// Open folder descriptors: one folder's, and a chain of them down a path.

#include <QByteArray>
#include <QString>
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

 private:
  int fd_;
};

// Open descriptors along the path last read, so that reading a subfolder opens it
// relative to its parent: no path length limit, and one lookup per folder however
// deep the tree. At most a bounded number stay open (the deepest `deepestOpen` levels,
// and a few far apart above them); closed ones are reopened from the nearest open ancestor
// when the walk climbs back.
class FolderChain {
 public:
  static constexpr size_t kDeepestOpen = 48;
  explicit FolderChain(size_t deepestOpen = kDeepestOpen);
  ~FolderChain();
  FolderChain(const FolderChain&) = delete;
  FolderChain& operator=(const FolderChain&) = delete;

  // An open descriptor of `path`, looked up anew, or null when it cannot be opened as a
  // folder.
  std::shared_ptr<FolderHandle> open(const QString& path);
  std::vector<char>& buffer() { return buffer_; }  // where a folder's entries are read into

 private:
  struct Level;
  std::shared_ptr<FolderHandle> ensureOpen(size_t level);
  bool descend(const QString& path);
  bool startAt(const QString& path);
  size_t deepestOpen_;
  std::vector<Level> levels_;
  std::vector<char> buffer_;
};
