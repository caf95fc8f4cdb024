#include "controls/lists/filelist.h"

#include "files/folderread.h"
#include "files/folderreader.h"

FileList::FileList(QWidget* parent) : QWidget(parent) {}

FileList::~FileList() = default;

void FileList::setPath(const QString& folder) {
  path_ = folder;
  if (folder.isEmpty()) {
    contents_ = nullptr;
  } else {
    contents_ = reader_ ? reader_->take(folder) : readFolder(folder);
  }
  invalidate();
}

void FileList::setPattern(const QString& patterns) {
  if (patterns != pattern_) {
    pattern_ = patterns;
    patterns_ = PatternList(patterns);
  }
  invalidate();
}

int FileList::listCount() const {
  match();
  return int(matches_->size());
}

QString FileList::list(int index) const {
  match();
  if (index < 0 || index >= matches_->size()) return {};
  return matches_->at(index).toString();
}

QStringView FileList::fileNameView() const {
  match();
  if (index_ < 0 || index_ >= matches_->size()) return {};
  return matches_->at(index_);
}

void FileList::setListIndex(int index) {
  if (index >= -1 && index < listCount()) index_ = index;
}

void FileList::invalidate() {
  own_.clear();
  matches_ = &own_;
  matched_ = false;
  index_ = -1;
}

void FileList::match() const {
  if (matched_) return;
  matched_ = true;
  if (!contents_) return;
  if (!contents_->matchedFor.isEmpty() && contents_->matchedFor == pattern_) {
    matches_ = &contents_->matches;  // matched and sorted by the reader, held with the read
    return;
  }
  for (int i = 0; i < contents_->fileCount(); ++i) {
    const QByteArrayView name = contents_->fileBytes(i);
    if (patterns_.matches(name)) own_.appendFileName(name);
  }
  sortNames(own_);
}
