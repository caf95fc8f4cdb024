// The timed slideshow: one photo a tick to the last one, pause and continue, pace.
#include "app/captions.h"
#include "app/filefind.h"
#include "text/numberformat.h"

void FileFind::Timer2_Timer() {
  if (viewStopped) {
    Timer2->setEnabled(false);
    return;
  }
  fitCurrentPhoto(Fit::PanelSlideshowTick);
  const int i = List2->listIndex();
  if (i == List2->listCount() - 1) {
    viewStopped = true;
    Timer2->setEnabled(false);
    return;
  }
  List2->setListIndex(i + 1);
  List1->setListIndex(List1->listIndex() + 2);  // opens it; refused when out of step
}

void FileFind::cmdContFoto_Click() {
  if (cmdContFoto->text() == caption::kContinue) {
    cmdContFoto->setText(caption::kStop);
    Timer2->setEnabled(true);
  } else {
    cmdContFoto->setText(caption::kContinue);
    Timer2->setEnabled(false);
  }
}

void FileFind::SlFoto_Change() {
  Timer2->setInterval(SlFoto->value() * 10);
  lblTempoFoto->setText(QStringLiteral("T= ") + plainNumberText(Timer2->interval() / 1000.0) +
                        QStringLiteral(" Seg."));
}
