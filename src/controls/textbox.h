#pragma once

#include <QPlainTextEdit>

// A text box that wraps its text over several lines; Tab moves the focus on. Its text is
// taken from the document once a change and kept: a search asks for it at every folder.
class TextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextBox(QWidget* parent = nullptr) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(document(), &QTextDocument::contentsChanged, this, [this] { known_ = false; });
  }
  QString text() const {
    if (!known_) {
      text_ = toPlainText();
      known_ = true;
    }
    return text_;
  }
  void setText(const QString& text) { setPlainText(text); }

 private:
  mutable QString text_;
  mutable bool known_ = false;
};
