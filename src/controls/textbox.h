#pragma once

#include <QPlainTextEdit>

// A text box that wraps its text over several lines; Tab moves the focus on.
class TextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextBox(QWidget* parent = nullptr) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  }
  QString text() const { return toPlainText(); }
  void setText(const QString& text) { setPlainText(text); }
};
