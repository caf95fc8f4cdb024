#include "platform/listbox.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QTimer>

#include "platform/keys.h"
#include "platform/linestore.h"

// Rows become visible to the view only when it syncs; the lines themselves are
// complete at once.
class ListBoxModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  LineStore lines;
  int shown = 0;

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : shown; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown) return {};
    return lines.at(index.row());
  }

  void catchUp() {
    const int total = int(lines.size());
    if (total > shown) {
      beginInsertRows(QModelIndex(), shown, total - 1);
      shown = total;
      endInsertRows();
    }
  }

  void reset() {
    beginResetModel();
    lines.clear();
    shown = 0;
    endResetModel();
  }
};

ListBox::ListBox(QWidget* parent)
    : QListView(parent), model_(new ListBoxModel(this)), syncTimer_(new QTimer(this)) {
  setModel(model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  syncTimer_->setSingleShot(true);
  syncTimer_->setInterval(33);
  connect(syncTimer_, &QTimer::timeout, this, &ListBox::syncView);
  connect(
      selectionModel(), &QItemSelectionModel::currentChanged, this,
      [this](const QModelIndex& current, const QModelIndex&) { onViewCurrentChanged(current); });
}

ListBox::~ListBox() = default;

void ListBox::addItem(const QString& line) {
  model_->lines.add(QString(), line);
  scheduleSync();
}

void ListBox::addItem(const QString& head, const QString& tail) {
  model_->lines.add(head, tail);
  scheduleSync();
}

void ListBox::clear() {
  syncing_ = true;
  model_->reset();
  syncing_ = false;
  index_ = -1;
}

int ListBox::listCount() const {
  return int(model_->lines.size());
}

QString ListBox::list(int index) const {
  if (index < 0 || index >= listCount()) return {};
  return model_->lines.at(index);
}

QString ListBox::text() const {
  return list(index_);
}

bool ListBox::setListIndex(int index) {
  if (index < -1 || index >= listCount()) return false;
  if (index == index_) return true;
  index_ = index;
  scheduleSync();
  if (index >= 0) emit click();
  return true;
}

void ListBox::setSelected(int index, bool on) {
  if (on) {
    setListIndex(index);
  } else if (index == index_) {
    setListIndex(-1);
  }
}

void ListBox::scheduleSync() {
  if (!syncTimer_->isActive()) syncTimer_->start();
}

void ListBox::syncView() {
  syncing_ = true;
  model_->catchUp();
  if (index_ < 0) {
    selectionModel()->clear();
  } else if (index_ < model_->shown) {
    const QModelIndex idx = model_->index(index_);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    scrollTo(idx);
  }
  syncing_ = false;
}

void ListBox::onViewCurrentChanged(const QModelIndex& current) {
  if (syncing_ || !current.isValid()) return;
  setListIndex(current.row());
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  emit keyDown(vbKeyCode(event->key()), vbShiftState(event->modifiers()));
  syncView();  // the view moves from the selection the program last set
  QListView::keyPressEvent(event);
}

void ListBox::focusInEvent(QFocusEvent* event) {
  emit gotFocus();
  QListView::focusInEvent(event);
}

void ListBox::mousePressEvent(QMouseEvent* event) {
  syncView();
  QListView::mousePressEvent(event);
}
