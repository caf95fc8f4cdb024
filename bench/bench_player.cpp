// Selection to playing: the time from setting the result list's selection on a local
// film to the real player reporting it runs, engine already started. Prints
// `player.open_ms` (median) and `player.open_max_ms`.
// Then the share of a core the whole program takes while a film larger than the panel
// plays at display sizes 0, 2 and 4 (medians over several plays), and each enlarged
// size's share against that of size 0, measured in the same run:
// `player.cpu_size0`, `player.cpu_size2`, `player.cpu_size4`, `player.cpu_ratio2`,
// `player.cpu_ratio4`.
// First of all, what playing costs in memory: the growth of the process's resident size
// over what it used before the first file, while a 2-hour film and a 10-minute song play
// (`player.rss_film_mb`, `player.rss_song_mb`; bound 80), and the share of a core the
// program takes during a song's first 5 s (`player.cpu_song_start`), when its sound is
// synthesised.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "app/filefind.h"
#include "media/mpvplayer.h"
#include "median.h"
#include "support/memory.h"

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

// A 2-hour film made of one 10 s film repeated (stream copy: seconds to write), 640 x 360
// at about 0.5 Mbit/s (450 MB): far more than any read-ahead should hold. False without
// ffmpeg.
bool makeLongFilm(const QString& path) {
  const QString part = path + ".part.avi";
  const auto run = [](const QStringList& args) {
    QProcess ff;
    ff.start("ffmpeg", QStringList{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"} + args);
    return ff.waitForFinished(600000) && ff.exitStatus() == QProcess::NormalExit &&
           ff.exitCode() == 0;
  };
  const bool made = run({"-f", "lavfi", "-i", "testsrc=size=640x360:rate=25:duration=10", "-f",
                         "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=10", "-c:v",
                         "mpeg4", "-b:v", "500k", "-c:a", "libmp3lame", "-b:a", "64k", part}) &&
                    run({"-stream_loop", "719", "-i", part, "-c", "copy", path});
  QFile::remove(part);
  return made;
}

// A 10-minute song of one channel: a note every quarter second, each held for 0.2 s.
void writeLongSong(const QString& path) {
  QByteArray track;
  const auto delta = [&](int ticks) {  // variable-length quantity
    QByteArray v(1, char(ticks & 0x7F));
    while (ticks >>= 7) v.prepend(char(0x80 | (ticks & 0x7F)));
    track += v;
  };
  track += QByteArray::fromHex("00c000");  // piano
  for (int i = 0; i < 2400; ++i) {         // 96 ticks a beat at 120 bpm: 48 ticks a note
    delta(i ? 10 : 0);
    track += char(0x90) + QByteArray(1, char(48 + i % 24)) + char(100);
    delta(38);
    track += char(0x80) + QByteArray(1, char(48 + i % 24)) + char(0);
  }
  track += QByteArray::fromHex("00ff2f00");
  QByteArray song = QByteArray::fromHex("4d546864000000060000000100604d54726b");
  for (int shift : {24, 16, 8, 0}) song += char((track.size() >> shift) & 0xFF);
  QFile out(path);
  if (out.open(QIODevice::WriteOnly)) out.write(song + track);
}

// The peak resident size, in MB over `before`, while `line` plays for `seconds`; -1 when
// it does not play. Also the share of a core over those seconds.
double growthWhilePlaying(FileFind& w, int line, double before, int seconds, double* share) {
  resetPeakResident();
  const double cpu = cpuSeconds();
  QElapsedTimer wall;
  wall.start();
  if (openMs(w, line) < 0) {
    std::fprintf(stderr, "%s did not play\n", qPrintable(w.List2->text()));
    return -1;
  }
  runFor(seconds * 1000 - int(wall.elapsed()));
  if (w.AMovie1->state() != MediaPlayer::State::Running) {
    std::fprintf(stderr, "%s stopped playing\n", qPrintable(w.List2->text()));
    return -1;
  }
  if (share) *share = (cpuSeconds() - cpu) / (wall.nsecsElapsed() / 1e9);
  return peakResidentMb() - before;
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
  QTemporaryDir longDir;
  // Listed song first: a search leaves the last line selected, and selecting it again opens
  // nothing.
  writeLongSong(longDir.filePath("a-song.mid"));
  const bool longFilm = makeLongFilm(longDir.filePath("b-film.avi"));

  FileFindServices services;
  services.messages = std::make_unique<SilentSink>();
  services.playerFactory = makeMpvPlayer;
  FileFind w(std::move(services));
  w.showCentred();
  // Memory first, against the process before its first file.
  w.Text1->setText("*.avi;*.mid");
  w.Dir1->setPath(longDir.path());
  w.cmdIniciar->click();
  for (int i = 0; i < 100 && !w.cmdIniciar->isEnabled(); ++i) runFor(100);  // the search is over
  resetPeakResident();
  const double before = peakResidentMb();
  double share = -1;
  const double song = growthWhilePlaying(w, 1, before, 5, &share);
  std::printf("player.rss_song_mb %.1f\n", song);
  std::printf("player.cpu_song_start %.3f\n", share);
  if (longFilm) {
    const double film = growthWhilePlaying(w, 3, before, 8, nullptr);
    std::printf("player.rss_film_mb %.1f\n", film);
  } else {
    std::fprintf(stderr, "no ffmpeg: no 2-hour film to play\n");
  }
  w.cmdBusca->click();  // back to searching, for the films below
  w.Text1->setText("*.avi;*.mpg;*.mov");
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
