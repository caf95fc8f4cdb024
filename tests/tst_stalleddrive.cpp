// Drives that stop answering, on a real FUSE file system that holds back the listing of
// one folder and every statfs of its mount until the test releases them.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "files/mounts.h"
#include "support/fakes.h"
#include "support/input.h"

namespace {

const QString kPhotos = QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico");
const QString kNotReady = QStringLiteral("Dispositivo não está preparado...");

QStringList lines(const ListBox* list) {
  QStringList out;
  for (int i = 0; i < list->listCount(); ++i) out.append(list->list(i));
  return out;
}

// Milliseconds on the monotonic clock, the same in every process.
qint64 monotonicMs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool isMounted(const QString& point) {
  for (const MountEntry& m : readMountTable()) {
    if (m.mountPoint == point) return true;
  }
  return false;
}

// The held-back file system, mounted in a temporary folder for one test.
class StalledMount {
 public:
  explicit StalledMount(const QString& heldFolder) {
#ifdef VISTARA_STALLFS
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
      why_ = QStringLiteral("no /dev/fuse on this machine");
      return;
    }
    marker_ = dir_.filePath(QStringLiteral("held"));
    point_ = dir_.filePath(QStringLiteral("mnt"));
    QDir().mkpath(point_);
    fs_.setProcessChannelMode(QProcess::ForwardedChannels);
    fs_.start(QStringLiteral(VISTARA_STALLFS), {point_, heldFolder, marker_});
    QElapsedTimer clock;
    clock.start();
    while (!isMounted(point_) && clock.elapsed() < 10000 && fs_.state() != QProcess::NotRunning) {
      fs_.waitForFinished(20);
    }
    if (!isMounted(point_)) why_ = QStringLiteral("the FUSE file system could not be mounted");
#else
    Q_UNUSED(heldFolder);
    why_ = QStringLiteral("built without libfuse3");
#endif
  }
  ~StalledMount() {
    if (fs_.state() == QProcess::NotRunning) return;
    ::umount2(QFile::encodeName(point_).constData(), MNT_DETACH);
    fs_.kill();  // calls still held back fail instead of waiting on
    fs_.waitForFinished(5000);
  }
  QString unavailable() const {
    return why_;
  }  // empty when mounted
  QString root() const {
    return point_;
  }
  QString path(const QString& relative) const {
    return point_ + '/' + relative;
  }
  bool holding() const {
    return QFileInfo::exists(marker_);
  }  // a call is held back
  void release() {
    ::kill(pid_t(fs_.processId()), SIGUSR1);
  }

 private:
  QTemporaryDir dir_;  // not on /dev: that would not count as a drive
  QString point_, marker_, why_;
  QProcess fs_;
};

// Searches `root` for photos the way a person does; `whileHeld` runs once the search has
// listed `before` lines and has let events run three times while a call is held back.
void searchWhileHeld(FileFind& w, const StalledMount& fs, int before,
                     const std::function<void()>& whileHeld) {
  QVERIFY(w.Dir1->setPath(fs.root()));
  w.Text1->setText(kPhotos);
  QTimer poll;
  int ticks = 0;
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    if (w.List2->listCount() < before || !fs.holding() || ++ticks < 3) return;
    poll.stop();
    whileHeld();
  });
  poll.start(10);
  QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
}

}  // namespace

class StalledDriveTest : public QObject {
  Q_OBJECT

 private slots:
  // Mounts made here stay out of every other process's sight.
  void initTestCase() {
    QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
  }

