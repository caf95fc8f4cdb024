#include "controls/messagebox.h"

#include <QMessageBox>

namespace {

class MessageBoxSink : public MessageSink {
 public:
  void show(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vistara"), text, QMessageBox::Ok, parent);
    box.exec();
  }
};

}  // namespace

std::unique_ptr<MessageSink> makeMessageBoxSink() {
  return std::make_unique<MessageBoxSink>();
}
