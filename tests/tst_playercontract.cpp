// The player contract: the same checks against the real player on real files and against
// the scripted player the window tests use, so that what passes on one means the same on
// the other. Only what the real player learns from the file (its length and picture size,
// an opening that fails, the end) is told to the scripted one.
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <memory>

#include "media/mpvplayer.h"
#include "support/media.h"
#include "support/scriptedplayer.h"

namespace {

constexpr float kTwips = 15;  // a pixel

// The part of a check that differs between the players: how an opening, a failure and
// the end come about.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual MediaPlayer& player() = 0;
  virtual void completeOpening(double truth, QSizeF natural) = 0;
  virtual void giveUpOpening() = 0;
  virtual void seekNearTheEnd(double truth) = 0;
  virtual void awaitTheEnd() = 0;
};

class RealDriver : public Driver {
 public:
  explicit RealDriver(QWidget* area) : player_(area) {}
  MediaPlayer& player() override { return player_; }
  void completeOpening(double, QSizeF) override {}
  void giveUpOpening() override {}
  void seekNearTheEnd(double truth) override {
    player_.setCurrentPosition(truth - 0.5);
    QTRY_VERIFY_WITH_TIMEOUT(!player_.isSeeking(), 5000);
  }
  void awaitTheEnd() override {}  // half a second of real play

 private:
  MpvPlayer player_;
};

class ScriptedDriver : public Driver {
 public:
  explicit ScriptedDriver(QWidget* area) : player_(area) {}
  MediaPlayer& player() override { return player_; }
  void completeOpening(double truth, QSizeF natural) override {
    player_.setNaturalSize(float(natural.width()), float(natural.height()));
    player_.finishOpening(truth);
  }
  void giveUpOpening() override { player_.failOpening(); }
  void seekNearTheEnd(double truth) override { player_.setCurrentPosition(truth - 0.5); }
  void awaitTheEnd() override { player_.reachEnd(); }

 private:
  ScriptedPlayer player_;
};

QSizeF sizeOf(const MediaPlayer& p) {
  return QSizeF(p.width(), p.height());
}

bool sameRatio(QSizeF a, QSizeF b) {
  return std::abs(a.width() / a.height() - b.width() / b.height()) < 1e-3;
}

}  // namespace

class PlayerContractTest : public QObject {
  Q_OBJECT

  QWidget* area_ = nullptr;

  std::unique_ptr<Driver> driver(bool real) {
    if (real) return std::make_unique<RealDriver>(area_);
    return std::make_unique<ScriptedDriver>(area_);
  }

 private slots:
  void init() {
    area_ = new QWidget;
    area_->resize(469, 287);  // 7035 x 4305 twips, the window's picture box
    area_->show();
  }
  void cleanup() { delete area_; }

  void filesThatOpen_data() {
    QTest::addColumn<bool>("real");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSizeF>("natural");  // twips
    for (bool real : {true, false}) {
      const char* who = real ? "libmpv" : "scripted";
      QTest::addRow("%s, film", who) << real << "film-mjpeg-pcm.avi" << QSizeF(2400, 1800);
      QTest::addRow("%s, sound", who)
          << real << "sound-pcm16.wav" << QSizeF(ScriptedPlayer::kSoundWidth, 600);
      QTest::addRow("%s, song", who)
          << real << "music-tempo.mid" << QSizeF(ScriptedPlayer::kSoundWidth, 600);
    }
  }

  void filesThatOpen() {
    QFETCH(bool, real);
    QFETCH(QString, file);
    QFETCH(QSizeF, natural);
    const double truth = fixtureDuration(file);
    QVERIFY(truth > 0);
    auto d = driver(real);
    MediaPlayer& p = d->player();
    QSignalSpy opened(&p, &MediaPlayer::openComplete);

    p.setFileName(mediaFixture(file));
    QVERIFY(p.opening());
    QCOMPARE(p.state(), MediaPlayer::State::Stopped);
    QCOMPARE(opened.count(), 0);  // raised later, never inside the assignment
    d->completeOpening(truth, natural);
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 10000);
    QVERIFY(!p.opening());
    QCOMPARE(p.state(), MediaPlayer::State::Running);
    QCOMPARE(p.fileName(), mediaFixture(file));
    QVERIFY2(std::abs(p.duration() - truth) < 0.1, qPrintable(QString::number(p.duration())));

