// Pause and continue, seeking with the slider, and the tracking tick that advances.
#include "app/captions.h"
#include "app/filefind.h"
#include "player/halfeven.h"

void FileFind::cmdPararFilme_Click() {
  if (cmdPararFilme->text() == caption::kPause) {
    cmdPararFilme->setText(caption::kContinue);
    AMovie1->pause();
    Timer1->setEnabled(false);
  } else {
    cmdPararFilme->setText(caption::kPause);
    AMovie1->run();
    Timer1->setEnabled(true);
  }
}

// Only the user's own moves seek; the tick's value changes never do.
void FileFind::Sl1_Click() {
  AMovie1->setCurrentPosition(Sl1->value());
}

void FileFind::Sl1_Scroll() {
  AMovie1->setCurrentPosition(Sl1->value());
}

void FileFind::Timer1_Timer() {
  if (viewStopped) {
    Timer1->setEnabled(false);
    return;
  }
  if (AMovie1->state() == MediaPlayer::State::Running) {
    // A thumb the user holds stays under the mouse: it seeks as it moves.
    if (!Sl1->isSliderDown()) Sl1->setValue(roundHalfEven(AMovie1->currentPosition()));
    return;
  }
  // A file still being opened is not over: moving on would pass over a good file that
  // merely opens slowly. A file that cannot be opened is given up by the player.
  if (AMovie1->opening()) return;
  const int index = List1->listIndex();
  if (index == -1) {
    List1->setListIndex(1);
  } else if (index <= List1->listCount() - 3) {
    List1->setListIndex(index + 2);
  }
}
