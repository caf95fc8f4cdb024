#pragma once

#include <QString>
#include <memory>

class QWidget;

// Where the program's messages go: a modal box titled "Vistara" with one OK button.
// Tests replace it and read what was shown.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(QWidget* parent, const QString& text) = 0;
};

std::unique_ptr<MessageSink> makeMessageBoxSink();
