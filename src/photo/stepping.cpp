// Next and previous photo; both pause the slideshow first.
#include "app/filefind.h"

void FileFind::cmdProfoto_Click() {
  Timer2->setEnabled(false);
  cmdContFoto->setText(QStringLiteral("&Continuar"));
  const int i = List2->listIndex();
  if (i < List2->listCount() - 1) {
    List2->setListIndex(i + 1);
    List1->setListIndex(List1->listIndex() + 2);  // opens the photo; refused when out of step
    if (photoInPanel) {
      fitPicture(Image1, List2->text(), Fit::Panel);
    } else {
      fitPicture(Image2, List2->text(), Fit::FullScreen);
    }
  }
}

void FileFind::cmdAntFoto_Click() {
  Timer2->setEnabled(false);
  cmdContFoto->setText(QStringLiteral("&Continuar"));
  const int i = List2->listIndex();
  if (i > 0) {
    List2->setListIndex(i - 1);
    List1->setListIndex(List1->listIndex() - 2);
    if (photoInPanel) {
      fitPicture(Image1, List2->text(), Fit::Panel);
    } else {
      fitPicture(Image2, List2->text(), Fit::FullScreen);
    }
  }
}

void FileFind::cmdAntFoto_KeyDown(int keyCode, int shift) {
  List1_KeyDown(keyCode, shift);
}
