#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <cstdio>

#include "platform/midisong.h"
#include "platform/mpvplayer.h"
#include "support/child.h"
#include "support/samples.h"

// Every real sample under $VISTARA_SAMPLES/media opens in the real player,
// reports a plausible length and plays its first seconds. Each file plays in a
// child process (this program, re-run with --play-one) with a time limit, so a
// file that hangs or crashes the engine fails its own row only.

namespace {

constexpr char kChildFlag[] = "--play-one";

QString samplesDir() {
  return samplesFolder() + "/media";
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
  while (player.state() == MediaPlayer::kRunning && player.currentPosition() < want) {
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
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 3 && qstrcmp(argv[1], kChildFlag) == 0)
    return playOne(QString::fromLocal8Bit(argv[2]));
  TestSamplesMedia test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_samplesmedia.moc"
