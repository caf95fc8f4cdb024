#pragma once

#include <QSlider>

// A trackbar: minimum, maximum and value, with `scroll` for moves the user makes,
// `click` when the user clicks it, `change` for every value change (the program's own
// included) and `mouseMove`.
class Slider : public QSlider {
  Q_OBJECT
 public:
  explicit Slider(QWidget* parent = nullptr);

 signals:
  void click();
  void scroll();
  void change();
  void mouseMove();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool userAction_ = false;
  int userTarget_ = 0;
};
