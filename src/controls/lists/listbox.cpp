#include "controls/lists/listbox.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>

#include "controls/keys.h"
#include "controls/lists/linestore.h"

namespace {
constexpr int kSyncMs = 33;  // the view catches up at most about 30 times a second
}  // namespace

// Rows become visible to the view only when it syncs; the lines themselves are
// complete at once: those of the source, then those added here.
class ListBoxModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  const LineSource* source = nullptr;
  LineStore lines;
  int shown = 0;

  qsizetype total() const { return (source ? source->lineCount() : 0) + lines.size(); }
  QString line(qsizetype index) const {
    const qsizetype fromSource = source ? source->lineCount() : 0;
    return index < fromSource ? source->line(index) : lines.at(index - fromSource);
  }
  qreal width(qsizetype index, TextWidths& widths, qreal widest) const {
    const qsizetype fromSource = source ? source->lineCount() : 0;
    return index < fromSource ? source->width(index, widths, widest)
                              : widths.of(lines.at(index - fromSource));
  }

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : shown; }

  // The view asks for every row's index on each layout; answer without the generic checks.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override {
    if (row < 0 || row >= shown || column != 0 || parent.isValid()) return {};
    return createIndex(row, 0);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown) return {};
    return line(index.row());
  }

  // True when rows were added to the view.
  bool catchUp() {
    const int all = int(total());
    if (all <= shown) return false;
    beginInsertRows(QModelIndex(), shown, all - 1);
    shown = all;
    endInsertRows();
    return true;
  }

  void reset() {
    beginResetModel();
    source = nullptr;
    lines.clear();
    shown = 0;
    endResetModel();
  }
};

namespace {

// The view's cursor only: the selection is the list's, so the view keeps none of its own.
class CursorOnly : public QItemSelectionModel {
 public:
  using QItemSelectionModel::QItemSelectionModel;
  void select(const QModelIndex&, QItemSelectionModel::SelectionFlags) override {}
  void select(const QItemSelection&, QItemSelectionModel::SelectionFlags) override {}
};

// Draws the list's selected line as selected, and gives every line the width of the
// widest, so no line is cut and the horizontal scroll reaches the end of each.
class LineDelegate : public QStyledItemDelegate {
 public:
  explicit LineDelegate(ListBox* box) : QStyledItemDelegate(box), box_(box) {}

  // The style lays a line's text out five times to draw it (for the places of its parts,
  // where the text stands, and to draw it); a plain line is drawn here as the style draws
  // it, from one layout. A list shows new lines each time it catches up with a search.
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem line = option;
    initStyleOption(&line, index);
    if (!drawPlain(painter, line)) QStyledItemDelegate::paint(painter, option, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const int own = option.fontMetrics.horizontalAdvance(index.data().toString());
    size.setWidth(std::max(size.width(), size.width() - own + box_->widestLine()));
    return size;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state.setFlag(QStyle::State_Selected, index.row() == box_->listIndex());
  }

 private:
  // False, having drawn nothing, for a line that is not plain text alone.
  bool drawPlain(QPainter* painter, const QStyleOptionViewItem& line) const {
    constexpr auto kParts = QStyleOptionViewItem::HasCheckIndicator |
                            QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
    constexpr auto kStates =
        QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing;
    if ((line.features & kParts) || (line.state & kStates) || line.text.isEmpty() ||
        line.direction != Qt::LeftToRight || line.textElideMode != Qt::ElideNone || !line.widget) {
      return false;
    }
    const QStyle* style = line.widget->style();
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(line.direction);
    option.setAlignment(QStyle::visualAlignment(line.direction, line.displayAlignment));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, line.widget) + 1;
    const QRect area = textArea(style, line).adjusted(margin, 0, -margin, 0);
    QTextLayout layout(line.text, line.font);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine only = layout.createLine();
    only.setLineWidth(area.width());
    only.setPosition(QPointF(0, 0));
    const bool more = layout.createLine().isValid();
    layout.endLayout();
    if (more || only.naturalTextWidth() > area.width()) return false;  // broken or cut: the style's
    const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, line.displayAlignment,
                                             layout.boundingRect().size().toSize(), area);
    QPalette::ColorGroup group =
        line.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(line.state & QStyle::State_Active))
      group = QPalette::Inactive;
    painter->save();
    painter->setClipRect(line.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &line, painter, line.widget);
    painter->setPen(line.palette.color(group, QPalette::Text));
    layout.draw(painter, QPointF(area.x(), placed.top()));
    painter->restore();
    return true;
  }

  // Where the style puts the text of a plain line, found once for each size of line: it
  // lays the text out to tell, though a plain line's text takes all of it.
  QRect textArea(const QStyle* style, const QStyleOptionViewItem& line) const {
    if (line.rect.size() != areaFor_ || style != areaStyle_) {
      area_ = style->subElementRect(QStyle::SE_ItemViewItemText, &line, line.widget)
                  .translated(-line.rect.topLeft());
      areaFor_ = line.rect.size();
      areaStyle_ = style;
    }
    return area_.translated(line.rect.topLeft());
  }

  ListBox* box_;
  mutable QSize areaFor_;
  mutable const QStyle* areaStyle_ = nullptr;
  mutable QRect area_;
};

}  // namespace

