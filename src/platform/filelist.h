#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// A hidden file list: the files of a folder that match a pattern list such as
// "*.jpg;*.gif", sorted by name, with a selection and the current file name.
class FileList : public QWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);

  QString path() const { return path_; }
  void setPath(const QString& folder);
  QString pattern() const { return pattern_; }
  void setPattern(const QString& patterns);

  int listCount() const { return int(matches_.size()); }
  QString list(int index) const;
  int listIndex() const { return index_; }
  void setListIndex(int index);
  QString fileName() const { return list(index_); }

 private:
  void rematch();
  QString path_;
  QString pattern_ = QStringLiteral("*.*");
  QStringList matches_;
  int index_ = -1;
};
