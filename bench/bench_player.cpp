// Selection to playing: the time from setting the result list's selection on a local
// film to the real player reporting it runs, engine already started. Prints
// `player.open_ms` (median) and `player.open_max_ms`.
// Then the share of a core the whole program takes while a film larger than the panel
// plays at display sizes 0, 2 and 4 (medians over several plays), and each enlarged
// size's share against that of size 0, measured in the same run:
// `player.cpu_size0`, `player.cpu_size2`, `player.cpu_size4`, `player.cpu_ratio2`,
// `player.cpu_ratio4`.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <map>
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
  while (w.AMovie1->state() != MediaPlayer::State::Running) {
    if (clock.elapsed() > 10000) return -1;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return clock.nsecsElapsed() / 1e6;
}

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Lets the event loop run for `ms` of wall time, sleeping while there is nothing to do.
void runFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Opens `line` and measures the share of a core used while its middle plays.
double cpuShare(FileFind& w, int line) {
  if (openMs(w, line) < 0) return -1;
  runFor(200);  // past the start
  QElapsedTimer wall;
  wall.start();
  const double cpu = cpuSeconds();
  runFor(1400);
  if (w.AMovie1->state() != MediaPlayer::State::Running) return -1;
  return (cpuSeconds() - cpu) / (wall.nsecsElapsed() / 1e9);
}

// Steps the size button until the player shows `size`.
void showAtSize(FileFind& w, int size) {
  while (w.AMovie1->displaySize() != size) w.cmdMenorFilme->click();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QString source = QStringLiteral(VISTARA_SOURCE_DIR "/tests/data/media/film-mjpeg-pcm.avi");
  // A 1024 x 576 film, 2 s long: larger than the panel at every size but the natural.
  const QString large = QStringLiteral(VISTARA_SOURCE_DIR "/tests/data/media/film-large-mpeg4.avi");
  QTemporaryDir dir;
  for (const char* name : {"a.avi", "b.avi"}) QFile::copy(source, dir.filePath(name));
  for (const char* name : {"c.avi", "d.avi"}) QFile::copy(large, dir.filePath(name));

  FileFindServices services;
  services.messages = std::make_unique<SilentSink>();
  services.playerFactory = makeMpvPlayer;
  FileFind w(std::move(services));
  w.showCentred();
  w.Dir1->setPath(dir.path());
  w.cmdIniciar->click();
  if (w.List2->listCount() != 4) {
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

  std::map<int, std::vector<double>> shares;
  int plays = 0;
  for (int round = 0; round < 7; ++round) {
    for (int size : {0, 2, 4}) {
      showAtSize(w, size);
      const double share = cpuShare(w, plays++ % 2 ? 5 : 7);
      if (share >= 0) shares[size].push_back(share);
    }
  }
  showAtSize(w, 0);
  if (shares[0].empty() || shares[2].empty() || shares[4].empty()) return 1;
  const double base = median(shares[0]);
  std::printf("player.cpu_size0 %.3f\n", base);
  std::printf("player.cpu_size2 %.3f\n", median(shares[2]));
  std::printf("player.cpu_size4 %.3f\n", median(shares[4]));
  std::printf("player.cpu_ratio2 %.2f\n", median(shares[2]) / base);
  std::printf("player.cpu_ratio4 %.2f\n", median(shares[4]) / base);
  return 0;
}
