#pragma once

#include <QListView>
#include <QString>
#include <vector>

class QTimer;
class ListBoxModel;

// A list box whose model holds the truth at once (lines, count, selection) while the
// view catches up at most about 30 times a second, so appending many lines stays linear.
// Setting the selection index raises `click` synchronously, before the setter returns.
class ListBox : public QListView {
  Q_OBJECT
 public:
  explicit ListBox(QWidget* parent = nullptr);
  ~ListBox() override;

  void addItem(const QString& line);
  // Appends `head` followed by `tail`. A head passed again as the same QString object
  // (a folder's path for each of its files) is stored once for all its lines.
  void addItem(const QString& head, const QString& tail);
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

  bool selected(int index) const { return index >= 0 && index == index_; }
  void setSelected(int index, bool on);

 signals:
  void click();
  void gotFocus();
  void keyDown(int keyCode, int shift);  // raised before the list reacts to the key

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void scheduleSync();
  // Catches the view up with the lines and the selection, scrolling to it if asked.
  void syncView(bool showSelection);
  void raiseClick();
  void onViewCurrentChanged(const QModelIndex& current);

  ListBoxModel* model_;
  QTimer* syncTimer_;
  int index_ = -1;
  int clicks_ = 0;  // `click` raised so far, to tell whether an event raised one
  bool syncing_ = false;
};
