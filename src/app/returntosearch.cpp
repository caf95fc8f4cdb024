// Back from viewing to searching, with the results kept.
#include "app/filefind.h"
#include "app/places.h"

void FileFind::cmdBusca_Click() {
  place::moveTo(List1, place::kListSearching);
  for (QWidget* w : {static_cast<QWidget*>(cmdIniciar), static_cast<QWidget*>(Drive1),
                     static_cast<QWidget*>(Dir1), static_cast<QWidget*>(cmdParar),
                     static_cast<QWidget*>(cmdMostraArq), static_cast<QWidget*>(cmdSaida)}) {
    w->setEnabled(true);
  }
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
