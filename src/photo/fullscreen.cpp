// The photo over the whole window, and back.
#include "app/filefind.h"

void FileFind::cmdTelaGrande_Click() {
  frmImg2->setVisible(true);
  photoInPanel = false;
  fitPicture(Image2, List2->text(), Fit::FullScreenEntering);
}

void FileFind::cmdImage2Tela_Click() {
  photoInPanel = true;
  frmImg2->setVisible(false);
  setCaption(QStringLiteral("Vistara"));
}

void FileFind::cmdProFoto2_Click() {
  cmdProfoto_Click();
}

void FileFind::cmdAntFoto2_Click() {
  cmdAntFoto_Click();
}
