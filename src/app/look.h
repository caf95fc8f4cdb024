#pragma once

#include <QColor>
#include <QString>

// How a control looks and starts, as the stored design gives it.
struct Look {
  bool hidden = false;
  bool disabled = false;
  bool border = false;
  bool centred = false;
  bool autoSize = false;
  bool wrap = false;
  QColor back;
  QColor fore;
  QString fontFace;  // empty: the window's default face and size
  float fontPoints = 8.25f;
  bool bold = false;
  bool italic = false;

  Look& hide() {
    hidden = true;
    return *this;
  }
  Look& disable() {
    disabled = true;
    return *this;
  }
  Look& bg(QColor c) {
    back = c;
    return *this;
  }
  Look& fg(QColor c) {
    fore = c;
    return *this;
  }
  Look& boxed() {
    border = true;
    return *this;
  }
  Look& centre() {
    centred = true;
    return *this;
  }
  Look& fit() {
    autoSize = true;
    return *this;
  }
  Look& wrapped() {
    wrap = true;
    return *this;
  }
  Look& font(const QString& face, float points, bool isBold = false, bool isItalic = false) {
    fontFace = face;
    fontPoints = points;
    bold = isBold;
    italic = isItalic;
    return *this;
  }
};

namespace colours {
const QColor grey(192, 192, 192);
const QColor paleGrey(224, 224, 224);
const QColor black(0, 0, 0);
const QColor darkBlue(0, 0, 192);
const QColor blue(0, 0, 255);
const QColor orange(192, 64, 0);
}  // namespace colours
