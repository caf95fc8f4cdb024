#pragma once

#include <QAnyStringView>
#include <QFontMetricsF>
#include <QListView>
#include <QString>
#include <array>
#include <optional>

class QTimer;
class ListBoxModel;

// Widths of text as a list draws it, in pixels, from the advances of its characters.
class TextWidths {
 public:
  explicit TextWidths(const QFont& font);
  qreal of(QAnyStringView text);
  qreal widestDigit();  // of '0' to '9'
  // At least the width of `text`, told cheaply: Latin-1 text by its length alone.
  qreal atMost(QAnyStringView text);

 private:
  QFontMetricsF metrics_;
  std::array<qreal, 256> known_;  // Latin-1 advances, looked up once
  qreal widestDigit_ = -1;
  qreal widestLatin1_ = -1;
};

// Lines a list shows that are kept elsewhere as facts, composed only when read.
class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual qsizetype lineCount() const = 0;
  virtual QString line(qsizetype index) const = 0;
  // The width of line `index` as drawn. A source may add up the widths of its parts
  // without composing it, give 0 for a line as wide as the line before, and give any
  // width up to `widest` for a line it knows to be no wider than that.
  virtual qreal width(qsizetype index, TextWidths& widths, qreal widest) const {
    Q_UNUSED(widest);
    return widths.of(line(index));
  }
};

// A list box whose model holds the truth at once (lines, count, selection) while the
// view catches up at most about 30 times a second, so appending many lines stays linear.
// Setting the selection index raises `click` synchronously, before the setter returns.
// The selection is the list's own: the view shows it and reports a person's moves.
// Lines are drawn whole, the horizontal scroll reaching the end of the widest.
class ListBox : public QListView {
  Q_OBJECT
 public:
  explicit ListBox(QWidget* parent = nullptr);
  ~ListBox() override;

  void addItem(const QString& line);
  // Appends `head` followed by `tail`. A head passed again as the same QString object
  // (a folder's path for each of its files) is stored once for all its lines.
  void addItem(const QString& head, const QString& tail);
  // Shows the lines of `source` (not owned) ahead of any added later; the list must be
  // empty. `linesAdded` tells the list that the source grew. `clear` lets it go.
  void setSource(const LineSource* source);
  void linesAdded();
  void clear();
  int listCount() const;
  QString list(int index) const;  // empty text outside the list

  int listIndex() const { return index_; }
  // -1 clears the selection and raises nothing; an index the list cannot hold is
  // refused (returns false) and nothing changes. A change to a line raises `click`; the
  // same index again raises nothing. A person's click, Enter or Space on the selected
  // line raises `click` too.
  bool setListIndex(int index);
  QString text() const;  // the selected line, empty without selection
  void setSelected(int index, bool on);

  // The width of the widest line as drawn, in pixels, once the view has caught up.
  int widestLine() const { return widest_; }

 signals:
  void click();
  void gotFocus();
  void keyDown(int keyCode, int shift);  // raised before the list reacts to the key

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void scheduleSync();
  // Catches the view up with the lines and the selection, scrolling to it if asked.
  void syncView(bool showSelection);
  void measureNewLines();
  void raiseClick();
  void onViewCurrentChanged(const QModelIndex& current);

  ListBoxModel* model_;
  QTimer* syncTimer_;
  bool syncDue_ = false;  // the timer runs: it is only started, and stops only by firing
  int index_ = -1;
  int clicks_ = 0;  // `click` raised so far, to tell whether an event raised one
  bool syncing_ = false;
  int widest_ = 0;
  qsizetype measured_ = 0;            // lines whose width is in widest_
  std::optional<TextWidths> widths_;  // in the list's font, kept from one catch-up to the next
};
