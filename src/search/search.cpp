// The recursive media search: the start and stop buttons, and the folder step that runs
// whenever Dir2 is moved to a folder. Each subfolder is searched by moving Dir2 to it, so
// the walk nests one level per folder; pending events run before each descent (those of the
// window system at most every few milliseconds), and while a folder read keeps the walk
// waiting (a slow or silent drive), so it can be stopped.
#include <QCoreApplication>

#include "app/filefind.h"
#include "files/stackroom.h"
#include "search/foundfiles.h"

namespace {

// Stack kept free below a folder step before it descends: enough for the event run and
// the next levels. Deeper than that (tens of thousands of levels) the tree is not entered.
constexpr std::size_t kStackReserve = 512 * 1024;
// Before a descent, the events the program posted itself are delivered; all events (the
// window system's and timers too) run once this long has passed since they last did: a
// person cannot tell, and asking the window system per folder costs as much as reading it.
constexpr qint64 kEventGapMs = 4;

}  // namespace

void FileFind::cmdIniciar_Click() {
  listResetPending = false;
  cmdIniciar->setEnabled(false);
  Dir1->refresh();
  Drive1->setEnabled(false);
  Dir1->setEnabled(false);
  cmdParar->setEnabled(true);
  cmdMostraArq->setEnabled(false);
  cmdBusca->setEnabled(false);
  List1->setEnabled(false);
  for (QWidget* kind : {optFilme, optFoto, optMusica, optSom}) kind->setEnabled(false);
  fileCount = 0;
  totalBytes = 0;
  searchStopRequested = false;
  eventsRan_.invalidate();  // the first descent lets events run
  List1->setVisible(false);
  List1->clear();
  List2->clear();
  found_.clear();
  List1->setSource(&found_.resultLines());
  List2->setSource(&found_.pathLines());
  List1->setVisible(true);

  walkReader_.setPatterns(Text1->text());
  walkReader_.setWaitHook([this] {
    QCoreApplication::processEvents();
    return !searchStopRequested;
  });
  const QString start = Dir1->path();
  if (Dir2->path() == start) {
    Dir2->refresh();  // an unchanged path raises nothing, but the folder may have changed
    scanFolder();
  } else {
    Dir2->setPath(start);  // runs the whole walk before it returns
  }
  walkReader_.stop();  // what was read ahead of a stop is let go
  // The figures as they stand, for a search that found nothing too; no longer composed
  // from values the next search resets.
  lblConta->setText(statisticsText(totalBytes, fileCount));

  for (QWidget* kind : {optFilme, optFoto, optMusica, optSom}) kind->setEnabled(true);
  cmdBusca->setEnabled(true);
  setSearchControlsEnabled(true);  // Saida was never locked by the search
  cmdMostraArq->setEnabled(true);
  List1->setEnabled(true);
  cmdIniciar->setFocus();
}

void FileFind::cmdParar_Click() {
  searchStopRequested = true;
}

void FileFind::Dir2_Change() {
  scanFolder();
}

void FileFind::scanFolder() {
  File1->setPath(Dir2->path());
  File1->setPattern(Text1->text());
  if (File1->listCount() != 0) {
    const QString folder = Dir2->path();  // one string for all its lines
    const int last = File1->listCount() - 1;
    const int before = fileCount;
    for (int i = 0; i <= last; ++i) {
      File1->setListIndex(i);
      const QStringView name = File1->fileNameView();
      const qint64 length = walkReader_.fileLength(folder, name);
      if (length < 0) continue;          // gone since the folder was read, or unreadable
      found_.add(folder, name, length);  // its folder line, path line and file line
      // The views and the counter are told once a folder: they catch up on a timer and
      // compose what they show from the figures when they do.
      if (fileCount == before) {
        List1->linesAdded();
        List2->linesAdded();
        lblConta->setTextFrom([this] { return statisticsText(totalBytes, fileCount); });
      }
      ++fileCount;
      totalBytes += length;
      const int newest = List1->listCount() - 1;
      List1->setSelected(newest, false);
      List1->setListIndex(newest);
    }
  }

  // Dir2 changes with every descent; the loop keeps this folder's list, shared with its
  // read rather than copied path by path.
  const QStringList subfolders = Dir2->subfolders();
  if (subfolders.isEmpty() || !stackRoomLeft(kStackReserve)) return;
  for (const QString& subfolder : subfolders) {
    if (!eventsRan_.isValid() || eventsRan_.hasExpired(kEventGapMs)) {
      QCoreApplication::processEvents();
      eventsRan_.start();
    } else {
      QCoreApplication::sendPostedEvents();
    }
    if (searchStopRequested) break;
    Dir2->setPath(subfolder);  // searches the whole subtree before it returns
  }
}
