#include "controls/lists/listbox.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "controls/keys.h"
#include "controls/lists/linestore.h"

namespace {
constexpr int kSyncMs = 33;  // the view catches up at most about 30 times a second
}  // namespace

// Rows become visible to the view only when it syncs; the lines themselves are
// complete at once.
class ListBoxModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  LineStore lines;
  int shown = 0;

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : shown; }

  // The view asks for every row's index on each layout; answer without the generic checks.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override {
    if (row < 0 || row >= shown || column != 0 || parent.isValid()) return {};
    return createIndex(row, 0);
  }

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
  syncTimer_->setInterval(kSyncMs);
  connect(syncTimer_, &QTimer::timeout, this, [this] { syncView(true); });
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
  if (index >= 0) raiseClick();
  return true;
}

void ListBox::raiseClick() {
  ++clicks_;
  emit click();
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

// The view lays out all its rows whenever rows arrive, so with millions of lines the
// catching up is spaced out to keep its share of the time small.
void ListBox::syncView(bool showSelection) {
  QElapsedTimer clock;
  clock.start();
  syncing_ = true;
  model_->catchUp();
  if (isVisible()) executeDelayedItemsLayout();
  if (index_ < 0) {
    selectionModel()->clear();
  } else if (index_ < model_->shown) {
    const QModelIndex idx = model_->index(index_);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    if (showSelection) scrollTo(idx);
  }
  syncing_ = false;
  syncTimer_->setInterval(int(std::clamp<qint64>(clock.elapsed() * 20, kSyncMs, 1000)));
}

void ListBox::onViewCurrentChanged(const QModelIndex& current) {
  if (syncing_ || !current.isValid()) return;
  setListIndex(current.row());
}

namespace {

// Enter and Space pick the selected line, as a click on it does.
bool picksTheLine(const QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  return mods == Qt::NoModifier && (event->key() == Qt::Key_Return ||
                                    event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space);
}

}  // namespace

void ListBox::keyPressEvent(QKeyEvent* event) {
  emit keyDown(vbKeyCode(event->key()), vbShiftState(event->modifiers()));
  syncView(true);  // the view moves from the selection the program last set
  if (picksTheLine(event)) {
    event->accept();
    if (index_ >= 0) raiseClick();
    return;
  }
  QListView::keyPressEvent(event);
}

void ListBox::focusInEvent(QFocusEvent* event) {
  emit gotFocus();
  // Getting the focus selects nothing, though the view makes its first row current
  // when it has none.
  const bool wasSyncing = syncing_;
  syncing_ = true;
  QListView::focusInEvent(event);
  syncing_ = wasSyncing;
}

// A press picks the line under the mouse where the person scrolled the list to: the view
// catches up with the program's selection without moving back to it. A press on the line
// already selected picks it again, which a change of selection alone would not tell.
void ListBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;  // only the left button picks a line
  syncView(false);
  const QModelIndex pressed = indexAt(event->position().toPoint());
  const int clicksBefore = clicks_;
  QListView::mousePressEvent(event);
  if (pressed.isValid() && pressed.row() == index_ && clicks_ == clicksBefore) raiseClick();
}