  // Lines of the kernel's mount table: blanks escaped in octal, optional fields before
  // the separator, and lines too short to be entries.
  void mountTableLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("points");  // mount point|type|source
    QTest::newRow("plain") << QByteArray("22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n")
                           << QStringList{"/|ext4|/dev/sda1"};
    QTest::newRow("escaped blank")
        << QByteArray("30 22 0:40 / /media/my\\040stick rw - vfat /dev/sdb1 rw\n")
        << QStringList{"/media/my stick|vfat|/dev/sdb1"};
    QTest::newRow("no optional fields, a share")
        << QByteArray("31 22 0:41 / /mnt/share rw - nfs4 server:/export rw\n")
        << QStringList{"/mnt/share|nfs4|server:/export"};
    QTest::newRow("broken lines")
        << QByteArray("garbage\n\n31 22 0:41 / /x rw\n5 1 0:1 / /ok rw - tmpfs none rw")
        << QStringList{"/ok|tmpfs|none"};
  }
  void mountTableLines() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, points);
    QStringList parsed;
    for (const MountEntry& m : parseMountTable(text)) {
      parsed.append(m.mountPoint + '|' + QString::fromLatin1(m.type) + '|' + m.source);
    }
    QCOMPARE(parsed, points);
  }

  // Parar pressed while a folder listing is held back: the search ends at once with the
  // lines found before it; after the release, a new search finds everything.
  void stopWhileAListingIsHeld() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QElapsedTimer sincePressed;
    searchWhileHeld(w, fs, 3, [&] {
      sincePressed.start();
      QTest::mouseClick(w.cmdParar, Qt::LeftButton);
    });
    QVERIFY(sincePressed.isValid());
    qInfo("the search ended %lld ms after Parar", sincePressed.elapsed());
    QVERIFY2(sincePressed.elapsed() < 500, qPrintable(QString::number(sincePressed.elapsed())));
    QCOMPARE(lines(w.List2),
             (QStringList{fs.path("r.jpg"), fs.path("a/1.jpg"), fs.path("a/2.jpg")}));
    QCOMPARE(w.totalBytes, qint64(512 + 1024 + 2048));
    QCOMPARE(w.lblConta->text(), QStringLiteral("0, MB em  3 Arquivos"));  // 0.0035 MB
    QVERIFY(w.cmdIniciar->isEnabled());

    fs.release();
    QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
    QCOMPARE(lines(w.List2), (QStringList{fs.path("r.jpg"), fs.path("a/1.jpg"), fs.path("a/2.jpg"),
                                          fs.path("slow/s.jpg"), fs.path("z/3.jpg")}));
    QCOMPARE(w.fileCount, 5);
    QCOMPARE(w.totalBytes, qint64(10752));
  }

  // Saida pressed while a listing is held back ends the program at once, with success.
  // Checked in a child process, which writes the moment it pressed the button.
  void exitWhileAListingIsHeld() {
    const QString childRoot = qEnvironmentVariable("VISTARA_HELD_EXIT_CHILD");
    if (!childRoot.isEmpty()) {
      // The parent holds the mount; this child only searches it.
      TestWindow t = makeTestWindow();
      FileFind& w = *t.window;
      w.showCentred();
      QVERIFY(w.Dir1->setPath(childRoot));
      w.Text1->setText(kPhotos);
      QTimer poll;
      int ticks = 0;
      const QString marker = qEnvironmentVariable("VISTARA_HELD_MARKER");
      connect(&poll, &QTimer::timeout, &w, [&] {
        if (w.List2->listCount() < 3 || !QFileInfo::exists(marker) || ++ticks < 3) return;
        std::printf("pressed %lld\n", monotonicMs());
        std::fflush(stdout);
        QTest::mouseClick(w.cmdSaida, Qt::LeftButton);
      });
      poll.start(10);
      QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
      QFAIL("the search went on after the exit button");
    }
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VISTARA_HELD_EXIT_CHILD", fs.root());
    env.insert("VISTARA_HELD_MARKER", QFileInfo(fs.root()).path() + QStringLiteral("/held"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"exitWhileAListingIsHeld"});
    QVERIFY(child.waitForFinished(30000));
    const qint64 ended = monotonicMs();
    const QByteArray out = child.readAllStandardOutput();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const qsizetype at = out.indexOf("pressed ");
    QVERIFY2(at >= 0, out.constData());
    const qint64 pressed = out.mid(at + 8).split('\n').first().toLongLong();
    qInfo("the program ended %lld ms after Saida", ended - pressed);
    QVERIFY2(ended - pressed < 500, qPrintable(QString::number(ended - pressed)));
    QVERIFY2(!out.contains("Totals:"), out.constData());  // ended inside the search
  }

  // A mount whose statfs never answers neither holds up the start nor can be chosen.
  void startAndChooseWithAStalledMount() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    QElapsedTimer clock;
    clock.start();
    TestWindow t = makeTestWindow();  // the machine's own drives
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    qInfo("the window was shown %lld ms after the start", clock.elapsed());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    const QString drive = fs.root() + '/';
    QVERIFY(w.Drive1->findText(drive) >= 0);

    const QString before = w.Drive1->drive();
    const QString folder = w.Dir1->path();
    clock.restart();
    w.Drive1->setDrive(drive);
    qInfo("the drive was refused after %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(t.messages->shown, QStringList{kNotReady});
    QCOMPARE(w.Drive1->drive(), before);
    QCOMPARE(w.Dir1->path(), folder);

    fs.release();  // answering now: the drive can be chosen and searched
    QTRY_VERIFY_WITH_TIMEOUT((w.Drive1->setDrive(drive), w.Drive1->drive() == drive), 5000);
    QCOMPARE(w.Dir1->path(), fs.root());
    w.Text1->setText(kPhotos);
    QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
    QCOMPARE(w.fileCount, 5);
  }

  // Started in a folder of a drive whose root listing never comes: the window is shown
  // all the same, at that drive with nothing listed, and a refresh lists it once it
  // answers.
  void startOnADriveThatDoesNotList() {
    StalledMount fs(QStringLiteral("/"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(fs.path("a")));
    QElapsedTimer clock;
    clock.start();
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QDir::setCurrent(home);
    qInfo("the window was shown %lld ms after the start", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(w.Drive1->drive(), fs.root() + '/');
    QCOMPARE(w.Dir1->path(), fs.root());
    QCOMPARE(w.Dir1->listCount(), 0);

    fs.release();
    QTest::mouseClick(w.cmdAtualizar, Qt::LeftButton);
    QCOMPARE(w.Dir1->listCount(), 3);
    QCOMPARE(w.Dir1->list(1), fs.path("slow"));
  }

  // A double click on a folder whose listing never comes gives up after a moment and
  // stays where it was; once the folder answers, it opens.
  void openAFolderThatDoesNotList() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(w.Dir1->setPath(fs.root()));
    QElapsedTimer clock;
    clock.start();
    openFolder(w.Dir1, fs.path("slow"));
    qInfo("the folder was given up after %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(w.Dir1->path(), fs.root());
    QCOMPARE(w.Dir1->listCount(), 3);

    fs.release();
    openFolder(w.Dir1, fs.path("slow"));
    QCOMPARE(w.Dir1->path(), fs.path("slow"));
  }
};

QTEST_MAIN(StalledDriveTest)
#include "tst_stalleddrive.moc"
