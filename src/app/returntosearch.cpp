// Back from viewing to searching, with the results kept.
#include "app/filefind.h"
#include "controls/twips.h"

void FileFind::cmdBusca_Click() {
  tw::setHeight(List1, 4545);
  tw::setLeft(List1, 3966);
  tw::setTop(List1, 1440);
  tw::setWidth(List1, 3255);
  setSearchControlsEnabled(true);
  cmdMostraArq->setEnabled(true);
  if (optFoto->isChecked()) {
    Timer2->setEnabled(false);
    frmFoto->setVisible(false);
  } else {
    listResetPending = true;
    viewStopped = true;
    Timer1->setEnabled(false);
    List1->setListIndex(-1);
    frmFilme->setVisible(false);
    AMovie1->setFileName(QString());
    List1->setFocus();
  }
}
