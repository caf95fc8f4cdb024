// Opening the file of the selected result line; runs on every change of the selection.
#include <cmath>

#include "app/captions.h"
#include "app/filefind.h"
#include "app/places.h"
#include "controls/twips.h"
#include "viewing/nofilesmessage.h"

namespace {

// The found file a result line belongs to: a file line 2k + 1 gives k, a folder line 2k
// gives k - 0.5 rounded half to even, -1 gives -1.
int fileIndexOfLine(int line) {
  return int(std::nearbyint((double(line) + 1) / 2 - 1));  // the default rounding: half to even
}

// A folder line opens its neighbouring file line: the one below it, or the one above
// after an Up arrow. The assignment opens that file before it returns.
void skipFolderLine(FileFind& w) {
  if (w.List1->text().left(3) == QLatin1String("-->")) {
    w.List1->setListIndex(w.List1->listIndex() + (w.upKeyPressed ? -1 : 1));
  }
}

}  // namespace

void FileFind::List1_Click() {
  if (!List1->isEnabled()) return;
  if (listResetPending) return;
  viewStopped = false;
  if (List2->listCount() == 0) {
    messages_->show(this, kNoFilesMessage);
    return;
  }
  if (tw::top(List1) < 2000) {  // the first opening since search mode
    if (optFoto->isChecked()) {
      cmdContFoto->setText(caption::kContinue);
    } else {
      cmdPararFilme->setText(caption::kPause);
    }
  }
  place::moveTo(List1, place::kListViewing);
  setSearchControlsEnabled(false);
  if (!optFoto->isChecked()) {
    skipFolderLine(*this);
    frmFilme->setVisible(true);
    List2->setListIndex(fileIndexOfLine(List1->listIndex()));
    AMovie1->setFileName(List2->text());
    Label2->setText(List2->text());
    return;
  }
  List2->setListIndex(fileIndexOfLine(List1->listIndex()));
  frmFilme->setVisible(false);
  frmFoto->setVisible(true);
  cmdMostraArq->setEnabled(false);
  if (photoInPanel) skipFolderLine(*this);
  fitCurrentPhoto(Fit::Panel, true);
}
