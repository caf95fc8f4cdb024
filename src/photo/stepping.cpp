// Next and previous photo; both pause the slideshow first.
#include "app/captions.h"
#include "app/filefind.h"

void FileFind::cmdProfoto_Click() {
  Timer2->setEnabled(false);
  cmdContFoto->setText(caption::kContinue);
  const int i = List2->listIndex();
  if (i < List2->listCount() - 1) {
    List2->setListIndex(i + 1);
    List1->setListIndex(List1->listIndex() + 2);  // opens the photo; refused when out of step
    fitCurrentPhoto();
  }
}

void FileFind::cmdAntFoto_Click() {
  Timer2->setEnabled(false);
  cmdContFoto->setText(caption::kContinue);
  const int i = List2->listIndex();
  if (i > 0) {
    List2->setListIndex(i - 1);
    List1->setListIndex(List1->listIndex() - 2);
    fitCurrentPhoto();
  }
}

void FileFind::cmdAntFoto_KeyDown(int keyCode, int shift) {
  List1_KeyDown(keyCode, shift);
}
