// A folder of varied films played through by automatic advance on the real window with
// the real player, watched as a person watches it: each film starts after the one
// before, its position and picture move, and files that are no film are passed over.
// VISTARA_SOAK_ROUNDS=N plays it N times (make soak) and tells the timeline of any stall.
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "controls/timer.h"
#include "media/mpvview.h"
#include "support/fakes.h"
#include "support/input.h"

namespace {

const QString kFolder = QStringLiteral(VISTARA_TEST_DATA "/playthrough/");
// How long opening a film should take, and how long it may take on a loaded machine
// before it counts as a stall. The tracking tick comes every interval, so an end is
// seen at most that late: the advance is due one interval and the opening after it.
constexpr double kOpenSlack = 1.0;
constexpr double kStallSlack = 3.0;
// A round stands still this long only when the advance stalled.
constexpr double kStillSeconds = 15;

// What a person sees of one file while it is the player's.
struct Seen {
  QString name;
  double length = 0;     // 0: no film, to be passed over
  bool picture = true;   // the file has a picture that moves
  double selected = -1;  // seconds since the round began
  double running = -1;   // first seen playing
  double ended = -1;     // first seen no longer playing, after it played
  double given = -1;     // seen given up without playing
  double furthest = 0;   // the furthest position shown
  bool pictureMoved = false;
  bool strangePicture = false;  // a picture shown for a file that has none
  QImage first;                 // the first picture shown
};

QList<Seen> expectedFiles() {
  QList<Seen> files;
  QFile list(kFolder + "durations.txt");
  if (!list.open(QIODevice::ReadOnly)) return files;
  while (!list.atEnd()) {
    const QList<QByteArray> f = list.readLine().trimmed().split(' ');
    if (f.size() != 2) continue;
    Seen s;
    s.name = QString::fromUtf8(f[0]);
    s.length = f[1].toDouble();
    s.picture = !s.name.contains("audioonly");
    files << s;
  }
  // Half a film (it plays what is there, or is passed over), then two files that are no film.
  for (const char* name : {"j_truncated.avi", "k_text.avi", "l_empty.mpg"}) {
    Seen s;
    s.name = name;
    files << s;
  }
  return files;
}

// One round: the window made, the folder found, Mostrar pressed, every file watched.
class Round : public QObject {
 public:
  QList<Seen> files = expectedFiles();
  QStringList timeline;
  QStringList faults;  // stalls: something never came, or came far too late
  QStringList slow;    // came, but later than a person should wait
  double seconds = 0;  // the round's length

  void play() {
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    w.showCentred();
    typeInto(w.Text1, "*.avi;*.mpg;*.mov;*.mp4;*.mkv");
    searchFrom(w, kFolder);
    if (w.List2->listCount() != files.size()) {
      faults << QString("found %1 files of %2").arg(w.List2->listCount()).arg(files.size());
      return;
    }
    w_ = &w;
    view_ = w.Picture1->findChild<MpvView*>();
    connect(w.Timer1, &Timer::timer, this, [this] { note("tick"); });
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, &Round::look);
    clock_.start();
    watch.start(50);
    QTest::mouseClick(w.cmdMostraArq, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(done_, int(bound() * 1000) + 60000);
    watch.stop();
    seconds = now();
    judge(w.Timer1->interval() / 1000.0);
    w_ = nullptr;
  }

 private:
  FileFind* w_ = nullptr;
  MpvView* view_ = nullptr;
  QElapsedTimer clock_;
  int current_ = -1;
  double lastChange_ = 0;
  bool done_ = false;

  double now() const { return clock_.elapsed() / 1000.0; }
  void note(const QString& what) {
    timeline << QString("%1 s  %2").arg(now(), 7, 'f', 2).arg(what);
  }
  double bound() const {
    double sum = 0;
    for (const Seen& s : files) sum += s.length;
    return sum + files.size() * (w_->Timer1->interval() / 1000.0 + kOpenSlack);
  }

