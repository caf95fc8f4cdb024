// Back from viewing to searching, with the results kept.
#include "app/filefind.h"
#include "app/places.h"

void FileFind::cmdBusca_Click() {
  place::moveTo(List1, place::kListSearching);
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
