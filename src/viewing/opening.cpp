// Opening the file of the selected result line; runs on every change of the selection.
#include <cmath>

#include "app/filefind.h"
#include "controls/twips.h"
#include "viewing/viewingplace.h"

void moveListToViewingPlace(FileFind& w) {
  tw::setHeight(w.List1, 2205);
  tw::setLeft(w.List1, 7560);
  tw::setTop(w.List1, 4230);
  tw::setWidth(w.List1, 1935);
}

int fileIndexOfLine(int line) {
  return int(std::nearbyint((double(line) + 1) / 2 - 1));  // the default rounding: half to even
}

namespace {

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
      cmdContFoto->setText(QStringLiteral("&Continuar"));
    } else {
      cmdPararFilme->setText(QStringLiteral("&Pausa"));
    }
  }
  moveListToViewingPlace(*this);
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
  if (photoInPanel) {
    skipFolderLine(*this);
    fitPicture(Image1, List2->text(), Fit::Panel);
  } else {
    const QString path = List2->text();
    fitPicture(Image2, path, Fit::FullScreen, [this, path] { setCaption(path); });
  }
}