  void look() {
    const QString name = w_->AMovie1->fileName().section('/', -1);
    if (current_ < 0 || files[current_].name != name) {
      int next = -1;
      for (int i = 0; i < files.size(); ++i)
        if (files[i].name == name) next = i;
      if (next < 0) return;
      // A file that ended between two looks let go no later than the advance.
      if (current_ >= 0 && files[current_].running >= 0 && files[current_].ended < 0) {
        files[current_].ended = now();
        note("ended");
      }
      current_ = next;
      files[next].selected = now();
      lastChange_ = now();
      note("selected " + name);
    }
    Seen& s = files[current_];
    const MediaPlayer& p = *w_->AMovie1;
    const bool running = p.state() == MediaPlayer::State::Running;
    if (running && s.running < 0) {
      s.running = now();
      lastChange_ = now();
      note("playing");
    }
    if (!running && s.running >= 0 && s.ended < 0) {
      s.ended = now();
      lastChange_ = now();
      note(QString("ended at %1 s").arg(p.currentPosition(), 0, 'f', 2));
    }
    if (!running && !p.opening() && s.running < 0 && s.given < 0) {
      s.given = now();
      lastChange_ = now();
      note("given up");
    }
    if (running) s.furthest = std::max(s.furthest, p.currentPosition());
    if (running && view_ && view_->hasPicture()) {
      if (!s.picture) s.strangePicture = true;
      const QImage shot = view_->grab().toImage();
      if (s.first.isNull()) {
        s.first = shot;
      } else if (!s.pictureMoved && shot != s.first) {
        s.pictureMoved = true;
        note("picture moved");
      }
    }
    const bool last = current_ == files.size() - 1;
    if ((last && (s.given >= 0 || s.ended >= 0)) || now() - lastChange_ > kStillSeconds) {
      if (!done_) note(last ? "round over" : "nothing moved: stalled");
      done_ = true;
    }
  }

  void fault(const Seen& s, const QString& what) { faults << s.name + ": " + what; }
  // Later than `slack`: slow; later than the stall's slack as well: a stall.
  void late(const Seen& s, double took, double slack, const QString& what) {
    if (took > slack + kStallSlack - kOpenSlack)
      fault(s, what.arg(took));
    else if (took > slack)
      slow << s.name + ": " + what.arg(took);
  }

  // Every film started in turn, soon after the one before it ended; it moved; the
  // broken ones were passed over; the whole round took no longer than its films.
  void judge(double tick) {
    const double gap = tick + kOpenSlack;
    double before = 0;  // when the previous file let go: Mostrar, its end, its giving up
    for (const Seen& s : files) {
      if (s.selected < 0) {
        fault(s, "never reached");
        break;
      }
      late(s, s.selected - before, gap, "reached %1 s after the one before let go");
      if (s.length > 0) {
        if (s.running < 0) {
          fault(s, "never played");
          break;
        }
        late(s, s.running - s.selected, kOpenSlack, "played %1 s after it was reached");
        if (s.furthest < std::min(1.0, s.length / 2)) fault(s, "its position never moved");
        if (s.picture && !s.pictureMoved) fault(s, "its picture never moved");
        if (s.ended < 0) {
          fault(s, "never ended");
          break;
        }
        late(s, s.ended - s.running, s.length + kOpenSlack, "ended %1 s after it began");
      } else if (s.running < 0 && s.given < 0) {
        fault(s, "neither played nor given up");
        break;
      }
      if (s.strangePicture) fault(s, "showed a picture, having none");
      before = s.ended >= 0 ? s.ended : s.given;
    }
    if (now() > bound()) fault(files.last(), QString("round took %1 s").arg(now()));
  }
};

}  // namespace

class TestPlayerPlaythrough : public QObject {
  Q_OBJECT

 private slots:
  void everyFilmPlaysThrough() {
    const int rounds = qMax(1, qEnvironmentVariableIntValue("VISTARA_SOAK_ROUNDS"));
    int stalls = 0, slow = 0;
    for (int r = 1; r <= rounds; ++r) {
      Round round;
      QVERIFY2(round.files.size() == 12, "the play-through fixtures are missing");
      round.play();
      if (round.faults.isEmpty() && round.slow.isEmpty()) {
        qInfo("round %d: played through in %.1f s", r, round.seconds);
        continue;
      }
      stalls += !round.faults.isEmpty();
      slow += !round.slow.isEmpty();
      qInfo("round %d %s:\n  %s\ntimeline:\n  %s", r,
            round.faults.isEmpty() ? "played through, slowly" : "stalled",
            qPrintable((round.faults + round.slow).join("\n  ")),
            qPrintable(round.timeline.join("\n  ")));
    }
    qInfo("rounds %d, stalls %d (rounds with a slow start or advance: %d)", rounds, stalls, slow);
    QCOMPARE(stalls, 0);
  }
};

QTEST_MAIN(TestPlayerPlaythrough)
#include "tst_playerplaythrough.moc"
