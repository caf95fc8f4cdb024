// Selection to playing: the time from setting the result list's selection on a local
// film to the real player reporting it runs, engine already started. Prints
// `player.open_ms` (median) and `player.open_max_ms`.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "app/filefind.h"
#include "median.h"
#include "media/mpvplayer.h"

namespace {

class SilentSink : public MessageSink {
 public:
  void show(QWidget*, const QString&) override {}
};

// Waits for the player to run; -1 when it never does within the limit.
double openMs(FileFind& w, int line) {
  QElapsedTimer clock;
  clock.start();
  w.List1->setListIndex(line);
  while (w.AMovie1->state() != MediaPlayer::kRunning) {
    if (clock.elapsed() > 10000) return -1;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QString source = QStringLiteral(VISTARA_SOURCE_DIR "/tests/data/media/film-mjpeg-pcm.avi");
  QTemporaryDir dir;
  for (const char* name : {"a.avi", "b.avi"}) QFile::copy(source, dir.filePath(name));

  FileFindServices services;
  services.messages = std::make_unique<SilentSink>();
  services.playerFactory = makeMpvPlayer;
  FileFind w(std::move(services));
  w.showCentred();
  w.Dir1->setPath(dir.path());
  w.cmdIniciar->click();
  if (w.List2->listCount() != 2) {
    std::fprintf(stderr, "search found %d films\n", w.List2->listCount());
    return 1;
  }
  openMs(w, 1);  // starts the engine
  std::vector<double> times;
  for (int i = 0; i < 15; ++i) {
    const double ms = openMs(w, i % 2 ? 1 : 3);
    if (ms >= 0) times.push_back(ms);
  }
  if (times.empty()) return 1;
  std::printf("player.open_ms %.1f\n", median(times));
  std::printf("player.open_max_ms %.1f\n", *std::max_element(times.begin(), times.end()));
  return 0;
}
