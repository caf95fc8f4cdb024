#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <cmath>

#include "platform/midisong.h"
#include "platform/mpvplayer.h"
#include "platform/mpvview.h"

// The real player on small files made by tests/data/make-media-fixtures.sh,
// with no sound card and no display.
class TestMediaPlayer : public QObject {
  Q_OBJECT

 private:
  static QString media(const QString& name) {
    return QStringLiteral(VISTARA_TEST_DATA "/media/") + name;
  }

  // The true length of each fixture, as measured when it was made.
  static double trueDuration(const QString& name) {
    QFile list(media("durations.txt"));
    if (!list.open(QIODevice::ReadOnly)) return -1;
    while (!list.atEnd()) {
      const QList<QByteArray> f = list.readLine().trimmed().split(' ');
      if (f.size() == 2 && f[0] == name.toUtf8()) {
        const double d = f[1].toDouble();
        return name.endsWith(".mid") ? d + MidiSong::kTailSeconds : d;
      }
    }
    return -1;
  }

  // Lets `ms` of real time pass: needed to show that nothing moves.
  static void letTimePass(int ms) {
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= ms, ms + 1000);
  }

  static bool open(MpvPlayer& player, const QString& name) {
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    player.setFileName(media(name));
    return opened.wait(5000) && opened.count() == 1;
  }

  QWidget* area_ = nullptr;

 private slots:
  void init() {
    area_ = new QWidget;
    area_->resize(469, 287);  // 7035 x 4305 twips
    area_->show();
  }
  void cleanup() { delete area_; }

  void fixtures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");
    QTest::newRow("avi mjpeg pcm") << "film-mjpeg-pcm.avi" << true;
    QTest::newRow("avi mpeg4 mp3") << "film-mpeg4-mp3.avi" << true;
    QTest::newRow("mpeg-1 ps") << "film-mpeg1.mpg" << true;
    QTest::newRow("mpeg-2 ps") << "film-mpeg2.mpg" << true;
    if (QFile::exists(media("film-h264-aac.mov")))
      QTest::newRow("mov h264 aac") << "film-h264-aac.mov" << true;
    QTest::newRow("wav pcm16") << "sound-pcm16.wav" << false;
    QTest::newRow("wav ima adpcm") << "sound-ima-adpcm.wav" << false;
    QTest::newRow("wav u8 odd") << "sound-u8-odd.wav" << false;
    QTest::newRow("midi tempo change") << "music-tempo.mid" << false;
  }

  // Each file opens, reports its length and size, plays in real time, pauses,
  // seeks, and reports its end.
  void fixtures() {
    QFETCH(QString, name);
    QFETCH(bool, picture);
    MpvPlayer player(area_);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(open(player, name));
    qInfo("opened in %lld ms", clock.elapsed());
    QCOMPARE(player.state(), MediaPlayer::kRunning);
    const double truth = trueDuration(name);
    QVERIFY2(std::abs(player.duration() - truth) < 0.1,
             qPrintable(QString("duration %1, truth %2").arg(player.duration()).arg(truth)));
    if (picture) {
      QCOMPARE(player.width(), 160 * 15.f);
      QCOMPARE(player.height(), 120 * 15.f);
    } else {
      QCOMPARE(player.width(), MpvPlayer::kSoundWidth);
      QCOMPARE(player.height(), MpvPlayer::kSoundHeight);
    }

    // Real time: the position moves as fast as the clock.
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.1, 3000);
    const double p0 = player.currentPosition();
    clock.restart();
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() >= p0 + 0.8, 3000);
    const double moved = player.currentPosition() - p0, took = clock.elapsed() / 1000.0;
    QVERIFY2(std::abs(moved - took) < 0.25,
             qPrintable(QString("moved %1 s in %2 s").arg(moved).arg(took)));

    // Pause freezes the position.
    player.pause();
    QVERIFY(player.state() != MediaPlayer::kRunning);
    letTimePass(150);
    const double frozen = player.currentPosition();
    letTimePass(400);
    QCOMPARE(player.currentPosition(), frozen);
    QVERIFY(player.state() != MediaPlayer::kRunning);

    // A seek lands near its target.
    const double target = std::floor(truth / 2);
    player.setCurrentPosition(target);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isSeeking(), 3000);
    QVERIFY2(std::abs(player.currentPosition() - target) < 0.5,
             qPrintable(QString("landed at %1 for %2").arg(player.currentPosition()).arg(target)));

    // Running near the end reaches the end, which is not "running".
    player.setCurrentPosition(truth - 0.6);
    player.run();
    QCOMPARE(player.state(), MediaPlayer::kRunning);
    QTRY_VERIFY_WITH_TIMEOUT(player.state() != MediaPlayer::kRunning, 3000);
    qInfo("ended at %.3f", player.currentPosition());
  }
};

QTEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
