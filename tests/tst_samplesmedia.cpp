#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <functional>

#include "media/midi/midisong.h"
#include "media/mpvplayer.h"
#include "media/mpvview.h"
#include "support/child.h"
#include "support/samples.h"

// Every real sample under $VISTARA_SAMPLES/media opens in the real player,
// reports a plausible length and plays its first seconds. Each file plays in a
// child process (this program, re-run with --play-one) with a time limit, so a
// file that hangs or crashes the engine fails its own row only.

namespace {

constexpr char kChildFlag[] = "--play-one";
constexpr char kShowFlag[] = "--show-one";

QString samplesDir() {
  return samplesFolder() + "/media";
}

// The child for a still picture: opens it at double size in an area smaller than it, saves
// what the area shows to `shots`/part.png, then enlarges the area to show the whole
// picture and saves it to `shots`/whole.png. Prints the size the player reports.
int showOne(const QString& path, const QString& shots) {
  QWidget area;
  area.resize(469, 287);
  area.show();
  MpvPlayer player(&area);
  QSignalSpy opened(&player, &MediaPlayer::openComplete);
  player.setFileName(path);
  if (!opened.wait(10000)) return 2;
  player.setDisplaySize(2);
  auto* view = area.findChild<MpvView*>();
  const auto waitFor = [](const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > 5000) return false;
      QTest::qWait(20);
    }
    return true;
  };
  const QRect seen = view->geometry() & area.rect();
  if (!waitFor([&] { return view->hasPicture() && view->renderedSize() == seen.size(); })) return 3;
  if (!area.grab(seen).save(shots + "/part.png", "PNG")) return 4;
  area.resize(area.size().expandedTo(view->size()));
  player.setLeft(0);  // the player notices the larger area when it is placed
  if (!waitFor([&] { return view->renderedSize() == view->size(); })) return 5;
  if (!view->grab().save(shots + "/whole.png", "PNG")) return 6;
  std::printf("%f %f\n", player.width(), player.height());
  return 0;
}

// The mean difference of two pictures per channel (0..255), compared at a small size.
double difference(const QImage& a, const QImage& b) {
  const QSize small(24, 24);
  const QImage x = a.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
  const QImage y = b.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int j = 0; j < small.height(); ++j) {
    for (int i = 0; i < small.width(); ++i) {
      const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  }
  return sum / (3.0 * small.width() * small.height());
}

// The child: opens one file, plays up to two seconds of it (or to its end) and
// prints what it saw. Exit code 0 when all went well.
int playOne(const QString& path) {
  QWidget area;
  area.resize(469, 287);
  area.show();
  MpvPlayer player(&area);
  QSignalSpy opened(&player, &MediaPlayer::openComplete);
  QElapsedTimer clock;
  clock.start();
  player.setFileName(path);
  if (!opened.wait(10000)) return 2;
  const qint64 openMs = clock.elapsed();
  const double want = std::min(2.0, player.duration() * 0.8);
  while (player.state() == MediaPlayer::State::Running && player.currentPosition() < want) {
    if (clock.elapsed() > openMs + 8000) return 3;
    QTest::qWait(20);
  }
  std::printf("%f %lld %f %f %f\n", player.duration(), openMs, player.width(), player.height(),
              player.currentPosition());
  return 0;
}

// What the file's own data says its length is, or -1 when nothing can tell.
double referenceDuration(const QString& path) {
  QFile file(path);
  if (path.endsWith(".mid", Qt::CaseInsensitive) && file.open(QIODevice::ReadOnly)) {
    const QByteArray data = file.readAll();
    MidiSong song;
    if (!parseMidi(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()), &song))
      return -1;
    return song.lengthSeconds();
  }
  const QString ffprobe = QStandardPaths::findExecutable("ffprobe");
  if (ffprobe.isEmpty()) return -1;
  QProcess probe;
  probe.start(ffprobe, {"-v", "error", "-show_entries", "format=duration", "-of",
                        "default=nw=1:nk=1", path});
  if (!probe.waitForFinished(10000)) return -1;
  bool ok = false;
  const double d = probe.readAllStandardOutput().trimmed().toDouble(&ok);
  return ok ? d : -1;
}

}  // namespace

