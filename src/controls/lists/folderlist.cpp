#include "controls/lists/folderlist.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include "files/folderreader.h"

namespace {

// An absolute path with no empty, "." or ".." part and no separator at its end (but the
// root's): what cleaning leaves as it is, so it is kept without making it anew. One pass
// over the characters: the walk gives every folder, and the library's searches for "//"
// and "/." took four times as long.
bool isClean(QStringView path) {
  const qsizetype n = path.size();
  if (n == 0 || path[0] != u'/') return false;
  if (n == 1) return true;
  if (path[n - 1] == u'/') return false;
  const char16_t* c = path.utf16();
  for (qsizetype i = 1; i < n; ++i) {
    if (c[i - 1] != u'/') continue;  // a part begins at i
    if (c[i] == u'/') return false;
    if (c[i] != u'.') continue;
    qsizetype end = i + 1;  // past the part's first dot
    if (end < n && c[end] == u'.') ++end;
    if (end == n || c[end] == u'/') return false;  // the part is "." or ".."
  }
  return true;
}

QString normalised(const QString& path) {
  if (isClean(path)) return path;
  QString p = QDir::cleanPath(path);
  if (p.isEmpty()) p = QStringLiteral("/");
  return p;
}

QString nameOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  return name.isEmpty() ? path : name;
}

QStringList ancestorsOf(const QString& path) {
  QStringList chain;
  QString p = path;
  while (true) {
    chain.prepend(p);
    if (p == "/") break;
    const int cut = p.lastIndexOf('/');
    p = cut <= 0 ? QStringLiteral("/") : p.left(cut);
  }
  return chain;
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { setPath(item->data(Qt::UserRole).toString()); });
}

void FolderList::setBrowsable(bool on) {
  browsable_ = on;
  fillView();
}

void FolderList::setStayOnDevice(bool on) {
  options_.stayOnDevice = on;
  if (reader_) reader_->setOptions(options_);
}

void FolderList::setReader(FolderReader* reader) {
  reader_ = reader;
  if (reader_) reader_->setOptions(options_);
}

std::shared_ptr<const FolderContents> FolderList::readPath(const QString& path) {
  if (reader_) return reader_->read(path);
  return readFolder(path, options_, &chain_);
}

bool FolderList::setPath(const QString& newPath) {
  const QString p = normalised(newPath);
  auto contents = readPath(p);
  if (!contents || !contents->ok) return false;
  contents_ = std::move(contents);
  if (p == path_) return true;
  path_ = p;
  fillView();
  emit change();
  return true;
}

void FolderList::refresh() {
  if (path_.isEmpty()) return;
  contents_ = readPath(path_);
  fillView();
}

void FolderList::showUnlisted(const QString& path) {
  const QString p = normalised(path);
  contents_ = nullptr;
  const bool moved = p != path_;
  path_ = p;
  fillView();
  if (moved) emit change();
}

int FolderList::listCount() const {
  return contents_ ? int(contents_->subfolders.size()) : 0;
}

QStringList FolderList::subfolders() const {
  return contents_ ? contents_->subfolders : QStringList();
}

QString FolderList::list(int index) const {
  if (!contents_ || index < 0 || index >= contents_->subfolders.size()) return {};
  return contents_->subfolders[index];
}

void FolderList::fillView() {
  if (!browsable_) return;
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  int depth = 0;
  for (const QString& a : ancestorsOf(path_)) {
    auto* item = new QListWidgetItem(open, QString(depth * 2, ' ') + nameOf(a), this);
    item->setData(Qt::UserRole, a);
    ++depth;
  }
  setCurrentRow(count() - 1);
  for (int i = 0; i < listCount(); ++i) {
    auto* item = new QListWidgetItem(closed, QString(depth * 2, ' ') + nameOf(list(i)), this);
    item->setData(Qt::UserRole, list(i));
  }
}
