#pragma once

#include <QString>
#include <memory>

class QWidget;

// Where the program's messages go: a modal box with the title the window hands in and one
// OK button. Tests replace it and read what was shown.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(QWidget* parent, const QString& text) = 0;
};

std::unique_ptr<MessageSink> makeMessageBoxSink(const QString& title);
