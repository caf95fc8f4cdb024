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
  cmdMostraArq->setEnabled(false);
  setSearchControlsEnabled(false);
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
    // The tracking tick waits while the first file opens and moves on should it never open:
    // left to open-complete alone, a first file that cannot be played would end the show.
    Timer1->setEnabled(true);
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
