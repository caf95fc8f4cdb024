#include "controls/messagebox.h"

#include <QMessageBox>

namespace {

class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(QString title) : title_(std::move(title)) {}
  void show(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title_, text, QMessageBox::Ok, parent);
    box.exec();
  }

 private:
  QString title_;
};

}  // namespace

std::unique_ptr<MessageSink> makeMessageBoxSink(const QString& title) {
  return std::make_unique<MessageBoxSink>(title);
}
