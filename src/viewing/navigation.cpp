// Moving through the found files: the player strip's buttons and the list's own keys.
#include "app/filefind.h"

namespace {
constexpr int kUpArrow = 38;
}

void FileFind::cmdAnterior_Click() {
  if (List1->listIndex() >= 3) {
    Timer1->setEnabled(false);
    List1->setListIndex(List1->listIndex() - 2);
  }
}

void FileFind::cmdProximo_Click() {
  if (List1->listIndex() <= List1->listCount() - 2) {
    Timer1->setEnabled(false);
    List1->setListIndex(List1->listIndex() + 2);
  }
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
