#pragma once

#include "controls/twips.h"

class QWidget;

// Places of the stored design that the handlers move a control to, in twips.
namespace place {

struct Place {
  float left, top, width, height;
};

// The result list beside the search controls, and small beside the viewing panels.
inline constexpr Place kListSearching{3966, 1440, 3255, 4545};
inline constexpr Place kListViewing{7560, 4230, 1935, 2205};

// Height first, then left, top and width, one step at a time as the handlers always moved it.
inline void moveTo(QWidget* w, const Place& p) {
  tw::setHeight(w, p.height);
  tw::setLeft(w, p.left);
  tw::setTop(w, p.top);
  tw::setWidth(w, p.width);
}

}  // namespace place
