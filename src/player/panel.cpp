// The player panel: centring the player in its area, the slider's range, display sizes.
#include "app/captions.h"
#include "app/filefind.h"
#include "controls/twips.h"
#include "player/halfeven.h"

namespace {

// The player's centre lies on the area's vertical centre and, as the window always
// placed it, 120 twips (the panel's left) right of the horizontal centre.
void centrePlayer(FileFind& w) {
  w.AMovie1->setTop(tw::height(w.Picture1) / 2.0f - w.AMovie1->height() / 2.0f);
  w.AMovie1->setLeft(tw::width(w.Picture1) / 2.0f - w.AMovie1->width() / 2.0f +
                     tw::left(w.frmFilme));
}

}  // namespace

// Every file opened plays, so the pause button says so: a "Continuar" kept from the file
// before would claim a pause while the film runs.
void FileFind::AMovie1_OpenComplete() {
  Timer1->setEnabled(true);
  cmdPararFilme->setText(caption::kPause);
  centrePlayer(*this);
  Sl1->setMaximum(roundHalfEven(AMovie1->duration()));
  Sl1->setMinimum(0);
  Sl1->setValue(0);
}

void FileFind::cmdMenorFilme_Click() {
  const int size = AMovie1->displaySize();
  if (size >= 0 && size <= 4) AMovie1->setDisplaySize(size == 4 ? 0 : size + 1);
  centrePlayer(*this);
}
