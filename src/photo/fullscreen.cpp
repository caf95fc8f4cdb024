// The photo over the whole window, and back.
#include "app/filefind.h"

void FileFind::cmdTelaGrande_Click() {
  frmImg2->setVisible(true);
  photoInPanel = false;
  fitPicture(Image2, List2->text(), Fit::FullScreenEntering);
}

// The panel shows the photo now selected: stepping and the slideshow went on full screen,
// and a panel still holding the photo of before would disagree with the lists.
void FileFind::cmdImage2Tela_Click() {
  photoInPanel = true;
  frmImg2->setVisible(false);
  setCaption(QStringLiteral("Vistara"));
  fitPicture(Image1, List2->text(), Fit::Panel);
}

void FileFind::cmdProFoto2_Click() {
  cmdProfoto_Click();
}

void FileFind::cmdAntFoto2_Click() {
  cmdAntFoto_Click();
}
