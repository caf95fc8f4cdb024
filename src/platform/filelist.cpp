#include "platform/filelist.h"

#include "platform/folderread.h"
#include "platform/wildcard.h"

FileList::FileList(QWidget* parent) : QWidget(parent) {}

void FileList::setPath(const QString& folder) {
  path_ = folder;
  rematch();
}

void FileList::setPattern(const QString& patterns) {
  pattern_ = patterns;
  rematch();
}

QString FileList::list(int index) const {
  if (index < 0 || index >= matches_.size()) return {};
  return matches_[index];
}

void FileList::setListIndex(int index) {
  if (index >= -1 && index < matches_.size()) index_ = index;
}

void FileList::rematch() {
  matches_.clear();
  index_ = -1;
  if (path_.isEmpty()) return;
  const auto contents = cachedFolder(path_);
  const PatternList patterns(pattern_);
  for (const QString& name : contents->files) {
    if (patterns.matches(name)) matches_.append(name);
  }
}