TextWidths::TextWidths(const QFont& font) : metrics_(font) {
  known_.fill(-1);
}

// Text beyond Latin-1 is measured whole: shaping may join its characters.
qreal TextWidths::of(QAnyStringView text) {
  return text.visit([this](auto view) -> qreal {
    qreal sum = 0;
    for (const auto c : view) {
      const char32_t u = QChar(c).unicode();
      if (u > 0xFF) return metrics_.horizontalAdvance(view.toString());
      if (known_[u] < 0) known_[u] = metrics_.horizontalAdvance(QChar(u));
      sum += known_[u];
    }
    return sum;
  });
}

qreal TextWidths::atMost(QAnyStringView text) {
  return text.visit([this](auto view) -> qreal {
    if constexpr (!std::is_same_v<decltype(view), QLatin1StringView>) {
      return of(view);
    } else {
      if (widestLatin1_ < 0) {  // no Latin-1 character is wider than this one
        for (char16_t c = 0; c <= 0xFF; ++c)
          widestLatin1_ = std::max(widestLatin1_, of(QStringView(&c, 1)));
      }
      return view.size() * widestLatin1_;
    }
  });
}

qreal TextWidths::widestDigit() {
  if (widestDigit_ < 0) {
    for (char16_t d = u'0'; d <= u'9'; ++d)
      widestDigit_ = std::max(widestDigit_, of(QStringView(&d, 1)));
  }
  return widestDigit_;
}

ListBox::ListBox(QWidget* parent)
    : QListView(parent), model_(new ListBoxModel(this)), syncTimer_(new QTimer(this)) {
  setModel(model_);
  QItemSelectionModel* previous = selectionModel();
  setSelectionModel(new CursorOnly(model_, this));
  delete previous;
  setItemDelegate(new LineDelegate(this));
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideNone);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);  // no table of rows to scroll by
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  syncTimer_->setSingleShot(true);
  syncTimer_->setInterval(kSyncMs);
  connect(syncTimer_, &QTimer::timeout, this, [this] {
    syncDue_ = false;
    syncView(true);
  });
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

void ListBox::setSource(const LineSource* source) {
  Q_ASSERT(listCount() == 0);
  model_->source = source;
  scheduleSync();
}

void ListBox::linesAdded() {
  scheduleSync();
}

void ListBox::clear() {
  {
    const QScopedValueRollback<bool> quiet(syncing_, true);
    model_->reset();
  }
  index_ = -1;
  widest_ = 0;
  measured_ = 0;
}

int ListBox::listCount() const {
  return int(model_->total());
}

QString ListBox::list(int index) const {
  if (index < 0 || index >= listCount()) return {};
  return model_->line(index);
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
  if (syncDue_) return;  // asked for each line the program adds or selects
  syncDue_ = true;
  syncTimer_->start();
}

// The view lays out all its rows whenever rows arrive, so with millions of lines the
// catching up is spaced out to keep its share of the time small.
void ListBox::syncView(bool showSelection) {
  QElapsedTimer clock;
  clock.start();
  const QScopedValueRollback<bool> quiet(syncing_, true);
  const int widestBefore = widest_;
  const bool grew = model_->catchUp();
  if (isVisible()) {
    measureNewLines();
    if (!grew && widest_ != widestBefore) scheduleDelayedItemsLayout();
    executeDelayedItemsLayout();
  }
  if (index_ < 0) {
    selectionModel()->clearCurrentIndex();
  } else if (index_ < model_->shown) {
    const QModelIndex idx = model_->index(index_);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    if (showSelection) scrollTo(idx);
  }
  viewport()->update();  // the selected line is drawn from the list's own selection
  syncTimer_->setInterval(int(std::clamp<qint64>(clock.elapsed() * 20, kSyncMs, 1000)));
}

// Only the lines added since the last time are measured, and only while they can be seen.
void ListBox::measureNewLines() {
  const qsizetype shown = model_->shown;
  if (measured_ >= shown) return;
  if (!widths_) widths_.emplace(font());
  qreal widest = widest_;
  for (qsizetype i = measured_; i < shown; ++i)
    widest = std::max(widest, model_->width(i, *widths_, widest));
  widest_ = int(std::ceil(widest));
  measured_ = shown;
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
  const QScopedValueRollback<bool> quiet(syncing_, true);
  QListView::focusInEvent(event);
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

// Widths depend on the font: a new one measures every line again.
void ListBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    widths_.reset();
    widest_ = 0;
    measured_ = 0;
    scheduleSync();
  }
  QListView::changeEvent(event);
}

void ListBox::showEvent(QShowEvent* event) {
  scheduleSync();  // lines added while hidden are measured now
  QListView::showEvent(event);
}