    // Display sizes: natural, half, double, fitted into the area, a quarter of the screen.
    QCOMPARE(sizeOf(p), natural);
    p.setDisplaySize(1);
    QCOMPARE(sizeOf(p), natural / 2);
    p.setDisplaySize(2);
    QCOMPARE(sizeOf(p), natural * 2);
    p.setDisplaySize(3);
    const QSizeF box(469 * kTwips, 287 * kTwips), fitted = sizeOf(p);
    QVERIFY(sameRatio(fitted, natural));
    QVERIFY(fitted.width() <= box.width() + 0.5 && fitted.height() <= box.height() + 0.5);
    QVERIFY(std::abs(fitted.width() - box.width()) < 0.5 ||
            std::abs(fitted.height() - box.height()) < 0.5);
    p.setDisplaySize(4);
    const QSizeF screen = QSizeF(area_->screen()->geometry().size()) * kTwips, quarter = sizeOf(p);
    QVERIFY(sameRatio(quarter, natural));
    QVERIFY(std::abs(quarter.width() * quarter.height() / (screen.width() * screen.height()) -
                     0.25) < 1e-3);
    p.setDisplaySize(7);  // outside 0..4: refused
    QCOMPARE(p.displaySize(), 4);
    p.setDisplaySize(0);

    // Paused is 1, "not running" but not over; the end is 0; running it again replays.
    p.pause();
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), MediaPlayer::State::Paused, 5000);
    d->seekNearTheEnd(truth);
    QCOMPARE(p.state(), MediaPlayer::State::Paused);
    p.run();
    QCOMPARE(p.state(), MediaPlayer::State::Running);
    d->awaitTheEnd();
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), MediaPlayer::State::Stopped, 5000);
    QVERIFY(!p.opening());
    QCOMPARE(p.fileName(), mediaFixture(file));
    p.run();
    QCOMPARE(p.state(), MediaPlayer::State::Running);
    QVERIFY(p.currentPosition() < 1);
    QCOMPARE(opened.count(), 1);

    // The empty text closes: nothing runs, the idle size.
    p.setFileName(QString());
    QCOMPARE(p.state(), MediaPlayer::State::Stopped);
    QVERIFY(!p.opening());
    QCOMPARE(sizeOf(p), QSizeF(ScriptedPlayer::kIdleWidth, ScriptedPlayer::kIdleHeight));
  }

  void aFileThatCannotBeOpened_data() {
    QTest::addColumn<bool>("real");
    QTest::addColumn<QString>("file");
    for (bool real : {true, false}) {
      const char* who = real ? "libmpv" : "scripted";
      QTest::addRow("%s, text named .wav", who) << real << "broken-text.wav";
      QTest::addRow("%s, empty .mpg", who) << real << "broken-empty.mpg";
    }
  }

  void aFileThatCannotBeOpened() {
    QFETCH(bool, real);
    QFETCH(QString, file);
    auto d = driver(real);
    MediaPlayer& p = d->player();
    QSignalSpy opened(&p, &MediaPlayer::openComplete);
    p.setFileName(mediaFixture(file));
    QVERIFY(p.opening());
    d->giveUpOpening();
    QTRY_VERIFY_WITH_TIMEOUT(!p.opening(), 10000);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(p.state(), MediaPlayer::State::Stopped);
    p.run();  // nothing to run
    QCOMPARE(p.state(), MediaPlayer::State::Stopped);
    QCOMPARE(sizeOf(p), QSizeF(ScriptedPlayer::kIdleWidth, ScriptedPlayer::kIdleHeight));
  }
};

QTEST_MAIN(PlayerContractTest)
#include "tst_playercontract.moc"
