#include <sys/stat.h>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cmath>

#include "media/midi/midisong.h"
#include "media/mpvplayer.h"
#include "media/mpvview.h"
#include "support/media.h"

// The real player on small files made by tests/data/make-media-fixtures.sh,
// with no sound card and no display.
class TestMediaPlayer : public QObject {
  Q_OBJECT

 private:
  static QString media(const QString& name) { return mediaFixture(name); }
  static double trueDuration(const QString& name) { return fixtureDuration(name); }

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
    QCOMPARE(player.state(), MediaPlayer::State::Running);
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
    QVERIFY2(std::abs(moved - took) < 1.0,
             qPrintable(QString("moved %1 s in %2 s").arg(moved).arg(took)));

    // Pause freezes the position.
    player.pause();
    QVERIFY(player.state() != MediaPlayer::State::Running);
    letTimePass(150);
    const double frozen = player.currentPosition();
    letTimePass(400);
    QCOMPARE(player.currentPosition(), frozen);
    QVERIFY(player.state() != MediaPlayer::State::Running);

    // A seek lands near its target.
    const double target = std::floor(truth / 2);
    player.setCurrentPosition(target);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isSeeking(), 3000);
    QVERIFY2(std::abs(player.currentPosition() - target) < 0.5,
             qPrintable(QString("landed at %1 for %2").arg(player.currentPosition()).arg(target)));

    // Running near the end reaches the end on time, which is not "running".
    player.setCurrentPosition(truth - 0.6);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isSeeking(), 3000);
    const double from = player.currentPosition();
    player.run();
    clock.restart();
    QCOMPARE(player.state(), MediaPlayer::State::Running);
    QTRY_VERIFY_WITH_TIMEOUT(player.state() != MediaPlayer::State::Running, 3000);
    const double expected = player.duration() - from, ran = clock.elapsed() / 1000.0;
    QVERIFY2(std::abs(ran - expected) < 1.0,
             qPrintable(QString("ran %1 s of an expected %2 s").arg(ran).arg(expected)));
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
  }

  void engineStartsWithTheFirstFile() {
    MpvPlayer player(area_);
    player.run();
    player.pause();
    player.setCurrentPosition(2);
    player.setFileName(QString());
    QVERIFY(!player.engineStarted());
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
    QCOMPARE(player.currentPosition(), 0.0);
    QVERIFY(open(player, "sound-pcm16.wav"));
    QVERIFY(player.engineStarted());
  }

  void brokenFilesCloseQuietly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("why");
    QTest::newRow("truncated avi") << "broken-truncated.avi"
                                   << "unrecognized file format";
    QTest::newRow("empty mpg") << "broken-empty.mpg"
                               << "unrecognized file format";
    QTest::newRow("text as wav") << "broken-text.wav"
                                 << "unrecognized file format";
    QTest::newRow("song without notes") << "broken-song.mid"
                                        << "loading failed";
    QTest::newRow("text as song") << "broken-text.mid"
                                  << "unrecognized file format";
    QTest::newRow("missing") << "no-such-file.avi"
                             << "loading failed";
  }

  // No open-complete, not running, the reason in the log, and the player still plays
  // the next file.
  void brokenFilesCloseQuietly() {
    QFETCH(QString, name);
    QFETCH(QString, why);
    MpvPlayer player(area_);
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(media(name) + ": " + why));
    player.setFileName(media(name));
    QTRY_VERIFY_WITH_TIMEOUT(!player.isOpening(), 5000);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
    player.run();
    player.setCurrentPosition(1);
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
    QVERIFY(open(player, "film-mpeg4-mp3.avi"));
    QCOMPARE(player.state(), MediaPlayer::State::Running);
  }

  void emptyNameCloses() {
    MpvPlayer player(area_);
    QVERIFY(open(player, "film-mjpeg-pcm.avi"));
    auto* view = area_->findChild<MpvView*>();
    QVERIFY(view && view->isVisible());
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    player.setFileName(QString());
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
    QVERIFY(!view->isVisible());
    player.run();
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
    QVERIFY(!opened.wait(500));  // late events of the closed file change nothing
    QCOMPARE(player.state(), MediaPlayer::State::Stopped);
  }

  // Switching before the first file is open reports the second file only.
  void lateEventsOfAnEarlierFileAreDropped() {
    MpvPlayer player(area_);
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    player.setFileName(media("film-mjpeg-pcm.avi"));
    player.setFileName(media("sound-u8-odd.wav"));
    QVERIFY(opened.wait(5000));
    QCOMPARE(player.width(), MpvPlayer::kSoundWidth);
    QVERIFY(std::abs(player.duration() - trueDuration("sound-u8-odd.wav")) < 0.1);
    QVERIFY(!opened.wait(500));
  }

  void displaySizes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QSizeF>("twips");
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const double quarter = std::sqrt(screen.width() * screen.height() / 4.0 / (160 * 120));
    QTest::newRow("film natural") << "film-mpeg1.mpg" << 0 << QSizeF(2400, 1800);
    QTest::newRow("film half") << "film-mpeg1.mpg" << 1 << QSizeF(1200, 900);
    QTest::newRow("film double") << "film-mpeg1.mpg" << 2 << QSizeF(4800, 3600);
    QTest::newRow("film fit") << "film-mpeg1.mpg" << 3 << QSizeF(5740, 4305);
    QTest::newRow("film quarter screen")
        << "film-mpeg1.mpg" << 4 << QSizeF(2400 * quarter, 1800 * quarter);
    // 1024 x 576, larger than the area: shrunk to its width less the margin, 6795 twips.
    QTest::newRow("large film natural")
        << "film-large-mpeg4.avi" << 0 << QSizeF(6795, 6795 * 576 / 1024.0);
    QTest::newRow("large film half")
        << "film-large-mpeg4.avi" << 1 << QSizeF(6795, 6795 * 576 / 1024.0);
    QTest::newRow("large film double") << "film-large-mpeg4.avi" << 2 << QSizeF(30720, 17280);
    QTest::newRow("sound natural") << "sound-pcm16.wav" << 0 << QSizeF(4860, 600);
    QTest::newRow("sound half") << "sound-pcm16.wav" << 1 << QSizeF(2430, 300);
  }

  // Width and height follow the display size at once; the picture is drawn at
  // the player's place in the area.
  void displaySizes() {
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QSizeF, twips);
    MpvPlayer player(area_);
    QVERIFY(open(player, name));
    player.setDisplaySize(size);
    QCOMPARE(player.displaySize(), size);
    QVERIFY(std::abs(player.width() - twips.width()) < 1);
    QVERIFY(std::abs(player.height() - twips.height()) < 1);
    player.setLeft(-300);
    player.setTop(450);
    auto* view = area_->findChild<MpvView*>();
    QCOMPARE(view->geometry(),
             QRect(-20, 30, qRound(twips.width() / 15), qRound(twips.height() / 15)));
    player.setDisplaySize(7);  // not a display size: ignored
    QCOMPARE(player.displaySize(), size);
  }

  // The view lies on the pixels a control with the same twips would: a half pixel goes away
  // from zero, also to the left of the area. No file: the idle size, 4860 x 3660 twips.
  void viewIsPlacedAsAControlWouldBe() {
    MpvPlayer player(area_);
    player.setLeft(-7.5f);
    player.setTop(22.5f);
    auto* view = area_->findChild<MpvView*>();
    QCOMPARE(view->geometry(), QRect(-1, 2, 324, 244));
  }

  // Opaque, coloured frames: the test pattern, not a black or transparent box.
  void drawsTheFilm() {
    MpvPlayer player(area_);
    QVERIFY(open(player, "film-h264-aac.mov"));
    auto* view = area_->findChild<MpvView*>();
    QTRY_VERIFY(view->hasPicture());
    const QImage shot = view->grab().toImage();
    QCOMPARE(shot.size(), QSize(160, 120));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 8) {
      for (int x = 0; x < shot.width(); x += 8) {
        QCOMPARE(qAlpha(shot.pixel(x, y)), 255);
        colours.insert(shot.pixel(x, y));
      }
    }
    QVERIFY2(colours.size() > 10, qPrintable(QString::number(colours.size())));
  }

  // The mean difference per channel (0..255) of two pictures of the same size.
  static double difference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size() || x.isNull()) return 255;
    double sum = 0;
    for (int j = 0; j < x.height(); j += 2) {
      for (int i = 0; i < x.width(); i += 2) {
        const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
      }
    }
    return sum / (3.0 * ((x.width() + 1) / 2) * ((x.height() + 1) / 2));
  }

  void enlargedPastTheArea_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QPoint>("at");  // the player's place, in pixels of the area
    QTest::newRow("large film double, centred")
        << "film-large-mpeg4.avi" << 2 << QPoint(-790, -433);
    QTest::newRow("large film quarter screen, off the left")
        << "film-large-mpeg4.avi" << 4 << QPoint(-200, 10);
    QTest::newRow("small film double, off the bottom right")
        << "film-mpeg4-mp3.avi" << 2 << QPoint(300, 150);
  }

  // Only what the area shows of a picture larger than it is rendered, and it is the
  // same as that part of the whole picture drawn in an area large enough for it.
  void enlargedPastTheArea() {
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QPoint, at);
    MpvPlayer player(area_);
    QVERIFY(open(player, name));
    player.pause();
    player.setDisplaySize(size);
    player.setLeft(at.x() * 15);
    player.setTop(at.y() * 15);
    auto* view = area_->findChild<MpvView*>();
    const QRect seen = view->geometry() & area_->rect();
    QVERIFY(!seen.isEmpty() && seen != view->geometry());
    QTRY_COMPARE(view->renderedSize(), seen.size());
    const QImage shownPart = area_->grab(seen).toImage();

    // The same frame, paused, drawn whole in an area large enough and cut to that part.
    area_->resize(view->size());
    player.setLeft(0);
    player.setTop(0);
    const auto cut = [&] { return view->grab(QRect(seen.topLeft() - at, seen.size())).toImage(); };
    QTRY_VERIFY_WITH_TIMEOUT(difference(shownPart, cut()) < 12, 3000);
    QTRY_COMPARE(view->renderedSize(), view->size());
  }

  // A film from a slow source: its length and sound come at once, its picture 4 s
  // later (the headers and the first seconds of sound are written to a pipe, the rest
  // after a pause). Open-complete waits for the picture and reports its size.
  void pictureLaterThanTheSound() {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("late.mkv");
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QProcess writer;  // opens the pipe itself: opening it here would wait for mpv
    writer.start("sh", {"-c", "{ head -c 8000 \"$0\"; sleep 4; tail -c +8001 \"$0\"; } > \"$1\"",
                        media("film-late-picture.mkv"), pipe});
    MpvPlayer player(area_);
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    QElapsedTimer clock;
    clock.start();
    player.setFileName(pipe);
    QVERIFY(opened.wait(15000));
    qInfo("opened after %lld ms", clock.elapsed());
    QCOMPARE(player.width(), 160 * 15.f);
    QCOMPARE(player.height(), 120 * 15.f);
    auto* view = area_->findChild<MpvView*>();
    QTRY_VERIFY(view->hasPicture());
    QCOMPARE(view->size(), QSize(160, 120));
    QTRY_VERIFY_WITH_TIMEOUT(writer.state() == QProcess::NotRunning, 10000);
  }

  // A source that stops giving data mid-film (a share that no longer answers): the
  // position stands still while the player plays. After 5 s that counts as the end, so
  // that the automatic advance moves on; the log says why.
  void aPositionStandingStillEndsTheFile() {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("stalls.avi");
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QProcess writer;
    writer.start("sh", {"-c", "{ head -c 12000 \"$0\"; sleep 60; } > \"$1\"",
                        media("film-long-mpeg4.avi"), pipe});
    MpvPlayer player(area_);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("stalls.avi: the position stood still for 5 s"));
    QSignalSpy opened(&player, &MediaPlayer::openComplete);
    player.setFileName(pipe);
    QVERIFY(opened.wait(10000));
    QCOMPARE(player.state(), MediaPlayer::State::Running);
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(player.state(), MediaPlayer::State::Stopped, 15000);
    QVERIFY2(clock.elapsed() >= 4000, qPrintable(QString::number(clock.elapsed())));
    writer.kill();
    writer.waitForFinished();
  }

  void afterTheEnd_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("film") << "film-mjpeg-pcm.avi";
    QTest::newRow("sound") << "sound-pcm16.wav";
    QTest::newRow("music") << "music-tempo.mid";
  }

  // A finished file is stopped: a seek leaves it stopped there, and running
  // plays on from that place; running at the end plays it again.
  void afterTheEnd() {
    QFETCH(QString, name);
    MpvPlayer player(area_);
    QVERIFY(open(player, name));
    player.setCurrentPosition(player.duration() - 0.3);
    QTRY_VERIFY_WITH_TIMEOUT(player.state() == MediaPlayer::State::Stopped, 3000);
    player.setCurrentPosition(1);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isSeeking(), 3000);
    QVERIFY(player.state() != MediaPlayer::State::Running);
    QVERIFY(std::abs(player.currentPosition() - 1) < 0.5);
    player.run();
    QCOMPARE(player.state(), MediaPlayer::State::Running);
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 1.3, 3000);
    player.setCurrentPosition(player.duration() - 0.3);
    QTRY_VERIFY_WITH_TIMEOUT(player.state() == MediaPlayer::State::Stopped, 3000);
    player.run();
    QCOMPARE(player.state(), MediaPlayer::State::Running);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isSeeking(), 3000);
    QVERIFY(player.currentPosition() < 0.5);
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.5, 3000);
  }
};

QTEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