class TestSamplesMedia : public QObject {
  Q_OBJECT

 private slots:
  void samples_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(samplesDir());
    if (!dir.exists()) QSKIP("no sample media (set VISTARA_SAMPLES)");
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files, QDir::Name))
      QTest::newRow(qPrintable(f.fileName())) << f.absoluteFilePath();
  }

  void samples() {
    QFETCH(QString, path);
    const ChildRun child = runSelf({kChildFlag, path}, 30000);
    if (!child.finished) QFAIL("the player did not finish within 30 s");
    QVERIFY(!child.crashed);
    QVERIFY2(child.exitCode == 0, child.exitCode == 2 ? "never opened" : "did not play on");
    const QList<QByteArray> f = child.out.trimmed().split(' ');
    QCOMPARE(f.size(), 5);
    const double duration = f[0].toDouble();
    qInfo("duration %.3f s, opened in %s ms, %s x %s twips, played to %.2f s", duration,
          f[1].constData(), f[2].constData(), f[3].constData(), f[4].toDouble());
    const double reference = referenceDuration(path);
    if (reference > 0.1) {
      QVERIFY2(std::abs(duration - reference) < std::max(0.1, reference * 0.02),
               qPrintable(QString("duration %1, expected %2").arg(duration).arg(reference)));
    }
    QVERIFY(duration >= 0 && duration < 3600);
  }

  void turnedPhotos_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("turn");  // clockwise degrees that the EXIF orientation asks for
    if (!QDir(samplesFolder() + "/photos").exists())
      QSKIP("no sample photos (set VISTARA_SAMPLES)");
    QTest::newRow("orientation 6: a quarter turn") << "bug725582-testrotate.jpg" << 90;
    QTest::newRow("orientation 3: upside down") << "orientation_3.jpg" << 180;
  }

  // A photo whose EXIF data says it is stored turned is shown turned back, at the
  // turned size, whole or in part, and the program goes on.
  void turnedPhotos() {
    QFETCH(QString, name);
    QFETCH(int, turn);
    const QString path = samplesFolder() + "/photos/" + name;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage stored = reader.read();
    const QImage upright = stored.transformed(QTransform().rotate(turn));
    QTemporaryDir dir;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {kShowFlag, path, dir.path()});
    QVERIFY(child.waitForStarted());
    if (!child.waitForFinished(30000)) {
      child.kill();
      child.waitForFinished();
      QFAIL("the player did not finish within 30 s");
    }
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(f.size(), 2);
    QCOMPARE(QSizeF(f[0].toDouble(), f[1].toDouble()), QSizeF(upright.size()) * 2 * 15);

    const QImage shown(dir.filePath("whole.png"));
    QCOMPARE(shown.size(), upright.size() * 2);
    const QImage part(dir.filePath("part.png"));  // the area's top left corner
    const double inPart = difference(part, shown.copy(QRect(QPoint(0, 0), part.size())));
    qInfo("the part the area shows differs by %.1f from that part of the whole", inPart);
    QVERIFY(inPart < 4);
    const double right = difference(shown, upright);
    const double wrong = difference(shown, upright.transformed(QTransform().rotate(180)));
    qInfo("differs by %.1f from the photo turned back, %.1f from it turned the other way", right,
          wrong);
    QVERIFY(right < 16);
    QVERIFY(right < wrong / 2);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 3 && qstrcmp(argv[1], kChildFlag) == 0)
    return playOne(QString::fromLocal8Bit(argv[2]));
  if (argc == 4 && qstrcmp(argv[1], kShowFlag) == 0)
    return showOne(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  TestSamplesMedia test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_samplesmedia.moc"
