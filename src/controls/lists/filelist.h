#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "files/filenames.h"
#include "files/wildcard.h"

struct FolderContents;
class FolderReader;

// A hidden file list: the files of a folder that match a pattern list such as
// "*.jpg;*.gif", sorted by name, with a selection and the current file name.
// Given a reader, it takes over the read its folder list has just made of the same
// folder (matched ahead when the patterns agree); it matches when it is first asked, so
// a folder and a pattern set in turn cost one pass.
class FileList : public QWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);
  ~FileList() override;

  // Takes the folders' reads from `reader` (not owned) instead of reading on its own.
  void setReader(FolderReader* reader) { reader_ = reader; }

  QString path() const { return path_; }
  void setPath(const QString& folder);
  QString pattern() const { return pattern_; }
  void setPattern(const QString& patterns);

  int listCount() const;
  QString list(int index) const;
  int listIndex() const { return index_; }
  void setListIndex(int index);
  QString fileName() const { return list(index_); }
  QStringView fileNameView() const;  // the same, valid while the list is unchanged

 private:
  void invalidate();
  void match() const;

  QString path_;
  QString pattern_ = QStringLiteral("*.*");
  PatternList patterns_{pattern_};
  std::shared_ptr<const FolderContents> contents_;
  FolderReader* reader_ = nullptr;
  mutable NameList own_;  // when it matched the folder's names itself
  mutable const NameList* matches_ = &own_;
  mutable bool matched_ = true;
  int index_ = -1;
};
