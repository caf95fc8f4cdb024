#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A folder tree for a test, made in a temporary folder (on a memory file system when
// the machine has one) and removed afterwards, however deep it has grown.
class TestTree {
 public:
  TestTree();
  ~TestTree();
  TestTree(const TestTree&) = delete;
  TestTree& operator=(const TestTree&) = delete;

  bool isValid() const { return dir_.isValid(); }
  QString root() const { return root_; }
  QString path(const QString& relative) const { return root_ + '/' + relative; }

  // Each makes the missing folders above it and returns the full path ("" on failure).
  QString folder(const QString& relative);
  // A file of `size` bytes; its content is a hole, so even gigabytes cost nothing.
  QString file(const QString& relative, qint64 size = 0);
  // A file whose name is given as raw bytes, in the folder `relativeFolder`.
  bool rawFile(const QString& relativeFolder, const QByteArray& name, qint64 size = 0);
  bool symlink(const QString& relative, const QString& target);
  bool fifo(const QString& relative);
  bool remove(const QString& relative);  // a file, or a folder with all it holds

  // `levels` nested folders named `name` below `relativeBase`, with the file `fileName`
  // at the levels listed in `fileLevels` (1 = the first nested folder). Works beyond the
  // path length limit. Returns false when the tree could not be made.
  bool deepChain(const QString& relativeBase, int levels, const QString& name,
                 const QString& fileName, const QList<int>& fileLevels);

 private:
  QTemporaryDir dir_;
  QString root_;
};
