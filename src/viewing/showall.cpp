// Viewing the whole result: photos as a slideshow, other kinds played from the first.
#include "app/captions.h"
#include "app/filefind.h"
#include "app/places.h"
#include "viewing/nofilesmessage.h"

void FileFind::cmdMostraArq_Click() {
  listResetPending = false;
  viewStopped = false;
  if (List2->listCount() == 0) {
    messages_->show(this, kNoFilesMessage);
    return;
  }
  place::moveTo(List1, place::kListViewing);
  for (QWidget* c : {static_cast<QWidget*>(cmdMostraArq), static_cast<QWidget*>(cmdIniciar),
                     static_cast<QWidget*>(Drive1), static_cast<QWidget*>(Dir1),
                     static_cast<QWidget*>(cmdParar), static_cast<QWidget*>(cmdSaida)}) {
    c->setEnabled(false);
  }
  if (!optFoto->isChecked()) {
    frmFilme->setVisible(true);
    frmFoto->setVisible(false);
    Timer1->setEnabled(false);
    // After a search that found one file the first file line is already selected;
    // it is opened all the same.
    if (List1->listIndex() == 1) {
      List1_Click();
    } else {
      List1->setListIndex(1);
    }
    return;
  }
  frmFilme->setVisible(false);
  frmFoto->setVisible(true);
  if (List1->listIndex() == List1->listCount() - 1) List1->setListIndex(-1);
  if (List1->listIndex() == -1) {
    List1->setListIndex(1);
    cmdContFoto->setText(caption::kStop);
    Timer2->setEnabled(true);
  } else {
    cmdContFoto->setText(caption::kContinue);
    Timer2->setEnabled(false);
  }
  fitCurrentPhoto();
}
