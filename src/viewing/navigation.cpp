// Moving through the found files: the player strip's buttons and the list's own keys.
#include "app/filefind.h"

namespace {

constexpr int kUpArrow = 38;

// Opens the file of line `index`. The tracking timer restarts rather than stays off:
// its tick waits while the player opens the file, and moves on when the file cannot be
// opened, as it does after a film it advanced to itself; open-complete enables it too.
void moveTo(FileFind& w, int index) {
  w.Timer1->setEnabled(false);
  w.List1->setListIndex(index);
  w.Timer1->setEnabled(true);
}

}  // namespace

void FileFind::cmdAnterior_Click() {
  if (List1->listIndex() >= 3) moveTo(*this, List1->listIndex() - 2);
}

void FileFind::cmdProximo_Click() {
  if (List1->listIndex() <= List1->listCount() - 2) moveTo(*this, List1->listIndex() + 2);
}

void FileFind::List1_GotFocus() {
  if (listResetPending) {
    List1->setListIndex(-1);
    listResetPending = false;
  }
}

void FileFind::List1_KeyDown(int keyCode, int) {
  upKeyPressed = false;
  if (keyCode == kUpArrow) upKeyPressed = true;
}
